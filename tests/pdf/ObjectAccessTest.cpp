#include <gtest/gtest.h>

#include <map>
#include <string>

#include "AnalystTestSupport.h"
#include "pdf/DefaultAnalyst.h"

using namespace lumerra;
using namespace lumerra::test;

namespace {

const std::string ObjectID = "オブジェクトIDが不正です。";

// Objects for the value readers: 7 holds 42, 8 an array of references, 9 an
// array of names; 15 to 19 are not in the table (slots of -1).
PdfBuilder ValueDocument() {
    PdfBuilder builder = PdfBuilder::SimpleDocument({"BT ET"});  // 1 catalog, 2 pages, 3 page, 4 content
    builder.Set(5, "null");
    builder.Set(7, "42");
    builder.Set(8, "[3 0 R 5 0 R]");
    builder.Set(9, "[/FlateDecode]");
    builder.Set(10, "<< /Not /AnArray >>");
    builder.Set(12, "0");
    builder.Set(13, "-5");
    builder.Set(14, "% a note\n17");
    builder.Set(20, "<< /X 0 >> 000 33");
    return builder;
}

class ObjectAccess : public ::testing::Test {
protected:
    ObjectAccess() : Doc(ValueDocument()) {}

    // Runs Read on a memory stream holding Bytes and checks that the stream's
    // position was put back.
    template <class TRead>
    auto OnBytes(const std::string& Bytes, TRead&& Read) {
        TMemoryStream S;
        S.WriteBuffer(Bytes.data(), static_cast<int32_t>(Bytes.size()));
        S.SetPosition(0);
        auto result = Read(S);
        EXPECT_EQ(S.Position(), 0) << Bytes;
        return result;
    }
    int32_t IntegerValue(const std::string& Bytes) {
        return OnBytes(Bytes, [this](TStream& S) { return Doc.Analyst.ReadIntegerValue(S); });
    }
    TIDList IDList(const std::string& Bytes, TIDList List = {}) {
        return OnBytes(Bytes, [&](TStream& S) {
            Doc.Analyst.ReadIDList(S, List);
            return List;
        });
    }
    TStringList NameList(const std::string& Bytes, TStringList List = {}) {
        return OnBytes(Bytes, [&](TStream& S) {
            Doc.Analyst.ReadNameList(S, List);
            return List;
        });
    }

    LoadedDocument Doc;
};

}  // namespace

TEST_F(ObjectAccess, ValidIDs) {
    TPDFAnalyst& a = Doc.Analyst;
    ASSERT_EQ(a.ObjectCount(), 21);
    EXPECT_FALSE(a.IsValidID(-1));
    EXPECT_TRUE(a.IsValidID(0));
    EXPECT_TRUE(a.IsValidID(20));
    EXPECT_FALSE(a.IsValidID(21));
    EXPECT_FALSE(a.IsValidIDText("abc"));
    EXPECT_FALSE(a.IsValidIDText(""));
    EXPECT_TRUE(a.IsValidIDText("007"));
    TDefaultAnalyst empty;
    EXPECT_FALSE(empty.IsValidID(0));
}

TEST_F(ObjectAccess, ReadIntegerValueDirectAndIndirect) {
    EXPECT_EQ(IntegerValue(" 42 >>\n"), 42);
    EXPECT_EQ(IntegerValue(" 7 0 R >>\n"), 42);
    EXPECT_EQ(IntegerValue(" 99 0 R >>\n"), 0);   // outside the table
    EXPECT_EQ(IntegerValue(" 17 0 R >>\n"), 0);   // in the table, but never written
    EXPECT_EQ(IntegerValue(" 12 0 R >>\n"), 0);   // a body of 0
    EXPECT_EQ(IntegerValue(" 13 0 R >>\n"), 0);   // a negative body is passed over
    EXPECT_EQ(IntegerValue(" 14 0 R >>\n"), 17);  // a comment after the header
    EXPECT_EQ(IntegerValue(" 20 0 R >>\n"), 33);  // tokens not starting with 1..9 are passed over
    EXPECT_EQ(IntegerValue(" -5 >>\n"), -5);
    EXPECT_EQ(IntegerValue(" 7 0 obj\n"), 7);      // not a reference
    EXPECT_EQ(IntegerValue(" 7 x R\n"), 7);
    EXPECT_EQ(IntegerValue(" /Name 1 2\n"), 0);
    // At the end of the data: 0.
    EXPECT_EQ(IntegerValue(""), 0);
    EXPECT_EQ(IntegerValue(" 42"), 0);       // the value's own token runs into the end
    EXPECT_EQ(IntegerValue(" 7 0 R"), 0);
    EXPECT_EQ(IntegerValue(" 42 >"), 0);     // no third token
}

TEST_F(ObjectAccess, ReadIntegerValueOnTheFileItselfRestoresThePosition) {
    TStream& S = *Doc.Analyst.Stream();
    const std::string bytes = ReadFileBytes(Doc.File.Path());
    const size_t key = bytes.find("/Length");
    ASSERT_NE(key, std::string::npos);
    S.SetPosition(static_cast<int32_t>(key + 7));
    EXPECT_EQ(Doc.Analyst.ReadIntegerValue(S), 5);  // "BT ET"
    EXPECT_EQ(S.Position(), static_cast<int32_t>(key + 7));
    S.SetPosition(S.Size());
    EXPECT_EQ(Doc.Analyst.ReadIntegerValue(S), 0);
    EXPECT_EQ(S.Position(), S.Size());
}

TEST_F(ObjectAccess, ReadIDList) {
    EXPECT_EQ(IDList("[3 0 R 5 0 R]"), (TIDList{3, 5}));
    EXPECT_EQ(IDList(" 8 0 R >>"), (TIDList{3, 5}));      // a reference to an array
    EXPECT_EQ(IDList(" 4 0 R >>"), (TIDList{4}));         // a reference to a stream
    EXPECT_EQ(IDList(" 10 0 R >>"), (TIDList{10}));       // to a dictionary
    EXPECT_EQ(IDList("[3 0 R 500 0 R]"), (TIDList{3}));
    EXPECT_EQ(IDList(" 500 0 R >>"), TIDList{});
    EXPECT_EQ(IDList(" /Name >>"), TIDList{});
    EXPECT_EQ(IDList("[03 0 R 3 0 R]"), (TIDList{3, 3}));  // duplicates kept
    EXPECT_EQ(IDList("[3 0 R 5 endobj "), (TIDList{3, 5}));
    EXPECT_EQ(IDList("[]"), TIDList{});
    EXPECT_EQ(IDList("[3 0 R]", {9}), (TIDList{9, 3}));  // appended, never cleared
}

TEST_F(ObjectAccess, ReferenceToAnUnwrittenObjectRaisesObjectID) {
    // 17 is a valid number whose slot holds no offset: never a jump to -1.
    for (auto read : {+[](TPDFAnalyst& a, TStream& S) { TIDList l; a.ReadIDList(S, l); },
                      +[](TPDFAnalyst& a, TStream& S) { TStringList l; a.ReadNameList(S, l); }}) {
        TMemoryStream S;
        S.WriteBuffer(" 17 0 R >>", 10);
        S.SetPosition(0);
        try {
            read(Doc.Analyst, S);
            ADD_FAILURE();
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), ObjectID);
        }
    }
}

TEST_F(ObjectAccess, ReadIDArrayObjectTellsWhetherAGroupWasRead) {
    TIDList list;
    EXPECT_TRUE(Doc.Analyst.ReadIDArrayObject(8, list));
    EXPECT_FALSE(Doc.Analyst.ReadIDArrayObject(10, list));
    EXPECT_FALSE(Doc.Analyst.ReadIDArrayObject(4, list));
    EXPECT_EQ(list, (TIDList{3, 5}));
}

TEST_F(ObjectAccess, ReadNameList) {
    EXPECT_EQ(NameList(" /FlateDecode >>"), (TStringList{"/FlateDecode"}));
    EXPECT_EQ(NameList("[/ASCII85Decode /FlateDecode]"), (TStringList{"/ASCII85Decode", "/FlateDecode"}));
    EXPECT_EQ(NameList("[/ASCII85Decode/FlateDecode]"), (TStringList{"/ASCII85Decode", "/FlateDecode"}));
    EXPECT_EQ(NameList(" 9 0 R >>"), (TStringList{"/FlateDecode"}));
    EXPECT_EQ(NameList(" 10 0 R >>"), TStringList{});  // not an array
    EXPECT_EQ(NameList(" 500 0 R >>"), TStringList{});
    EXPECT_EQ(NameList(" 0 0 R >>"), TStringList{});
    EXPECT_EQ(NameList("[/A 1 (x) /B]"), (TStringList{"/A", "/B"}));
    EXPECT_EQ(NameList(" /B >>", {"/A"}), (TStringList{"/A", "/B"}));
}

// ------------------------------------------------------------- catalog

TEST(Catalog, KeysOfTheCatalog) {
    PdfBuilder builder = PdfBuilder::SimpleDocument({"BT ET"});
    builder.Set(1, "<< /Type /Catalog /Pages 2 0 R /Outlines 9 0 R /Metadata 10 0 R /StructTreeRoot 11 0 R >>");
    LoadedDocument doc(builder);
    EXPECT_EQ(doc.Analyst.FirstPagesID(), 2);
    EXPECT_EQ(doc.Analyst.OutlinesID(), 9);
    EXPECT_EQ(doc.Analyst.MetadataID(), 10);
    EXPECT_TRUE(doc.Analyst.HasStructTree());

    LoadedDocument plain(PdfBuilder::SimpleDocument({"BT ET"}));
    EXPECT_EQ(plain.Analyst.OutlinesID(), -1);
    EXPECT_EQ(plain.Analyst.MetadataID(), -1);
    EXPECT_FALSE(plain.Analyst.HasStructTree());
}

TEST(Catalog, LaterKeysWinAndStringsAndCommentsHideKeys) {
    PdfBuilder builder = PdfBuilder::SimpleDocument({"BT ET"});
    builder.Set(1, "<< /Type /Catalog /Pages 7 0 R /Title (/Outlines 9 0 R) % /Metadata 8 0 R\n"
                   "/Outlines << /Count 0 >> /Pages 2 0 R >>");
    LoadedDocument doc(builder);
    EXPECT_EQ(doc.Analyst.FirstPagesID(), 2);
    EXPECT_EQ(doc.Analyst.OutlinesID(), -1);  // a direct dictionary
    EXPECT_EQ(doc.Analyst.MetadataID(), -1);
}

TEST(Catalog, StreamDataIsSkippedByItsLength) {
    const std::string data = "/Outlines 9 0 R ) endobj";
    auto catalog = [&](const std::string& length) {
        PdfBuilder builder = PdfBuilder::SimpleDocument({"BT ET"});
        builder.Set(1, "<< /Type /Catalog /Pages 2 0 R" + length + " >>\nstream\n" + data + "\nendstream");
        builder.Set(6, std::to_string(data.size()));
        LoadedDocument doc(builder);
        return doc.Analyst.OutlinesID();
    };
    EXPECT_EQ(catalog(" /Length " + std::to_string(data.size())), -1);
    EXPECT_EQ(catalog(" /Length 6 0 R"), -1);
    // Without a usable length the data is scanned as tokens; a negative one
    // skips nothing and the scan still ends.
    EXPECT_EQ(catalog(""), 9);
    EXPECT_EQ(catalog(" /Length -5"), 9);
    EXPECT_EQ(catalog(" /Length -2147483648"), 9);
}

// ------------------------------------------------------------- page count

TEST(PageCount, IsTheRootsCountWhateverIsFound) {
    auto count = [](const std::string& countText) {
        PdfBuilder builder = PdfBuilder::SimpleDocument({"BT ET", "BT ET"});
        builder.Set(2, "<< /Type /Pages /Kids [3 0 R 5 0 R]" + countText + " >>");
        builder.Set(9, "7");
        LoadedDocument doc(builder);
        return doc.Analyst.PageCount();
    };
    EXPECT_EQ(count(" /Count 3"), 3);
    EXPECT_EQ(count(" /Count 9 0 R"), 7);
    EXPECT_EQ(count(""), -1);
    EXPECT_EQ(count(" % /Count 4\n"), -1);
}

// --------------------------------------------------------------- page list

namespace {

// Root 2 with kids [3 7]: 3 is an intermediate node with pages 4 and 6.
PdfBuilder NestedTree() {
    PdfBuilder builder;
    builder.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    builder.Set(2, "<< /Type /Pages /Kids [3 0 R 7 0 R] /Count 3 >>");
    builder.Set(3, "<< /Type /Pages /Parent 2 0 R /Kids [4 0 R 6 0 R] /Count 2 >>");
    builder.Set(4, "<< /Type /Page /Parent 3 0 R >>");
    builder.Set(5, "null");
    builder.Set(6, "<< /Type /Page /Parent 3 0 R >>");
    builder.Set(7, "<< /Type /Page /Parent 2 0 R >>");
    return builder;
}

TIDList PageList(TPDFAnalyst& analyst) {
    TIDList pages;
    analyst.GetPageList(&pages);
    return pages;
}

// The message GetPageList raises, or "".
std::string PageListError(TPDFAnalyst& analyst) {
    try {
        PageList(analyst);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "";
}

}  // namespace

// Shapes of the nested tree that all list pages 4, 6 and 7 in that order.
TEST(PageList, DocumentOrderThroughEveryShapeOfTree) {
    const std::pair<const char*, std::map<int, std::string>> cases[] = {
        {"intermediate nodes", {}},
        {"kids by reference, numbers as written",
         {{2, "<< /Type /Pages /Kids 8 0 R /Count 3 >>"}, {8, "[3 0 R 07 0 R 500 0 R]"}}},
        // Page 6 is itself a stream whose data would end the scan if it were read.
        {"page data hidden in a stream",
         {{6, "<< /Length 10 /Parent 3 0 R >>\nstream\n) endobj (\nendstream /Type /Page"}}},
        // 3 names its own parent and itself among its kids.
        {"cycles", {{3, "<< /Type /Pages /Parent 2 0 R /Kids [2 0 R 4 0 R 3 0 R 6 0 R] /Count 2 >>"}}},
    };
    for (const auto& [name, changes] : cases) {
        PdfBuilder builder = NestedTree();
        for (const auto& [number, body] : changes) builder.Set(number, body);
        LoadedDocument doc(builder);
        EXPECT_EQ(PageList(doc.Analyst), (TIDList{4, 6, 7})) << name;
        EXPECT_EQ(doc.Analyst.FirstPageID(), 4) << name;
        EXPECT_EQ(doc.Analyst.PageCount(), 3) << name;
    }
}

TEST(PageList, AppendsAndAcceptsNoList) {
    LoadedDocument doc(NestedTree());
    TIDList pages{9};
    doc.Analyst.GetPageList(&pages);
    EXPECT_EQ(pages, (TIDList{9, 4, 6, 7}));
    EXPECT_NO_THROW(doc.Analyst.GetPageList(nullptr));
}

TEST(PageList, ErrorsWithoutStreamOrRoot) {
    TDefaultAnalyst empty;
    EXPECT_EQ(PageListError(empty), "ストリームが不正です。");
    // A load that stopped at the catalog keeps its stream but has no root.
    TempFile file(Replace(NestedTree().Build(), "1 0 obj", "9 0 obj"));
    TDefaultAnalyst partly;
    EXPECT_THROW(partly.LoadFromFile(file.Path()), Exception);
    ASSERT_NE(partly.Stream(), nullptr);
    EXPECT_EQ(PageListError(partly), "FirstPagesが存在しません。");
}

TEST(PageList, OffsetOfAnotherObjectRaisesObjectID) {
    // The first page is fine, so the file loads; page 6's header names 5.
    const std::string bytes = Replace(NestedTree().Build(), "6 0 obj", "5 0 obj");
    LoadedDocument doc(bytes);
    EXPECT_EQ(PageListError(doc.Analyst), ObjectID);
    EXPECT_FALSE(doc.Analyst.Failed());
}

TEST(PageList, KidInAGapOfTheTableRaisesObjectID) {
    PdfBuilder builder = NestedTree();
    builder.Set(3, "<< /Type /Pages /Parent 2 0 R /Kids [4 0 R 9 0 R 6 0 R] /Count 2 >>");
    builder.Set(10, "null");  // makes 9 a valid number without an entry
    LoadedDocument doc(builder);
    EXPECT_EQ(PageListError(doc.Analyst), ObjectID);
}

// Two nodes naming each other and no page.
TEST(PageList, ATreeThatIsOnlyACycleHasNoPages) {
    PdfBuilder loop;
    loop.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    loop.Set(2, "<< /Type /Pages /Kids [3 0 R] >>");
    loop.Set(3, "<< /Type /Pages /Kids [2 0 R] >>");
    LoadedDocument noPages(loop);
    EXPECT_EQ(noPages.Analyst.FirstPageID(), -1);
    EXPECT_EQ(PageList(noPages.Analyst), TIDList{});
}

TEST(PageList, SharedSubtreesDoNotMultiplyTheWalk) {
    // Every node names the next one twice: walked naively, the last level
    // would be reached 2^40 times.
    constexpr int Levels = 40;
    PdfBuilder builder;
    builder.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    for (int n = 2; n < Levels + 2; ++n) {
        const std::string kid = std::to_string(n + 1) + " 0 R";
        builder.Set(n, "<< /Type /Pages /Kids [" + kid + " " + kid + "] >>");
    }
    builder.Set(Levels + 2, "<< /Type /Page >>");
    LoadedDocument doc(builder);
    const TIDList pages = PageList(doc.Analyst);
    ASSERT_FALSE(pages.empty());
    EXPECT_LE(pages.size(), 2u);
    EXPECT_EQ(pages.front(), Levels + 2);
}

TEST(PageList, DeepTreeDoesNotExhaustTheStack) {
    constexpr int Depth = 100000;
    PdfBuilder builder;
    builder.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    for (int n = 2; n < Depth + 2; ++n)
        builder.Set(n, "<< /Type /Pages /Kids [" + std::to_string(n + 1) + " 0 R] /Parent " + std::to_string(n - 1) +
                           " 0 R" + (n == 2 ? " /MediaBox [0 0 10 20]" : "") + " >>");
    builder.Set(Depth + 2, "<< /Type /Page /Parent " + std::to_string(Depth + 1) + " 0 R >>");
    LoadedDocument doc(builder);
    EXPECT_EQ(doc.Analyst.FirstPageID(), Depth + 2);
    EXPECT_EQ(doc.Analyst.MediaBox(), (TBox{0, 0, 10, 20}));  // inherited through every level
    EXPECT_EQ(PageList(doc.Analyst), (TIDList{Depth + 2}));
}

// -------------------------------------------------------------- media box

namespace {

TBox FirstPageBox(const std::string& pageBox, const std::string& parentBox, const std::string& rootBox) {
    PdfBuilder builder = NestedTree();
    builder.Set(2, "<< /Type /Pages /Kids [3 0 R 7 0 R] /Count 3" + rootBox + " >>");
    builder.Set(3, "<< /Type /Pages /Parent 2 0 R /Kids [4 0 R 6 0 R]" + parentBox + " >>");
    builder.Set(4, "<< /Type /Page /Parent 3 0 R" + pageBox + " >>");
    LoadedDocument doc(builder);
    return doc.Analyst.MediaBox();
}

}  // namespace

TEST(MediaBox, InheritedFromTheNearestAncestor) {
    EXPECT_EQ(FirstPageBox(" /MediaBox [0 0 612 792]", " /MediaBox [0 0 1 1]", ""), (TBox{0, 0, 612, 792}));
    EXPECT_EQ(FirstPageBox("", " /MediaBox [0 0 595 842]", " /MediaBox [0 0 1 1]"), (TBox{0, 0, 595, 842}));
    EXPECT_EQ(FirstPageBox("", "", " /MediaBox [-8.5 0.5 595.5 842]"), (TBox{-8, 0, 596, 842}));
    EXPECT_EQ(FirstPageBox("", "", ""), TBox{});
    EXPECT_EQ(FirstPageBox("", " /MediaBox [0 0 1e300 1]", ""), TBox{});
    // A key inside a string is not a box.
    EXPECT_EQ(FirstPageBox(" /T (/MediaBox [1 2 3 4])", " /MediaBox [0 0 5 6]", ""), (TBox{0, 0, 5, 6}));
}

// The text is read elsewhere in the file; the position is put back.
TEST(MediaBox, TextKeepsEverythingUpToTheBracket) {
    LoadedDocument doc(PdfBuilder::SimpleDocument({"BT ET"}));
    std::string text = "old";
    doc.Analyst.Stream()->SetPosition(17);
    EXPECT_EQ(doc.Analyst.GetMediaBoxText(3, text), " [0 0 612 792]");
    EXPECT_EQ(doc.Analyst.GetMediaBoxText(99, text), "");
    EXPECT_EQ(doc.Analyst.GetMediaBoxText(-1, text), "");
    EXPECT_EQ(doc.Analyst.GetMediaBoxText(2, text), "");  // the root has none
    EXPECT_EQ(doc.Analyst.Stream()->Position(), 17);
}

TEST(MediaBox, ParentCyclesEnd) {
    PdfBuilder builder = NestedTree();
    builder.Set(4, "<< /Type /Page /Parent 4 0 R >>");  // its own parent
    LoadedDocument doc(builder);
    EXPECT_EQ(doc.Analyst.MediaBox(), TBox{});
    std::string text;
    EXPECT_EQ(doc.Analyst.GetMediaBoxText(4, text), "");

    PdfBuilder pair = NestedTree();
    pair.Set(3, "<< /Type /Pages /Parent 4 0 R /Kids [4 0 R 6 0 R] >>");
    LoadedDocument twoNodes(pair);
    EXPECT_EQ(twoNodes.Analyst.MediaBox(), TBox{});
}
