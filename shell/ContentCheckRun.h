// "内容の検査" of the desktop program: the content check of the document
// the window shows, as lines for its text area: one per finding, in
// Japanese as the rest of the window, with the codes ("save-restore") as the
// command line writes them, then the counts per severity.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "check/Finding.h"
#include "pdf/PDFAnalyst.h"

namespace lumerra {

// Where a finding's line points: its stream object and the operator's
// bytes in the decoded data. Line counts the lines ContentCheckLines gives.
struct TFindingMark {
    size_t Line = 0;
    int32_t Object = -1;
    int64_t Offset = -1;
    int64_t Length = 0;
};

// Loaded is the window's document. The check reads as extended reading
// reads: Loaded itself when it was loaded so, else the same file loaded
// again that way (a default-reading load is never encrypted). KeepGoing is
// asked before each page with the pages done and their number; false
// cancels, and the answer is then none. Marks, when given, gets a mark for
// each line of a finding in a stream, at an offset.
std::optional<std::vector<std::string>> ContentCheckLines(
    TPDFAnalyst& Loaded, const std::function<bool(int32_t Done, int32_t Total)>& KeepGoing,
    std::vector<TFindingMark>* Marks = nullptr);

// "エラー", "警告", "情報": the desktop program's word for a severity.
std::string SeverityLabel(TFindingSeverity Severity);
// "ページ 3、オブジェクト 12、フォーム Fm0、オフセット 1234: エラー save-restore (Q): 対応する q のない Q です。"
std::string FindingLine(const check::TFinding& Finding);
// "ページ 3: ほかに 17 件の指摘を省略しました。"
std::string OmittedLine(int32_t Page, int64_t Omitted);
// "エラー 3、警告 0、情報 2"
std::string CountsLine(const check::TSeverityCounts& Counts);

}  // namespace lumerra
