// A document signed in its first revision, and where its revisions end:
// fixtures for what changed after signing.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "support/PdfBuilder.h"

namespace lumerra::test {

// Just past each "%%EOF" and what belongs to it after.
inline std::vector<int64_t> MarkerLineEnds(const std::string& Bytes) {
    std::vector<int64_t> ends;
    for (size_t at = Bytes.find("%%EOF"); at != std::string::npos; at = Bytes.find("%%EOF", at + 1)) {
        // CR LF, or one CR, LF, space or tab, belongs to the marker.
        size_t end = at + 5;
        if (Bytes.compare(end, 2, "\r\n") == 0)
            end += 2;
        else if (end < Bytes.size() && std::string_view(" \t\r\n").find(Bytes[end]) != std::string_view::npos)
            ++end;
        ends.push_back(static_cast<int64_t>(end));
    }
    return ends;
}

// A one-page document (catalog 1, pages 2, page 3, content 4) signed in its
// first revision: signature 5, its field 6 in the catalog's form. ByteRange
// Fix changes the signed /ByteRange (a, b, c, d) before it is written.
struct SignedDocument {
    PdfBuilder Builder;
    std::vector<long long> ByteRange;  // as written

    template <class TFix>
    SignedDocument(PdfBuilder::Options Options, TFix&& Fix) : Builder(Options) {
        Builder.Set(1, "<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [6 0 R] /SigFlags 3 >> >>");
        Builder.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
        Builder.Set(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R /Annots [6 0 R] >>");
        Builder.SetStream(4, "", "BT /F1 12 Tf (signed) Tj ET");
        Builder.Set(6, "<< /FT /Sig /Type /Annot /Subtype /Widget /Rect [0 0 0 0] /P 3 0 R /T (Signature1) "
                       "/V 5 0 R >>");
        SetSignature({0, 0, 0, 0});
        const std::string first = Builder.Build();
        const size_t open = first.find("/Contents <") + 10;
        const size_t close = first.find('>', open) + 1;
        const long long end = MarkerLineEnds(first).front();
        ByteRange = {0, static_cast<long long>(open), static_cast<long long>(close),
                     end - static_cast<long long>(close)};
        Fix(ByteRange);
        SetSignature(ByteRange);
    }

private:
    void SetSignature(const std::vector<long long>& Range) {
        // Fixed widths: the numbers do not move a byte.
        char numbers[64];
        std::snprintf(numbers, sizeof numbers, "%010lld %010lld %010lld %010lld", Range[0], Range[1], Range[2],
                      Range[3]);
        Builder.Set(5, std::string("<< /Type /Sig /Filter /Adobe.PPKLite /SubFilter /adbe.pkcs7.detached ") +
                           "/ByteRange [" + numbers + "] /Contents <" + std::string(128, '0') + "> >>");
    }
};

}  // namespace lumerra::test
