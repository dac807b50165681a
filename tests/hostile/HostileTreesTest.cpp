// Page trees and resource chains that are very deep, very wide, that come
// back to nodes already seen, or both: the report comes out in bounded time
// and memory, without recursion deep enough to overflow the stack.
#include <gtest/gtest.h>

#include <string>

#include "hostile/HostileDocuments.h"
#include "support/PdfBuilder.h"

using namespace lumerra;
using namespace lumerra::test;

namespace {

std::string Ref(int N) { return std::to_string(N) + " 0 R"; }

std::string Repeated(const std::string& Piece, int Count) {
    std::string out;
    out.reserve(Piece.size() * static_cast<size_t>(Count));
    for (int i = 0; i < Count; ++i) out += Piece;
    return out;
}

// A font dictionary of Count entries /F0 .. that all refer to object Font.
std::string Fonts(int Count, int Font) {
    std::string out = "<< /Font << ";
    for (int i = 0; i < Count; ++i) out += "/F" + std::to_string(i) + " " + Ref(Font) + " ";
    return out + ">> >>";
}

// Writes the report both ways; both must come out.
void ExpectReports(const std::string& Name, const std::string& Bytes, const std::string& Pages,
                   int LimitSeconds = HangLimitSeconds) {
    TempFile file(Bytes);
    for (const bool comments : {true, false}) {
        const std::string name = Name + (comments ? ", comments" : ", no comments");
        SCOPED_TRACE(name);
        const TCaseOutcome outcome =
            RunCase(name, [&] { return WriteReport(file.Path(), file.Sibling("out.txt"), comments); }, LimitSeconds);
        ExpectReport(outcome);
        EXPECT_EQ(outcome.Text.substr(0, outcome.Text.find(' ')), "pages=" + Pages);
    }
}

}  // namespace

TEST(HostileTrees, DeepPageTreeIsWalkedAndInheritedWithoutRecursion) {
    // 100,000 /Pages levels; the leaf inherits the root's resources.
    constexpr int Depth = 100000;
    PdfBuilder pdf;
    pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    pdf.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 /Resources << /Font << /F1 " + Ref(Depth + 4) + " >> >> >>");
    for (int node = 3; node < Depth + 2; ++node)
        pdf.Set(node, "<< /Type /Pages /Parent " + Ref(node - 1) + " /Kids [" + Ref(node + 1) + "] /Count 1 >>");
    pdf.Set(Depth + 2, "<< /Type /Page /Parent " + Ref(Depth + 1) + " /Contents " + Ref(Depth + 3) + " >>");
    pdf.SetStream(Depth + 3, "", "0 0 m");
    pdf.Set(Depth + 4, "<< /Type /Font >>");
    const std::string bytes = pdf.Build();
    ExpectReports("page tree 100,000 deep", bytes, "1");

    TempFile file(bytes);
    const TCaseOutcome outcome = RunCase("page tree 100,000 deep, font line", [&] {
        WriteReport(file.Path(), file.Sibling("out.txt"), true);
        return ReadFileBytes(file.Sibling("out.txt"));
    });
    EXPECT_NE(outcome.Text.find("%  Used Font       : [ /F1 ]\n"), std::string::npos);
}

TEST(HostileTrees, WidePageTreeListsEveryPage) {
    constexpr int Pages = 50000;
    PdfBuilder pdf;
    pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    std::string kids;
    for (int i = 0; i < Pages; ++i) kids += Ref(4 + i) + " ";
    pdf.Set(2, "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(Pages) + " >>");
    pdf.SetStream(3, "", "0 0 m");
    for (int i = 0; i < Pages; ++i) pdf.Set(4 + i, "<< /Type /Page /Parent 2 0 R /Contents 3 0 R >>");
    ExpectReports("50,000 pages in one node", pdf.Build(), std::to_string(Pages));
}

TEST(HostileTrees, NodeReachedThroughManyKidsIsScannedOnce) {
    // The root lists node 3 20,000 times; node 3 lists page 4 20,000 times.
    // Its kids are walked once, so the pages come from that one walk.
    constexpr int Count = 20000;
    PdfBuilder pdf;
    pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    pdf.Set(2, "<< /Type /Pages /Kids [" + Repeated(Ref(3) + " ", Count) + "] /Count 1 >>");
    pdf.Set(3, "<< /Type /Pages /Parent 2 0 R /Kids [" + Repeated(Ref(4) + " ", Count) + "] /Count 1 >>");
    pdf.Set(4, "<< /Type /Page /Parent 3 0 R /Contents 5 0 R >>");
    pdf.SetStream(5, "", "0 0 m");
    ExpectReports("node listed 20,000 times with 20,000 kids", pdf.Build(), std::to_string(Count));
}

TEST(HostileTrees, PageTreeCyclesEnd) {
    PdfBuilder pdf;
    pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    pdf.Set(2, "<< /Type /Pages /Kids [2 0 R 5 0 R 3 0 R 2 0 R] /Count 2 >>");
    pdf.Set(3, "<< /Type /Page /Parent 3 0 R /Contents 4 0 R >>");
    pdf.SetStream(4, "", "0 0 m");
    pdf.Set(5, "<< /Type /Pages /Parent 5 0 R /Kids [5 0 R 2 0 R 3 0 R] /Count 1 >>");
    ExpectReports("page tree with cycles", pdf.Build(), "2");
}

TEST(HostileTrees, ResourceParentCycleEnds) {
    PdfBuilder pdf;
    pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    pdf.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    pdf.Set(3, "<< /Type /Page /Parent 6 0 R /Contents 4 0 R >>");
    pdf.SetStream(4, "", "0 0 m");
    pdf.Set(6, "<< /Type /Pages /Parent 7 0 R >>");
    pdf.Set(7, "<< /Type /Pages /Parent 6 0 R >>");
    ExpectReports("resource /Parent cycle", pdf.Build(), "1");
}

TEST(HostileTrees, WideResourceDictionaryIsCollected) {
    constexpr int Count = 200000;
    PdfBuilder pdf = PdfBuilder::SimpleDocument({"0 0 m"}, Fonts(Count, 5));
    pdf.Set(5, "<< /Type /Font >>");
    ExpectReports("200,000 fonts on a page", pdf.Build(), "1");
}

TEST(HostileTrees, ManyPagesUnderDeepChainClimbInBoundedTime) {
    // 20,000 pages hang under a chain of 20,000 nodes that has no
    // /Resources anywhere: every page looks for resources to inherit.
    constexpr int Depth = 20000;
    constexpr int Pages = 20000;
    PdfBuilder pdf;
    pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    const int bottom = Depth + 1;
    const int page = Depth + 2;
    pdf.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count " + std::to_string(Pages) + " >>");
    for (int node = 3; node < bottom; ++node)
        pdf.Set(node, "<< /Type /Pages /Parent " + Ref(node - 1) + " /Kids [" + Ref(node + 1) + "] >>");
    pdf.Set(bottom, "<< /Type /Pages /Parent " + Ref(bottom - 1) + " /Kids [" + Repeated(Ref(page) + " ", Pages) +
                        "] >>");
    pdf.Set(page, "<< /Type /Page /Parent " + Ref(bottom) + " /Contents " + Ref(page + 1) + " >>");
    pdf.SetStream(page + 1, "", "0 0 m");
    ExpectReports("20,000 pages under 20,000 levels", pdf.Build(), std::to_string(Pages));
}

TEST(HostileTrees, PagesSharingLargeResourcesDoNotAccumulate) {
    // 400 pages inherit a dictionary of 20,000 fonts: each page's report
    // lists them all, but memory must not hold every page's records at once.
    constexpr int Pages = 400;
    PdfBuilder pdf;
    pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    pdf.Set(2, "<< /Type /Pages /Kids [" + Repeated(Ref(3) + " ", Pages) + "] /Count 1 /Resources " +
                   Fonts(20000, 5) + " >>");
    pdf.Set(3, "<< /Type /Page /Parent 2 0 R /Contents 4 0 R >>");
    pdf.SetStream(4, "", "0 0 m");
    pdf.Set(5, "<< /Type /Font >>");
    // Eight million font lines a run: slow under the sanitizers on a busy
    // machine, which is no hang.
    ExpectReports("400 pages sharing 20,000 fonts", pdf.Build(), std::to_string(Pages), 3 * HangLimitSeconds);
}
