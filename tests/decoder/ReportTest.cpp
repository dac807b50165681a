// The report written by DecodeToFile: layout byte for byte, page ranges,
// progress, cancellation and refusals.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <tuple>
#include <vector>

#include "decoder/PDFLumerra.h"
#include "pdf/DefaultAnalyst.h"
#include "support/PdfBuilder.h"
#include "support/Raised.h"
#include "support/ReportSupport.h"

using namespace lumerra;
using namespace lumerra::test;

namespace {

const std::string Sep = "% -------------------------------------------------------------------\n";
const std::string EmptyBlock =
    "%  Used Font       : []\n%  Used XObject    : []\n%  Used ColorSpace : []\n%  Used ExtGState  : []\n"
    "%  Used Pattern    : []\n%  Used Properties : []\n%  Used Shading    : []\n";

struct RunResult {
    std::string Report;
    bool Cancel = false;
    std::vector<std::tuple<int, int, int, bool>> Calls;
};

// Loads Bytes as FileName and writes pages First..Last into a report.
RunResult Decode(const std::string& Bytes, int First, int Last, bool WithComments,
                 const std::string& FileName = "doc.pdf", int CancelAfter = 0) {
    TempFile file(Bytes, FileName);
    TDefaultAnalyst analyst;
    analyst.LoadFromFile(file.Path());
    TPDFLumerra decoder(&analyst);
    RunResult run;
    const TDecodeProgressProc progress = [&run, CancelAfter](int32_t Min, int32_t Max, int32_t Position, bool Done) {
        run.Calls.emplace_back(Min, Max, Position, Done);
        if (CancelAfter != 0 && static_cast<int>(run.Calls.size()) == CancelAfter) run.Cancel = true;
    };
    const std::string out = file.Sibling("out.txt");
    decoder.DecodeToFile(out, First, Last, WithComments, progress, run.Cancel);
    if (std::filesystem::exists(out)) run.Report = ReadFileBytes(out);
    return run;
}

std::string Repeat(const std::string& piece, size_t bytes) {
    std::string s;
    while (s.size() < bytes) s += piece;
    s.resize(bytes);
    return s;
}

// Two pages, the second one's content object (6) without its "endobj": its
// scan runs into the table and the trailer.
std::string SecondPageCutShort() {
    return WithoutEndobj(PdfBuilder::SimpleDocument({"first", "second"}).Set(6, "<< /Foo 1 >>").Build(), 6);
}

}  // namespace

TEST(Report, ExampleDocumentComesOutExactly) {
    const std::string form = "0 0 m 1 1 ";
    const std::string content = Repeat("BT /F1 12 Tf (Hi) Tj ET ", 1234);
    ASSERT_EQ(form.size(), 10u);
    PdfBuilder pdf;
    pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    pdf.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    pdf.Set(3,
            "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792]\n"
            "/Resources << /Font << /F1 5 0 R >> /XObject << /Fm0 6 0 R >> >> /Contents 4 0 R >>");
    pdf.SetStream(4, "/Filter /FlateDecode", Deflate(content));
    pdf.Set(5, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    pdf.SetStream(6, "/Type /XObject /Subtype /Form /BBox [0 0 10 10] /Resources << /Font << /F2 7 0 R >> >> "
                     "/Filter /FlateDecode",
                  Deflate(form));
    pdf.Set(7, "<< /Type /Font /Subtype /Type1 /BaseFont /Courier >>");

    const std::string expected =
        "% Decode File : sample.pdf\n\n" + Sep +
        "%  Page 1/1 - Resource\n"
        "%  Used Font       : [ /F1 ]\n"
        "%  Used XObject    : [ /Fm0 ]\n"
        "%  Used ColorSpace : []\n%  Used ExtGState  : []\n%  Used Pattern    : []\n"
        "%  Used Properties : []\n%  Used Shading    : []\n" +
        Sep +
        "%  Page 1/1 - XObject Resource ( /Fm0 = SubType is Form)\n"
        "%  Used Font       : [ /F2 ]\n"
        "%  Used XObject    : []\n%  Used ColorSpace : []\n%  Used ExtGState  : []\n%  Used Pattern    : []\n"
        "%  Used Properties : []\n%  Used Shading    : []\n"
        "%  Used Filter : [ /FlateDecode ]\n"
        "%  DecodeSize  : 10 Byte\r\n" +
        Sep + "\n" + form + "\n\n" + Sep +
        "%  Page 1/1 - Contents 1/1\n"
        "%  Used Filter : [ /FlateDecode ]\n"
        "%  DecodeSize  : 1,234 Byte\r\n" +
        Sep + "\n" + content;
    EXPECT_EQ(Decode(pdf.Build(), 1, 1, true, "sample.pdf").Report, expected);
    EXPECT_EQ(Decode(pdf.Build(), 1, 1, false).Report, "\n\n" + form + "\n\n\n\n" + content + "\n\n");
}

// The content sections: each stream of a content array numbered, filters
// listed whether or not they are decoded, sizes grouped by thousands.
TEST(Report, ContentSectionsNumberAndMeasureEachStream) {
    const std::string data = Repeat("q 1 0 0 1 0 0 cm Q\n", 1234567);
    const auto head = [](const std::string& Of, const std::string& Filters, const std::string& Size) {
        return Sep + "%  Page 1/1 - Contents " + Of + "\n%  Used Filter : [ " + Filters + "]\n%  DecodeSize  : " + Size +
               " Byte\r\n" + Sep + "\n";
    };
    struct Case {
        const char* Name;
        PdfBuilder Document;
        std::string Tail;
    };
    const Case cases[] = {
        {"a content array",
         PdfBuilder::SimpleDocument({""})
             .Set(3, "<< /Type /Page /Parent 2 0 R /Contents [4 0 R 5 0 R 6 0 R] >>")
             .SetStream(4, "", "a")
             .SetStream(5, "/Filter [/ASCIIHexDecode /FlateDecode]", "")
             .SetStream(6, "/Filter /DCTDecode", "(((binary"),
         head("1/3", "", "1") + "a\n\n" + head("2/3", "/ASCIIHexDecode /FlateDecode ", "0") + "\n\n" +
             head("3/3", "/DCTDecode ", "0")},
        {"a large stream", PdfBuilder::SimpleDocument({""}).SetStream(4, "/Filter /FlateDecode", Deflate(data)),
         head("1/1", "/FlateDecode ", "1,234,567") + data},
    };
    for (const Case& c : cases) {
        const std::string report = Decode(c.Document.Build(), 1, 1, true).Report;
        ASSERT_GE(report.size(), c.Tail.size()) << c.Name;
        EXPECT_EQ(report.substr(report.size() - c.Tail.size()), c.Tail) << c.Name;
    }
}

// Page ranges, progress and cancellation. The page head counts the pages of
// the whole document; a page's progress position is where it lies between
// page 1 and the last page asked for, rounded to the nearest integer (-1
// when that is page 1); first past last writes no page but still reports
// the end; a cancelled run writes no report.
TEST(Report, PageRangesProgressAndCancellation) {
    using Calls = std::vector<std::tuple<int, int, int, bool>>;
    std::vector<std::string> ten;
    for (int i = 0; i < 10; ++i) ten.push_back("page " + std::to_string(i));
    const std::vector<std::string> three = {"one", "two", "three"};
    struct Case {
        const char* Name;
        std::vector<std::string> Pages;
        int First, Last;
        bool WithComments;
        int CancelAfter;
        std::optional<std::string> Report;  // not compared when absent
        Calls Progress;
    };
    const std::vector<Case> cases = {
        {"one page without resources", {"0 0 m 1 1 l S"}, 1, 1, true, 0,
         "% Decode File : doc.pdf\n\n" + Sep + "%  Page 1/1 - Resource\n" + EmptyBlock + Sep +
             "%  Page 1/1 - Contents 1/1\n%  Used Filter : [ ]\n%  DecodeSize  : 13 Byte\r\n" + Sep + "\n0 0 m 1 1 l S",
         {{0, 100, -1, false}, {0, 100, 100, true}}},
        {"one page, plain", {"0 0 m 1 1 l S"}, 1, 1, false, 0, "\n\n0 0 m 1 1 l S\n\n",
         {{0, 100, -1, false}, {0, 100, 100, true}}},
        {"the middle page of three", three, 2, 2, true, 0,
         "% Decode File : doc.pdf\n\n" + Sep + "%  Page 2/3 - Resource\n" + EmptyBlock + Sep +
             "%  Page 2/3 - Contents 1/1\n%  Used Filter : [ ]\n%  DecodeSize  : 3 Byte\r\n" + Sep + "\ntwo",
         {{0, 100, 100, false}, {0, 100, 100, true}}},
        {"the last two pages, plain", three, 2, 3, false, 0, "\n\ntwo\n\n\n\nthree\n\n",
         {{0, 100, 50, false}, {0, 100, 100, false}, {0, 100, 100, true}}},
        {"all three pages", three, 1, 3, true, 0, std::nullopt,
         {{0, 100, 0, false}, {0, 100, 50, false}, {0, 100, 100, false}, {0, 100, 100, true}}},
        {"four pages, plain", {"a", "b", "c", "d"}, 1, 4, false, 0, std::nullopt,
         {{0, 100, 0, false}, {0, 100, 33, false}, {0, 100, 67, false}, {0, 100, 100, false}, {0, 100, 100, true}}},
        {"first past last", three, 3, 2, true, 0, "% Decode File : doc.pdf", {{0, 100, 100, true}}},
        {"first past last, plain", three, 3, 2, false, 0, "", {{0, 100, 100, true}}},
        {"cancelled after the third page", ten, 1, 10, true, 3, "",
         {{0, 100, 0, false}, {0, 100, 11, false}, {0, 100, 22, false}, {0, 100, 100, true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const RunResult run =
            Decode(PdfBuilder::SimpleDocument(c.Pages).Build(), c.First, c.Last, c.WithComments, "doc.pdf", c.CancelAfter);
        EXPECT_EQ(run.Cancel, c.CancelAfter != 0);
        if (c.Report) {
            EXPECT_EQ(run.Report, *c.Report);
        }
        EXPECT_EQ(run.Calls, c.Progress);
    }
}

// A run that does not complete leaves the previous report as it was and
// nothing beside it: cancelled, a page range beyond the document, a read
// error half way.
TEST(Report, PreviousReportSurvivesARunThatDoesNotComplete) {
    const std::string truncated = SecondPageCutShort();
    struct Case {
        std::string Name, Bytes;
        int First, Last;
        bool CancelAfterFirstPage;
        std::string Message;  // "" when the run is cancelled
    };
    const std::string good = PdfBuilder::SimpleDocument({"first", "second"}).Build();
    const std::vector<Case> cases = {
        {"cancelled", good, 1, 2, true, ""},
        {"first page 0", good, 0, 1, false, "ページ番号の指定が不正です。"},
        {"past the last page", good, 1, 3, false, "ページ番号の指定が不正です。"},
        {"read error", truncated, 1, 2, false, "ファイルが途中で終わっています。"},
    };
    for (const Case& c : cases) {
        for (const bool hadReport : {true, false}) {
            LoadedDocument doc(c.Bytes);
            if (hadReport) WriteFileBytes(doc.Out, "previous report");
            TPDFLumerra decoder(&doc.Analyst);
            bool cancel = false;
            const TDecodeProgressProc progress = [&](int32_t, int32_t, int32_t, bool) {
                cancel = c.CancelAfterFirstPage;
            };
            EXPECT_EQ(RaisedMessage([&] { decoder.DecodeToFile(doc.Out, c.First, c.Last, true, progress, cancel); }),
                      c.Message)
                << c.Name;
            EXPECT_EQ(cancel, c.CancelAfterFirstPage) << c.Name;
            EXPECT_EQ(std::filesystem::exists(doc.Out), hadReport) << c.Name;
            if (hadReport) {
                EXPECT_EQ(ReadFileBytes(doc.Out), "previous report") << c.Name;
            }
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(doc.File.Folder()),
                                    std::filesystem::directory_iterator()),
                      hadReport ? 2 : 1)
                << c.Name;
        }
    }
}

TEST(Report, EscapeStopsTheRunOnlyWithProgress) {
    LoadedDocument doc(PdfBuilder::SimpleDocument({"a", "b", "c"}).Build());
    TPDFAnalyst& analyst = doc.Analyst;
    const std::string& out = doc.Out;
    int looks = 0;
    {
        TPDFLumerra decoder(&analyst);
        decoder.EscapeKeyQuery = [&looks] { return ++looks == 2; };
        bool cancel = false;
        decoder.DecodeToFile(out, 1, 3, false, [](int32_t, int32_t, int32_t, bool) {}, cancel);
        EXPECT_TRUE(cancel);
        EXPECT_FALSE(std::filesystem::exists(out));
        EXPECT_EQ(looks, 2);
    }
    {
        // Without a progress routine neither Escape nor the flag is looked at.
        TPDFLumerra decoder(&analyst);
        decoder.EscapeKeyQuery = [] { return true; };
        bool cancel = false;
        decoder.DecodeToFile(out, 1, 3, false, nullptr, cancel);
        EXPECT_FALSE(cancel);
        EXPECT_EQ(ReadFileBytes(out), "\n\na\n\n\n\nb\n\n\n\nc\n\n");
    }
}

TEST(Report, FormCollectionStopsWhenTheRunsBudgetIsSpent) {
    PdfBuilder pdf;
    pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    pdf.Set(2, "<< /Type /Pages /Kids [3 0 R 3 0 R] /Count 2 >>");
    pdf.Set(3, "<< /Type /Page /Parent 2 0 R /Resources << /XObject << /Fm0 4 0 R >> >> >>");
    pdf.SetStream(4, "/Subtype /Form /BBox [0 0 1 1]", "0 0 m");
    for (const int64_t budget : {int64_t{100'000'000}, int64_t{0}}) {
        LoadedDocument doc(pdf.Build());
        TPDFLumerra decoder(&doc.Analyst);
        decoder.FormWorkBudget = budget;
        bool cancel = false;
        decoder.DecodeToFile(doc.Out, 1, 2, true, nullptr, cancel);
        const std::string report = ReadFileBytes(doc.Out);
        const bool spent = budget == 0;
        EXPECT_EQ(report.find("( /Fm0 = SubType is Form)") == std::string::npos, spent);
        EXPECT_EQ(report.find("%  XObject Forms : only the first 0 forms of this page are decoded\n") !=
                      std::string::npos,
                  spent);
    }
}

// The open document, also through a link, and a read-only file are never
// written over.
TEST(Report, RefusesTargetsItMustNotWrite) {
    const std::string bytes = PdfBuilder::SimpleDocument({"a"}).Build();
    LoadedDocument doc(bytes);
    const std::string link = doc.File.Sibling("link.txt");
    ASSERT_EQ(::symlink(doc.File.Path().c_str(), link.c_str()), 0);
    WriteFileBytes(doc.Out, "keep");
    ASSERT_EQ(::chmod(doc.Out.c_str(), 0444), 0);
    const std::string inUse = "このファイルは使用中です。別名で保存してください。";
    const struct {
        std::string Target, Message, Kept;
    } cases[] = {{doc.File.Path(), inUse, bytes}, {link, inUse, bytes}, {doc.Out, inUse, "keep"}};
    TPDFLumerra decoder(&doc.Analyst);
    for (const auto& c : cases) {
        bool cancel = false;
        EXPECT_EQ(RaisedMessage([&] { decoder.DecodeToFile(c.Target, 1, 1, true, nullptr, cancel); }, "no refusal"),
                  c.Message)
            << c.Target;
        EXPECT_EQ(ReadFileBytes(c.Target), c.Kept) << c.Target;
    }
}

TEST(Report, RefusesUnusableAnalysers) {
    EXPECT_EQ(RaisedMessage([] { TPDFLumerra decoder(nullptr); }), "nilは代入できません。");
    PdfBuilder pdf = PdfBuilder::SimpleDocument({"a"});
    pdf.TrailerExtra("/Encrypt 9 0 R");
    LoadedDocument doc(pdf.Build());
    ASSERT_TRUE(doc.Analyst.Encrypted());
    EXPECT_EQ(doc.Analyst.Security(), nullptr);  // the default reading decrypts nothing
    EXPECT_EQ(RaisedMessage([&] { TPDFLumerra decoder(&doc.Analyst); }), "対応できない形式です。");
}

TEST(Report, TruncatedDocumentKeepsWhatWasWrittenToTheStream) {
    // The run stops with an error that names the object, and the first page
    // stays in the stream.
    const std::string bytes = SecondPageCutShort();
    const size_t at = bytes.find("\n6 0 obj") + 1;
    LoadedDocument doc(bytes);
    TPDFLumerra decoder(&doc.Analyst);
    bool cancel = false;
    TMemoryStream out;
    try {
        decoder.DecodeToStream(out, 1, 2, false, nullptr, cancel);
        ADD_FAILURE();
    } catch (const EDamagedInput& e) {
        EXPECT_EQ(e.Detailed(), "ファイルが途中で終わっています。 (object 6, offset " + std::to_string(at) + ")");
    }
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.Memory()), 11), "\n\nfirst\n\n\n\n");
}
