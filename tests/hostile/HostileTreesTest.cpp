// Page trees and resource chains that are very deep, very wide, that come
// back to nodes already seen, or both: the report comes out in bounded time
// and memory, without recursion deep enough to overflow the stack.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hostile/HostileDocuments.h"
#include "support/PdfBuilder.h"

using namespace lumerra;
using namespace lumerra::test;

namespace {

// A catalog and a root /Pages node (object 2) with the given dictionary.
PdfBuilder Tree(const std::string& Root) {
    PdfBuilder pdf;
    pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    pdf.Set(2, Root);
    return pdf;
}

// A chain of /Pages nodes From .. To - 1 under object From - 1, each with
// the next one as its only kid.
void Chain(PdfBuilder& Pdf, int From, int To, const std::string& Count = "") {
    for (int node = From; node < To; ++node)
        Pdf.Set(node, "<< /Type /Pages /Parent " + Ref(node - 1) + " /Kids [" + Ref(node + 1) + "]" + Count + " >>");
}

std::string Fonts(int Count, int Font) { return "<< /Font << " + NamesFor("F", Count, Font) + ">> >>"; }

}  // namespace

TEST(HostileTrees, EveryShapeIsReportedBothWays) {
    struct Case {
        std::string Name, Bytes, Pages;
        int LimitSeconds = HangLimitSeconds;
    };
    const std::vector<Case> cases = {
        // 100,000 /Pages levels; the leaf inherits the root's resources.
        {"page tree 100,000 deep", [] {
             constexpr int Depth = 100000;
             PdfBuilder pdf = Tree("<< /Type /Pages /Kids [3 0 R] /Count 1 /Resources << /Font << /F1 " +
                                   Ref(Depth + 4) + " >> >> >>");
             Chain(pdf, 3, Depth + 2, " /Count 1");
             pdf.Set(Depth + 2, "<< /Type /Page /Parent " + Ref(Depth + 1) + " /Contents " + Ref(Depth + 3) + " >>");
             pdf.SetStream(Depth + 3, "", "0 0 m");
             pdf.Set(Depth + 4, "<< /Type /Font >>");
             return pdf.Build();
         }(), "1"},
        {"50,000 pages in one node", [] {
             constexpr int Pages = 50000;
             std::string kids;
             for (int i = 0; i < Pages; ++i) kids += Ref(4 + i) + " ";
             PdfBuilder pdf = Tree("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(Pages) + " >>");
             pdf.SetStream(3, "", "0 0 m");
             for (int i = 0; i < Pages; ++i) pdf.Set(4 + i, "<< /Type /Page /Parent 2 0 R /Contents 3 0 R >>");
             return pdf.Build();
         }(), "50000"},
        // The root lists node 3 20,000 times; node 3 lists page 4 20,000
        // times. Its kids are walked once, so the pages come from that walk.
        {"node listed 20,000 times with 20,000 kids", [] {
             PdfBuilder pdf = Tree("<< /Type /Pages /Kids [" + Repeat(Ref(3) + " ", 20000) + "] /Count 1 >>");
             pdf.Set(3, "<< /Type /Pages /Parent 2 0 R /Kids [" + Repeat(Ref(4) + " ", 20000) + "] /Count 1 >>");
             pdf.Set(4, "<< /Type /Page /Parent 3 0 R /Contents 5 0 R >>");
             pdf.SetStream(5, "", "0 0 m");
             return pdf.Build();
         }(), "20000"},
        {"page tree with cycles", [] {
             PdfBuilder pdf = Tree("<< /Type /Pages /Kids [2 0 R 5 0 R 3 0 R 2 0 R] /Count 2 >>");
             pdf.Set(3, "<< /Type /Page /Parent 3 0 R /Contents 4 0 R >>");
             pdf.SetStream(4, "", "0 0 m");
             pdf.Set(5, "<< /Type /Pages /Parent 5 0 R /Kids [5 0 R 2 0 R 3 0 R] /Count 1 >>");
             return pdf.Build();
         }(), "2"},
        {"resource /Parent cycle", [] {
             PdfBuilder pdf = Tree("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
             pdf.Set(3, "<< /Type /Page /Parent 6 0 R /Contents 4 0 R >>");
             pdf.SetStream(4, "", "0 0 m");
             pdf.Set(6, "<< /Type /Pages /Parent 7 0 R >>");
             pdf.Set(7, "<< /Type /Pages /Parent 6 0 R >>");
             return pdf.Build();
         }(), "1"},
        {"200,000 fonts on a page",
         PdfBuilder::SimpleDocument({"0 0 m"}, Fonts(200000, 5)).Set(5, "<< /Type /Font >>").Build(), "1"},
        // 20,000 pages hang under a chain of 20,000 nodes that has no
        // /Resources anywhere: every page looks for resources to inherit.
        {"20,000 pages under 20,000 levels", [] {
             constexpr int Depth = 20000, Pages = 20000, Bottom = Depth + 1, Page = Depth + 2;
             PdfBuilder pdf = Tree("<< /Type /Pages /Kids [3 0 R] /Count " + std::to_string(Pages) + " >>");
             Chain(pdf, 3, Bottom);
             pdf.Set(Bottom, "<< /Type /Pages /Parent " + Ref(Bottom - 1) + " /Kids [" +
                                 Repeat(Ref(Page) + " ", Pages) + "] >>");
             pdf.Set(Page, "<< /Type /Page /Parent " + Ref(Bottom) + " /Contents " + Ref(Page + 1) + " >>");
             pdf.SetStream(Page + 1, "", "0 0 m");
             return pdf.Build();
         }(), "20000"},
        // 400 pages inherit a dictionary of 20,000 fonts: each page's report
        // lists them all, but memory must not hold every page's records at
        // once. Eight million font lines a run: slow under the sanitizers on
        // a busy machine, which is no hang.
        {"400 pages sharing 20,000 fonts", [] {
             PdfBuilder pdf = Tree("<< /Type /Pages /Kids [" + Repeat(Ref(3) + " ", 400) + "] /Count 1 /Resources " +
                                   Fonts(20000, 5) + " >>");
             pdf.Set(3, "<< /Type /Page /Parent 2 0 R /Contents 4 0 R >>");
             pdf.SetStream(4, "", "0 0 m");
             pdf.Set(5, "<< /Type /Font >>");
             return pdf.Build();
         }(), "400", 3 * HangLimitSeconds},
    };
    for (const Case& c : cases) {
        TempFile file(c.Bytes);
        for (const bool comments : {true, false}) {
            const std::string name = c.Name + (comments ? ", comments" : ", no comments");
            SCOPED_TRACE(name);
            const TCaseOutcome outcome = RunCase(
                name, [&] { return WriteReport(file.Path(), file.Sibling("out.txt"), comments); }, c.LimitSeconds);
            ExpectReport(outcome);
            EXPECT_EQ(outcome.Text.substr(0, outcome.Text.find(' ')), "pages=" + c.Pages);
            // The inherited font comes through every level.
            if (comments && c.Name == "page tree 100,000 deep") {
                EXPECT_EQ(CountInFile(file.Sibling("out.txt"), "%  Used Font       : [ /F1 ]\n"), 1);
            }
        }
    }
}
