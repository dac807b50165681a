// Signatures: the revision each covers, what changed after it, and the
// faults of a byte range.
#include <gtest/gtest.h>

#include "HistoryFixtures.h"

namespace lumerra::test {
namespace {

using TNumbers = std::vector<int32_t>;

using TFindings = std::vector<TSignatureFinding>;
constexpr TSignatureFinding NoRevisionEnd = TSignatureFinding::NoRevisionEnd;
constexpr TSignatureFinding GapNotContents = TSignatureFinding::GapNotContents;
constexpr TSignatureFinding PastEnd = TSignatureFinding::PastEnd;
constexpr TSignatureFinding NotFromStart = TSignatureFinding::NotFromStart;

// The newest revision signed has nothing after it; a later one tells what
// it changed.
TEST(Signatures, ASignedRevisionChangedLaterTellsWhatChanged) {
    const struct {
        const char* Name;
        bool Streams, Updated;
        size_t Revisions;
        size_t ChangedAfter;  // the content 4, and a stream revision's own cross-reference stream
    } cases[] = {
        {"signed last", false, false, 1, 0},
        {"updated, tables", false, true, 2, 1},
        {"updated, streams", true, true, 2, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        PdfBuilder::Options options;
        options.XrefStreams = c.Streams;
        SignedDocument document(options, [](std::vector<long long>&) {});
        if (c.Updated) document.Builder.NewRevision().Root(1).SetStream(4, "", "BT /F1 12 Tf (changed) Tj ET");
        const TDocumentHistory history = HistoryOf(document.Builder.Build());

        ASSERT_EQ(history.Signatures.size(), 1u);  // found by its type and by its field's /V: once
        const TSignature& signature = history.Signatures[0];
        EXPECT_EQ(signature.Object, 5);
        EXPECT_EQ(signature.ByteRange, (std::vector<int64_t>(document.ByteRange.begin(), document.ByteRange.end())));
        EXPECT_EQ(signature.Revision, 1);
        EXPECT_TRUE(signature.Findings.empty());
        ASSERT_EQ(signature.ChangedAfter.size(), c.ChangedAfter);
        if (c.ChangedAfter > 0) {
            EXPECT_EQ(signature.ChangedAfter.front(), 4);
        }
        EXPECT_EQ(history.Chain.Revisions.size(), c.Revisions);
    }
}

TEST(Signatures, AByteRangeAtFaultIsAFinding) {
    using TFix = void (*)(std::vector<long long>&);
    struct TCase {
        const char* Name;
        TFix Fix;
        TFindings Findings;
        int32_t Revision;
    };
    const TCase cases[] = {
        {"ends before the revision", [](std::vector<long long>& R) { R[3] -= 1; }, {NoRevisionEnd}, 0},
        {"leaves more than /Contents out", [](std::vector<long long>& R) { R[1] -= 1; }, {GapNotContents}, 1},
        {"leaves less than /Contents out",
         [](std::vector<long long>& R) {
             R[2] -= 1;
             R[3] += 1;
         },
         {GapNotContents}, 1},
        {"past the end of the file", [](std::vector<long long>& R) { R[3] += 1000000; }, {PastEnd, NoRevisionEnd}, 0},
        {"not from the start",
         [](std::vector<long long>& R) {
             R[0] = 1;
             R[1] -= 1;
         },
         {NotFromStart}, 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const SignedDocument document({}, c.Fix);
        const TDocumentHistory history = HistoryOf(document.Builder.Build());
        ASSERT_EQ(history.Signatures.size(), 1u);
        EXPECT_EQ(history.Signatures[0].Findings, c.Findings);
        EXPECT_EQ(history.Signatures[0].Revision, c.Revision);
    }
}

TEST(Signatures, AnUnreadableByteRange) {
    PdfBuilder builder = PdfBuilder::SimpleDocument({"BT ET"});
    builder.Set(5, "<< /Type /Sig /ByteRange [0 1 2] /Contents <00> >>");
    builder.Set(6, "<< /Type /Sig /ByteRange [0 -1 2 3] >>");
    const TDocumentHistory history = HistoryOf(builder.Build());
    ASSERT_EQ(history.Signatures.size(), 2u);
    for (const TSignature& signature : history.Signatures) {
        EXPECT_TRUE(signature.ByteRange.empty());
        EXPECT_EQ(signature.Findings, TFindings{TSignatureFinding::Unreadable});
    }
}

TEST(Signatures, TheGapMustSpellTheContents) {
    struct TCase {
        std::string Gap;
        std::string Contents;
        bool Same;
    };
    const TCase cases[] = {
        {"<00ff>", std::string("\x00\xff", 2), true}, {"< 00 F F\n>", std::string("\x00\xff", 2), true},
        {"<0f0>", std::string("\x0f\x00", 2), true},  {"<00ff>", std::string("\x00\xfe", 2), false},
        {"(ab)", "ab", false},                        {"<00ff", std::string("\x00\xff", 2), false},
        {"<00fg>", std::string("\x00\xff", 2), false}, {"<>", "", true},
    };
    for (const TCase& c : cases) EXPECT_EQ(IsHexStringOf(c.Gap, c.Contents), c.Same) << c.Gap;
}

}  // namespace
}  // namespace lumerra::test
