#include "hostile/HostileDocuments.h"

#include <filesystem>

#include "decoder/PDFLumerra.h"
#include "pdf/PDFAnalyst.h"

namespace lumerra::test {

std::string WriteReport(const std::string& Path, const std::string& Report, bool WithComments, bool Extended,
                        int32_t Threads, const std::function<void()>& AfterLoad) {
    const std::unique_ptr<TPDFAnalyst> owner = NewAnalyst(ReadingFor(Extended));
    TPDFAnalyst& analyst = *owner;
    analyst.LoadFromFile(Path);
    if (AfterLoad) AfterLoad();
    TIDList pages;
    analyst.GetPageList(&pages);
    TPDFLumerra decoder(&analyst);
    decoder.Threads = Threads;
    bool cancel = false;
    decoder.DecodeToFile(Report, 1, static_cast<int32_t>(pages.size()), WithComments, nullptr, cancel);
    return "pages=" + std::to_string(pages.size()) + " bytes=" + std::to_string(std::filesystem::file_size(Report));
}

}  // namespace lumerra::test
