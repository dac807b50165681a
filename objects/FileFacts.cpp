#include <algorithm>
#include <filesystem>
#include <string_view>

#include "objects/ObjectChecker.h"
#include "objects/Predicate.h"
#include "pdf/PDFAnalyst.h"

namespace lumerra::objects {

TFileFacts FactsOf(TPDFAnalyst& Analyst) {
    TFileFacts facts;
    const std::string_view version = Analyst.Version();
    facts.HeaderVersion = version.size() >= 3 ? ParseVersion(version.substr(version.size() - 3)) : 0;
    std::error_code error;
    const auto size = std::filesystem::file_size(Analyst.FileName(), error);
    facts.FileSize = error ? 0 : static_cast<int64_t>(size);
    facts.PageCount = std::max(0, Analyst.PageCount());
    facts.Encrypted = Analyst.Encrypted();
    return facts;
}

}  // namespace lumerra::objects
