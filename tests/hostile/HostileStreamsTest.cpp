// Streams that lie about their length and data that inflates enormously:
// reports come out, or the run stops with a message; memory follows the
// limits of the spill buffer and the Flate chunks, never the decoded size.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hostile/HostileDocuments.h"
#include "support/PdfBuilder.h"

using namespace lumerra;
using namespace lumerra::test;

namespace {

std::string Ascii85(const std::string& Data) {
    std::string out;
    for (size_t i = 0; i < Data.size(); i += 4) {
        uint32_t value = 0;
        const size_t n = std::min<size_t>(4, Data.size() - i);
        for (size_t k = 0; k < 4; ++k)
            value = value << 8 | (k < n ? static_cast<uint8_t>(Data[i + k]) : 0);
        if (value == 0 && n == 4) {
            out += 'z';
            continue;
        }
        char digits[5];
        for (int k = 4; k >= 0; --k) {
            digits[k] = static_cast<char>('!' + value % 85);
            value /= 85;
        }
        out.append(digits, n + 1);
    }
    return out + "~>";
}

// One page whose content stream is Body (dictionary and data written as is).
std::string PageWithStream(const std::string& Body) {
    PdfBuilder pdf;
    pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    pdf.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    pdf.Set(3, "<< /Type /Page /Parent 2 0 R /Contents 4 0 R >>");
    pdf.Set(4, Body);
    pdf.Set(5, "2147483647");
    return pdf.Build();
}

constexpr int64_t MiB = 1024 * 1024;

}  // namespace

TEST(HostileStreams, LyingLengthsEndInReportOrMessage) {
    const std::string data = Deflate("BT (text) Tj ET\n");
    const std::string cases[] = {
        "2147483647", "-2147483648", "-1", "0", "999999", "5 0 R", "4 0 R", "3", "(12)", "1e9",
    };
    for (const std::string& length : cases) {
        for (const std::string& filter : {std::string(), std::string("/Filter /FlateDecode")}) {
            const std::string bytes =
                PageWithStream("<< /Length " + length + " " + filter + " >>\nstream\n" + data + "\nendstream");
            TempFile file(bytes);
            for (const bool comments : {true, false}) {
                const std::string name = "/Length " + length + (filter.empty() ? "" : " flate") +
                                         (comments ? ", comments" : "");
                SCOPED_TRACE(name);
                ExpectClearOutcome(
                    RunCase(name, [&] { return WriteReport(file.Path(), file.Sibling("out.txt"), comments); }));
            }
        }
    }
}

TEST(HostileStreams, LengthPastTheEndOfTheFileStopsTheRunWithAMessage) {
    // The stream is the last thing in the file and says it is longer.
    const std::string bytes = PageWithStream("<< /Length 5 0 R /Filter /FlateDecode >>\nstream\n" +
                                             Deflate(std::string(1000, 'a')) + "\nendstream");
    TempFile file(bytes);
    for (const bool comments : {true, false}) {
        SCOPED_TRACE(comments);
        ExpectMessage(RunCase(comments ? "/Length past the end, comments" : "/Length past the end",
                              [&] { return WriteReport(file.Path(), file.Sibling("out.txt"), comments); }));
    }
}

TEST(HostileStreams, DecompressionBombSpillsInsteadOfFillingMemory) {
    // 768 MiB of zeros in under a megabyte. With comments the decoded data
    // passes through the spill buffer (32 MiB in memory, then a temporary
    // file); without, it goes straight into the report.
    constexpr int64_t Decoded = 768 * MiB;
    const std::string bomb = ZeroBomb(Decoded);
    ASSERT_LT(bomb.size(), size_t{1} * MiB);
    PdfBuilder pdf = PdfBuilder::SimpleDocument({""});
    pdf.SetStream(4, "/Filter /FlateDecode", bomb);
    TempFile file(pdf.Build());
    for (const bool comments : {true, false}) {
        SCOPED_TRACE(comments);
        const TCaseOutcome outcome = RunCase(comments ? "768 MiB bomb, comments" : "768 MiB bomb", [&] {
            return WriteReport(file.Path(), file.Sibling("out.txt"), comments);
        });
        ExpectReport(outcome);
        const int64_t written = std::stoll(outcome.Text.substr(outcome.Text.find("bytes=") + 6));
        if (comments) {
            EXPECT_GT(written, Decoded);
        } else {
            EXPECT_EQ(written, Decoded + 4);
        }
        EXPECT_LT(outcome.PeakKiB, 384 * 1024) << "the decoded data stayed in memory";
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

TEST(HostileStreams, BombBehindBase85StaysBounded) {
    constexpr int64_t Decoded = 256 * MiB;
    PdfBuilder pdf = PdfBuilder::SimpleDocument({""});
    pdf.SetStream(4, "/Filter [/ASCII85Decode /FlateDecode]", Ascii85(ZeroBomb(Decoded)));
    TempFile file(pdf.Build());
    const TCaseOutcome outcome = RunCase("256 MiB bomb behind base 85, comments", [&] {
        return WriteReport(file.Path(), file.Sibling("out.txt"), true);
    });
    ExpectReport(outcome);
    EXPECT_GT(CountInFile(file.Sibling("out.txt"), "%  DecodeSize  : 268,435,456 Byte\r\n"), 0);
}
