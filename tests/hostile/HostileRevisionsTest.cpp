// The revision reader against files built to hurt it: thousands of
// revisions, a chain that comes back, byte ranges past the end of the file,
// a hundred thousand signatures, a million end markers. Each ends in a
// history or a message, in time and within the memory budget.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "history/DocumentHistory.h"
#include "hostile/HostileDocuments.h"
#include "pdf/ExtendedAnalyst.h"
#include "pdf/PDFAnalyst.h"
#include "support/PdfBuilder.h"

using namespace lumerra;
using namespace lumerra::test;

namespace {

// Loads Path by extended reading and reads its history: "revisions=N
// signatures=M findings=K".
std::string History(const std::string& Path) {
    TExtendedAnalyst analyst;
    analyst.LoadFromFile(Path);
    const TDocumentHistory history = ReadDocumentHistory(analyst);
    size_t findings = 0;
    for (const TSignature& signature : history.Signatures) findings += signature.Findings.size();
    return "revisions=" + std::to_string(history.Chain.Revisions.size()) +
           " signatures=" + std::to_string(history.Signatures.size()) + " findings=" + std::to_string(findings);
}

// Count revisions; with BackTo, revision BackTo names the newest as the one
// before it.
PdfBuilder Revisions(int Count, int BackTo = -1) {
    PdfBuilder builder = PdfBuilder::SimpleDocument({"BT ET"});
    for (int r = 1; r < Count; ++r) {
        builder.NewRevision().Root(1).Set(5 + r % 10, "<< /R " + std::to_string(r) + " >>");
        if (r == BackTo) builder.PrevTo(Count - 1);
    }
    return builder;
}

}  // namespace

TEST(HostileRevisions, EndsInAHistoryOrAMessage) {
    PdfBuilder pastEnd = PdfBuilder::SimpleDocument({"BT ET"});
    pastEnd.Set(5, "<< /Type /Sig /ByteRange [0 10 2147483647 2147483647] /Contents <00> >>");
    pastEnd.Set(6, "<< /Type /Sig /ByteRange [0 99999999999 99999999999 1] /Contents <00> >>");
    pastEnd.Set(7, "<< /Type /Sig /ByteRange [0 1 2147483000 600] /Contents <00> >>");
    pastEnd.Set(8, "<< /FT /Sig /V << /ByteRange [0 0 0 0] >> >>");
    PdfBuilder signatures = PdfBuilder::SimpleDocument({"BT ET"});
    for (int n = 5; n < 100005; ++n) signatures.Set(n, "<< /Type /Sig /ByteRange [0 1 2 3] /Contents <00> >>");
    std::string markers = PdfBuilder::SimpleDocument({"BT ET"}).Build();
    for (int i = 0; i < 1000000; ++i) markers += "%%EOF\n";

    struct Case {
        std::string Name, Bytes, Expected;
    };
    const std::vector<Case> cases = {
        {"five thousand revisions", Revisions(5000).Build(), "revisions=5000 signatures=0 findings=0"},
        // The chain is not followed; the markers name every section.
        {"a chain of two thousand that comes back half way", Revisions(2000, 1000).Build(),
         "revisions=2000 signatures=0 findings=0"},
        {"byte ranges past the end of the file", pastEnd.Build(), "revisions=1 signatures=4 findings=11"},
        {"a hundred thousand signatures", signatures.Build(), "revisions=1 signatures=100000 findings=200000"},
        {"a million end markers after the last section", markers, "revisions=1 signatures=0 findings=0"},
    };
    for (const Case& c : cases) {
        TempFile file(c.Bytes, "hostile.pdf");
        const TCaseOutcome outcome = RunCase(c.Name, [&] { return History(file.Path()); });
        ExpectClearOutcome(outcome);
        EXPECT_EQ(outcome.Text, c.Expected) << c.Name;
    }
}
