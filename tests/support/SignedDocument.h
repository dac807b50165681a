// A document signed in its first revision, and where its revisions end:
// fixtures for what changed after signing.
#pragma once

#include <cstdio>
#include <map>
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

// What a signed document holds beyond the least: more fields, annotations,
// resources, and the signature's kind and permissions.
struct SignedExtras {
    std::string Fields = "6 0 R";      // the form's /Fields
    std::string Annots = "6 0 R";      // page 3's /Annots
    std::string Catalog;               // more catalog entries, e.g. "/Perms << /DocMDP 5 0 R >>"
    std::string Page;                  // more entries of page 3, e.g. its /Resources
    std::string SubFilter = "adbe.pkcs7.detached";
    std::string Signature;             // more entries of signature 5, e.g. its /Reference
    size_t ContentsDigits = 128;       // the hex digits of its /Contents, all 0
    std::string Field;                 // more entries of field 6, e.g. its /Lock
    std::map<int, std::string> Objects;  // more objects of the signed revision (7 and on)
    std::map<int, std::string> Streams;  // more stream objects: number and data, without a dictionary
};

// A one-page document (catalog 1, pages 2, page 3, content 4) signed in its
// first revision: signature 5, its field 6 in the catalog's form. ByteRange
// Fix changes the signed /ByteRange (a, b, c, d) before it is written.
struct SignedDocument {
    PdfBuilder Builder;
    std::vector<long long> ByteRange;  // as written

    template <class TFix>
    SignedDocument(PdfBuilder::Options Options, TFix&& Fix, SignedExtras Extras = {})
        : Builder(Options), FExtras(std::move(Extras)) {
        Builder.Set(1, "<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [" + FExtras.Fields +
                           "] /SigFlags 3 >> " + FExtras.Catalog + ">>");
        Builder.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
        Builder.Set(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R /Annots [" +
                           FExtras.Annots + "] " + FExtras.Page + ">>");
        Builder.SetStream(4, "", "BT /F1 12 Tf (signed) Tj ET");
        Builder.Set(6, "<< /FT /Sig /Type /Annot /Subtype /Widget /Rect [0 0 0 0] /P 3 0 R /T (Signature1) "
                       "/V 5 0 R " + FExtras.Field + ">>");
        for (const auto& [number, body] : FExtras.Objects) Builder.Set(number, body);
        for (const auto& [number, data] : FExtras.Streams) Builder.SetStream(number, "", data);
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
        Builder.Set(5, "<< /Type /Sig /Filter /Adobe.PPKLite /SubFilter /" + FExtras.SubFilter + " /ByteRange [" +
                           numbers + "] /Contents <" + std::string(FExtras.ContentsDigits, '0') + "> " + FExtras.Signature + ">>");
    }

    SignedExtras FExtras;
};

}  // namespace lumerra::test
