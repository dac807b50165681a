#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "AnalystTestSupport.h"
#include "pdf/DefaultAnalyst.h"

using namespace lumerra;
using namespace lumerra::test;

namespace {

const std::string Broken = "このファイルは壊れています";
const std::string NotPdf = "このファイルはPDFファイルではありません。";
const std::string Unsupported = "このファイルは未対応の形式です。";
const std::string NoEof = "%%EOFがありません。";
const std::string XrefUnreadable = "相互参照テーブルの位置を正確に取得できませんでした。";
const std::string XrefInvalid = "相互参照テーブルの位置が不正です。";
const std::string FirstInvalid = "相互参照テーブルの先頭オブジェクト番号が不正です。";
const std::string CountInvalid = "相互参照テーブルの項目数が不正です。";
const std::string TrailerInvalid = "trailerが正しくありません。";
const std::string RootFailed = "RootIDの取得に失敗しました。";
const std::string PrevFailed = "PrevIDの取得に失敗しました。";
const std::string InfoFailed = "InfoIDの取得に失敗しました。";
const std::string NoRoot = "RootIDが正確に取得できませんでした。";
const std::string NoFirstPages = "FirstPagesIDが正確に取得できませんでした。";
const std::string ObjectID = "オブジェクトIDが不正です。";

std::string Simple() { return PdfBuilder::SimpleDocument({"BT ET"}).Build(); }

PdfBuilder WithOptions(PdfBuilder::Options options) {
    PdfBuilder builder(std::move(options));
    builder.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    builder.Set(2, "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 >>");
    builder.Set(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] >>");
    builder.Set(4, "<< /Type /Page /Parent 2 0 R >>");
    return builder;
}

// The offsets the builder wrote, as the analyser's table should hold them.
std::vector<int64_t> ExpectedOffsets(const PdfBuilder& builder, int count) {
    std::vector<int64_t> offsets(static_cast<size_t>(count), -1);
    offsets[0] = 0;
    for (const auto& [number, offset] : builder.Offsets()) offsets[static_cast<size_t>(number)] = static_cast<int64_t>(offset);
    return offsets;
}

}  // namespace

// ---------------------------------------------------------- header, version

TEST(AnalystHeader, OnlyVersionsUpTo14AtTheFirstByteLoad) {
    const auto withHeader = [](const std::string& Header) { return WithOptions({.Header = Header}).Build(); };
    struct Case {
        std::string Bytes, Message, Version;  // the version read when it loads
    };
    const std::vector<Case> cases = {
        {"", Broken, ""},
        {"%PDF", Broken, ""},
        {"\xEF\xBB\xBF" + Simple(), NotPdf, ""},
        {"\n" + Simple(), NotPdf, ""},
        {"%FDP-1.4 whatever", NotPdf, ""},
        {withHeader("%PDF-1.0\n"), "", "1.0"},
        {withHeader("%PDF-1.1\n"), "", "1.1"},
        {withHeader("%PDF-1.2\n"), "", "1.2"},
        {withHeader("%PDF-1.3\n"), "", "1.3"},
        {withHeader("%PDF-1.4\n"), "", "1.4"},
        {withHeader("%PDF-1.5\n"), Unsupported, ""},
        {withHeader("%PDF-1.7\n"), Unsupported, ""},
        {withHeader("%PDF-2.0\n"), Unsupported, ""},
        {withHeader("%PDF-1.x\n"), Unsupported, ""},
        {withHeader("%PDF-a.b\n"), Unsupported, ""},
        {withHeader("%PDF-1.\n"), NotPdf, ""},
        {withHeader("%PDF-14\n"), NotPdf, ""},
        {withHeader("%PDF-1\r"), NotPdf, ""},
    };
    for (const Case& c : cases) {
        TDefaultAnalyst analyst;
        EXPECT_EQ(LoadMessage(analyst, c.Bytes), c.Message) << c.Bytes.substr(0, 12);
        EXPECT_EQ(analyst.Version(), c.Version) << c.Bytes.substr(0, 12);
    }
}

// --------------------------------------------------- end marker and offset

TEST(AnalystEndMarker, OnlyLineEndsAndSpacesMayFollowIt) {
    const auto withTail = [](const std::string& Tail) { return WithOptions({.Tail = Tail}).Build(); };
    const std::vector<std::pair<std::string, std::string>> cases = {
        {withTail("\r\n \n"), ""},
        {withTail(""), ""},
        {withTail(std::string("\0", 1)), NoEof},
        {withTail("\t"), NoEof},
        {withTail("\n%%EOF."), NoEof},
        {withTail("x\n"), NoEof},
        {"%PDF-1.4\n", NoEof},
        {"%PDF-1.4 \n\r\n   ", NoEof},
        {ReplaceLast(Simple(), "%%EOF", "%%EOG"), NoEof},
    };
    for (const auto& [bytes, message] : cases) EXPECT_EQ(LoadMessage(bytes), message) << bytes.substr(bytes.size() - std::min<size_t>(bytes.size(), 8));
}

TEST(AnalystXrefOffset, OnlyTheWordBeforeTheMarkerCounts) {
    const PdfBuilder builder = WithOptions({});
    const std::string bytes = builder.Build();
    // The offset on its own line, glued to the marker, or after a blank run.
    const std::string glued = ReplaceLast(bytes, "\n%%EOF", "%%EOF");
    const std::string spaced = ReplaceLast(bytes, "\n%%EOF", " \r\n \n%%EOF");
    for (const std::string& variant : {bytes, glued, spaced}) {
        TDefaultAnalyst analyst;
        ASSERT_EQ(LoadMessage(analyst, variant), "");
        EXPECT_EQ(analyst.XrefOffsets(), (TStringList{std::to_string(builder.XrefOffsets()[0])}));
    }
}

TEST(AnalystXrefOffset, WrongOrUnreadableOffsets) {
    const PdfBuilder builder = WithOptions({});
    const std::string bytes = builder.Build();
    const std::string xref = std::to_string(builder.XrefOffsets()[0]);
    auto withOffset = [&](const std::string& offset) {
        return ReplaceLast(bytes, "startxref\n" + xref + "\n", "startxref\n" + offset + "\n");
    };
    EXPECT_EQ(LoadMessage(withOffset(std::to_string(builder.XrefOffsets()[0] - 1))), XrefInvalid);
    EXPECT_EQ(LoadMessage(withOffset(std::to_string(builder.XrefOffsets()[0] + 1))), XrefInvalid);
    EXPECT_EQ(LoadMessage(withOffset(std::to_string(builder.Offsets().at(1)))), XrefInvalid);  // an object
    EXPECT_EQ(LoadMessage(withOffset("-5")), XrefInvalid);
    EXPECT_EQ(LoadMessage(withOffset("abc")), XrefUnreadable);
    EXPECT_EQ(LoadMessage(withOffset("-1")), XrefUnreadable);
    EXPECT_EQ(LoadMessage(withOffset("99999999999")), XrefUnreadable);
    EXPECT_EQ(LoadMessage(withOffset(std::string(100, '1'))), XrefUnreadable);
    // The word may reach back to the first byte of the file, never before it.
    EXPECT_EQ(LoadMessage("%PDF-1.4%%EOF"), XrefUnreadable);
    EXPECT_EQ(LoadMessage("%PDF-1.4 \n%%EOF"), XrefUnreadable);
}

// ----------------------------------------------------------- xref sections

// Every line end an entry may have; thousands of entries of 19 or 20 bytes
// cross the file stream's buffer ends at every alignment.
TEST(AnalystXrefSection, EveryEntryLineEndIsReadAcrossBufferEnds) {
    for (const std::string end : {" \n", " \r", "\r\n", "\n", "\r"}) {
        PdfBuilder::Options options;
        options.EntryEnd = end;
        PdfBuilder builder = WithOptions(options);
        for (int i = 5; i < 4000; ++i) builder.Set(i, "null");
        LoadedDocument doc(builder);
        EXPECT_EQ(doc.Analyst.ObjectCount(), 4000);
        EXPECT_EQ(doc.Analyst.ObjectOffsets(), ExpectedOffsets(builder, 4000)) << "entry end " << end.size();
        TIDList pages;
        doc.Analyst.GetPageList(&pages);
        EXPECT_EQ(pages, (TIDList{3, 4}));
    }
}

TEST(AnalystXrefSection, OneSubsectionPerObject) {
    PdfBuilder::Options options;
    options.SplitAll = true;
    const PdfBuilder builder = WithOptions(options);
    const std::string bytes = builder.Build();
    ASSERT_NE(bytes.find("\n3 1\n"), std::string::npos);
    LoadedDocument doc(bytes);
    EXPECT_EQ(doc.Analyst.ObjectOffsets(), ExpectedOffsets(builder, 5));
}

TEST(AnalystXrefSection, GapsBetweenSubsectionsStayUnset) {
    PdfBuilder builder;
    builder.Set(3, "<< /Type /Catalog /Pages 4 0 R >>").Set(4, "<< /Type /Pages /Kids [] /Count 0 >>").Root(3);
    const std::string bytes = builder.Build();
    ASSERT_NE(bytes.find("xref\n0 1\n"), std::string::npos);
    ASSERT_NE(bytes.find("\n3 2\n"), std::string::npos);
    LoadedDocument doc(bytes);
    EXPECT_EQ(doc.Analyst.ObjectCount(), 5);
    EXPECT_EQ(doc.Analyst.ObjectOffsets(), ExpectedOffsets(builder, 5));
    EXPECT_EQ(doc.Analyst.ObjectOffsets()[1], -1);
    EXPECT_EQ(doc.Analyst.ObjectOffsets()[2], -1);
    EXPECT_EQ(doc.Analyst.PageCount(), 0);
    EXPECT_EQ(doc.Analyst.FirstPageID(), -1);
}

TEST(AnalystXrefSection, FreeEntriesKeepTheirOffsetAndSetTheirBit) {
    PdfBuilder builder = WithOptions({});
    builder.Build();
    const auto& offsets = builder.Offsets();
    builder.XrefBody("0 6\n" + builder.Entry(0, 65535, 'f') + builder.Entry(offsets.at(1)) + builder.Entry(offsets.at(2)) +
                     builder.Entry(offsets.at(3)) + builder.Entry(offsets.at(4)) + builder.Entry(77, 1, 'f'));
    LoadedDocument doc(builder);
    EXPECT_EQ(doc.Analyst.ObjectOffsets()[0], 0);
    EXPECT_EQ(doc.Analyst.ObjectOffsets()[5], 77);
    EXPECT_EQ(doc.Analyst.FreeObjects(), (std::vector<bool>{true, false, false, false, false, true}));
}

// The simple document with its cross-reference entries replaced by Body.
std::string WithXrefBody(const std::string& Body) {
    PdfBuilder builder = WithOptions({});
    builder.XrefBody(Body);
    return builder.Build();
}

// A well-formed entry for object 1 of the simple document.
std::string ObjectOneEntry() {
    PdfBuilder probe = WithOptions({});
    probe.Build();
    return probe.Entry(probe.Offsets().at(1));
}

TEST(AnalystXrefSection, BadSubsectionsAndTablesLargerThanTheFile) {
    const std::string entry = ObjectOneEntry();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"abc 1\n" + entry, FirstInvalid},
        {"-1 1\n" + entry, FirstInvalid},
        {"-5 1\n" + entry, FirstInvalid},
        {"1 x\n" + entry, CountInvalid},
        {"1 -1\n" + entry, CountInvalid},
        {"1 -3\n" + entry, CountInvalid},
        {"1 1\nABCDEFGHIJ 00000 n \n", CountInvalid},
        // Three entries announced, two given: the third is read out of the trailer.
        {"1 3\n" + entry + entry, CountInvalid},
        // More entries than the rest of the file could hold at 19 bytes each:
        // refused before the table is sized.
        {"1 2000000000\n" + entry, CountInvalid},
        {"1 100000\n" + entry, CountInvalid},
        {"1 2147483647\n" + entry, CountInvalid},
        // A few entries with numbers far beyond anything the file could hold.
        {"2000000000 1\n" + entry, FirstInvalid},
        {"2147483647 1\n" + entry, FirstInvalid},
        {"0 1\n" + PdfBuilder().Entry(0, 65535, 'f') + "2147483600 1\n" + entry, FirstInvalid},
    };
    for (const auto& [body, message] : cases) EXPECT_EQ(LoadMessage(WithXrefBody(body)), message) << body.substr(0, 14);
}

// ------------------------------------------------------ incremental updates

namespace {

// Revision 0: catalog 1, pages 2, page 3, info 4, objects 5 and 8.
// Revision 1: a new page 3, a new catalog 6, a new info 7.
PdfBuilder Updated(bool newRootAndInfo) {
    PdfBuilder builder;
    builder.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    builder.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    builder.Set(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 100 100] >>");
    builder.Set(4, "<< /Title (old) >>");
    builder.Set(5, "null");
    builder.Set(8, "null");
    builder.TrailerExtra("/Info 4 0 R");
    builder.NewRevision();
    builder.Set(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 300] >>");
    builder.Set(6, "<< /Type /Catalog /Pages 2 0 R /Outlines 5 0 R >>");
    builder.Set(7, "<< /Title (new) >>");
    if (newRootAndInfo) builder.Root(6).TrailerExtra("/Info 7 0 R");
    return builder;
}

}  // namespace

TEST(AnalystIncremental, NewerSectionWinsAndOlderHigherNumbersGrowTheTable) {
    const PdfBuilder builder = Updated(true);
    const std::string bytes = builder.Build();
    // The newest section only names 3, 6 and 7.
    ASSERT_NE(bytes.find("\n3 1\n"), std::string::npos);
    LoadedDocument doc(bytes);
    const TPDFAnalyst& a = doc.Analyst;
    EXPECT_EQ(a.ObjectCount(), 9);
    EXPECT_EQ(a.ObjectOffsets(), ExpectedOffsets(builder, 9));  // Offsets() holds the newest of each
    EXPECT_EQ(a.RootID(), 6);
    EXPECT_EQ(a.InfoID(), 7);
    EXPECT_EQ(a.OutlinesID(), 5);
    EXPECT_EQ(a.MediaBox(), (TBox{0, 0, 200, 300}));
    EXPECT_EQ(a.XrefOffsets(), (TStringList{std::to_string(builder.XrefOffsets()[1]),
                                            std::to_string(builder.XrefOffsets()[0])}));
}

TEST(AnalystIncremental, RootAndInfoComeFromTheNewestTrailerThatHasThem) {
    LoadedDocument doc(Updated(false));
    EXPECT_EQ(doc.Analyst.RootID(), 1);
    EXPECT_EQ(doc.Analyst.InfoID(), 4);
    EXPECT_EQ(doc.Analyst.OutlinesID(), -1);
}

TEST(AnalystIncremental, OlderInvalidRootOrInfoIsIgnoredOnceSet) {
    PdfBuilder builder = WithOptions({});
    builder.Trailer("<< /Size 5 /Root /Catalog /Info (none) >>\n");
    builder.NewRevision().Set(5, "null").Root(1).TrailerExtra("/Info 5 0 R");
    LoadedDocument doc(builder);
    EXPECT_EQ(doc.Analyst.RootID(), 1);
    EXPECT_EQ(doc.Analyst.InfoID(), 5);
}

// /Encrypt in any trailer is recorded, and the load reads on past it.
TEST(AnalystIncremental, ThreeRevisionsNewestFirstAndEncryptAnywhere) {
    PdfBuilder builder = WithOptions({});
    builder.TrailerExtra("/Encrypt 9 0 R /Info 3 0 R");
    builder.NewRevision().Set(5, "null");
    builder.NewRevision().Set(6, "null");
    LoadedDocument doc(builder);
    const auto& x = builder.XrefOffsets();
    EXPECT_EQ(doc.Analyst.XrefOffsets(),
              (TStringList{std::to_string(x[2]), std::to_string(x[1]), std::to_string(x[0])}));
    EXPECT_TRUE(doc.Analyst.Encrypted());
    EXPECT_EQ(doc.Analyst.InfoID(), 3);
    EXPECT_EQ(doc.Analyst.FirstPageID(), 3);
    EXPECT_EQ(doc.Analyst.ObjectCount(), 7);
}

// A section naming itself is in AnalystFail.
TEST(AnalystIncremental, PrevChainThatComesBackFails) {
    PdfBuilder builder = WithOptions({});
    builder.NewRevision().Set(5, "null").PrevTo(2);  // back to the newest
    builder.NewRevision().Set(6, "null");
    EXPECT_EQ(LoadMessage(builder.Build()), XrefInvalid);
}

// ------------------------------------------------------------------ trailer

TEST(AnalystTrailer, ADictionaryWhoseKeysAreNumbers) {
    struct Case {
        std::string Trailer, Message;
        int32_t Root;  // when it loads
    };
    const std::vector<Case> cases = {
        {"[ /Root 1 0 R ]\n", TrailerInvalid, -1},
        {"< < /Root 1 0 R >>\n", TrailerInvalid, -1},
        {"/Root 1 0 R\n", TrailerInvalid, -1},
        {" \r\n <</Root 1 0 R>>\n", "", 1},
        {"<< /Root /Catalog >>\n", RootFailed, -1},
        {"<< /Root 1 0 R /Prev abc >>\n", PrevFailed, -1},
        {"<< /Root 1 0 R /Prev -1 >>\n", PrevFailed, -1},
        {"<< /Root 1 0 R /Info (x) >>\n", InfoFailed, -1},
        {"<< /Size 5 >>\n", NoRoot, -1},
        // Strings and comments are not special.
        {"<< /Size 5 /Note (/Root 1 0 R) >>\n", "", 1},
    };
    for (const Case& c : cases) {
        PdfBuilder builder = WithOptions({});
        builder.Trailer(c.Trailer);
        TDefaultAnalyst analyst;
        EXPECT_EQ(LoadMessage(analyst, builder.Build()), c.Message) << c.Trailer;
        EXPECT_EQ(analyst.RootID(), c.Root) << c.Trailer;
    }
}

// A section, or a stream's data, that runs past the end of the file is
// damage told with where it was met; the analyser is not marked failed.
TEST(AnalystFileEnds, DamageSaysWhereAndLeavesNoFailedState) {
    PdfBuilder::Options options;
    options.StartXrefPrefix = "";
    const PdfBuilder noStartxref = WithOptions(options);
    PdfBuilder catalogStream = PdfBuilder::SimpleDocument({"BT ET"});
    catalogStream.Set(1, "<< /Type /Catalog /Pages 2 0 R /Length 2147483647 >>\nstream\nxx\nendstream");
    const std::string catalogBytes = catalogStream.Build();
    const std::pair<std::string, std::string> cases[] = {
        {ReplaceLast(Simple(), "%%EOF", "99999999\n%%EOF"), "offset 99999999"},
        {noStartxref.Build(), "offset " + std::to_string(noStartxref.XrefOffsets()[0])},
        {catalogBytes, "object 1, offset " + std::to_string(catalogStream.Offsets().at(1))},
    };
    for (const auto& [bytes, where] : cases) {
        TDefaultAnalyst analyst;
        TempFile file(bytes);
        EXPECT_EQ(DamageOnLoad(analyst, file.Path()), FileEnds + " (" + where + ")");
        EXPECT_FALSE(analyst.Failed()) << where;
        EXPECT_FALSE(analyst.Loaded()) << where;
        EXPECT_NE(analyst.Stream(), nullptr) << where;
    }
}

// ------------------------------------------------- Fail and its aftermath

TEST(AnalystFail, ClearsEverythingButCallsOnErrorFirst) {
    TDefaultAnalyst analyst;
    int calls = 0;
    int32_t countSeen = -2;
    bool streamSeen = false;
    analyst.OnError = [&](TPDFAnalyst& a) {
        ++calls;
        countSeen = a.ObjectCount();
        streamSeen = a.Stream() != nullptr;
    };
    PdfBuilder builder = WithOptions({});
    builder.Trailer("<< /Size 5 >>\n");
    EXPECT_EQ(LoadMessage(analyst, builder.Build()), NoRoot);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(countSeen, 5);
    EXPECT_TRUE(streamSeen);
    ExpectFailedState(analyst);
    EXPECT_TRUE(analyst.OnError != nullptr);  // kept by Clear

    // The next load starts afresh.
    EXPECT_EQ(LoadMessage(analyst, Simple()), "");
    EXPECT_FALSE(analyst.Failed());
    EXPECT_EQ(analyst.PageCount(), 1);
}

TEST(AnalystFail, EveryLoadMessageLeavesTheFailedState) {
    PdfBuilder catalogDirect = WithOptions({});
    catalogDirect.Set(1, "<< /Type /Catalog /Pages << /Type /Pages >> >>");
    PdfBuilder prevSelf = WithOptions({});
    prevSelf.PrevTo(0);  // the section names itself
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"%PD", Broken},
        {"<html>", NotPdf},
        {WithOptions({.Header = "%PDF-1.7\n"}).Build(), Unsupported},
        {Simple() + "x", NoEof},
        {catalogDirect.Build(), NoFirstPages},
        {prevSelf.Build(), XrefInvalid},
    };
    for (const auto& [bytes, message] : cases) {
        TDefaultAnalyst analyst;
        EXPECT_EQ(LoadMessage(analyst, bytes), message);
        ExpectFailedState(analyst);
    }
}

// --------------------------------------- catalog and root checks at load

TEST(AnalystObjectChecks, RootAndPagesNumbersAreCheckedBeforeUse) {
    // The simple document whose entry for object 1 gives the offset OffsetOf picks.
    const auto rootAt = [](auto OffsetOf) {
        PdfBuilder builder = WithOptions({});
        builder.Build();
        const auto& o = builder.Offsets();
        return builder
            .XrefBody("0 5\n" + builder.Entry(0, 65535, 'f') + builder.Entry(OffsetOf(o)) + builder.Entry(o.at(2)) +
                      builder.Entry(o.at(3)) + builder.Entry(o.at(4)))
            .Build();
    };
    const auto withCatalog = [](const std::string& Catalog) { return WithOptions({}).Set(1, Catalog).Build(); };
    PdfBuilder gap;
    gap.Set(3, "<< /Type /Catalog /Pages 4 0 R >>").Set(4, "<< /Type /Pages /Count 0 >>").Root(1);
    const std::pair<const char*, std::string> cases[] = {
        {"root beyond the table", WithOptions({}).Root(40).Build()},
        {"root in a gap of the table (slot -1)", gap.Build()},
        {"root offset past the end of the file", rootAt([](const auto&) { return 9999999; })},
        {"root offset at another object", rootAt([](const auto& o) { return o.at(2); })},
        {"pages beyond the table", withCatalog("<< /Type /Catalog /Pages 99 0 R >>")},
        {"pages on the free object 0", withCatalog("<< /Type /Catalog /Pages 0 0 R >>")},
    };
    for (const auto& [what, bytes] : cases) {
        TDefaultAnalyst analyst;
        EXPECT_EQ(LoadMessage(analyst, bytes), ObjectID) << what;
        EXPECT_FALSE(analyst.Failed()) << what;
        EXPECT_NE(analyst.Stream(), nullptr) << what;
    }
}

// ------------------------------------------------------------ opening

TEST(AnalystOpen, FoldersMissingFilesAndHugeFilesRaiseOpenErrors) {
    TempFile file("", "huge.pdf");
    TDefaultAnalyst analyst;
    EXPECT_THROW(analyst.LoadFromFile(file.Folder()), EFOpenError);
    EXPECT_THROW(analyst.LoadFromFile(file.Sibling("missing.pdf")), EFOpenError);
    std::filesystem::resize_file(file.Path(), uintmax_t{INT32_MAX} + 1);  // sparse: no disk used
    EXPECT_THROW(analyst.LoadFromFile(file.Path()), EFOpenError);
    EXPECT_FALSE(analyst.Failed());
    EXPECT_EQ(analyst.Stream(), nullptr);
}
