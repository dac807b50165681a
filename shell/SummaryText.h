// The desktop program's sentences about a loaded document, made from what
// the core found: "改訂: 3", "JavaScript: 2 か所", and what changed after a
// signature. Japanese, as every line of the text area.
#pragma once

#include <string>
#include <vector>

#include "history/DocumentHistory.h"
#include "triage/ActiveContent.h"

namespace lumerra {

// "改訂: N".
std::string RevisionCountText(const TDocumentHistory& History);
// "JavaScript: 2 か所".
std::string ActiveContentText(const TActiveContent& Kind);
// One sentence per signature whose revision was changed afterwards, and per
// fault of a signature's byte range.
std::vector<std::string> SignatureWarnings(const TDocumentHistory& History);
// One sentence per revision after a signature, naming its level and
// verdict: 「署名（オブジェクト 5、証明 P=2）の後の改訂 2 はフォーム入力のみで、
// 許可されています。」; then one per shadow-attack finding.
std::vector<std::string> SignatureVerdicts(const TDocumentHistory& History);
// The parts joined into one line; empty when there are none.
std::string SummaryLine(const std::vector<std::string>& Parts);

}  // namespace lumerra
