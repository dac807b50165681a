// Streams that lie about their length and data that inflates enormously:
// reports come out, or the run stops with a message; memory follows the
// limits of the spill buffer and the Flate chunks, never the decoded size.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/StrUtils.h"
#include "hostile/HostileDocuments.h"
#include "support/FilterFixtures.h"
#include "support/PdfBuilder.h"

using namespace lumerra;
using namespace lumerra::test;

namespace {

// One page whose content stream is Body (dictionary and data written as
// is), and object 5 a number as large as a /Length may be.
std::string PageWithStream(const std::string& Body) {
    return PdfBuilder::SimpleDocument({""}).Set(4, Body).Set(5, "2147483647").Build();
}

constexpr int64_t MiB = 1024 * 1024;

}  // namespace

TEST(HostileStreams, LyingLengthsEndInReportOrMessage) {
    const std::string data = Deflate("BT (text) Tj ET\n");
    struct Case {
        std::string Name, Dictionary, Data;
        bool Message;  // the run must stop with a message; otherwise either outcome
    };
    std::vector<Case> cases;
    for (const std::string length : {"2147483647", "-2147483648", "-1", "0", "999999", "5 0 R", "4 0 R", "3", "(12)", "1e9"})
        for (const std::string filter : {"", " /Filter /FlateDecode"})
            cases.push_back({"/Length " + length + (filter.empty() ? "" : " flate"), "/Length " + length + filter, data, false});
    // The stream says it is longer than the rest of the file.
    cases.push_back({"/Length past the end", "/Length 5 0 R /Filter /FlateDecode", Deflate(std::string(1000, 'a')), true});
    for (const Case& c : cases) {
        TempFile file(PageWithStream("<< " + c.Dictionary + " >>\nstream\n" + c.Data + "\nendstream"));
        for (const bool comments : {true, false}) {
            const std::string name = c.Name + (comments ? ", comments" : "");
            SCOPED_TRACE(name);
            const TCaseOutcome outcome =
                RunCase(name, [&] { return WriteReport(file.Path(), file.Sibling("out.txt"), comments); });
            if (c.Message) {
                ExpectMessage(outcome);
            } else {
                ExpectClearOutcome(outcome);
            }
        }
    }
}

TEST(HostileStreams, DecompressionBombsSpillInsteadOfFillingMemory) {
    // Zeros in under a megabyte. With comments the decoded data passes
    // through the spill buffer (32 MiB in memory, then a temporary file);
    // without, it goes straight into the report.
    struct Case {
        std::string Name, Filter;
        int64_t Decoded;
    };
    const Case cases[] = {
        {"768 MiB bomb", "/FlateDecode", 768 * MiB},
        {"256 MiB bomb behind base 85", "[/ASCII85Decode /FlateDecode]", 256 * MiB},
    };
    for (const Case& c : cases) {
        const std::string bomb = ZeroBomb(c.Decoded);
        ASSERT_LT(bomb.size(), size_t{1} * MiB);
        PdfBuilder pdf = PdfBuilder::SimpleDocument({""});
        pdf.SetStream(4, "/Filter " + c.Filter, c.Filter == "/FlateDecode" ? bomb : EncodeASCII85(bomb) + "~>");
        TempFile file(pdf.Build());
        for (const bool comments : {true, false}) {
            const std::string name = c.Name + (comments ? ", comments" : "");
            SCOPED_TRACE(name);
            const TCaseOutcome outcome =
                RunCase(name, [&] { return WriteReport(file.Path(), file.Sibling("out.txt"), comments); });
            ExpectReport(outcome);
            if (outcome.Kind != TCaseOutcome::TKind::Report) continue;
            const int64_t written = std::stoll(outcome.Text.substr(outcome.Text.find("bytes=") + 6));
            if (comments) {
                EXPECT_GT(written, c.Decoded);
                EXPECT_EQ(CountInFile(file.Sibling("out.txt"),
                                      "%  DecodeSize  : " + FormatThousands(c.Decoded) + " Byte\r\n"),
                          1);
            } else {
                EXPECT_EQ(written, c.Decoded + 4);
            }
            EXPECT_LT(outcome.PeakKiB, 384 * 1024) << "the decoded data stayed in memory";
        }
    }
}

TEST(HostileStreams, StreamsDecodedAheadStayWithinTheirBudget) {
    // 60 pages of 3.5 MiB each, just under what a worker keeps in memory:
    // held all at once they would take 210 MiB.
    constexpr int64_t Decoded = 3 * MiB + MiB / 2;
    const std::string stream = ZeroBomb(Decoded);
    PdfBuilder pdf = PdfBuilder::SimpleDocument(std::vector<std::string>(60, ""));
    for (int i = 0; i < 60; ++i) pdf.SetStream(4 + 2 * i, "/Filter /FlateDecode", stream);
    TempFile file(pdf.Build());
    const TCaseOutcome outcome = RunCase("60 streams of 3.5 MiB, 8 threads", [&] {
        return WriteReport(file.Path(), file.Sibling("out.txt"), true, false, 8);
    });
    ExpectReport(outcome);
#ifndef __SANITIZE_ADDRESS__
    // The sanitizer's quarantine keeps every freed buffer resident, bounded or not.
    EXPECT_LT(outcome.PeakKiB, 176 * 1024) << "the streams decoded ahead were not bounded";
#endif
}
