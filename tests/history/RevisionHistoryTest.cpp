// Revisions read along the cross-reference chain: their sections, bytes,
// and what each added, changed and freed, for tables, streams and object
// streams alike.
#include <gtest/gtest.h>

#include <algorithm>

#include "HistoryFixtures.h"
#include "common/Stream.h"
#include "history/EofMarkers.h"

namespace lumerra::test {
namespace {

using TNumbers = std::vector<int32_t>;

// The document's own objects (1 to 7): the builder numbers its structure
// streams after them.
TNumbers Own(const TNumbers& Numbers) {
    TNumbers own;
    std::copy_if(Numbers.begin(), Numbers.end(), std::back_inserter(own), [](int32_t N) { return N <= 7; });
    return own;
}

// Three revisions: the original (objects 1 to 5, 5 unused), an update that
// changes the page's content 4, adds 6 and frees 5, and one that changes the
// catalog 1, adds 7 and names it /Info.
PdfBuilder ThreeRevisions(PdfBuilder::Options Options) {
    PdfBuilder builder(Options);
    builder.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    builder.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    builder.Set(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R >>");
    builder.SetStream(4, "", "BT (first) Tj ET");
    builder.Set(5, "<< /Unused true >>");
    builder.NewRevision().Root(1);
    builder.SetStream(4, "", "BT (second) Tj ET");
    builder.Set(6, "<< /Annotation true >>");
    builder.Free(5);
    builder.NewRevision().Root(1).TrailerExtra("/Info 7 0 R");
    builder.Set(1, "<< /Type /Catalog /Pages 2 0 R /Lang (ja) >>");
    builder.Set(7, "<< /Title (three) >>");
    return builder;
}

struct TLayout {
    const char* Name;
    bool XrefStreams;
    bool ObjectStreams;
};

TEST(RevisionHistory, EachRevisionListsWhatItAddedChangedAndFreed) {
    for (const TLayout layout : {TLayout{"tables", false, false}, TLayout{"streams", true, false},
                                 TLayout{"object streams", true, true}}) {
        SCOPED_TRACE(layout.Name);
        PdfBuilder::Options options;
        options.XrefStreams = layout.XrefStreams;
        options.ObjectStreams = layout.ObjectStreams;
        const PdfBuilder builder = ThreeRevisions(options);
        const std::string bytes = builder.Build();
        const TDocumentHistory history = HistoryOf(bytes);

        const std::vector<TRevision>& revisions = history.Chain.Revisions;
        ASSERT_EQ(revisions.size(), 3u);
        const std::vector<int64_t> ends = MarkerLineEnds(bytes);
        for (size_t r = 0; r < 3; ++r) {
            EXPECT_EQ(revisions[r].Kind, layout.XrefStreams ? TXrefSection::TKind::Stream : TXrefSection::TKind::Table);
            EXPECT_EQ(revisions[r].Offset, static_cast<int64_t>(builder.XrefOffsets()[r]));
            EXPECT_EQ(revisions[r].Start, r == 0 ? 0 : ends[r - 1]);
            EXPECT_EQ(revisions[r].End, ends[r]);
        }
        EXPECT_EQ(history.Chain.AfterLastEof, 0);

        const std::vector<TRevisionChanges>& changes = history.Changes;
        EXPECT_EQ(Own(changes[0].Added), (TNumbers{1, 2, 3, 4, 5}));
        EXPECT_EQ(Own(changes[0].Changed), TNumbers{});
        EXPECT_EQ(changes[0].TrailerChanged, std::vector<std::string>{"Root"});
        EXPECT_EQ(Own(changes[1].Added), TNumbers{6});
        EXPECT_EQ(Own(changes[1].Changed), TNumbers{4});
        EXPECT_EQ(changes[1].Freed, TNumbers{5});
        EXPECT_EQ(changes[1].TrailerChanged, std::vector<std::string>{});
        EXPECT_EQ(Own(changes[2].Added), TNumbers{7});
        EXPECT_EQ(Own(changes[2].Changed), TNumbers{1});
        EXPECT_EQ(changes[2].Freed, TNumbers{});
        EXPECT_EQ(changes[2].TrailerChanged, std::vector<std::string>{"Info"});
        // A cross-reference stream is an object its revision adds.
        if (layout.XrefStreams) {
            EXPECT_EQ(changes[1].Added.size(), layout.ObjectStreams ? 3u : 2u);
        }
    }
}

TEST(RevisionHistory, AHybridFilesStreamBelongsToTheRevisionOfItsTable) {
    // Revision 1: a table for 0 to 4 whose /XRefStm stream lists 5; then an
    // update that writes 5 again.
    PdfBuilder builder = PdfBuilder::SimpleDocument({"BT ET"});
    builder.Set(5, "<< /Hidden true >>");
    const auto beside = [](size_t Offset5) {
        const std::string row = {1, 0, 0, static_cast<char>(Offset5 >> 8), static_cast<char>(Offset5 & 0xff), 0, 0};
        return "6 0 obj\n<< /Type /XRef /Size 7 /W [1 4 2] /Index [5 1] /Length 7 >>\nstream\n" + row +
               "\nendstream\nendobj\n";
    };
    const auto tenDigits = [](size_t N) {
        const std::string digits = std::to_string(N);
        return std::string(10 - digits.size(), '0') + digits;
    };
    builder.Filler(beside(0)).TrailerExtra("/XRefStm 0000000000").Build();
    const size_t streamAt = builder.XrefOffsets()[0] - beside(0).size();
    std::string table = "0 5\n" + builder.Entry(0, 65535, 'f');
    for (int n = 1; n <= 4; ++n) table += builder.Entry(static_cast<long long>(builder.Offsets().at(n)));
    builder.Filler(beside(builder.Offsets().at(5))).TrailerExtra("/XRefStm " + tenDigits(streamAt)).XrefBody(table);
    builder.NewRevision().Root(1).Set(5, "<< /Hidden false >>");
    const std::string bytes = builder.Build();

    const TDocumentHistory history = HistoryOf(bytes);
    ASSERT_EQ(history.Chain.Revisions.size(), 2u);
    const TRevision& first = history.Chain.Revisions[0];
    EXPECT_EQ(first.Kind, TXrefSection::TKind::Table);
    EXPECT_EQ(first.Offset, static_cast<int64_t>(builder.XrefOffsets()[0]));
    EXPECT_EQ(first.End, MarkerLineEnds(bytes)[0]);
    ASSERT_EQ(first.Sections.size(), 2u);
    EXPECT_TRUE(first.Sections[1].Beside);
    EXPECT_EQ(history.Changes[0].Added, (TNumbers{1, 2, 3, 4, 5}));
    EXPECT_EQ(history.Changes[1].Changed, TNumbers{5});
}

TEST(RevisionHistory, AnEntryThatRepeatsTheStateChangesNothing) {
    // The update lists object 2 again where it already was, beside a real
    // change to 4.
    PdfBuilder builder = PdfBuilder::SimpleDocument({"BT ET"});
    builder.Build();
    const size_t at2 = builder.Offsets().at(2);
    builder.NewRevision().Root(1).SetStream(4, "", "BT (new) Tj ET");
    builder.Build();
    const size_t at4 = builder.Offsets().at(4);
    builder.XrefBody("2 1\n" + builder.Entry(static_cast<long long>(at2)) + "4 1\n" +
                     builder.Entry(static_cast<long long>(at4)));
    const TDocumentHistory history = HistoryOf(builder.Build());
    ASSERT_EQ(history.Changes.size(), 2u);
    EXPECT_EQ(history.Changes[1].Changed, TNumbers{4});
    EXPECT_EQ(history.Changes[1].Added, TNumbers{});
}

TEST(RevisionHistory, BytesAfterTheLastMarkerAndOtherLineEnds) {
    struct TCase {
        const char* Tail;
        int64_t After;
    };
    // After "%%EOF", CR LF or one CR, LF, space or tab belongs to it: the
    // rule triage counts by.
    for (const TCase c : {TCase{"\n", 0}, TCase{"\r\n", 0}, TCase{"\r", 0}, TCase{"", 0}, TCase{"\r\ntrailing", 8},
                          TCase{"\n\n\n", 2}, TCase{" \n", 1}, TCase{"\t\r\n", 2}, TCase{"\n\r\n", 2}}) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.Tail)));
        PdfBuilder::Options options;
        options.Tail = c.Tail;
        PdfBuilder builder(options);
        builder.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
        builder.Set(2, "<< /Type /Pages /Kids [] /Count 0 >>");
        builder.NewRevision().Root(1).Set(3, "<< >>");
        const std::string bytes = builder.Build();
        const TDocumentHistory history = HistoryOf(bytes);
        ASSERT_EQ(history.Chain.Revisions.size(), 2u);
        EXPECT_EQ(history.Chain.AfterLastEof, c.After);
        EXPECT_EQ(history.Chain.Revisions[1].Start, history.Chain.Revisions[0].End);
        EXPECT_EQ(history.Chain.Revisions[1].End, static_cast<int64_t>(bytes.size()) - c.After);
    }
}

// The newest section is named by "startxref N" right before the last
// marker, with white space and comments around; anything else is damage.
TEST(RevisionHistory, TheLastMarkerFollowsItsStartxref) {
    PdfBuilder builder = PdfBuilder::SimpleDocument({"BT ET"});
    builder.NewRevision().Root(1).Set(5, "<< >>");
    const std::string bytes = builder.Build();
    const size_t keyword = bytes.rfind("startxref");
    const std::string body = bytes.substr(0, keyword);
    const std::string offset = std::to_string(std::stoll(bytes.substr(keyword + 9)));
    struct TCase {
        const char* Name;
        std::string End;
        bool Read;
    };
    const TCase cases[] = {
        {"as written", "startxref\n" + offset + "\n%%EOF\n", true},
        {"every white space", "startxref\t\f" + offset + std::string("\0 \f\r\n%%EOF", 10), true},
        {"a comment before the offset", "startxref % newest\n" + offset + "\n%%EOF\n", true},
        // Then the first revision's marker is the only one that names a section.
        {"junk after the offset", "startxref\n" + offset + " junk\n%%EOF\n", false},
        {"the keyword commented out", "% startxref\n" + offset + "\n%%EOF\n", false},
        {"no offset", "startxref\n%%EOF\n", false},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TRevisionChain chain = HistoryOf(body + c.End).Chain;
        EXPECT_EQ(chain.Revisions.size(), c.Read ? 2u : 1u);
        EXPECT_EQ(chain.ChainDamage.has_value(), !c.Read);
    }
}

// A chain that comes back, or points nowhere, is not followed: the
// revisions are the sections that the markers name, and the damage is told.
TEST(RevisionHistory, ADamagedChainFallsBackToTheMarkers) {
    // Revision 3 names itself; revision 2 names revision 3; revision 3 names
    // a place that holds no section.
    for (const int c : {0, 1, 2}) {
        SCOPED_TRACE(c);
        PdfBuilder builder = PdfBuilder::SimpleDocument({"BT ET"});
        builder.NewRevision().Root(1).Set(5, "<< >>");
        if (c == 1) builder.PrevTo(2);
        builder.NewRevision().Root(1).Set(6, "<< >>");
        if (c == 0) builder.PrevTo(2);
        if (c == 2) builder.Trailer("<< /Size 7 /Root 1 0 R /Prev 99999 >>\n");
        const std::string bytes = builder.Build();
        const TDocumentHistory history = HistoryOf(bytes);
        ASSERT_TRUE(history.Chain.ChainDamage.has_value());
        EXPECT_EQ(history.Chain.ChainDamage->Message.Code, TMessageCode::RevisionsFromMarkers);
        ASSERT_EQ(history.Chain.Revisions.size(), 3u);
        for (size_t r = 0; r < 3; ++r) EXPECT_EQ(history.Chain.Revisions[r].End, MarkerLineEnds(bytes)[r]);
        EXPECT_EQ(history.Changes[2].Added, TNumbers{6});
    }
    // No marker names a section that reads: nothing to fall back to.
    std::string bytes = PdfBuilder::SimpleDocument({"BT ET"}).Build();
    bytes.replace(bytes.rfind("startxref"), 9, "startxrex");
    EXPECT_THROW(HistoryOf(bytes), EDamagedInput);
}

// A startxref that names no section (an offset a few bytes off, or past the
// end): the table before the same marker is that revision's, and it is told.
TEST(RevisionHistory, AWrongStartxrefFallsBackToTheTableBeforeItsMarker) {
    struct TCase {
        const char* Name;
        int Revisions;
        size_t Wrong;  // the revision whose startxref is wrong, from 0
        const char* Offset;  // what it names instead
    };
    const TCase cases[] = {
        {"one revision, seven bytes off", 1, 0, "+7"},
        {"one revision, past the end", 1, 0, "99999999"},
        {"the newest of two", 2, 1, "+1"},
        {"the oldest of two", 2, 0, "+3"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        PdfBuilder builder = PdfBuilder::SimpleDocument({"BT ET"});
        if (c.Revisions == 2) builder.NewRevision().Root(1).Set(5, "<< >>");
        std::string bytes = builder.Build();
        const std::vector<size_t> tables = builder.XrefOffsets();
        // The startxref of revision Wrong, rewritten.
        size_t keyword = bytes.find("startxref");
        for (size_t r = 0; r < c.Wrong; ++r) keyword = bytes.find("startxref", keyword + 1);
        const size_t number = bytes.find_first_of("0123456789", keyword);
        const size_t numberEnd = bytes.find_first_not_of("0123456789", number);
        const std::string named = c.Offset[0] == '+'
                                      ? std::to_string(tables[c.Wrong] + std::stoul(c.Offset + 1))
                                      : std::string(c.Offset);
        // Later revisions' offsets stay right only when the length does.
        if (c.Wrong + 1 < tables.size()) {
            ASSERT_EQ(named.size(), numberEnd - number);
        }
        bytes.replace(number, numberEnd - number, named);
        const TDocumentHistory history = HistoryOf(bytes);
        ASSERT_EQ(history.Chain.Revisions.size(), static_cast<size_t>(c.Revisions));
        for (int r = 0; r < c.Revisions; ++r)
            EXPECT_EQ(history.Chain.Revisions[r].Offset, static_cast<int64_t>(tables[r]));
        const bool newestWrong = c.Wrong + 1 == static_cast<size_t>(c.Revisions);
        // An older revision's wrong startxref does not matter while the
        // chain from the newest is followed.
        ASSERT_EQ(history.Chain.TablesFound.size(), newestWrong ? 1u : 0u);
        if (newestWrong) {
            EXPECT_EQ(history.Chain.TablesFound[0].Message.Code, TMessageCode::TableFoundBeforeMarker);
            EXPECT_EQ(history.Chain.TablesFound[0].Offset, static_cast<int64_t>(tables[c.Wrong]));
        }
    }
}

// Sections the chain does not reach are listed apart, with their bytes: an
// update whose /Prev was lost leaves the revisions before it unlinked.
TEST(RevisionHistory, SectionsTheChainDoesNotReachAreUnlinked) {
    PdfBuilder builder = PdfBuilder::SimpleDocument({"BT ET"});
    builder.NewRevision().Root(1).Set(5, "<< >>");
    builder.NewRevision().Root(1).Set(6, "<< >>").Trailer("<< /Size 7 /Root 1 0 R >>\n");
    const std::string bytes = builder.Build();
    const TRevisionChain chain = HistoryOf(bytes).Chain;
    const std::vector<int64_t> ends = MarkerLineEnds(bytes);
    EXPECT_FALSE(chain.ChainDamage.has_value());
    ASSERT_EQ(chain.Revisions.size(), 1u);
    EXPECT_EQ(chain.Revisions[0].Start, ends[1]);
    ASSERT_EQ(chain.Unlinked.size(), 2u);
    for (size_t u = 0; u < 2; ++u) {
        EXPECT_EQ(chain.Unlinked[u].Offset, static_cast<int64_t>(builder.XrefOffsets()[u]));
        EXPECT_EQ(chain.Unlinked[u].Start, u == 0 ? 0 : ends[0]);
        EXPECT_EQ(chain.Unlinked[u].End, ends[u]);
    }
}

// Junk before the header: the file's offsets count from the header, but
// the revisions give the file's own positions.
TEST(RevisionHistory, JunkBeforeTheHeaderCountsInEveryPosition) {
    for (const size_t junk : {size_t{0}, size_t{81}}) {
        SCOPED_TRACE(junk);
        PdfBuilder builder = PdfBuilder::SimpleDocument({"BT ET"});
        builder.NewRevision().Root(1).Set(5, "<< >>");
        const std::string bytes = std::string(junk, 'j') + builder.Build();
        const TRevisionChain chain = HistoryOf(bytes).Chain;
        const std::vector<int64_t> ends = MarkerLineEnds(bytes);
        ASSERT_EQ(chain.Revisions.size(), 2u);
        for (size_t r = 0; r < 2; ++r) {
            EXPECT_EQ(chain.Revisions[r].Offset, static_cast<int64_t>(builder.XrefOffsets()[r] + junk));
            EXPECT_EQ(chain.Revisions[r].Start, r == 0 ? 0 : ends[0]);
            EXPECT_EQ(chain.Revisions[r].End, ends[r]);
        }
    }
}

TEST(RevisionHistory, ManyRevisionsEachGetTheirOwnBytes) {
    PdfBuilder builder = PdfBuilder::SimpleDocument({"BT ET"});
    for (int r = 0; r < 300; ++r) builder.NewRevision().Root(1).Set(5 + r % 7, "<< /N " + std::to_string(r) + " >>");
    const std::string bytes = builder.Build();
    const TDocumentHistory history = HistoryOf(bytes);
    ASSERT_EQ(history.Chain.Revisions.size(), 301u);
    const std::vector<int64_t> ends = MarkerLineEnds(bytes);
    for (size_t r = 0; r < ends.size(); ++r) EXPECT_EQ(history.Chain.Revisions[r].End, ends[r]);
    EXPECT_EQ(history.Changes[8].Changed, TNumbers{5});  // the eighth update writes 5 again
}

TEST(EofMarkers, FoundAcrossTheReadingWindows) {
    // Markers on both sides of the 1 MiB window, one straddling it.
    TMemoryStream file;
    std::string bytes(3 * 1024 * 1024, 'x');
    const std::vector<size_t> at = {10, 1024 * 1024 - 2, 2 * 1024 * 1024 + 7};
    for (const size_t a : at) bytes.replace(a, 5, "%%EOF");
    file.WriteBuffer(bytes.data(), static_cast<int32_t>(bytes.size()));
    EXPECT_EQ(EofMarkers(file), (std::vector<int64_t>{10, 1024 * 1024 - 2, 2 * 1024 * 1024 + 7}));
    EXPECT_EQ(LastEofMarker(file), 2 * 1024 * 1024 + 7);
    TMemoryStream none;
    none.WriteBuffer("%%EO", 4);
    EXPECT_EQ(LastEofMarker(none), -1);
}

}  // namespace
}  // namespace lumerra::test
