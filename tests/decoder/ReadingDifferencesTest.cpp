// Where extended reading reads a file differently from the default reading:
// the default reading's byte-scanning dialect misreads these shapes, and
// extended reading follows what the file says. Each row is one line of the
// table in docs/extended-reading.md.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decoder/PDFLumerra.h"
#include "pdf/ExtendedAnalyst.h"
#include "support/DecoderEncoders.h"
#include "support/FilterFixtures.h"
#include "support/PdfBuilder.h"
#include "support/ReportSupport.h"

using namespace lumerra;
using namespace lumerra::test;

namespace {

std::string Report(const std::string& Bytes, bool Extended, bool WithComments = true) {
    return ReportOfBytes(Bytes, Extended, WithComments);
}

// The report's telling lines, joined by " | ": the resource lists that are
// not empty, the heads of the form and content sections and the decoded
// text, without the page's "%  Page 1/1 - " and "%  Used ".
std::string Digest(const std::string& Report) {
    if (Report.rfind("error", 0) == 0) return Report;
    std::string digest;
    size_t start = 0;
    while (start < Report.size()) {
        size_t end = Report.find('\n', start);
        if (end == std::string::npos) end = Report.size();
        std::string line = Report.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string kept;
        if (line.rfind("%  Used ", 0) == 0 && line.find("[]") == std::string::npos && line.find("Filter") == std::string::npos)
            kept = line.substr(8);
        else if (line.rfind("%  Page 1/1 - ", 0) == 0 && line != "%  Page 1/1 - Resource")
            kept = line.substr(14);
        else if (!line.empty() && line[0] != '%')
            kept = line;
        if (!kept.empty()) digest += (digest.empty() ? "" : " | ") + kept;
    }
    return digest;
}

const std::string Font = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>";

PdfBuilder WithResources(const std::string& Resources, const std::string& Content = "BT ET") {
    PdfBuilder b = PdfBuilder::SimpleDocument({Content}, Resources);
    b.Set(5, Font);
    return b;
}

}  // namespace

TEST(ReadingDifferences, EachShapeAsTheDefaultReadsItAndAsTheFileSaysIt) {
    const std::string text = "BT /F1 12 Tf (filtered) Tj ET";
    const std::string image = "/Type /XObject /Subtype /Image /Width 1 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray";
    const std::string form = "/Type /XObject /Subtype /Form /BBox [0 0 1 1]";
    const std::string body = WithResources("<< /Font << /F1 5 0 R >> >>").Build();
    const std::string afterHeader = body.substr(body.find('\n') + 1);
    const std::string notPdf = "error: このファイルはPDFファイルではありません。";
    const std::string bodyRead = "Font       : [ /F1 ] | Contents 1/1 | BT ET";
    struct Case {
        const char* Shape;
        std::string Bytes, Default, Extended;
    };
    const std::vector<Case> cases = {
        {"graphics states written inline (TikZ, cairo)",
         WithResources("<< /ExtGState << /a0 << /CA 1 /ca 1 >> >> /Font << /f-0-0 5 0 R >> >>").Build(),
         "ExtGState  : [ /ca ] | Contents 1/1 | BT ET",
         "Font       : [ /f-0-0 ] | ExtGState  : [ /a0 ] | Contents 1/1 | BT ET"},
        {"direct annotations with /Contents before the page's own (FPDF)",
         WithResources("<< /Font << /F1 5 0 R >> >>")
             .Set(3, "<< /Type /Page /Parent 2 0 R /Annots [<< /Type /Annot /Subtype /Text /Rect [0 0 1 1] "
                     "/Contents (note) >>] /Contents 4 0 R /Resources << /Font << /F1 5 0 R >> >> >>").Build(),
         "Font       : [ /F1 ]", bodyRead},
        {"a category entry whose value is a name",
         WithResources("<< /ColorSpace << /CS0 /DeviceRGB /CS1 6 0 R >> >>").Set(6, "[/ICCBased 5 0 R]").Build(),
         "Contents 1/1 | BT ET", "ColorSpace : [ /CS0  /CS1 ] | Contents 1/1 | BT ET"},
        {"a category object holding font dictionaries",
         WithResources("<< /Font 6 0 R >>")
             .Set(6, "<< /F1 << /Type /Font /Subtype /TrueType /LastChar 5 /FontDescriptor 5 0 R >> >>").Build(),
         "Font       : [ /FontDescriptor ] | Contents 1/1 | BT ET", bodyRead},
        {"a name with a #xx escape", WithResources("<< /XObject << /#49m3 6 0 R >> >>").SetStream(6, image, "x").Build(),
         "XObject    : [ /#49m3 ] | Contents 1/1 | BT ET", "XObject    : [ /Im3 ] | Contents 1/1 | BT ET"},
        {"one form under two names", WithResources("<< /XObject << /Fm0 6 0 R /Fm1 6 0 R >> >>").SetStream(6, form, "q Q").Build(),
         "XObject    : [ /Fm0  /Fm1 ] | XObject Resource ( /Fm0 = SubType is Form) | q Q | "
         "XObject Resource ( /Fm1 = SubType is Form) | q Q | Contents 1/1 | BT ET",
         "XObject    : [ /Fm0  /Fm1 ] | XObject Resource ( /Fm0 = SubType is Form) | q Q | Contents 1/1 | BT ET"},
        {"Flate with a PNG predictor",
         PdfBuilder::SimpleDocument({""}).SetStream(
             4, "/Filter /FlateDecode /DecodeParms << /Predictor 12 /Columns 8 >>",
             Deflate(EncodePNG(text, 8, 1, {0, 1, 2, 3, 4}))).Build(),
         "Contents 1/1 | " + EncodePNG(text, 8, 1, {0, 1, 2, 3, 4}), "Contents 1/1 | " + text},
        {"three text and Flate filters",
         PdfBuilder::SimpleDocument({""})
             .SetStream(4, "/Filter [/ASCIIHexDecode /ASCII85Decode /FlateDecode]", EncodeHex(EncodeASCII85(Deflate(text))) + ">")
             .Build(),
         "Contents 1/1", "Contents 1/1 | " + text},
        {"null and missing entries and content streams",
         WithResources("<< /Font << /F1 5 0 R /F8 null /F9 6 0 R >> >>")
             .Set(3, "<< /Type /Page /Parent 2 0 R /Contents [4 0 R 6 0 R null] /Resources << /Font << /F1 5 0 R "
                     "/F8 null /F9 6 0 R >> >> >>")
             .Set(6, "null").Build(),
         "Font       : [ /F1 ] | Contents 1/2 | BT ET | Contents 2/2",
         bodyRead},
        {"a page written in place in /Kids, inheriting from the node that lists it",
         WithResources("<< >>").Set(2, "<< /Type /Pages /Count 1 /Resources << /Font << /F1 5 0 R >> >> /Kids "
                                       "[<< /Type /Page /Contents 4 0 R >>] >>").Build(),
         "error: オブジェクトIDが不正です。", bodyRead},
        {"junk before the header", "Content-Type: application/pdf\r\n\r\n" + body, notPdf, bodyRead},
        {"a header without a minor version", "%PDF-1.\n" + afterHeader, notPdf, bodyRead},
        {"no header", afterHeader, notPdf, bodyRead},
        {"no PDF at all", "GIF89a" + std::string(2000, 'x'), notPdf, notPdf},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Digest(Report(c.Bytes, false)), c.Default) << c.Shape;
        EXPECT_EQ(Digest(Report(c.Bytes, true)), c.Extended) << c.Shape;
    }
}

// "endstream" after any white space or a comment: extended reading finds it
// with the one tokenizer, in a content stream and in a cross-reference
// stream alike; the default reading takes only a line end or spaces, and
// otherwise decodes nothing.
TEST(ReadingDifferences, WhiteSpaceAndCommentsBeforeEndstream) {
    const std::string text = "BT /F1 12 Tf (bounded) Tj ET";
    const std::string data = Deflate(text);
    struct Case {
        std::string Before;
        bool DefaultDecodes;
    };
    const std::vector<Case> cases = {
        {"\n", true},  {"\r\n", true},  {" ", true}, {"\t", false}, {"\f", false}, {std::string(1, '\0'), false},
        {"% a comment\n", false}, {"\n\t%%\r", false},
    };
    for (const Case& c : cases) {
        PdfBuilder content = PdfBuilder::SimpleDocument({""});
        content.Set(4, "<< /Length " + std::to_string(data.size()) + " /Filter /FlateDecode >>\nstream\n" + data +
                           c.Before + "endstream");
        const std::string bytes = content.Build();
        EXPECT_EQ(Digest(Report(bytes, false)), c.DefaultDecodes ? "Contents 1/1 | " + text : "Contents 1/1")
            << c.Before;
        EXPECT_EQ(Digest(Report(bytes, true)), "Contents 1/1 | " + text) << c.Before;

        // The same before the cross-reference stream's "endstream": read as
        // it is, not rebuilt.
        PdfBuilder::Options options;
        options.XrefStreams = true;
        PdfBuilder structure(options);
        structure.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
        structure.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
        structure.Set(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 10 10] /Contents 4 0 R >>");
        structure.SetStream(4, "/Filter /FlateDecode", data);
        std::string withStreams = structure.Build();
        const size_t end = withStreams.rfind("\nendstream");
        withStreams.replace(end, 1, c.Before);
        LoadedDocument doc(withStreams, true);
        EXPECT_FALSE(doc.Analyst.Repaired()) << c.Before;
        std::string report;
        DecodeAllPages(doc.Analyst, false, report);
        EXPECT_EQ(report.find(text) != std::string::npos, true) << c.Before << report;
    }
}
