// The object check of whole files as the command line loads them: every
// cross-reference section's trailer walked, and LibreOffice's files (a
// test-only tool; skipped without it) with only their real faults.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "history/AnalystObjectSource.h"
#include "objects/ObjectChecker.h"
#include "pdf/ExtendedAnalyst.h"
#include "support/LibreOfficeDocument.h"
#include "support/PdfBuilder.h"

namespace lumerra::objects {
namespace {

using test::PdfBuilder;
using test::TempFile;
using test::TLibreOfficeKind;

struct TFileRun {
    std::vector<std::string> Findings;  // "code path key", errors and warnings
    std::vector<std::string> Errors;    // "code type key"
    TObjectStats Stats;
};

TFileRun CheckFile(const std::string& Path) {
    static const TModel model;
    TExtendedAnalyst analyst;
    analyst.LoadFromFile(Path);
    TAnalystObjectSource source(analyst);
    TObjectChecker checker(model, source, FactsOf(analyst));
    TFileRun run;
    checker.Run([&](const TObjectFinding& F) {
        if (F.Severity == TObjectSeverity::Info) return;
        run.Findings.push_back(std::string(CodeName(F.Code)) + " " + F.Path + " " + F.Key);
        if (F.Severity == TObjectSeverity::Error)
            run.Errors.push_back(std::string(CodeName(F.Code)) + " " + F.Type + " " + F.Key);
    });
    run.Stats = checker.Stats();
    return run;
}

PdfBuilder UpdatedDocument(bool Streams) {
    PdfBuilder::Options options;
    options.XrefStreams = Streams;
    options.Header = Streams ? "%PDF-1.5\n" : "%PDF-1.4\n";
    PdfBuilder b(options);
    b.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    b.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    b.Set(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << >> >>");
    b.Set(4, "<< /Title 7 >>");
    b.Root(1).TrailerExtra("/Info 4 0 R");
    b.NewRevision();
    b.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 /Rotate 90 >>");
    b.Root(1);
    return b;
}

// An update that drops the document information: the first revision's
// trailer still names it, and its fault is found there; the catalog both
// trailers name is checked once. A linearized file's main table (its
// trailer holds /Size alone) belongs to the first page's section and is
// no trailer of its own.
TEST(FileCheck, EachRevisionsTrailerIsWalked) {
    struct TCase {
        const char* Name;
        bool Streams;
        bool Linearized;
        std::vector<std::string> Findings;
        const char* Root;  // the type each trailer is checked as
        int64_t Trailers;
    };
    const std::vector<TCase> cases{
        {"tables", false, false, {"wrong-type trailer~1/Info Title"}, "FileTrailer", 2},
        {"streams", true, false, {"wrong-type trailer~1/Info Title"}, "XRefStream", 2},
        {"linearized", false, true, {}, "FileTrailer", 1},
    };
    for (const TCase& c : cases) {
        TempFile file(UpdatedDocument(c.Streams).Build());
        std::string path = file.Path();
        if (c.Linearized) {
            if (std::system("qpdf --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "qpdf is not installed";
            path = file.Sibling("linearized.pdf");
            ASSERT_EQ(std::system(("qpdf --linearize '" + file.Path() + "' '" + path + "'").c_str()), 0);
        }
        const TFileRun run = CheckFile(path);
        EXPECT_EQ(run.Findings, c.Findings) << c.Name;
        EXPECT_EQ(run.Stats.Types.at(c.Root), c.Trailers) << c.Name;
        EXPECT_EQ(run.Stats.Types.at("Catalog"), 1) << c.Name;
    }
}

// LibreOffice 7.4 writes the page's tab order as a string, /Tabs (S):
// ISO 32000-2, 7.7.3.3 (Table 31) makes /Tabs a name. That is its only
// error-level fault, in the plain file and the tagged PDF/A one alike; in
// the tagged one, each link's object reference leaves its page to its
// structure element's /Pg (14.7.5.3, Table 359) and the table cells'
// attribute objects come without revision numbers (14.7.6.1), both
// allowed.
TEST(FileCheck, LibreOfficeFilesHaveOnlyTheirRealFaults) {
    for (const TLibreOfficeKind kind : {TLibreOfficeKind::Plain, TLibreOfficeKind::Tagged}) {
        std::string why;
        const auto pdf = test::LibreOfficeDocument(kind, &why);
        if (!pdf) GTEST_SKIP() << why;
        const TFileRun run = CheckFile(*pdf);
        EXPECT_EQ(run.Errors, std::vector<std::string>{"wrong-type PageObject Tabs"});
        EXPECT_EQ(run.Stats.Findings[static_cast<size_t>(TObjectCode::NoTypeFits)] +
                      run.Stats.Findings[static_cast<size_t>(TObjectCode::TypesTie)],
                  0);
        EXPECT_EQ(run.Stats.Types.count("OutlineItem"), 1u);
        EXPECT_EQ(run.Stats.Types.count("XObjectImage"), 1u);
        EXPECT_EQ(run.Stats.Types.count("StructElem"), kind == TLibreOfficeKind::Tagged ? 1u : 0u);
    }
}

}  // namespace
}  // namespace lumerra::objects
