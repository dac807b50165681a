// Extended reading: the same document written as a table, as cross-reference
// streams and as object streams gives the same report; the other filters are
// decoded only where the default reading writes nothing.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "cli/CliRun.h"
#include "decoder/PDFLumerra.h"
#include "pdf/DefaultAnalyst.h"
#include "pdf/ExtendedAnalyst.h"
#include "support/DecoderEncoders.h"
#include "support/FilterFixtures.h"
#include "support/PdfBuilder.h"
#include "support/ReportSupport.h"

using namespace lumerra;
using namespace lumerra::test;

namespace {

std::string Report(const std::string& Bytes, bool Extended, bool WithComments = true) {
    return ReportOfBytes(Bytes, Extended, WithComments);
}

// The two-page document and a second revision, all of which may end up in
// object streams.
PdfBuilder Document(const PdfBuilder::Options& Options) {
    PdfBuilder b = TwoPageDocument(Options);
    b.NewRevision().Root(1).Set(10, "<< /F1 13 0 R /F9 13 0 R >>");
    return b;
}

PdfBuilder::Options Form(const std::string& Version, bool XrefStreams, bool ObjectStreams, bool Compress = true) {
    PdfBuilder::Options options;
    options.Header = "%PDF-" + Version + "\n";
    options.XrefStreams = XrefStreams;
    options.ObjectStreams = ObjectStreams;
    options.CompressStructure = Compress;
    return options;
}

}  // namespace

TEST(ExtendedReport, EveryWritingOfTheDocumentReportsAsTheClassicOne) {
    const std::string classic = Document(Form("1.4", false, false)).Build();
    const std::string expected = Report(classic, false);
    ASSERT_EQ(expected.rfind("error", 0), std::string::npos) << expected;
    EXPECT_NE(expected.find("Used Font       : [ /F1  /F9 ]"), std::string::npos);  // the newer revision
    EXPECT_EQ(Report(classic, true), expected);
    struct Case {
        const char* Name;
        PdfBuilder::Options Options;
    };
    const std::vector<Case> cases = {
        {"1.5 table", Form("1.5", false, false)},
        {"1.5 cross-reference streams", Form("1.5", true, false)},
        {"1.5 uncompressed streams", Form("1.5", true, true, false)},
        {"1.5 object streams", Form("1.5", true, true)},
        {"1.7 object streams", Form("1.7", true, true)},
        {"2.0 object streams", Form("2.0", true, true)},
        {"1.4 cross-reference streams", Form("1.4", true, true)},
    };
    for (const Case& c : cases) {
        const std::string bytes = Document(c.Options).Build();
        EXPECT_EQ(Report(bytes, true), expected) << c.Name;
        EXPECT_EQ(Report(bytes, true, false), Report(classic, false, false)) << c.Name;
        EXPECT_EQ(Report(bytes, false).rfind("error: ", 0), 0u) << c.Name << ": the default reading refuses it";
    }
    EXPECT_EQ(Report(Document(Form("2.1", true, true)).Build(), true), "error: このファイルは未対応の形式です。");
}

TEST(ExtendedReport, AnObjectCutByTheFilesBlocksIsReadWhole) {
    // The file is read in blocks of 16 KiB: wherever the block's end falls
    // in a stream object ("stre|am", "/Flat|eDecode"), the object is read as
    // a whole.
    const std::string content = Deflate("BT /F1 12 Tf (cut) Tj ET");
    for (size_t pad = 16100; pad < 16400; ++pad) {
        PdfBuilder b;
        b.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
        b.Set(2, "<< /Type /Pages /Kids [4 0 R] /Count 1 >>");
        b.Set(3, "(" + std::string(pad, 'x') + ")");
        b.Set(4, "<< /Type /Page /Parent 2 0 R /Contents 5 0 R >>");
        b.Set(5, "<< /Length 6 0 R /Filter /FlateDecode >>\nstream\n" + content + "\nendstream");
        b.Set(6, std::to_string(content.size()));
        const std::string bytes = b.Build();
        const std::string expected = Report(bytes, false);
        ASSERT_NE(expected.find("(cut) Tj"), std::string::npos) << expected;
        EXPECT_EQ(Report(bytes, true), expected) << "padding " << pad;
    }
}

TEST(ExtendedReport, CensusOfTheCrossReferenceSections) {
    const auto census = [](const PdfBuilder::Options& Options) {
        const auto c = LoadedDocument(Document(Options).Build(), true).Analyst.XrefCensus();
        return std::to_string(c.Tables) + " tables, " + std::to_string(c.Streams) + " streams, " +
               std::to_string(c.ObjectStreams) + " object streams, " + std::to_string(c.ObjectsInStreams) + " in them";
    };
    EXPECT_EQ(census(Form("1.4", false, false)), "2 tables, 0 streams, 0 object streams, 0 in them");
    EXPECT_EQ(census(Form("1.5", true, false)), "0 tables, 2 streams, 0 object streams, 0 in them");
    EXPECT_EQ(census(Form("1.5", true, true)), "0 tables, 2 streams, 2 object streams, 9 in them");
}

// The default reading gives 0 bytes for these; extended reading decodes them
// (Flate with a predictor, where the two differ, is in ReadingDifferencesTest).
TEST(ExtendedReport, OtherFiltersOnlyWhereTheDefaultWritesNothing) {
    const std::string text = "BT /F1 12 Tf (filtered) Tj ET";
    struct Case {
        const char* Name;
        std::string Dictionary, Data;
        std::string Extended;  // "" when it stays as the default reading gives it
    };
    const std::vector<Case> cases = {
        {"LZW", "/Filter /LZWDecode", EncodeLZW(text), text},
        {"LZW, EarlyChange 0", "/Filter /LZWDecode /DecodeParms << /EarlyChange 0 >>",
         EncodeLZW(text, {.EarlyChange = false}), text},
        {"RunLength", "/Filter /RunLengthDecode", std::string("\x1c", 1) + text + "\x80", text},
        {"a chain of three", "/Filter [/ASCIIHexDecode /RunLengthDecode /LZWDecode] /DecodeParms [null null null]",
         EncodeHex(std::string(1, static_cast<char>(EncodeLZW(text).size() - 1)) + EncodeLZW(text) + "\x80") + ">", text},
        {"Identity crypt filter", "/Filter [/Crypt /LZWDecode]", EncodeLZW(text), text},
        {"an image filter stays undecoded", "/Filter /DCTDecode", "\xff\xd8\xff", ""},
    };
    for (const Case& c : cases) {
        PdfBuilder b = PdfBuilder::SimpleDocument({"placeholder"});
        b.SetStream(4, c.Dictionary, c.Data);
        const std::string bytes = b.Build();
        const std::string plain = Report(bytes, false, false);
        const std::string extended = Report(bytes, true, false);
        if (c.Extended.empty()) {
            EXPECT_EQ(extended, plain) << c.Name;
        } else {
            EXPECT_EQ(plain, "\n\n\n\n") << c.Name;
            EXPECT_EQ(extended, "\n\n" + c.Extended + "\n\n") << c.Name;
        }
    }
}

// qpdf, where the machine has it, writes the classic document anew with
// object streams: its extended report is the classic one.
TEST(ExtendedReport, ObjectStreamsWrittenByAnotherToolReportTheSame) {
    if (std::system("command -v qpdf > /dev/null 2>&1") != 0) GTEST_SKIP() << "qpdf is not installed";
    TempFile classic(Document(Form("1.4", false, false)).Build(), "classic.pdf");
    for (const std::string version : {"1.5", "1.7", "2.0"}) {
        const std::string rewritten = classic.Sibling("os" + version + ".pdf");
        const std::string command = "qpdf --object-streams=generate --stream-data=preserve --force-version=" + version +
                                    " " + classic.Path() + " " + rewritten;
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        EXPECT_EQ(Report(ReadFileBytes(rewritten), true), Report(ReadFileBytes(classic.Path()), false)) << version;
    }
}

// Damaged forms of the document: extended reading rebuilds the table, or
// finds it behind junk at the end (the last "startxref" names the table,
// whatever follows it), and reports them as the undamaged one.
TEST(ExtendedReport, DamagedFilesReportAsTheUndamagedOne) {
    PdfBuilder builder = Document(Form("1.4", false, false));
    const std::string good = builder.Build();
    const std::string expected = Report(good, true);
    const size_t lastXref = builder.XrefOffsets().back();
    const auto withLength = [&](int32_t Delta) {
        PdfBuilder b = Document(Form("1.4", false, false));
        b.Set(8, "<< /Length " + std::to_string(15 + Delta) + " >>\nstream\n0 0 m 10 10 l S\nendstream");
        return b.Build();
    };
    struct Case {
        const char* Name;
        std::string Bytes;
        bool Repaired, DefaultRefuses;
    };
    std::string wrongEntries = good;
    const size_t entry = wrongEntries.find(" 00000 n", wrongEntries.find("xref")) - 10;
    wrongEntries.replace(entry + 11, 10, "0000000077");  // the second entry
    const std::vector<Case> cases = {
        {"bytes inserted after the header", good.substr(0, 9) + std::string(100, '%') + "\n" + good.substr(9), true, true},
        {"table, trailer and startxref cut off", good.substr(0, lastXref), true, true},
        {"startxref pointing elsewhere", good.substr(0, good.rfind("startxref")) + "startxref\n12\n%%EOF\n", true, true},
        {"a table entry wrong", wrongEntries, true, true},
        {"a /Length too short", withLength(-5), false, false},
        {"a /Length too long", withLength(+7), false, false},
        {"junk after the end", good + "junk after the end\n", false, true},
        {"NUL bytes after the end", good + std::string("%%EOF\0\0\0", 8) + std::string(600, 'x'), false, true},
        {"no end marker", good.substr(0, good.rfind("%%EOF")), false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EXPECT_EQ(Report(c.Bytes, true), expected);
        const std::string plain = Report(c.Bytes, false);
        EXPECT_NE(plain, expected) << "the default reading does not repair";
        EXPECT_EQ(plain.rfind("error: ", 0) == 0, c.DefaultRefuses) << plain.substr(0, 200);
        EXPECT_EQ(LoadedDocument(c.Bytes, true).Analyst.Repaired(), c.Repaired);
    }
    const LoadedDocument cut(good.substr(0, lastXref), true);
    ASSERT_EQ(cut.Analyst.Warnings().size(), 1u);
    EXPECT_EQ(cut.Analyst.Warnings()[0], "相互参照テーブルを再構築しました。（見つかったオブジェクト: 13 個）");

    const std::string noTree = "%PDF-1.4\n1 0 obj\n<< /Type /Catalog >>\nendobj\n";
    EXPECT_EQ(Report(noTree, true), "error: ファイルを走査しましたが、ページツリーが見つかりませんでした。");
}

// A file of 2 GiB or more, its objects past the 2 GiB mark: the default
// reading refuses it when it opens the file, extended reading reads it. The
// hole before the objects is NUL bytes, white space to PDF, and costs no disk.
TEST(ExtendedReport, FilesPast2GiBAreRead) {
    const int64_t base = int64_t{1} << 31 | 12345;
    const std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 10 10] /Contents 4 0 R >>",
        "<< /Length 24 >>\nstream\n0 0 m 9 9 l S % far away\nendstream"};
    // The 2 GiB before the objects are the data of a stream, which a
    // rebuild passes over by searching for its end.
    std::string body = "\nendstream\nendobj\n", table = "xref\n0 5\n0000000000 65535 f \n";
    for (size_t i = 0; i < objects.size(); ++i) {
        char entry[32];
        std::snprintf(entry, sizeof entry, "%010lld 00000 n \n", static_cast<long long>(base + int64_t(body.size())));
        table += entry;
        body += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    body += table + "trailer\n<< /Size 5 /Root 1 0 R >>\nstartxref\n" + std::to_string(base + int64_t(body.size())) +
            "\n%%EOF\n";
    TempFile file("%PDF-1.7\n5 0 obj\n<< >>\nstream\n", "large.pdf");
    {
        std::ofstream out(file.Path(), std::ios::binary | std::ios::in | std::ios::out);
        out.seekp(base);
        out.write(body.data(), static_cast<std::streamsize>(body.size()));
        ASSERT_TRUE(out.good());
    }
    TDefaultAnalyst refusing;
    EXPECT_THROW(refusing.LoadFromFile(file.Path()), EFOpenError);
    // The plain report under extended reading, and whether the table was rebuilt.
    const auto extendedReport = [&file](bool& Repaired) {
        TExtendedAnalyst analyst;
        analyst.LoadFromFile(file.Path());
        Repaired = analyst.Repaired();
        std::string report;
        DecodeAllPages(analyst, false, report);
        return report;
    };
    bool repaired = true;
    const std::string report = extendedReport(repaired);
    EXPECT_FALSE(repaired);
    EXPECT_NE(report.find("0 0 m 9 9 l S % far away"), std::string::npos) << report;
    // Every command reads the file, each in its own way (triage counts its
    // keywords, revisions follows its table, --revision ends it).
    const struct {
        std::vector<std::string> Args;
        std::string Told;  // in standard output
    } commands[] = {
        {{"info", "--extended"}, "page-list: 3\n"},
        {{"decode", "--extended", "--no-comments", "-o", "-"}, "0 0 m 9 9 l S % far away"},
        {{"check"}, ""},
        {{"triage"}, "/Page"},
        {{"revisions"}, "1"},
        {{"check", "--revision", "1"}, ""},
        {{"info", "--extended", "--revision", "1"}, "page-list: 3\n"},
    };
    for (const auto& command : commands) {
        std::vector<std::string> args = command.Args;
        args.push_back(file.Path());
        const RunResult run = RunCli(args);
        EXPECT_EQ(run.ExitCode, 0) << args[0] << ": " << run.Err;
        EXPECT_NE(run.Out.find(command.Told), std::string::npos) << args[0] << ": " << run.Out;
    }
    // A table that cannot be followed is rebuilt by a pass over the whole
    // file, which finds the objects past 2 GiB where they are.
    {
        std::ofstream out(file.Path(), std::ios::binary | std::ios::in | std::ios::out);
        out.seekp(base + static_cast<std::streamoff>(body.rfind("startxref") + 10));
        out << "1";
    }
    EXPECT_EQ(extendedReport(repaired), report);
    EXPECT_TRUE(repaired);
}

TEST(ExtendedReport, PageTreesReadByKey) {
    struct Case {
        const char* Shape;
        std::string Kids;
        std::string Pages;  // extended reading's page list
        bool SameAsDefault;
    };
    const std::vector<Case> cases = {
        {"nested, a page listed twice", "[3 0 R 5 0 R 3 0 R 5 0 R]", "3 4 3", true},
        {"a kid that loops back to the root", "[3 0 R 2 0 R]", "3", true},
        {"a kid the file does not hold", "[3 0 R 9 0 R]", "3", true},
        {"a page written in place, numbered past the table", "[3 0 R << /Type /Page /Contents 4 0 R >>]", "3 7", false},
    };
    for (const Case& c : cases) {
        PdfBuilder b;
        b.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
        b.Set(2, "<< /Type /Pages /Kids " + c.Kids + " /Count 2 /MediaBox [0 0 200.4 300.6] >>");
        b.Set(3, "<< /Type /Page /Parent 2 0 R /Contents 6 0 R >>");
        b.Set(4, "<< /Type /Page /Parent 5 0 R /Contents 6 0 R >>");
        b.Set(5, "<< /Type /Pages /Parent 2 0 R /Kids [4 0 R] /Count 1 >>");
        b.SetStream(6, "", "q Q");
        TempFile file(b.Build(), "tree.pdf");
        std::string lists[2];
        for (const bool extended : {false, true}) {
            try {
                const std::unique_ptr<TPDFAnalyst> owner = NewAnalyst(ReadingFor(extended));
                TPDFAnalyst& analyst = *owner;
                analyst.LoadFromFile(file.Path());
                TIDList pages;
                analyst.GetPageList(&pages);
                for (const int32_t page : pages) lists[extended] += (lists[extended].empty() ? "" : " ") + std::to_string(page);
                if (extended) {
                    EXPECT_EQ(analyst.MediaBox(), (TBox{0, 0, 200, 301})) << c.Shape;
                }
            } catch (const Exception& e) {
                lists[extended] = "error: " + e.Message();
            }
        }
        EXPECT_EQ(lists[1], c.Pages) << c.Shape;
        EXPECT_EQ(lists[0] == lists[1], c.SameAsDefault) << c.Shape << ": default " << lists[0];
    }
}

// Forms that name one resource dictionary share what was read of it. The
// oracle: the same document with each dictionary written into every form
// that names it, where nothing can be shared, reports the same.
TEST(ExtendedReport, FormsSharingResourceDictionariesReportAsUnsharedOnes) {
    const std::string nine = "<< /Font << /F1 13 0 R /F2 null /F3 99 0 R >> /ExtGState << /G << /LW 1 >> >> "
                             "/XObject << /Fm0 20 0 R /Fm1 21 0 R /Im 23 0 R /Fm2 22 0 R >> >>";
    const std::string ten = "<< /XObject << /Fm2 22 0 R /Fm1 21 0 R /Fm0 20 0 R >> /Font << /F1 13 0 R >> >>";
    const std::string own = "/Resources << /XObject << /Fm0 20 0 R /Im 23 0 R >> >>";
    struct Case {
        const char* Name;
        std::string PageResources, Form20, Form21, Form22;  // 9, 10, an own dictionary or none
    };
    const std::vector<Case> cases = {
        {"all share one", "9 0 R", "9", "9", "9"},
        {"two dictionaries", "9 0 R", "9", "10", "9"},
        {"one of its own", "10 0 R", "9", own, "9"},
        {"one without", "9 0 R", "9", "", "10"},
        {"nested in turn", "10 0 R", "10", "9", "10"},
    };
    for (const Case& c : cases) {
        const auto build = [&](bool Shared) {
            const auto resources = [&](const std::string& Form) {
                if (Form != "9" && Form != "10") return Form;
                return "/Resources " + (Shared ? Form + " 0 R" : (Form == "9" ? nine : ten));
            };
            PdfBuilder b;
            b.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
            b.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
            b.Set(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R /Resources " +
                         c.PageResources + " >>");
            b.SetStream(4, "", "/Fm2 Do /Fm0 Do");
            b.Set(9, nine);
            b.Set(10, ten);
            b.Set(13, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
            b.SetStream(20, "/Type /XObject /Subtype /Form /BBox [0 0 1 1] " + resources(c.Form20), "/Fm1 Do");
            b.SetStream(21, "/Type /XObject /Subtype /Form /BBox [0 0 1 1] " + resources(c.Form21), "/F1 1 Tf /Fm0 Do");
            b.SetStream(22, "/Type /XObject /Subtype /Form /BBox [0 0 1 1] " + resources(c.Form22), "/Im Do");
            b.Set(23, "<< /Type /XObject /Subtype /Image /Width 1 /Height 1 /Length 0 >>\nstream\n\nendstream");
            b.Root(1);
            return b.Build();
        };
        const std::string unshared = Report(build(false), true);
        EXPECT_NE(unshared.find("( /Fm1 = SubType is Form)"), std::string::npos) << c.Name;
        EXPECT_EQ(Report(build(true), true), unshared) << c.Name;
    }
}
