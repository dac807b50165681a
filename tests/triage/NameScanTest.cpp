// Where the parsed objects hold the name keywords: keys and values, decoded
// names, objects inside object streams; and the desktop's summary line.
#include <gtest/gtest.h>

#include <string>

#include "pdf/ExtendedAnalyst.h"
#include "pdf/PDFAnalyst.h"
#include "support/PdfBuilder.h"
#include "triage/ActiveContent.h"
#include "triage/NameScan.h"

using namespace lumerra;
using namespace lumerra::test;

namespace {

size_t Index(std::string_view Keyword) {
    return static_cast<size_t>(std::find(TriageKeywords.begin(), TriageKeywords.end(), Keyword) - TriageKeywords.begin());
}

// Catalog 1 opening action 4, page tree 2, page 3, action 4; the actions
// are written as Action says.
TKeywordObjects ScanDocument(bool InObjectStream, const std::string& Action) {
    PdfBuilder::Options options;
    options.XrefStreams = options.ObjectStreams = InObjectStream;
    PdfBuilder pdf(options);
    pdf.Add("<< /Type /Catalog /Pages 2 0 R /OpenAction 4 0 R >>");
    pdf.Add("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    pdf.Add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 10 10] >>");
    pdf.Add(Action);
    TempFile file(pdf.Build());
    TExtendedAnalyst analyst;
    analyst.LoadFromFile(file.Path());
    return ScanNameKeywords(analyst);
}

}  // namespace

TEST(NameScan, FindsKeysAndValuesDecodedInFileAndInObjectStreams) {
    for (const bool inObjectStream : {false, true}) {
        SCOPED_TRACE(inObjectStream ? "object stream" : "file");
        const TKeywordObjects objects =
            ScanDocument(inObjectStream, "<< /S /J#61vaScript /JS (x) /Next [<< /S /Launch /F (a) >>] >>");
        EXPECT_EQ(objects[Index("/JavaScript")], TIDList{4});
        EXPECT_EQ(objects[Index("/JS")], TIDList{4});
        EXPECT_EQ(objects[Index("/Launch")], TIDList{4});
        EXPECT_EQ(objects[Index("/OpenAction")], TIDList{1});
        EXPECT_EQ(objects[Index("/Page")], TIDList{3});
        EXPECT_TRUE(objects[Index("/AA")].empty());
        // Strings are no names, and the word keywords are never looked for.
        EXPECT_TRUE(objects[Index("obj")].empty());
    }
    const TKeywordObjects inString = ScanDocument(true, "<< /S /URI /URI (/JavaScript /JS) >>");
    EXPECT_TRUE(inString[Index("/JavaScript")].empty());
    EXPECT_TRUE(inString[Index("/JS")].empty());
}

TEST(ActiveContent, OneEntryPerKindScriptsCountedOnce) {
    TKeywordObjects objects;
    objects[Index("/JS")] = {4, 9};
    objects[Index("/JavaScript")] = {4, 12};
    objects[Index("/Launch")] = {7};
    objects[Index("/Page")] = {3};  // not active content
    EXPECT_EQ(ActiveContentKinds(objects), (std::vector<TActiveContent>{{"JavaScript", 3}, {"Launch", 1}}));
    EXPECT_TRUE(ActiveContentKinds(TKeywordObjects{}).empty());
}
