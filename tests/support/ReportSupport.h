// Whole reports in memory, for the tests that compare them.
#pragma once

#include <cstdint>
#include <string>

#include "decoder/PDFLumerra.h"
#include "support/PdfBuilder.h"

namespace lumerra::test {

// The report of every page of a loaded document, with the given progress
// routine and cancel flag; the decoder's own exceptions propagate after the
// bytes written before them are in Report.
inline void DecodeAllPages(TPDFAnalyst& Analyst, bool WithComments, std::string& Report, int32_t Threads = 1,
                           const TDecodeProgressProc& Progress = nullptr, bool* Cancel = nullptr) {
    TIDList pages;
    Analyst.GetPageList(&pages);
    TPDFLumerra decoder(&Analyst);
    decoder.Threads = Threads;
    TMemoryStream out;
    bool cancel = false;
    try {
        decoder.DecodeToStream(out, 1, static_cast<int32_t>(pages.size()), WithComments, Progress,
                               Cancel != nullptr ? *Cancel : cancel);
    } catch (...) {
        Report.assign(reinterpret_cast<const char*>(out.Memory()), static_cast<size_t>(out.Size()));
        throw;
    }
    Report.assign(reinterpret_cast<const char*>(out.Memory()), static_cast<size_t>(out.Size()));
}

// The report of every page of the document Bytes, read in the default or
// the extended reading; "error: message" when loading or decoding fails.
inline std::string ReportOfBytes(const std::string& Bytes, bool Extended, bool WithComments = true) {
    TempFile file(Bytes, "doc.pdf");
    try {
        const std::unique_ptr<TPDFAnalyst> owner = NewAnalyst(ReadingFor(Extended));
        TPDFAnalyst& analyst = *owner;
        analyst.LoadFromFile(file.Path());
        std::string report;
        DecodeAllPages(analyst, WithComments, report);
        return report;
    } catch (const Exception& e) {
        return "error: " + e.Message();
    }
}

}  // namespace lumerra::test
