// Whole reports in memory, for the tests that compare them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "decoder/PDFLumerra.h"
#include "support/PdfBuilder.h"

namespace lumerra::test {

// A document loaded from Bytes in the default or the extended reading, with
// a report path beside it.
struct LoadedDocument {
    explicit LoadedDocument(const std::string& Bytes, bool Extended = false, const std::string& Name = "test.pdf")
        : File(Bytes, Name), Owner(NewAnalyst(ReadingFor(Extended))), Analyst(*Owner) {
        Analyst.LoadFromFile(File.Path());
    }
    TempFile File;
    std::unique_ptr<TPDFAnalyst> Owner;
    TPDFAnalyst& Analyst;
    const std::string Out = File.Sibling("out.txt");
};

// Two pages: a form, resources through references, Flate and hexadecimal
// streams, an indirect /Length and a /Contents array object (7, for page 6).
inline PdfBuilder TwoPageDocument(const PdfBuilder::Options& Options = {}) {
    const std::string first = Deflate("BT /F1 12 Tf (one) Tj ET /Fm0 Do");
    PdfBuilder b(Options);
    b.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    b.Set(2, "<< /Type /Pages /Kids [3 0 R 6 0 R] /Count 2 /Resources 9 0 R /MediaBox [0 0 612 792] >>");
    b.Set(3, "<< /Type /Page /Parent 2 0 R /Contents 4 0 R >>");
    b.Set(4, "<< /Length 5 0 R /Filter /FlateDecode >>\nstream\n" + first + "\nendstream");
    b.Set(5, std::to_string(first.size()));
    b.Set(6, "<< /Type /Page /Parent 2 0 R /Contents 7 0 R /Resources << /Font 10 0 R >> >>");
    b.Set(7, "[8 0 R 11 0 R]");
    b.SetStream(8, "", "0 0 m 10 10 l S");
    b.Set(9, "<< /Font 10 0 R /XObject << /Fm0 12 0 R >> >>");
    b.Set(10, "<< /F1 13 0 R >>");
    b.SetStream(11, "/Filter /ASCIIHexDecode", "42 54 20 45 54>");
    b.SetStream(12, "/Type /XObject /Subtype /Form /BBox [0 0 1 1] /Resources << /Font << /F2 13 0 R >> >>", "q Q");
    b.Set(13, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    return b;
}

// Bytes with the "endobj" of object Number overwritten, the same length so
// that the table holds: the object runs on into whatever follows it.
inline std::string WithoutEndobj(std::string Bytes, int Number) {
    Bytes.replace(Bytes.find("endobj", Bytes.find("\n" + std::to_string(Number) + " 0 obj")), 6, "xxxxxx");
    return Bytes;
}

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
