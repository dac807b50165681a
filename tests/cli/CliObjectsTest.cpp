// "lumerra check --objects": the object check's lines, JSON Lines and
// counts, how it combines with the content check, and what it finds in
// files written by real producers (Ghostscript and pdfTeX, test-only tools;
// skipped without them).
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/CliRun.h"
#include "cli/CliTools.h"
#include "support/PdfBuilder.h"

using namespace lumerra::test;

namespace {

// A one-page file whose page tree lacks /Count and whose catalog has a key
// the model does not know; its content draws with an undeclared font.
std::string Faulty() {
    PdfBuilder::Options options;
    options.Header = "%PDF-1.7\n";
    PdfBuilder b(options);
    b.Set(1, "<< /Type /Catalog /Pages 2 0 R /Colour /Blue >>");
    b.Set(2, "<< /Type /Pages /Kids [3 0 R] >>");
    b.Set(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R /Resources << >> >>");
    b.SetStream(4, "", "BT /F9 12 Tf (a) Tj ET");
    return b.Build();
}

TEST(CliObjects, LinesJsonAndStatsTellTheSameFindings) {
    TempFile file(Faulty());
    const std::string& f = file.Path();
    Launch english;
    english.Locale = {"LANG=C.UTF-8"};
    const RunResult text = RunCli({"check", "--objects", f}, english);
    EXPECT_EQ(text.ExitCode, 3) << text.Err;
    const std::vector<std::string> expected = {
        f + ": object 1, path trailer/Root, key Colour, type Catalog: info unknown-key: The key Colour is not "
            "defined for Catalog.",
        f + ": object 2, path trailer/Root/Pages, key Count, type PageTreeNodeRoot: error missing-key: The "
            "required key Count is missing.",
        f + ": error 1, warning 0, info 1",
    };
    EXPECT_EQ(Lines(text.Out), expected) << text.Out;

    const RunResult json = RunCli({"check", "--objects", "--json", "--stats", f});
    EXPECT_EQ(json.ExitCode, 3);
    const std::vector<std::string> lines = Lines(json.Out);
    ASSERT_EQ(lines.size(), 4u) << json.Out;
    const auto missing = nlohmann::json::parse(lines[1]);
    EXPECT_EQ(missing["check"], "objects");
    EXPECT_EQ(missing["object"], 2);
    EXPECT_EQ(missing["path"], "trailer/Root/Pages");
    EXPECT_EQ(missing["key"], "Count");
    EXPECT_EQ(missing["type"], "PageTreeNodeRoot");
    EXPECT_TRUE(missing["version"].is_null());
    EXPECT_EQ(missing["severity"], "error");
    EXPECT_EQ(missing["code"], "missing-key");
    EXPECT_EQ(missing["message-code"], "object-key-missing");
    const auto stats = nlohmann::json::parse(lines[3])["stats"];
    EXPECT_EQ(stats["findings"]["missing-key"], 1);
    EXPECT_EQ(stats["findings"]["unknown-key"], 1);
    EXPECT_EQ(stats["types"]["PageObject"], 1);
    EXPECT_GT(stats["objects-checked"], 4);
    EXPECT_GT(stats["predicates"]["evaluated"], 0);

    const RunResult statsText = RunCli({"check", "--objects", "--stats", f});
    EXPECT_NE(statsText.Out.find(f + ": objects checked "), std::string::npos) << statsText.Out;
    EXPECT_NE(statsText.Out.find(f + ": predicates evaluated "), std::string::npos) << statsText.Out;
}

// The content check stays the default and its output unchanged; both
// together tell both, counted in one line.
TEST(CliObjects, ContentStaysTheDefaultAndBothCombine) {
    TempFile file(Faulty());
    const std::string& f = file.Path();
    const RunResult content = RunCli({"check", f});
    EXPECT_EQ(RunCli({"check", "--content", f}).Out, content.Out);
    EXPECT_EQ(content.Out.find("type "), std::string::npos) << content.Out;
    const RunResult both = RunCli({"check", "--content", "--objects", f});
    EXPECT_EQ(both.ExitCode, 3);
    const std::vector<std::string> lines = Lines(both.Out);
    ASSERT_EQ(lines.size(), Lines(content.Out).size() + 2) << both.Out;
    EXPECT_NE(lines[0].find("undeclared-resource"), std::string::npos) << both.Out;
    EXPECT_NE(lines[2].find("missing-key"), std::string::npos) << both.Out;
    EXPECT_EQ(lines.back(), f + ": error 2, warning 0, info 1");
}

// Findings per code ("code severity" -> count), errors with their type and
// key, of one file.
struct TProducerRun {
    std::map<std::string, int> Codes;
    std::vector<std::string> Errors;
};

TProducerRun CheckObjects(const std::string& Path) {
    const RunResult run = RunCli({"check", "--objects", "--json", Path});
    TProducerRun result;
    for (const std::string& line : Lines(run.Out)) {
        const auto json = nlohmann::json::parse(line);
        if (!json.contains("code")) continue;
        ++result.Codes[json["code"].get<std::string>()];
        if (json["severity"] == "error")
            result.Errors.push_back(json["code"].get<std::string>() + " " + json["type"].get<std::string>() + " " +
                                    json["key"].get<std::string>());
    }
    return result;
}

const char* const PostScript = R"PS(%!PS
[ /Title (Chapter One) /Page 1 /OUT pdfmark
[ /Title (Chapter Two) /Page 2 /OUT pdfmark
[ /Rect [70 690 200 720] /Border [0 0 1] /Page 2 /View [/XYZ null null null] /Subtype /Link /ANN pdfmark
[ /Rect [70 600 200 630] /Action << /Subtype /URI /URI (https://example.org/) >> /Subtype /Link /ANN pdfmark
[ /Rect [300 600 400 650] /Contents (A note) /Subtype /Text /Open true /ANN pdfmark
[ /Dest /there /Page 2 /View [/Fit] /DEST pdfmark
[ /Title (Doc) /Author (Me) /DOCINFO pdfmark
/Helvetica findfont 24 scalefont setfont
72 700 moveto (Link to page two) show
gsave 300 300 translate 100 100 scale
8 8 8 [8 0 0 8 0 0] {<00ff00ff00ff00ff00ff00ff00ff00ff00ff00ff00ff00ff00ff00ff00ff00ff>} image grestore
<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 100 0] /Function << /FunctionType 2 /Domain [0 1] /C0 [1 0 0] /C1 [0 0 1] /N 1 >> >> shfill
[/Separation (Spot) /DeviceCMYK { 0 0 0 4 -1 roll } ] setcolorspace 0.7 setcolor 72 200 100 30 rectfill
showpage
/Times-Roman findfont 12 scalefont setfont
72 700 moveto (Page two) show
showpage
)PS";

// Ghostscript's files at three versions: their only error is a real fault
// of the 2.0 file. ISO 32000-2, 12.5.2 (Table 166): from PDF 2.0 an
// annotation needs /AP unless its /Rect has no width and height or it is a
// Popup, Link or Projection annotation; Ghostscript writes the text
// annotation without one.
TEST(CliObjects, GhostscriptFilesHaveOnlyTheirRealFaults) {
    if (!HaveTool("gs")) GTEST_SKIP() << "Ghostscript (gs) is not installed";
    TempFile source(PostScript, "objects.ps");
    const std::map<std::string, std::vector<std::string>> expected{
        {"1.4", {}}, {"1.7", {}}, {"2.0", {"missing-key AnnotText AP"}}};
    for (const auto& [level, errors] : expected) {
        const std::string pdf = source.Sibling("objects-" + level + ".pdf");
        const std::string command = "gs -q -dNOPAUSE -dBATCH -sDEVICE=pdfwrite -dCompatibilityLevel=" + level +
                                    " -sOutputFile='" + pdf + "' '" + source.Path() + "' >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const TProducerRun run = CheckObjects(pdf);
        EXPECT_EQ(run.Errors, errors) << level;
        EXPECT_EQ(run.Codes.count("no-type-fits") + run.Codes.count("types-tie"), 0u) << level;
    }
}

// pdfTeX's file with hyperref's links, outlines and named destinations, and
// an image: no error at all.
TEST(CliObjects, PdfTeXFilesHaveNoError) {
    if (!HaveTool("pdflatex")) GTEST_SKIP() << "pdflatex is not installed";
    if (std::system("kpsewhich hyperref.sty >/dev/null 2>&1") != 0) GTEST_SKIP() << "hyperref is not installed";
    TempFile source(R"TEX(\documentclass{article}
\usepackage{hyperref}
\begin{document}
\tableofcontents
\section{One}\label{one}
See \ref{two} and \url{https://example.org}.\footnote{A note.}
\newpage
\section{Two}\label{two}
Back to \ref{one}.
\end{document}
)TEX",
                    "objects.tex");
    const std::string folder = source.Sibling("");
    const std::string command = "cd '" + folder + "' && for i in 1 2; do pdflatex -interaction=batchmode objects.tex "
                                                  ">/dev/null 2>&1; done; test -s objects.pdf";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const TProducerRun run = CheckObjects(source.Sibling("objects.pdf"));
    EXPECT_TRUE(run.Errors.empty()) << (run.Errors.empty() ? "" : run.Errors.front());
    EXPECT_EQ(run.Codes.count("no-type-fits") + run.Codes.count("types-tie"), 0u);
}

}  // namespace
