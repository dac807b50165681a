// Hostile content for the content check: deep nesting, millions of operands
// and findings, an inline image without its end, forms that draw each other.
// Each case ends in its child process with bounded findings, in memory that
// follows the decoded stream, not the number of tokens.
#include <gtest/gtest.h>

#include <string>

#include "check/PageCheck.h"
#include "hostile/HostileDocuments.h"
#include "pdf/ExtendedAnalyst.h"
#include "support/PdfBuilder.h"

using namespace lumerra;
using namespace lumerra::test;

namespace {

constexpr int64_t MiB = 1024 * 1024;

// "kept K, omitted O, errors E" over every page of Bytes.
std::string Checked(const std::string& Bytes) {
    TempFile file(Bytes);
    TExtendedAnalyst analyst;
    analyst.LoadFromFile(file.Path());
    TIDList pages;
    analyst.GetPageList(&pages);
    TObjectReader reader(analyst);
    int64_t kept = 0, omitted = 0, errors = 0;
    check::CheckPages(reader, pages, 1, static_cast<int32_t>(pages.size()), [&](const check::TPageFindings& Page) {
        kept += static_cast<int64_t>(Page.Kept().size());
        omitted += Page.Omitted();
        errors += Page.Count(check::TSeverity::Error);
    });
    return "kept " + std::to_string(kept) + ", omitted " + std::to_string(omitted) + ", errors " +
           std::to_string(errors);
}

std::string OnePage(const std::string& Content) {
    return PdfBuilder::SimpleDocument({""}).SetStream(4, "/Filter /FlateDecode", Deflate(Content)).Build();
}

// Form n draws form n + 1, and the last one draws the first: a chain longer
// than forms are followed, closed into a loop.
std::string FormsInALoop() {
    PdfBuilder b = PdfBuilder::SimpleDocument({"/X10 Do"}, "<< /XObject << /X10 10 0 R >> >>");
    constexpr int Forms = 200;
    for (int n = 10; n < 10 + Forms; ++n) {
        const int next = n + 1 < 10 + Forms ? n + 1 : 10;
        b.SetStream(n, "/Subtype /Form /BBox [0 0 1 1] /Resources << /XObject << /X" + std::to_string(next) + " " +
                           std::to_string(next) + " 0 R >> >>",
                    "q /X" + std::to_string(next) + " Do Q Q");
    }
    return b.Build();
}

TEST(HostileCheck, FloodsOfTokensEndWithBoundedFindings) {
    struct TCase {
        const char* Name;
        std::string Content;  // of the one page
        std::string Expected;
        std::string Bytes = "";  // the document, where it is not the one page
    };
    const TCase cases[] = {
        {"ten million q", Repeat("q ", 10'000'000), "kept 2, omitted 0, errors 1"},
        {"five million Q", Repeat("Q ", 5'000'000), "kept 200, omitted 4999800, errors 5000000"},
        {"ten million operands", Repeat("1 ", 10'000'000) + "m", "kept 1, omitted 0, errors 1"},
        {"an array five million deep", Repeat("[", 5'000'000), "kept 1, omitted 0, errors 1"},
        {"an inline image without EI", "BI /W 1 /H 1 /BPC 8 /CS /G /F /Fl ID " + Repeat("EIx E I ", 2'000'000),
         "kept 1, omitted 0, errors 1"},
        // One "Q without q" in each form followed (the page and 32 levels).
        {"forms in a loop", "", "kept 32, omitted 0, errors 32", FormsInALoop()},
    };
    const int64_t baseline = BaselineKiB();
    for (const TCase& c : cases) {
        const std::string bytes = c.Bytes.empty() ? OnePage(c.Content) : c.Bytes;
        const TCaseOutcome outcome = RunCase(std::string("check: ") + c.Name, [&] { return Checked(bytes); });
        EXPECT_EQ(outcome.Kind, TCaseOutcome::TKind::Report) << c.Name << ": " << outcome.Failure;
        EXPECT_EQ(outcome.Text, c.Expected) << c.Name;
        // The decoded stream itself, and little more.
        EXPECT_LT((outcome.PeakKiB - baseline) * 1024, static_cast<int64_t>(c.Content.size()) + 64 * MiB) << c.Name;
    }
}

}  // namespace
