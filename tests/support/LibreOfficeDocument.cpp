#include "support/LibreOfficeDocument.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "support/PdfBuilder.h"

namespace lumerra::test {

namespace {

const char* const Page = R"HTML(<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>Lumerra producers</title></head><body>
<h1>Chapter One</h1>
<p>Text with a <a href="https://example.org/">link out</a> and a <a href="#two">link inside</a>. Übergrößenträger.</p>
<table border="1"><tr><th>Name</th><th>Value</th></tr><tr><td>a</td><td>1</td></tr><tr><td>b</td><td>2</td></tr></table>
<p><img src="picture.bmp" width="64" height="64" alt="a picture"></p>
<h2>Section 1.1</h2><p>More text.</p>
<h1><a name="two"></a>Chapter Two</h1><p>The end.</p>
</body></html>
)HTML";

void PutLittleEndian(std::string& Out, uint32_t Value, int Bytes) {
    for (int i = 0; i < Bytes; ++i) Out += static_cast<char>((Value >> (8 * i)) & 0xff);
}

// An 8 by 8 picture as an uncompressed 24-bit BMP: a grey ramp.
std::string Picture() {
    constexpr uint32_t side = 8, row = side * 3, pixels = row * side;
    std::string bmp = "BM";
    PutLittleEndian(bmp, 54 + pixels, 4);
    PutLittleEndian(bmp, 0, 4);
    PutLittleEndian(bmp, 54, 4);
    for (const auto& [value, bytes] : {std::pair<uint32_t, int>{40, 4}, {side, 4}, {side, 4}, {1, 2}, {24, 2}, {0, 4},
                                       {pixels, 4}, {2835, 4}, {2835, 4}, {0, 4}, {0, 4}})
        PutLittleEndian(bmp, value, bytes);
    for (uint32_t y = 0; y < side; ++y)
        for (uint32_t x = 0; x < row; ++x) bmp += static_cast<char>((x / 3) * 32);
    return bmp;
}

struct TConverted {
    std::unique_ptr<TempFile> Source;
    std::optional<std::string> Pdf;
    std::string Why;
};

TConverted Convert(TLibreOfficeKind Kind) {
    TConverted converted;
    if (std::system("soffice --version >/dev/null 2>&1") != 0) {
        converted.Why = "LibreOffice (soffice) is not installed";
        return converted;
    }
    converted.Source = std::make_unique<TempFile>(Page, "producers.html");
    WriteFileBytes(converted.Source->Sibling("picture.bmp"), Picture());
    const std::string folder = converted.Source->Folder();
    const std::string filter =
        Kind == TLibreOfficeKind::Tagged
            ? R"(pdf:writer_pdf_Export:{"UseTaggedPDF":{"type":"boolean","value":"true"},"SelectPdfVersion":{"type":"long","value":"2"}})"
            : "pdf";
    // A profile of its own: no home folder needed, no other run's profile
    // locked.
    const std::string command = "cd '" + folder + "' && soffice -env:UserInstallation=file://" + folder +
                                "/profile --headless --infilter='HTML (StarWriter)' --convert-to '" + filter +
                                "' producers.html >/dev/null 2>&1 && test -s producers.pdf";
    if (std::system(command.c_str()) != 0) {
        converted.Why = "soffice did not convert: " + command;
        return converted;
    }
    converted.Pdf = converted.Source->Sibling("producers.pdf");
    return converted;
}

}  // namespace

std::optional<std::string> LibreOfficeDocument(TLibreOfficeKind Kind, std::string* Why) {
    static const TConverted plain = Convert(TLibreOfficeKind::Plain);
    static const TConverted tagged = Convert(TLibreOfficeKind::Tagged);
    const TConverted& converted = Kind == TLibreOfficeKind::Tagged ? tagged : plain;
    if (Why) *Why = converted.Why;
    return converted.Pdf;
}

}  // namespace lumerra::test
