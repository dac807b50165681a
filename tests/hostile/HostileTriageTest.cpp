// Triage of files built to hurt it: millions of names, escapes and end
// markers in the raw bytes, a word longer than any keyword, an object that
// is nothing but names, and a file of many thousand tiny objects. Each ends
// in a report, in time and within the memory budget.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hostile/HostileDocuments.h"
#include "support/PdfBuilder.h"
#include "triage/Triage.h"

using namespace lumerra;
using namespace lumerra::test;

namespace {

// A one-page document whose object 4 holds Body.
std::string DocumentWith(const std::string& Body) {
    PdfBuilder pdf;
    pdf.Add("<< /Type /Catalog /Pages 2 0 R /OpenAction 4 0 R >>");
    pdf.Add("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    pdf.Add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 10 10] >>");
    pdf.Add(Body);
    return pdf.Build();
}

// Many tiny objects and no table: the repair finds each of them.
std::string ManyObjects(int Count) {
    std::string out = "%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R >> endobj\n"
                      "2 0 obj << /Type /Pages /Kids [3 0 R] /Count 1 >> endobj\n"
                      "3 0 obj << /Type /Page /Parent 2 0 R >> endobj\n";
    for (int n = 4; n < Count; ++n) out += std::to_string(n) + " 0 obj [/JS/J#53] endobj\n";
    return out + "trailer << /Root 1 0 R >>\n%%EOF\n";
}

std::string Summary(const TTriage& Triage) {
    const size_t js = 10;  // "/JS" in TriageKeywords
    return "raw=" + std::to_string(Triage.Raw.Keywords[js].Raw) + " objects=" +
           (Triage.Objects ? std::to_string((*Triage.Objects)[js].size()) : "none");
}

}  // namespace

TEST(HostileTriage, MillionsOfNamesStayFastAndBounded) {
    struct Case {
        std::string Name, Bytes, Expected;
    };
    const std::vector<Case> cases = {
        {"three million names and escapes in the raw bytes",
         DocumentWith("null") + Repeat("/JS/J#53%%EOF\n", 1'500'000), "raw=3000000 objects=0"},
        {"a word of sixty million letters", DocumentWith("null") + std::string(60'000'000, 'J'),
         "raw=0 objects=0"},
        {"an object of two million names", DocumentWith("[" + Repeat("/JS ", 2'000'000) + "]"),
         "raw=2000000 objects=0"},
        {"an object of half a million names", DocumentWith("[" + Repeat("/JS ", 500'000) + "]"),
         "raw=500000 objects=1"},
        {"two hundred thousand tiny objects", ManyObjects(200'000), "raw=399992 objects=199996"},
    };
    for (const Case& c : cases) {
        TempFile file(c.Bytes, "hostile.pdf");
        const TCaseOutcome outcome = RunCase(c.Name, [&] { return Summary(TriageFile(file.Path())); });
        ExpectReport(outcome);
        EXPECT_EQ(outcome.Text, c.Expected) << c.Name;
    }
}
