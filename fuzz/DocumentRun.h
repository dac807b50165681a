// The whole-file run shared by the document targets: the bytes are loaded as
// a PDF file and, when that succeeds, every page is written into a report,
// with comments and without, and the document information is read. Every
// failure must be an exception with a message; nothing may crash, hang or
// grow without bound.
#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <string>

#include "decoder/PDFLumerra.h"
#include "fuzz/FuzzSupport.h"
#include "pdf/DocInfo.h"
#include "pdf/PDFAnalyst.h"

namespace lumerra::fuzz {

// Runs one report; returns its size, or -1 when the run raised. Bytes, when
// given, receives the report and what the run raised.
inline int64_t Report(TPDFAnalyst& Analyst, int32_t Last, bool WithComments, int32_t Threads = 1,
                      std::string* Bytes = nullptr) {
    int64_t size = -1;
    TMemoryStream report;
    std::string failure;
    try {
        TPDFLumerra decoder(&Analyst);
        decoder.Threads = Threads;
        bool cancel = false;
        int32_t calls = 0;
        bool done = false;
        auto progress = [&](int32_t Min, int32_t Max, int32_t, bool Done) {
            Require(Min == 0 && Max == 100, "progress range is 0..100");
            Require(!done, "nothing follows the final progress call");
            done = Done;
            ++calls;
        };
        Require(decoder.DecodeToStream(report, 1, Last, WithComments, progress, cancel), "an uncancelled run completes");
        Require(done, "a run ends with the final progress call");
        Require(!cancel, "an uncancelled run leaves the flag alone");
        size = report.Size();
    } catch (const Exception& e) {
        Require(!e.Message().empty(), "an error carries a message");
        failure = e.Detailed();
    } catch (const std::exception& e) {
        Require(e.what()[0] != '\0', "an error carries a message");
        failure = e.what();
    }
    if (Bytes != nullptr) *Bytes = std::string(fuzz::Bytes(report)) + "|" + failure;
    return size;
}

// Loads Data as a PDF file, in the default or the extended reading (with
// Password for encrypted files), and writes every page's report with
// comments and without.
inline int RunDocument(const uint8_t* Data, size_t Size, bool Extended,
                       const std::optional<std::string>& Password = std::nullopt) {
    const std::unique_ptr<TPDFAnalyst> owner = NewAnalyst(ReadingFor(Extended));
    TPDFAnalyst& analyst = *owner;
    analyst.SetPassword(Password);
    try {
        analyst.LoadFromStream(MemoryOf(Data, Size), "fuzz.pdf");
    } catch (const Exception& e) {
        Require(!e.Message().empty(), "a load error carries a message");
        return 0;
    }
    Require(analyst.Stream() != nullptr && !analyst.Failed(), "a loaded analyser holds its stream");
    Require(analyst.RootID() != -1 && analyst.FirstPagesID() != -1, "a loaded analyser knows its root and pages");
    // An encrypted file is decoded only when extended reading opened its
    // encryption (not when no trailer names its encryption dictionary).
    if (analyst.Encrypted() && analyst.Security() == nullptr) {
        try {
            TPDFLumerra refused(&analyst);
            Violation("the decoder refuses an encrypted document it cannot decrypt");
        } catch (const Exception&) {
        }
        return 0;
    }

    TIDList pages;
    try {
        analyst.GetPageList(&pages);
    } catch (const Exception&) {
        return 0;
    }
    const auto last = static_cast<int32_t>(pages.size());
    const int64_t commented = Report(analyst, last, true);
    const int64_t plain = Report(analyst, last, false);
    // The same streams are decoded either way; the comments only add lines.
    if (commented >= 0 && plain >= 0) Require(plain <= commented, "comments only add to a report");
    // Pages decoded ahead on worker threads give the same report.
    std::string alone, threaded;
    Report(analyst, last, true, 1, &alone);
    Report(analyst, last, true, 3, &threaded);
    Require(alone == threaded, "the report is the same for every thread count");
    // A range past the page list is refused, never read out of bounds.
    Require(Report(analyst, last + 1, false) == -1, "a range past the last page is refused");
    // The document information never raises, and its strings stay bounded
    // (at most three bytes of UTF-8 per byte kept).
    for (const auto& [key, value] : ReadDocInfo(analyst))
        Require(value.size() <= 3 * MaximumInfoString, "an information string stays bounded");
    return 0;
}

}  // namespace lumerra::fuzz
