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

}  // namespace

std::vector<TActiveContent> ActiveContentKinds(const TKeywordObjects& Objects) {
    std::vector<TActiveContent> kinds;
    const TIDList& js = Objects[KeywordIndex("/JS")];
    const TIDList& javaScript = Objects[KeywordIndex("/JavaScript")];
    TIDList scripts;
    std::set_union(js.begin(), js.end(), javaScript.begin(), javaScript.end(), std::back_inserter(scripts));
    if (!scripts.empty()) kinds.push_back({"JavaScript", scripts.size()});
    for (const std::string_view keyword :
         {"/OpenAction", "/AA", "/Launch", "/EmbeddedFile", "/RichMedia", "/AcroForm", "/XFA"}) {
        const TIDList& holders = Objects[KeywordIndex(keyword)];
        if (!holders.empty()) kinds.push_back({std::string(keyword.substr(1)), holders.size()});
    }
    return kinds;
}

}  // namespace lumerra
