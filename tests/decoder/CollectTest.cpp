// Resource collection: categories inline and indirect, inheritance, the
// one-level dictionary skip, and Form XObjects in pre-order.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "decoder/PDFLumerra.h"
#include "pdf/DefaultAnalyst.h"
#include "support/PdfBuilder.h"
#include "support/Raised.h"
#include "support/ReportSupport.h"

using namespace lumerra;
using namespace lumerra::test;

namespace {

using Entries = std::vector<std::pair<std::string, int32_t>>;

Entries ListOf(const TPDFResourceList& list) {
    Entries entries;
    for (int32_t i = 0; i < list.Count(); ++i) entries.emplace_back(list.GetName(i), list.GetObjectNumber(i));
    return entries;
}

// The record as one text: each category that is not empty, "Font[/F1 5 /F2 6]",
// then each form child in order, "/Fm0{...}" with its own record inside.
std::string Digest(const TPageResource& R) {
    const std::pair<const char*, const TPDFResourceList*> lists[] = {
        {"Font", &R.Fonts},          {"XObject", &R.XObjects},     {"ColorSpace", &R.ColorSpaces},
        {"ExtGState", &R.ExtGStates}, {"Pattern", &R.Patterns},     {"Properties", &R.Properties},
        {"Shading", &R.Shadings}};
    std::string out;
    for (const auto& [category, list] : lists) {
        if (list->Count() == 0) continue;
        out += std::string(out.empty() ? "" : " ") + category + "[";
        for (const auto& [name, number] : ListOf(*list))
            out += (out.back() == '[' ? "" : " ") + name + " " + std::to_string(number);
        out += "]";
    }
    for (int32_t i = 0; i < R.ChildCount(); ++i)
        out += (out.empty() ? "" : " ") + R.GetChild(i).Name + "{" + Digest(R.GetChild(i).Resources) + "}";
    return out;
}

// A document whose page 3 has the given dictionary text; objects 1 and 2 are
// the catalog and the page tree root; further objects come from Extra.
class Document {
public:
    Document(const std::string& PageDict, const std::map<int, std::string>& Extra,
             const std::string& RootDict = "<< /Type /Pages /Kids [3 0 R] /Count 1 >>") {
        PdfBuilder pdf;
        pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
        pdf.Set(2, RootDict);
        pdf.Set(3, PageDict);
        for (const auto& [number, body] : Extra) pdf.Set(number, body);
        FLoaded = std::make_unique<LoadedDocument>(pdf.Build());
        FDecoder = std::make_unique<TPDFLumerra>(&FLoaded->Analyst);
    }
    TPageResource& Collect(int32_t Page = 3) {
        const int32_t before = FLoaded->Analyst.Stream()->Position();
        TPageResource& R = FDecoder->CollectPageResources(Page);
        EXPECT_EQ(FLoaded->Analyst.Stream()->Position(), before);  // the position is restored
        return R;
    }

private:
    std::unique_ptr<LoadedDocument> FLoaded;
    std::unique_ptr<TPDFLumerra> FDecoder;
};

const std::string Image = "<< /Type /XObject /Subtype /Image /Width 1 /Height 1 /Length 0 >>\nstream\n\nendstream";

std::string Form(const std::string& Resources) {
    return "<< /Type /XObject /Subtype /Form /BBox [0 0 1 1]" + Resources + " /Length 0 >>\nstream\n\nendstream";
}

}  // namespace

TEST(Collect, RecordsWhatThePageAndItsFormsName) {
    const std::string pages = "<< /Type /Pages /Kids [3 0 R] /Count 1 >>";
    struct Case {
        const char* Name;
        std::string Page;
        std::map<int, std::string> Extra;
        std::string Root, Expected;
    };
    const std::vector<Case> cases = {
        {"inline categories",
         "<< /Type /Page /Parent 2 0 R /Resources << /Font << /F1 5 0 R /F2 6 0 R >> "
         "/XObject << /Im0 7 0 R >> /ProcSet [/PDF /Text] >> >>",
         {{5, "<< >>"}, {6, "<< >>"}, {7, Image}}, pages, "Font[/F1 5 /F2 6] XObject[/Im0 7]"},
        {"resources and categories through references", "<< /Type /Page /Resources 4 0 R >>",
         {{4, "<< /Font 12 0 R /Shading << /Sh0 8 0 R >> >>"}, {8, "<< >>"}, {12, "<< /F1 5 0 R >>"}, {5, "<< >>"}},
         pages, "Font[/F1 5] Shading[/Sh0 8]"},
        // Page 3 -> node 4 (no resources) -> root 2 (resources in object 9).
        {"inherited from the nearest ancestor only", "<< /Type /Page /Parent 4 0 R >>",
         {{4, "<< /Type /Pages /Parent 2 0 R /Kids [3 0 R] /Count 1 >>"}, {9, "<< /Font << /F9 5 0 R >> >>"}, {5, "<< >>"}},
         "<< /Type /Pages /Kids [4 0 R] /Count 1 /Resources 9 0 R >>", "Font[/F9 5]"},
        {"null resources do not inherit", "<< /Type /Page /Parent 2 0 R /Resources null >>", {{5, "<< >>"}},
         "<< /Type /Pages /Kids [3 0 R] /Count 1 /Resources << /Font << /F1 5 0 R >> >> >>", ""},
        {"a /Parent cycle ends", "<< /Type /Page /Parent 4 0 R >>",
         {{4, "<< /Type /Pages /Parent 5 0 R >>"}, {5, "<< /Type /Pages /Parent 4 0 R >>"}}, pages, ""},
        {"references to missing objects are dropped",
         "<< /Type /Page /Resources << /Font << /F9 999 0 R /F1 5 0 R >> >> >>", {{5, "<< >>"}}, pages, "Font[/F1 5]"},
        {"a nested inline dictionary ends the scan",
         "<< /Type /Page /Resources << /ExtGState << /GS0 << /LW 2 >> >> /Font << /F1 5 0 R >> >> >>", {{5, "<< >>"}},
         pages, ""},
        {"a value that is no reference swallows its neighbour",
         "<< /Type /Page /Resources << /ColorSpace << /CS0 /DeviceRGB /CS1 7 0 R >> /Font << /F1 5 0 R >> >> >>",
         {{5, "<< >>"}, {7, "[/ICCBased 5 0 R]"}}, pages, "Font[/F1 5]"},
        {"a resources object that is no dictionary", "<< /Type /Page /Resources 4 0 R >>",
         {{4, "null"}, {5, "<< /Font << /F1 6 0 R >> >>"}, {6, "<< >>"}}, pages, ""},
        {"forms in pre-order under the page",
         "<< /Type /Page /Resources << /XObject << /Fm0 4 0 R /Im0 7 0 R /Fm2 6 0 R >> >> >>",
         {{4, Form(" /Resources << /XObject << /Fm1 5 0 R >> >>")},
          {5, Form(" /Resources << /Font << /F1 8 0 R >> >>")},
          {6, Form("")},
          {7, Image},
          {8, "<< >>"}},
         pages, "XObject[/Fm0 4 /Im0 7 /Fm2 6] /Fm0{XObject[/Fm1 5]} /Fm1{Font[/F1 8]} /Fm2{}"},
        {"the subtype is decided by the first telling key",
         "<< /Type /Page /Resources << /XObject << /A 4 0 R /B 5 0 R /C 6 0 R >> >> >>",
         {{4, "<< /BBox [0 0 1 1] /Subtype /Image /Length 0 >>\nstream\n\nendstream"},
          {5, "<< /Width 1 /Subtype /Form /Length 0 >>\nstream\n\nendstream"},
          {6, "<< /Length 0 >>\nstream\n/Subtype /Form\nendstream"}},
         pages, "XObject[/A 4 /B 5 /C 6] /A{}"},
        // 4 lists itself and 5; 5 lists 4 again.
        {"form cycles are not followed", "<< /Type /Page /Resources << /XObject << /Fm0 4 0 R >> >> >>",
         {{4, Form(" /Resources << /XObject << /Self 4 0 R /Fm1 5 0 R >> >>")},
          {5, Form(" /Resources << /XObject << /Back 4 0 R >> >>")}},
         pages, "XObject[/Fm0 4] /Fm0{XObject[/Self 4 /Fm1 5]} /Fm1{XObject[/Back 4]}"},
        {"a shared form is collected once per path",
         "<< /Type /Page /Resources << /XObject << /A 4 0 R /B 4 0 R >> >> >>",
         {{4, Form(" /Resources << /XObject << /Leaf 5 0 R >> >>")}, {5, Form("")}}, pages, "XObject[/A 4 /B 4] /A{XObject[/Leaf 5]} /Leaf{} /B{XObject[/Leaf 5]} /Leaf{}"},
    };
    for (const Case& c : cases) {
        Document doc(c.Page, c.Extra, c.Root);
        EXPECT_EQ(Digest(doc.Collect()), c.Expected) << c.Name;
    }
}

TEST(Collect, ExponentialFormGraphIsCapped) {
    // Each form lists the next one twice, thirty levels deep: 2^30 paths.
    std::map<int, std::string> objects;
    const int levels = 30;
    for (int i = 0; i < levels; ++i) {
        const int self = 10 + i;
        const std::string next = std::to_string(self + 1);
        objects[self] = i + 1 < levels ? Form(" /Resources << /XObject << /X " + next + " 0 R /Y " + next + " 0 R >> >>")
                                       : Form("");
    }
    Document doc("<< /Type /Page /Resources << /XObject << /Fm0 10 0 R >> >> >>", objects);
    TPageResource& R = doc.Collect();
    EXPECT_EQ(R.ChildCount(), 10000);
    EXPECT_TRUE(R.FormLimitReached);
}

TEST(ResourceModel, WritesTheSevenLines) {
    TPageResource R;
    R.Fonts.Add("/F1", 5);
    R.Fonts.Add("/F2", 6);
    R.Fonts.Add("/F2", 6);
    TMemoryStream out;
    R.WriteUsedResources(out);
    const std::string text(reinterpret_cast<const char*>(out.Memory()), static_cast<size_t>(out.Size()));
    EXPECT_EQ(text,
              "%  Used Font       : [ /F1  /F2  /F2 ]\n%  Used XObject    : []\n%  Used ColorSpace : []\n"
              "%  Used ExtGState  : []\n%  Used Pattern    : []\n%  Used Properties : []\n%  Used Shading    : []\n");
}

// A copy shares the entries until either list is added to.
TEST(ResourceModel, CopiesKeepTheirOwnEntries) {
    TPDFResourceList first;
    first.Add("/F1", 5);
    TPDFResourceList second = first;
    EXPECT_EQ(second.Entries(), first.Entries());
    second.Add("/F2", 6);
    first.Add("/F3", 7);
    EXPECT_EQ(ListOf(first), (Entries{{"/F1", 5}, {"/F3", 7}}));
    EXPECT_EQ(ListOf(second), (Entries{{"/F1", 5}, {"/F2", 6}}));
    EXPECT_NE(second.Entries(), first.Entries());
}

TEST(ResourceModel, IndexErrorsCarryTheIndex) {
    TPDFResourceList list;
    EXPECT_EQ(RaisedMessage([&] { list.GetName(1); }), "Index値が不正です。[ 1 ]");
    EXPECT_THROW(list.GetObjectNumber(-1), Exception);
    TPageResource R;
    EXPECT_EQ(RaisedMessage([&] { R.GetChild(0); }), "リストのインデックスが範囲を超えています (0)");
}
