#include "triage/ActiveContent.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace lumerra {

namespace {

size_t KeywordIndex(std::string_view Keyword) {
    return static_cast<size_t>(std::find(TriageKeywords.begin(), TriageKeywords.end(), Keyword) -
                               TriageKeywords.begin());
}

std::string Part(std::string_view Kind, size_t Places) {
    return std::string(Kind) + ": " + std::to_string(Places) + " か所";
}

}  // namespace

std::vector<std::string> ActiveContentParts(const TKeywordObjects& Objects) {
    std::vector<std::string> parts;
    const TIDList& js = Objects[KeywordIndex("/JS")];
    const TIDList& javaScript = Objects[KeywordIndex("/JavaScript")];
    TIDList scripts;
    std::set_union(js.begin(), js.end(), javaScript.begin(), javaScript.end(), std::back_inserter(scripts));
    if (!scripts.empty()) parts.push_back(Part("JavaScript", scripts.size()));
    for (const std::string_view keyword :
         {"/OpenAction", "/AA", "/Launch", "/EmbeddedFile", "/RichMedia", "/AcroForm", "/XFA"}) {
        const TIDList& holders = Objects[KeywordIndex(keyword)];
        if (!holders.empty()) parts.push_back(Part(keyword.substr(1), holders.size()));
    }
    return parts;
}

std::string SummaryLine(const std::vector<std::string>& Parts) {
    std::string line;
    for (const std::string& part : Parts) line += (line.empty() ? "" : "、") + part;
    return line;
}

}  // namespace lumerra
