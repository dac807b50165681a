// "オブジェクトの検査" of the desktop program: the object check of the
// document the window shows, as lines for its text area: one per finding,
// in Japanese as the rest of the window, with the codes ("missing-key") as
// the command line writes them, then the counts per severity.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "objects/ObjectFinding.h"
#include "pdf/PDFAnalyst.h"

namespace lumerra {

// Loaded is the window's document, read again as extended reading reads
// when it was not loaded so. KeepGoing is asked now and then with the
// objects checked so far and the file's object count (the check may pass
// it: an object is checked once per type it is reached as); false cancels,
// and the answer is then none.
std::optional<std::vector<std::string>> ObjectCheckLines(
    TPDFAnalyst& Loaded, const std::function<bool(int64_t Done, int64_t Total)>& KeepGoing);

// "オブジェクト 2、パス trailer/Root/Pages、キー Count、型 PageTreeNodeRoot: エラー missing-key: 必須のキー Count がありません。"
std::string ObjectFindingLine(const objects::TObjectFinding& Finding);

}  // namespace lumerra
