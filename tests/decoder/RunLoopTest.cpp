// The run loop: what a report sink is handed, and in which order, and that
// the report, its failures and its cancellation are the same for every
// thread count.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decoder/PDFLumerra.h"
#include "decoder/ReportSink.h"
#include "pdf/DefaultAnalyst.h"
#include "support/PdfBuilder.h"
#include "support/ReportSupport.h"

using namespace lumerra;
using namespace lumerra::test;

namespace {

// The report of pages 1..Last (all when 0), what it raised, and the
// progress calls, as one text.
std::string Decode(const std::string& Bytes, int32_t Threads, bool WithComments, int32_t CancelAfter = 0,
                   bool Extended = false) {
    LoadedDocument doc(Bytes, Extended);
    std::string report;
    bool cancel = false;
    std::string calls;
    int32_t count = 0;
    const TDecodeProgressProc progress = [&](int32_t, int32_t, int32_t Position, bool Done) {
        calls += std::to_string(Position) + (Done ? "!" : " ");
        if (++count == CancelAfter) cancel = true;
    };
    std::string error;
    try {
        DecodeAllPages(doc.Analyst, WithComments, report, Threads, progress, &cancel);
    } catch (const Exception& e) {
        error = e.Detailed();
    }
    return report + "|" + error + "|" + calls + (cancel ? "|cancelled" : "");
}

// The events a sink is handed, as one text: "[" report, "P" page, "F" form,
// "C" content with its object and size, "x" a failed stream, "]" page end,
// "." report end.
class TRecordingSink : public TReportSink {
public:
    std::string Events;
    void BeginReport(const std::string&) override { Events += "["; }
    void BeginPage(const TPagePlan& Page) override { Events += " P" + std::to_string(Page.Number); }
    void WriteStream(const TPagePlan&, const TReportStream& S) override { Events += Stream(S); }
    void WriteFailedStream(const TPagePlan&, const TReportStream& S) override { Events += " x" + Stream(S); }
    void EndPage(const TPagePlan&) override { Events += " ]"; }
    void EndReport() override { Events += " ."; }

private:
    static std::string Stream(const TReportStream& S) {
        return std::string(S.Job.Form >= 0 ? " F" : " C") + std::to_string(S.Job.Object) + ":" +
               std::to_string(S.Size);
    }
};

}  // namespace

TEST(RunLoop, SinksAreHandedEveryPageAndStreamInReportOrder) {
    PdfBuilder doc = PdfBuilder::SimpleDocument({"one", "two", "three"}, "<< /XObject << /Fm0 20 0 R >> >>");
    doc.SetStream(20, "/Subtype /Form /BBox [0 0 1 1] /Resources << >>", "form");
    doc.Set(5, "<< /Type /Page /Parent 2 0 R /Resources << /XObject << /Fm0 20 0 R >> >> /Contents [6 0 R 4 0 R] >>");
    // The form, the last object, runs into the end of the file.
    const std::string cut = WithoutEndobj(doc.Build(), 20);
    struct Case {
        const char* Name;
        std::string Bytes;
        int32_t CancelAfter;
        std::string Events;
    };
    const std::vector<Case> cases = {
        {"complete", doc.Build(), 0,
         "[ P1 F20:4 C4:3 ] P2 F20:4 C6:3 C4:3 ] P3 F20:4 C8:5 ] ."},
        {"cancelled after page 2", doc.Build(), 2, "[ P1 F20:4 C4:3 ] P2 F20:4 C6:3 C4:3 ]"},
        {"a form cut short", cut, 0, "[ P1 x F20:4!"},
    };
    for (const Case& c : cases) {
        for (const int32_t threads : {1, 3}) {
            LoadedDocument doc(c.Bytes);
            TPDFLumerra decoder(&doc.Analyst);
            decoder.Threads = threads;
            TRecordingSink sink;
            bool cancel = false;
            int32_t pages = 0;
            const auto progress = [&](int32_t, int32_t, int32_t, bool Done) {
                if (!Done && ++pages == c.CancelAfter) cancel = true;
            };
            try {
                EXPECT_EQ(decoder.Run(sink, 1, TPDFLumerra::ToLastPage, progress, cancel), c.CancelAfter == 0);
            } catch (const Exception&) {
                sink.Events += "!";
            }
            EXPECT_EQ(sink.Events, c.Events) << c.Name << ", " << threads;
        }
    }
}

TEST(RunLoop, TheReportIsTheSameForEveryThreadCount) {
    std::vector<std::string> contents;
    for (int i = 0; i < 40; ++i) contents.push_back("BT /F1 12 Tf (page " + std::to_string(i) + ") Tj ET");
    PdfBuilder many = PdfBuilder::SimpleDocument(contents, "<< /XObject << /Fm0 200 0 R /Fm1 201 0 R >> >>");
    many.SetStream(200, "/Subtype /Form /BBox [0 0 1 1] /Filter /FlateDecode", Deflate("q 1 0 0 1 0 0 cm Q"));
    many.SetStream(201, "/Subtype /Form /BBox [0 0 1 1] /Resources << /XObject << /Fm0 200 0 R >> >>", "/Fm0 Do");
    for (int i = 0; i < 40; i += 7) many.SetStream(4 + 2 * i, "/Filter /FlateDecode", Deflate(contents[i]));
    // The last object, a form, runs into the end of the file: the run stops.
    const std::string brokenBytes = WithoutEndobj(many.Build(), 201);
    // The last object runs into the end of the file: page 11's content list
    // cannot be read, or page 6's second content stream cannot.
    const auto cutLast = [](const PdfBuilder& Builder) { return WithoutEndobj(Builder.Build(), 300); };
    PdfBuilder listCut = many;
    listCut.Set(23, "<< /Type /Page /Parent 2 0 R /Contents 300 0 R >>");
    listCut.Set(300, "[24 0 R 4 0 R");
    PdfBuilder secondCut = many;
    secondCut.Set(13, "<< /Type /Page /Parent 2 0 R /Contents [14 0 R 300 0 R] >>");
    secondCut.SetStream(300, "", "0 0 m S");
    PdfBuilder::Options streams;
    streams.Header = "%PDF-1.5\n";
    streams.XrefStreams = streams.ObjectStreams = true;
    PdfBuilder compressed(streams);
    compressed.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    compressed.Set(2, "<< /Type /Pages /Kids [3 0 R 5 0 R] /Count 2 >>");
    compressed.Set(3, "<< /Type /Page /Parent 2 0 R /Contents 4 0 R >>");
    compressed.Set(4, "<< /Length 7 0 R >>\nstream\n0 0 m S\nendstream");
    compressed.Set(5, "<< /Type /Page /Parent 2 0 R /Contents 6 0 R >>");
    compressed.SetStream(6, "", "1 1 m S");
    compressed.Set(7, "7");
    struct Case {
        const char* Name;
        std::string Bytes;
        int32_t CancelAfter;
        bool Extended;
    };
    const std::vector<Case> cases = {
        {"forms, filters, forty pages", many.Build(), 0, false},
        {"cancelled after page 5", many.Build(), 5, false},
        {"a stream cut short", brokenBytes, 0, false},
        {"a content list cut short", cutLast(listCut), 0, false},
        {"a second content stream cut short", cutLast(secondCut), 0, false},
        {"lengths in object streams", compressed.Build(), 0, true},
    };
    for (const Case& c : cases) {
        for (const bool comments : {true, false}) {
            const std::string alone = Decode(c.Bytes, 1, comments, c.CancelAfter, c.Extended);
            for (const int32_t threads : {2, 3, 8})
                EXPECT_EQ(Decode(c.Bytes, threads, comments, c.CancelAfter, c.Extended), alone)
                    << c.Name << ", " << threads << " threads" << (comments ? ", comments" : "");
        }
    }
    EXPECT_NE(Decode(brokenBytes, 1, true).find("|ファイルが途中で終わっています。 (object 201"), std::string::npos);
    for (PdfBuilder* cut : {&listCut, &secondCut})
        EXPECT_NE(Decode(cutLast(*cut), 1, false).find("|ファイルが途中で終わっています。 (object 300"), std::string::npos);
}
