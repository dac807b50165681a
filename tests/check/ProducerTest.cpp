// Documents as a producer writes them give no error-level finding:
// PostScript written here, made into PDF 1.4, 1.7 and 2.0 by Ghostscript
// (a test-only tool; skipped without it). The PostScript draws text in
// several fonts, paths, dashes, clipping, images (inline ones too), a
// separation colour, a pattern, a shading and a form drawn twice. And
// LibreOffice's Writer (test-only too) from an HTML page written here.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "FindingLine.h"
#include "check/PageCheck.h"
#include "pdf/ExtendedAnalyst.h"
#include "pdf/PDFAnalyst.h"
#include "support/LibreOfficeDocument.h"
#include "support/PdfBuilder.h"

using namespace lumerra;
using namespace lumerra::test;

namespace {

const char* const PostScript = R"PS(%!PS-Adobe-3.0
/Helvetica findfont 14 scalefont setfont
72 720 moveto (Hello, content check) show
/Times-Roman findfont 10 scalefont setfont
72 700 moveto (Second font, with kerning-ish text) show
gsave 1 0 0 setrgbcolor 72 600 100 50 rectfill grestore
gsave 0 0 1 0 setcmykcolor 4 setlinewidth [6 3] 0 setdash 72 560 moveto 300 560 lineto stroke grestore
gsave newpath 200 400 50 0 360 arc closepath clip 0.5 setgray 150 350 100 100 rectfill grestore
gsave 72 300 translate 40 40 scale 4 4 8 [4 0 0 -4 0 4] {<00ff00ff ff00ff00 00ff00ff ff00ff00>} image grestore
gsave 150 300 translate 40 40 scale 2 2 8 [2 0 0 -2 0 2] {<ff0000 00ff00 0000ff ffffff>} false 3 colorimage grestore
gsave 250 300 translate 40 40 scale 8 8 true [8 0 0 -8 0 8] {<aa55aa55aa55aa55>} imagemask grestore
gsave
<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 100 0] /Function << /FunctionType 2 /Domain [0 1] /C0 [1 0 0] /C1 [0 0 1] /N 1 >> >> shfill
grestore
gsave
[/Separation (Spot) /DeviceCMYK { 0 0 0 4 -1 roll } ] setcolorspace 0.7 setcolor 72 200 100 30 rectfill
grestore
gsave
<< /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 10 10] /XStep 10 /YStep 10 /PaintProc { pop 0 0 moveto 5 0 lineto 5 5 lineto closepath fill } >> matrix makepattern setpattern
300 200 100 50 rectfill
grestore
/F << /FormType 1 /BBox [0 0 50 50] /Matrix [1 0 0 1 0 0] /PaintProc { pop 0 0 moveto 50 50 lineto stroke 5 5 moveto (form) show } >> def
gsave 400 400 translate F execform grestore
gsave 400 500 translate F execform grestore
[/Title (Marked) /OUT pdfmark
showpage
/Courier findfont 12 scalefont setfont
72 720 moveto (Page two) show
1 1 10 { 72 exch 20 mul 400 add moveto (line) show } for
showpage
)PS";

TEST(Producers, GhostscriptWritesNoErrorLevelFinding) {
    if (std::system("gs --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "Ghostscript (gs) is not installed";
    TempFile source(PostScript, "drawing.ps");
    for (const char* level : {"1.4", "1.7", "2.0"}) {
        const std::string pdf = source.Sibling(std::string("drawing-") + level + ".pdf");
        const std::string command = "gs -q -dNOPAUSE -dBATCH -sDEVICE=pdfwrite -dCompatibilityLevel=" +
                                    std::string(level) + " -sOutputFile='" + pdf + "' '" + source.Path() +
                                    "' >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        TExtendedAnalyst analyst;
        analyst.LoadFromFile(pdf);
        TIDList pages;
        analyst.GetPageList(&pages);
        ASSERT_EQ(pages.size(), 2u);
        TObjectReader reader(analyst);
        std::string errors;
        check::CheckPages(reader, pages, 1, 2, [&](const check::TPageFindings& Page) {
            for (const check::TFinding& finding : Page.Kept())
                if (finding.Severity != check::TSeverity::Info) errors += check::FormatFinding(finding) + "\n";
        });
        EXPECT_EQ(errors, "") << "PDF " << level;
    }
}

// LibreOffice's Writer: text in two fonts, a table, links, an image and
// outlines, plain and tagged.
TEST(Producers, LibreOfficeWritesNoErrorLevelFinding) {
    for (const TLibreOfficeKind kind : {TLibreOfficeKind::Plain, TLibreOfficeKind::Tagged}) {
        std::string why;
        const auto pdf = LibreOfficeDocument(kind, &why);
        if (!pdf) GTEST_SKIP() << why;
        TExtendedAnalyst analyst;
        analyst.LoadFromFile(*pdf);
        TIDList pages;
        analyst.GetPageList(&pages);
        ASSERT_EQ(pages.size(), 1u);
        TObjectReader reader(analyst);
        std::string errors;
        check::CheckPages(reader, pages, 1, 1, [&](const check::TPageFindings& Page) {
            for (const check::TFinding& finding : Page.Kept())
                if (finding.Severity != check::TSeverity::Info) errors += check::FormatFinding(finding) + "\n";
        });
        EXPECT_EQ(errors, "") << (kind == TLibreOfficeKind::Tagged ? "tagged" : "plain");
    }
}

}  // namespace
