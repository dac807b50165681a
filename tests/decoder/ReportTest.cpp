// The report written by DecodeToFile: layout byte for byte, page ranges,
// progress, cancellation and refusals.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <tuple>
#include <vector>

#include "decoder/PDFLumerra.h"
#include "pdf/DefaultAnalyst.h"
#include "support/PdfBuilder.h"

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
RunResult Decode(const std::string& Bytes, int First, int Last, bool WithComments, bool WithProgress = true,
           const std::string& FileName = "doc.pdf", int CancelAfter = 0) {
    TempFile file(Bytes, FileName);
    TDefaultAnalyst analyst;
    analyst.LoadFromFile(file.Path());
    TPDFLumerra decoder(&analyst);
    RunResult run;
    TDecodeProgressProc progress;
    if (WithProgress)
        progress = [&run, CancelAfter](int32_t Min, int32_t Max, int32_t Position, bool Done) {
            run.Calls.emplace_back(Min, Max, Position, Done);
            if (CancelAfter != 0 && static_cast<int>(run.Calls.size()) == CancelAfter) run.Cancel = true;
        };
    const std::string out = file.Sibling("out.txt");
    decoder.DecodeToFile(out, First, Last, WithComments, progress, run.Cancel);
    if (std::filesystem::exists(out)) run.Report = ReadFileBytes(out);
    return run;
}

// A document loaded from Bytes, with a report path beside it.
struct Loaded {
    explicit Loaded(const std::string& Bytes) : File(Bytes) { Analyst.LoadFromFile(File.Path()); }
    TempFile File;
    TDefaultAnalyst Analyst;
    const std::string Out = File.Sibling("out.txt");
};

std::string Repeat(const std::string& piece, size_t bytes) {
    std::string s;
    while (s.size() < bytes) s += piece;
    s.resize(bytes);
    return s;
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
    EXPECT_EQ(Decode(pdf.Build(), 1, 1, true, true, "sample.pdf").Report, expected);
    EXPECT_EQ(Decode(pdf.Build(), 1, 1, false).Report, "\n\n" + form + "\n\n\n\n" + content + "\n\n");
}

TEST(Report, UncompressedStreamWithoutResources) {
    const std::string bytes = PdfBuilder::SimpleDocument({"0 0 m 1 1 l S"}).Build();
    EXPECT_EQ(Decode(bytes, 1, 1, true).Report, "% Decode File : doc.pdf\n\n" + Sep + "%  Page 1/1 - Resource\n" +
                                                     EmptyBlock + Sep + "%  Page 1/1 - Contents 1/1\n" +
                                                     "%  Used Filter : [ ]\n%  DecodeSize  : 13 Byte\r\n" + Sep +
                                                     "\n0 0 m 1 1 l S");
    EXPECT_EQ(Decode(bytes, 1, 1, false).Report, "\n\n0 0 m 1 1 l S\n\n");
}

TEST(Report, ContentArrayNumbersEachStream) {
    PdfBuilder pdf;
    pdf.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    pdf.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    pdf.Set(3, "<< /Type /Page /Parent 2 0 R /Contents [4 0 R 5 0 R 6 0 R] >>");
    pdf.SetStream(4, "", "a");
    pdf.SetStream(5, "/Filter [/ASCIIHexDecode /FlateDecode]", "");
    pdf.SetStream(6, "/Filter /DCTDecode", "(((binary");
    const std::string report = Decode(pdf.Build(), 1, 1, true).Report;
    const std::string tail = Sep + "%  Page 1/1 - Contents 1/3\n%  Used Filter : [ ]\n%  DecodeSize  : 1 Byte\r\n" +
                             Sep + "\na\n\n" + Sep +
                             "%  Page 1/1 - Contents 2/3\n%  Used Filter : [ /ASCIIHexDecode /FlateDecode ]\n"
                             "%  DecodeSize  : 0 Byte\r\n" +
                             Sep + "\n\n\n" + Sep +
                             "%  Page 1/1 - Contents 3/3\n%  Used Filter : [ /DCTDecode ]\n"
                             "%  DecodeSize  : 0 Byte\r\n" +
                             Sep + "\n";
    ASSERT_GE(report.size(), tail.size());
    EXPECT_EQ(report.substr(report.size() - tail.size()), tail);
}

TEST(Report, SizeLineGroupsThousands) {
    const std::string data = Repeat("q 1 0 0 1 0 0 cm Q\n", 1234567);
    PdfBuilder pdf = PdfBuilder::SimpleDocument({""});
    pdf.SetStream(4, "/Filter /FlateDecode", Deflate(data));
    const std::string report = Decode(pdf.Build(), 1, 1, true).Report;
    EXPECT_NE(report.find("%  DecodeSize  : 1,234,567 Byte\r\n"), std::string::npos);
    EXPECT_EQ(report.substr(report.size() - data.size()), data);
}

TEST(Report, PageRanges) {
    const std::string bytes = PdfBuilder::SimpleDocument({"one", "two", "three"}).Build();
    EXPECT_EQ(Decode(bytes, 2, 3, false).Report, "\n\ntwo\n\n\n\nthree\n\n");
    // First greater than Last writes no page but still reports the end.
    const RunResult empty = Decode(bytes, 3, 2, true);
    EXPECT_EQ(empty.Report, "% Decode File : doc.pdf");
    EXPECT_EQ(empty.Calls, (std::vector<std::tuple<int, int, int, bool>>{{0, 100, 100, true}}));
    EXPECT_EQ(Decode(bytes, 3, 2, false).Report, "");
    // The page head counts pages of the whole document.
    EXPECT_NE(Decode(bytes, 2, 2, true).Report.find("%  Page 2/3 - Contents 1/1\n"), std::string::npos);
}

TEST(Report, ProgressPositionsAndFinalCall) {
    using Calls = std::vector<std::tuple<int, int, int, bool>>;
    const std::string three = PdfBuilder::SimpleDocument({"a", "b", "c"}).Build();
    EXPECT_EQ(Decode(three, 1, 3, true).Calls, (Calls{{0, 100, 0, false}, {0, 100, 50, false}, {0, 100, 100, false},
                                                      {0, 100, 100, true}}));
    // A single page reports -1, then the final 100.
    const std::string one = PdfBuilder::SimpleDocument({"a"}).Build();
    EXPECT_EQ(Decode(one, 1, 1, true).Calls, (Calls{{0, 100, -1, false}, {0, 100, 100, true}}));
    // Positions are rounded to the nearest integer: 1/3 and 2/3 of 100.
    const std::string four = PdfBuilder::SimpleDocument({"a", "b", "c", "d"}).Build();
    EXPECT_EQ(Decode(four, 1, 4, false).Calls, (Calls{{0, 100, 0, false}, {0, 100, 33, false}, {0, 100, 67, false},
                                                      {0, 100, 100, false}, {0, 100, 100, true}}));
}

TEST(Report, CancelAfterThirdPageStopsThere) {
    std::vector<std::string> pages;
    for (int i = 0; i < 10; ++i) pages.push_back("page " + std::to_string(i));
    const RunResult run = Decode(PdfBuilder::SimpleDocument(pages).Build(), 1, 10, true, true, "doc.pdf", 3);
    EXPECT_TRUE(run.Cancel);
    EXPECT_EQ(run.Report, "");  // no report
    ASSERT_EQ(run.Calls.size(), 4u);
    EXPECT_EQ(run.Calls.back(), std::make_tuple(0, 100, 100, true));
}

// A run that does not complete leaves the previous report as it was and
// nothing beside it: cancelled, a page range beyond the document, a read
// error half way.
TEST(Report, PreviousReportSurvivesARunThatDoesNotComplete) {
    PdfBuilder pdf = PdfBuilder::SimpleDocument({"first", "second"});
    pdf.Set(6, "<< /Foo 1 >>");
    std::string truncated = pdf.Build();
    // Object 6 runs into the xref and trailer: its scan meets no endobj.
    truncated.replace(truncated.find("endobj", truncated.find("6 0 obj")), 6, "xxxxxx");
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
            Loaded doc(c.Bytes);
            if (hadReport) WriteFileBytes(doc.Out, "previous report");
            TPDFLumerra decoder(&doc.Analyst);
            bool cancel = false;
            const TDecodeProgressProc progress = [&](int32_t, int32_t, int32_t, bool) {
                cancel = c.CancelAfterFirstPage;
            };
            std::string message;
            try {
                decoder.DecodeToFile(doc.Out, c.First, c.Last, true, progress, cancel);
            } catch (const Exception& e) {
                message = e.Message();
            }
            EXPECT_EQ(message, c.Message) << c.Name;
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
    Loaded doc(PdfBuilder::SimpleDocument({"a", "b", "c"}).Build());
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
        Loaded doc(pdf.Build());
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

TEST(Report, RefusesToOverwriteTheOpenDocument) {
    const std::string bytes = PdfBuilder::SimpleDocument({"a"}).Build();
    TempFile file(bytes);
    TDefaultAnalyst analyst;
    analyst.LoadFromFile(file.Path());
    TPDFLumerra decoder(&analyst);
    const std::string link = file.Sibling("link.txt");
    ASSERT_EQ(::symlink(file.Path().c_str(), link.c_str()), 0);
    for (const std::string& target : {file.Path(), link}) {
        bool cancel = false;
        try {
            decoder.DecodeToFile(target, 1, 1, true, nullptr, cancel);
            FAIL() << "no exception";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), "このファイルは使用中です。別名で保存してください。");
        }
        EXPECT_EQ(ReadFileBytes(file.Path()), bytes);
    }
}

TEST(Report, RefusesAReadOnlyOutputAndLeavesIt) {
    Loaded doc(PdfBuilder::SimpleDocument({"a"}).Build());
    WriteFileBytes(doc.Out, "keep");
    ASSERT_EQ(::chmod(doc.Out.c_str(), 0444), 0);
    TPDFLumerra decoder(&doc.Analyst);
    bool cancel = false;
    EXPECT_THROW(decoder.DecodeToFile(doc.Out, 1, 1, true, nullptr, cancel), Exception);
    EXPECT_EQ(ReadFileBytes(doc.Out), "keep");
}

TEST(Report, RefusesUnusableAnalysers) {
    try {
        TPDFLumerra decoder(nullptr);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "nilは代入できません。");
    }
    PdfBuilder pdf = PdfBuilder::SimpleDocument({"a"});
    pdf.TrailerExtra("/Encrypt 9 0 R");
    TempFile file(pdf.Build());
    TDefaultAnalyst analyst;
    analyst.LoadFromFile(file.Path());
    ASSERT_TRUE(analyst.Encrypted());
    try {
        TPDFLumerra decoder(&analyst);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "対応できない形式です。");
    }
}

TEST(Report, TruncatedDocumentKeepsWhatWasWrittenToTheStream) {
    // The second page's content object lacks "endobj": the run stops with an
    // error that names the object, and the first page stays in the stream.
    PdfBuilder pdf = PdfBuilder::SimpleDocument({"first", "second"});
    pdf.Set(6, "<< /Foo 1 >>");
    std::string bytes = pdf.Build();
    // The xref stays valid: only the object's own text changed, same length.
    const size_t at = bytes.find("6 0 obj");
    bytes.replace(bytes.find("endobj", at), 6, "xxxxxx");
    Loaded doc(bytes);
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
