// Form XObject graphs: paths that multiply, forms that are heavy and reached
// often, and chains deeper than any stack. Collection stops at its limit and
// the report says so in a "%" line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/StrUtils.h"
#include "hostile/HostileDocuments.h"
#include "support/PdfBuilder.h"

using namespace lumerra;
using namespace lumerra::test;

namespace {

const std::string FormHead = "= SubType is Form)\n";
const std::string LimitLinePrefix = "%  XObject Forms : only the first ";

// A one-page document whose page uses the XObjects of PageXObjects and
// draws /A; the caller adds the forms from object 10 on.
PdfBuilder PageWithXObjects(const std::string& PageXObjects) {
    return PdfBuilder::SimpleDocument({"/A Do"}, "<< /XObject << " + PageXObjects + " >> >>");
}

struct TReportCounts {
    int64_t Forms = 0;
    int64_t LimitLines = 0;
    std::string LimitLine;
};

// Writes the report with comments in a child and counts form sections and
// limit lines.
TReportCounts ReportForms(const std::string& Name, const std::string& Bytes) {
    TempFile file(Bytes);
    const std::string report = file.Sibling("out.txt");
    const TCaseOutcome outcome = RunCase(Name, [&] { return WriteReport(file.Path(), report, true); });
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

TEST(HostileForms, CollectionStopsAtItsLimitAndSaysSo) {
    struct Case {
        std::string Name, Bytes;
        int64_t Forms;       // form sections with comments; 0: some, fewer than 10,000
        int64_t PlainBytes;  // the report without comments; 0: not compared
    };
    const std::vector<Case> cases = {
        // 40 levels, each form listing the next one twice: 2^40 paths.
        // Without comments the same 10,000 forms are decoded and nothing
        // else is written: each as a gap, its 3 bytes and a gap, then the
        // page's content.
        {"2^40 form paths", [] {
             PdfBuilder pdf = PageWithXObjects("/A " + Ref(10));
             for (int level = 10; level < 50; ++level)
                 pdf.SetStream(level, "/Subtype /Form /Resources << /XObject << /A " + Ref(level + 1) + " /B " +
                                          Ref(level + 1) + " >> >>",
                               "q Q");
             pdf.SetStream(50, "/Subtype /Form", "q Q");
             return pdf.Build();
         }(), 10000, 10000 * 7 + 9},
        // The page lists one form under 10,000 names; the form's resources
        // hold 20,000 fonts. Collected in full, that is 200 million records.
        {"heavy form x10,000", [] {
             PdfBuilder pdf = PageWithXObjects(NamesFor("X", 10000, 10));
             pdf.SetStream(10, "/Subtype /Form /Resources << /Font << " + NamesFor("F", 20000, 11) + ">> >>", "q Q");
             pdf.Set(11, "<< /Type /Font >>");
             return pdf.Build();
         }(), 0, 0},
        // Forms in diamonds (2^20 paths), each also listing 20,000 images
        // whose type must be looked up.
        {"forms with 20,000 images in diamonds", [] {
             const std::string images = NamesFor("I", 20000, 9);
             PdfBuilder pdf = PageWithXObjects("/A " + Ref(10));
             pdf.SetStream(9, "/Subtype /Image /Width 1 /Height 1", "x");
             for (int level = 10; level < 30; ++level)
                 pdf.SetStream(level, "/Subtype /Form /Resources << /XObject << /A " + Ref(level + 1) + " /B " +
                                          Ref(level + 1) + " " + images + ">> >>",
                               "q Q");
             pdf.SetStream(30, "/Subtype /Form", "q Q");
             return pdf.Build();
         }(), 0, 0},
        {"form chain 100,000 deep", [] {
             constexpr int Depth = 100000;
             PdfBuilder pdf = PageWithXObjects("/A " + Ref(10));
             for (int form = 10; form < 10 + Depth; ++form)
                 pdf.SetStream(form, "/Subtype /Form /Resources << /XObject << /A " + Ref(form + 1) + " >> >>", "");
             pdf.SetStream(10 + Depth, "/Subtype /Form", "");
             return pdf.Build();
         }(), 10000, 10000 * 4 + 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const TReportCounts counts = ReportForms(c.Name + ", comments", c.Bytes);
        if (c.Forms != 0) {
            EXPECT_EQ(counts.Forms, c.Forms);
        } else {
            EXPECT_GT(counts.Forms, 0);
            EXPECT_LT(counts.Forms, 10000);
        }
        EXPECT_EQ(counts.LimitLines, 1);
        EXPECT_EQ(counts.LimitLine, LimitLinePrefix + FormatThousands(counts.Forms) + " forms of this page are decoded\n");

        TempFile file(c.Bytes);
        const TCaseOutcome plain =
            RunCase(c.Name, [&] { return WriteReport(file.Path(), file.Sibling("p.txt"), false); });
        ExpectReport(plain);
        if (c.PlainBytes != 0) {
            EXPECT_EQ(plain.Text, "pages=1 bytes=" + std::to_string(c.PlainBytes));
        }
    }
}
