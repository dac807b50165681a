// The check of whole pages: /Contents as one sequence, inherited resources,
// forms with and without their own resources, unused resources, and
// colour spaces read from the document.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FindingLine.h"
#include "check/PageCheck.h"
#include "check/ResourceReader.h"
#include "pdf/ExtendedAnalyst.h"
#include "pdf/PDFAnalyst.h"
#include "support/PdfBuilder.h"

using namespace lumerra;
using namespace lumerra::check;
using namespace lumerra::test;

namespace {

// Every finding of every page as FormatFinding writes it; with
// TellFaults, the streams that could not be decoded too.
std::vector<std::string> Check(const std::string& Bytes, bool TellFaults = false) {
    TempFile file(Bytes);
    TExtendedAnalyst analyst;
    analyst.LoadFromFile(file.Path());
    TIDList pages;
    analyst.GetPageList(&pages);
    TObjectReader reader(analyst);
    std::vector<std::string> lines;
    const auto fault = [&](int32_t Page, int32_t Object, const TMessage&) {
        lines.push_back("fault on page " + std::to_string(Page) + ", object " + std::to_string(Object));
    };
    CheckPages(
        reader, pages, 1, static_cast<int32_t>(pages.size()),
        [&](const TPageFindings& Page) {
            for (const TFinding& finding : Page.Kept()) lines.push_back(FormatFinding(finding));
        },
        nullptr, TellFaults ? TStreamFaultProc(fault) : TStreamFaultProc());
    return lines;
}

PdfBuilder Document() {
    PdfBuilder b;
    b.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    // Resources inherited from the page tree's root.
    b.Set(2, "<< /Type /Pages /Kids [3 0 R 8 0 R] /Count 2 /Resources << /Font << /F1 9 0 R /F3 9 0 R >> "
             "/XObject << /Fm0 6 0 R /Fm1 7 0 R >> /ColorSpace << /CS0 [/ICCBased 10 0 R] >> >> >>");
    b.Set(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 10 10] /Contents [4 0 R 5 0 R] >>");
    // q in the first stream, Q in the second: one sequence.
    b.SetStream(4, "", "q BT /F1 1 Tf ET /CS0 cs 1 0 0");
    b.SetStream(5, "/Filter /ASCIIHexDecode", "2073632051202F466D3020446F>");  // " sc Q /Fm0 Do"
    // A form with its own resources, drawing a form without any (which
    // takes the page's) and itself.
    b.SetStream(6, "/Type /XObject /Subtype /Form /BBox [0 0 1 1] /Resources << /Font << /F2 9 0 R /F4 9 0 R >> "
                   "/XObject << /Fm1 7 0 R /Fm0 6 0 R >> >>",
                "BT /F2 1 Tf /F1 1 Tf ET /Fm1 Do /Fm0 Do");
    b.SetStream(7, "/Type /XObject /Subtype /Form /BBox [0 0 1 1]", "BT /F1 1 Tf ET Q");
    b.Set(8, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 10 10] /Contents 11 0 R >>");
    b.Set(9, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    b.SetStream(10, "/N 3", "icc");
    b.SetStream(11, "", "BT /F1 1 Tf ET");
    return b;
}

TEST(PageCheck, PagesAndFormsAreCheckedAgainstTheResourcesInForce) {
    const std::vector<std::string> expected = {
        // Form 6: /F1 is the page's, not the form's.
        "page 1, object 6, form Fm0, offset 18, operand-offset 12: error undeclared-resource (Tf): リソース /Font に /F1 が宣言されていません。",
        // Form 7 has no resources and uses the page's; its Q is its own.
        "page 1, object 7, form Fm1, offset 15: error save-restore (Q): 対応する q のない Q です。",
        "page 1, object 6, form Fm0: info unused-resource: リソース /Font の /F4 は使われていません。",
        "page 1: info unused-resource: リソース /Font の /F3 は使われていません。",
        // Fm1 is drawn by Fm0 through its own resources, not the page's.
        "page 1: info unused-resource: リソース /XObject の /Fm1 は使われていません。",
        "page 2: info unused-resource: リソース /Font の /F3 は使われていません。",
        "page 2: info unused-resource: リソース /XObject の /Fm0 は使われていません。",
        "page 2: info unused-resource: リソース /XObject の /Fm1 は使われていません。",
        "page 2: info unused-resource: リソース /ColorSpace の /CS0 は使われていません。",
    };
    EXPECT_EQ(Check(Document().Build()), expected);
}

// A form drawn on every page is checked on every page, and what went
// wrong decoding it is told on every page too.
TEST(PageCheck, AFormSharedByPagesIsToldOnEachPage) {
    PdfBuilder b;
    b.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    b.Set(2, "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 /Resources << /XObject << /Fm0 6 0 R /Fm1 7 0 R >> >> >>");
    b.Set(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 1 1] /Contents 5 0 R >>");
    b.Set(4, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 1 1] /Contents 5 0 R >>");
    b.SetStream(5, "", "/Fm0 Do /Fm1 Do");
    b.SetStream(6, "/Type /XObject /Subtype /Form /BBox [0 0 1 1] /Filter /FlateDecode", Deflate("Q"));
    b.SetStream(7, "/Type /XObject /Subtype /Form /BBox [0 0 1 1] /Filter /FlateDecode", "not compressed");
    const std::vector<std::string> told = Check(b.Build(), true);
    const std::vector<std::string> expected = {
        "fault on page 1, object 7",
        "page 1, object 6, form Fm0, offset 0: error save-restore (Q): 対応する q のない Q です。",
        "page 1, object 7, form Fm1, offset 0: error unchecked: ストリームを検査していません（flate圧縮を正常に展開できませんでした。）。",
        "fault on page 2, object 7",
        "page 2, object 6, form Fm0, offset 0: error save-restore (Q): 対応する q のない Q です。",
        "page 2, object 7, form Fm1, offset 0: error unchecked: ストリームを検査していません（flate圧縮を正常に展開できませんでした。）。",
    };
    EXPECT_EQ(told, expected);
}

TEST(PageCheck, ColourSpacesTellTheirComponents) {
    PdfBuilder b;
    b.Set(1, "[/ICCBased 2 0 R]");
    b.SetStream(2, "/N 4", "icc");
    b.Set(3, "[/DeviceN [/A /B] /DeviceCMYK 4 0 R]");
    b.Set(4, "<< >>");
    b.Set(5, "<< /Type /Catalog /Pages 6 0 R >>");
    b.Set(6, "<< /Type /Pages /Kids [7 0 R] /Count 1 >>");
    b.Set(7, "<< /Type /Page /Parent 6 0 R /MediaBox [0 0 1 1] >>");
    b.Root(5);
    TempFile file(b.Build());
    TExtendedAnalyst analyst;
    analyst.LoadFromFile(file.Path());
    TObjectReader reader(analyst);
    const auto components = [&](const std::string& Space) {
        return ReadColourSpace(reader, std::make_shared<const TValue>(*ParseValue(
                                           {reinterpret_cast<const uint8_t*>(Space.data()), Space.size()})));
    };
    EXPECT_EQ(components("1 0 R").Components, 4);
    EXPECT_EQ(components("3 0 R").Components, 2);
    EXPECT_EQ(components("[/Indexed /DeviceRGB 255 <00>]").Components, 1);
    EXPECT_EQ(components("[/Lab << >>]").Components, 3);
    EXPECT_EQ(components("/DeviceCMYK").Components, 4);
    EXPECT_EQ(components("[/Pattern /DeviceRGB]").PatternComponents, 3);
    EXPECT_TRUE(components("/Pattern").Pattern);
    EXPECT_EQ(components("[/Unheard]").Components, -1);
}

// Documents as real producers write them, and damaged ones: each page's
// findings, with the parts split between tokens, resources that are not what
// they claim, coloured patterns and streams that cannot be decoded.
TEST(PageCheck, RealContentsAndDamagedResources) {
    struct TCase {
        const char* What;
        std::string Contents;  // of page 3
        std::vector<std::pair<std::string, std::string>> Streams;  // objects 4, 5: dictionary and data
        std::vector<std::string> Expected;
    };
    const std::vector<TCase> cases = {
        {"parts split inside an array and a dictionary",
         "[4 0 R 5 0 R]",
         {{"", "q [3"}, {"", "] 0 d /Tag <</MCID 1 >>BDC BT /F1 1 Tf (a) Tj ET EMC /CS1 cs /P1 scn Q"}},
         {"page 1: info unused-resource: リソース /Font の /F2 は使われていません。",
          "page 1: info unused-resource: リソース /Font の /F3 は使われていません。"}},
        {"resources that cannot be read or have the wrong type",
         "4 0 R",
         {{"", "BT /F2 1 Tf /F3 1 Tf /F1 1 Tf ET /CS1 cs /P1 scn"}},
         {"page 1, object 4, offset 9, operand-offset 3: error bad-resource (Tf): リソース /Font の /F2 が指すオブジェクト 9 を読めません。",
          "page 1, object 4, offset 18, operand-offset 12: error bad-resource (Tf): リソース /Font の /F3 の型が違います（integer）。"}},
        {"a stream whose filter is unknown keeps the page's names from being called unused",
         "4 0 R",
         {{"/Filter /PlateDecode", "BT /F1 1 Tf (a) Tj ET"}},
         {"page 1, object 4: error unchecked: フィルタ /PlateDecode を展開できないため、ストリームを検査していません。"}},
    };
    for (const TCase& c : cases) {
        PdfBuilder b;
        b.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
        b.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
        b.Set(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 1 1] /Contents " + c.Contents +
                     " /Resources << /Font << /F1 6 0 R /F2 9 0 R /F3 19 >> /Pattern << /P1 7 0 R >>"
                     " /ColorSpace << /CS1 [/Pattern /DeviceRGB] >> >> >>");
        for (size_t i = 0; i < c.Streams.size(); ++i)
            b.SetStream(4 + static_cast<int>(i), c.Streams[i].first, c.Streams[i].second);
        b.Set(6, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
        b.SetStream(7, "/PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 1 1] /XStep 1 /YStep 1 /Resources << >>",
                    "0 0 1 1 re f");
        b.Set(9, "<< /Type /Font /Subtype");  // cut short: not an object
        EXPECT_EQ(Check(b.Build()), c.Expected) << c.What;
    }
}

// The streams that draw besides the page's content: a tiling pattern's
// cell, a soft mask's group and each appearance of each annotation, each
// against its own resources and named by its kind.
TEST(PageCheck, PatternsSoftMasksAndAppearancesAreChecked) {
    PdfBuilder b;
    b.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    b.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    b.Set(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 1 1] /Contents 4 0 R /Annots [8 0 R]"
             " /Resources << /Pattern << /P1 5 0 R >> /ExtGState << /GS1 << /SMask << /S /Alpha /G 6 0 R >> >> >>"
             " /Font << /T3 << /Type /Font /Subtype /Type3 /CharProcs << /a 9 0 R /b 10 0 R >> >> >> >> >>");
    // Type 3 glyphs: d0 or d1 first, and only there.
    b.SetStream(9, "", "1 0 0 0 1 1 d1 0 0 1 1 re f");
    b.SetStream(10, "", "0 0 1 1 re f 0 0 d0");
    b.SetStream(4, "", "/P1 scn /GS1 gs");
    b.SetStream(5, "/PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 1 1] /XStep 1 /YStep 1 /Resources << >>",
                "/R41 Do");
    b.SetStream(6, "/Type /XObject /Subtype /Form /BBox [0 0 1 1] /Group << /S /Transparency >>", "Q");
    b.SetStream(7, "/Type /XObject /Subtype /Form /BBox [0 0 1 1]", "(a) Tj");
    b.Set(8, "<< /Type /Annot /Subtype /Widget /Rect [0 0 1 1] /AP << /N << /On 7 0 R >> >> >>");
    const std::vector<std::string> expected = {
        "page 1, object 4, offset 4, operand-offset 0: error operand-type (scn): パターンの名前はパターン色空間でしか使えません。",
        "page 1, object 5, stream pattern /P1, offset 5, operand-offset 0: error undeclared-resource (Do): リソース /XObject に /R41 が宣言されていません。",
        "page 1, object 10, stream glyph /T3 /b, offset 8: error operator-placement (re): グリフの手続きは d0 か d1 で始まらなければなりません。",
        "page 1, object 10, stream glyph /T3 /b, offset 17: error operator-placement (d0): d0・d1 はグリフの手続きの最初にしか置けません。",
        "page 1, object 6, stream soft-mask /GS1, offset 0: error save-restore (Q): 対応する q のない Q です。",
        "page 1, object 7, stream annotation 8 /N /On, offset 4: error operator-placement (Tj): フォントが設定されていません（文字を表示する前に Tf が要ります）。",
        "page 1, object 7, stream annotation 8 /N /On, offset 4: error text-outside-text-object (Tj): テキストオブジェクト（BT から ET まで）の外では使えません。",
        // The page's scn failed before naming the pattern.
        "page 1: info unused-resource: リソース /Font の /T3 は使われていません。",
        "page 1: info unused-resource: リソース /Pattern の /P1 は使われていません。",
    };
    EXPECT_EQ(Check(b.Build()), expected);
}

}  // namespace
