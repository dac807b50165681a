// Form XObject graphs: paths that multiply, forms that are heavy and reached
// often, and chains deeper than any stack. Collection stops at its limit and
// the report says so in a "%" line.
#include <gtest/gtest.h>

#include <string>

#include "common/StrUtils.h"
#include "hostile/HostileDocuments.h"
#include "support/PdfBuilder.h"

using namespace lumerra;
using namespace lumerra::test;

namespace {

const std::string FormHead = "= SubType is Form)\n";
const std::string LimitLinePrefix = "%  XObject Forms : only the first ";

std::string Ref(int N) { return std::to_string(N) + " 0 R"; }

// A one-page document whose page uses the XObjects of PageXObjects; the
// caller adds the forms from object 10 on.
PdfBuilder PageWithXObjects(const std::string& PageXObjects) {
    PdfBuilder pdf;
    pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    pdf.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    pdf.Set(3, "<< /Type /Page /Parent 2 0 R /Resources << /XObject << " + PageXObjects +
                   " >> >> /Contents 4 0 R >>");
    pdf.SetStream(4, "", "/A Do");
    return pdf;
}

struct TReportCounts {
    int64_t Forms = 0;
    int64_t LimitLines = 0;
    std::string LimitLine;
};

// Writes the report in a child and counts form sections and limit lines.
TReportCounts ReportForms(const std::string& Name, const std::string& Bytes, bool WithComments) {
    TempFile file(Bytes);
    const std::string report = file.Sibling("out.txt");
    const TCaseOutcome outcome = RunCase(Name, [&] { return WriteReport(file.Path(), report, WithComments); });
    ExpectReport(outcome);
    TReportCounts counts;
    counts.Forms = CountInFile(report, FormHead);
    counts.LimitLines = CountInFile(report, LimitLinePrefix);
    if (counts.LimitLines > 0) {
        const std::string text = ReadFileBytes(report);
        const auto at = text.find(LimitLinePrefix);
        counts.LimitLine = text.substr(at, text.find('\n', at) + 1 - at);
    }
    return counts;
}

}  // namespace

TEST(HostileForms, ExponentialPathsStopAtTenThousandForms) {
    // 40 levels, each form listing the next one twice: 2^40 paths.
    PdfBuilder pdf = PageWithXObjects("/A " + Ref(10));
    for (int level = 10; level < 50; ++level)
        pdf.SetStream(level, "/Subtype /Form /Resources << /XObject << /A " + Ref(level + 1) + " /B " +
                                 Ref(level + 1) + " >> >>",
                      "q Q");
    pdf.SetStream(50, "/Subtype /Form", "q Q");
    const std::string bytes = pdf.Build();

    const TReportCounts commented = ReportForms("2^40 form paths, comments", bytes, true);
    EXPECT_EQ(commented.Forms, 10000);
    EXPECT_EQ(commented.LimitLines, 1);
    EXPECT_EQ(commented.LimitLine, LimitLinePrefix + "10,000 forms of this page are decoded\n");

    // Without comments the same 10,000 forms are decoded, and nothing else
    // is written: each as a gap, its 3 bytes and a gap, then the content.
    TempFile file(bytes);
    const TCaseOutcome plain =
        RunCase("2^40 form paths, no comments", [&] { return WriteReport(file.Path(), file.Sibling("p.txt"), false); });
    ExpectReport(plain);
    EXPECT_EQ(plain.Text, "pages=1 bytes=" + std::to_string(10000 * 7 + 9));
}

TEST(HostileForms, HeavyFormReachedUnderManyNamesStaysBounded) {
    // The page lists one form under 10,000 names; the form's resources hold
    // 20,000 fonts. Collected in full, that is 200 million records.
    std::string names;
    for (int i = 0; i < 10000; ++i) names += "/X" + std::to_string(i) + " " + Ref(10) + " ";
    PdfBuilder pdf = PageWithXObjects(names);
    std::string fonts;
    for (int i = 0; i < 20000; ++i) fonts += "/F" + std::to_string(i) + " " + Ref(11) + " ";
    pdf.SetStream(10, "/Subtype /Form /Resources << /Font << " + fonts + ">> >>", "q Q");
    pdf.Set(11, "<< /Type /Font >>");
    const std::string bytes = pdf.Build();
    for (const bool comments : {true, false}) {
        SCOPED_TRACE(comments);
        const TReportCounts counts = ReportForms(comments ? "heavy form x10,000, comments" : "heavy form x10,000",
                                                 bytes, comments);
        if (comments) {
            EXPECT_GT(counts.Forms, 0);
            EXPECT_LT(counts.Forms, 10000);
            EXPECT_EQ(counts.LimitLine,
                      LimitLinePrefix + FormatThousands(counts.Forms) + " forms of this page are decoded\n");
        }
    }
}

TEST(HostileForms, FormWithManyImagesReachedOftenStaysBounded) {
    // Forms in diamonds (2^20 paths), each also listing 20,000 images whose
    // type must be looked up.
    std::string images;
    for (int i = 0; i < 20000; ++i) images += "/I" + std::to_string(i) + " " + Ref(9) + " ";
    PdfBuilder pdf = PageWithXObjects("/A " + Ref(10));
    pdf.SetStream(9, "/Subtype /Image /Width 1 /Height 1", "x");
    for (int level = 10; level < 30; ++level)
        pdf.SetStream(level, "/Subtype /Form /Resources << /XObject << /A " + Ref(level + 1) + " /B " +
                                 Ref(level + 1) + " " + images + ">> >>",
                      "q Q");
    pdf.SetStream(30, "/Subtype /Form", "q Q");
    const TReportCounts counts = ReportForms("forms with 20,000 images in diamonds", pdf.Build(), true);
    EXPECT_GT(counts.Forms, 0);
    EXPECT_EQ(counts.LimitLines, 1);
}

TEST(HostileForms, FormChainDeeperThanAnyStackIsCut) {
    constexpr int Depth = 100000;
    PdfBuilder pdf = PageWithXObjects("/A " + Ref(10));
    for (int form = 10; form < 10 + Depth; ++form)
        pdf.SetStream(form, "/Subtype /Form /Resources << /XObject << /A " + Ref(form + 1) + " >> >>", "");
    pdf.SetStream(10 + Depth, "/Subtype /Form", "");
    const TReportCounts counts = ReportForms("form chain 100,000 deep", pdf.Build(), true);
    EXPECT_EQ(counts.Forms, 10000);
    EXPECT_EQ(counts.LimitLines, 1);
}
