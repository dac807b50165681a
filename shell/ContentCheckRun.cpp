#include "shell/ContentCheckRun.h"

#include <memory>

#include "check/PageCheck.h"

namespace lumerra {

std::optional<std::vector<std::string>> ContentCheckLines(
    TPDFAnalyst& Loaded, const std::function<bool(int32_t Done, int32_t Total)>& KeepGoing) {
    std::unique_ptr<TPDFAnalyst> reloaded;
    TPDFAnalyst* analyst = &Loaded;
    if (!Loaded.ExtendedReading()) {
        reloaded = std::make_unique<TPDFAnalyst>();
        reloaded->SetExtendedReading(true);
        reloaded->LoadFromFile(Loaded.FileName());
        analyst = reloaded.get();
    }
    TIDList pages;
    analyst->GetPageList(&pages);
    const auto total = static_cast<int32_t>(pages.size());
    TObjectReader reader(*analyst);
    std::vector<std::string> lines;
    check::TSeverityCounts counts;
    const bool done = check::CheckPages(
        reader, pages, 1, total,
        [&](const check::TPageFindings& Page) {
            counts.Add(Page);
            for (const check::TFinding& finding : Page.Kept()) lines.push_back(check::FormatFinding(finding));
            if (Page.Omitted() > 0) lines.push_back(check::FormatOmitted(Page.Page(), Page.Omitted()));
        },
        [&](int32_t Done) { return KeepGoing(Done, total); });
    if (!done) return std::nullopt;
    lines.push_back(check::FormatCounts(counts));
    return lines;
}

}  // namespace lumerra
