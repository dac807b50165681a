// Extended reading's structures built to hurt: object streams that lie or
// hold themselves, cross-reference streams that loop or claim billions of
// entries, damaged files whose table is rebuilt, damaged encryption
// dictionaries, predictors with absurd rows, an LZW bomb. Each ends in a
// report or a message, in time and within the memory budget.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hostile/HostileDocuments.h"
#include "support/DecoderEncoders.h"
#include "support/PdfBuilder.h"

using namespace lumerra;
using namespace lumerra::test;

namespace {

// Big-endian entry of a cross-reference stream with /W [1 4 2].
std::string Row(int Type, uint32_t Field2, int Field3) {
    return {static_cast<char>(Type), static_cast<char>(Field2 >> 24), static_cast<char>(Field2 >> 16),
            static_cast<char>(Field2 >> 8), static_cast<char>(Field2), static_cast<char>(Field3 >> 8),
            static_cast<char>(Field3)};
}

// A 1.5 file: Objects as they are (each "n 0 obj ... endobj"), then a
// cross-reference stream with Dictionary and the given entry data.
std::string WithXrefStream(const std::string& Objects, const std::string& Dictionary, const std::string& Data) {
    std::string out = "%PDF-1.5\n" + Objects;
    const size_t at = out.size();
    out += "99 0 obj\n<< /Type /XRef /Length " + std::to_string(Data.size()) + " " + Dictionary + " >>\nstream\n" +
           Data + "\nendstream\nendobj\nstartxref\n" + std::to_string(at) + "\n%%EOF\n";
    return out;
}

// One page; object 5 and the trailer's extra keys as given.
std::string Encrypted(const std::string& Object5, const std::string& Trailer) {
    return PdfBuilder::SimpleDocument({"0 0 m S"}).Set(5, Object5).TrailerExtra(Trailer).Build();
}

const std::string Hash48 = "<" + std::string(96, 'f') + ">";

}  // namespace

TEST(HostileExtended, LyingStructuresEndInReportOrMessage) {
    const std::string catalog = "1 0 obj\n<< /Type /Catalog /Pages 2 0 R >>\nendobj\n";
    const std::string pages = "2 0 obj\n<< /Type /Pages /Kids [] /Count 0 >>\nendobj\n";
    const std::string objstm = [] {
        const std::string body = "<< /Type /Catalog /Pages 2 0 R >>";
        return "5 0 obj\n<< /Type /ObjStm /N 1 /First 4 /Length " + std::to_string(4 + body.size()) +
               " >>\nstream\n1 0 " + body + "\nendstream\nendobj\n";
    }();
    // What the table rebuild meets in damaged files: a million headers,
    // headers inside stream data, objects that overlap.
    std::string manyHeaders = "%PDF-1.4\n";
    for (int i = 1; i <= 1000000; ++i) manyHeaders += std::to_string(i) + " 0 obj\n";
    PdfBuilder doc = PdfBuilder::SimpleDocument({"BT ET"});
    doc.SetStream(4, "", "1 0 obj << /Type /Catalog >> endobj 2 0 obj << /Type /Pages /Kids [] >> endobj");
    const std::string inStream = doc.Build();
    const std::string damaged = "暗号化辞書が壊れています。";
    const std::string wrong = "パスワードが正しくありません。";
    struct Case {
        std::string Name, Bytes;
        std::string Report = "";   // the start of the report's summary; "" when a message will do as well
        std::string Message = "";  // the message the run must end with
    };
    const std::vector<Case> cases = {
        {"xref stream whose /Prev is itself",
         WithXrefStream(catalog + pages, "/W [1 4 2] /Size 3 /Root 1 0 R /Prev 9", Row(0, 0, 65535))},
        {"xref stream claiming two billion entries",
         WithXrefStream(catalog + pages, "/W [1 4 2] /Size 2000000000 /Index [0 2000000000] /Root 1 0 R",
                        Row(0, 0, 65535) + Row(1, 9, 0))},
        {"xref stream with fields wider than 8 bytes",
         WithXrefStream(catalog + pages, "/W [1 40 2] /Size 3 /Root 1 0 R", Row(1, 9, 0))},
        {"object stream with /N and /First out of range",
         WithXrefStream(pages + "5 0 obj\n<< /Type /ObjStm /N 99999999 /First 99999999 /Length 4 >>\nstream\n1 0 \nendstream\nendobj\n",
                        "/W [1 4 2] /Size 6 /Root 1 0 R", Row(0, 0, 65535) + Row(2, 5, 0) + Row(1, 9, 0))},
        {"object stream that holds itself",
         WithXrefStream(pages + objstm, "/W [1 4 2] /Size 6 /Root 1 0 R",
                        Row(0, 0, 65535) + Row(2, 5, 0) + Row(1, 9, 0) + Row(0, 0, 0) + Row(0, 0, 0) + Row(2, 5, 0))},
        {"object stream that is not in the file",
         WithXrefStream(pages, "/W [1 4 2] /Size 6 /Root 1 0 R", Row(0, 0, 65535) + Row(2, 7, 0) + Row(1, 9, 0))},
        {"a million object headers and nothing else", manyHeaders},
        // The stream's data is passed over: the real catalog and page tree win.
        {"headers inside stream data, table cut off", inStream.substr(0, inStream.rfind("xref")), "pages=1 "},
        {"objects that overlap", "%PDF-1.4\n1 0 obj << /Type /Catalog /Pages 2 0 R 2 0 obj << /Type /Pages /Kids [3 0 R"
                                 " 3 0 obj << /Type /Page /Parent 2 0 R >> endobj ] /Count 1 >> endobj >> endobj\n"},
        {"an unterminated string swallowing the file", "%PDF-1.4\n(" + std::string(3 * 1024 * 1024, 'x') + "\n1 0 obj\n"},
        // Encryption dictionaries that cannot be opened.
        {"/Encrypt naming an object the file lacks", Encrypted("null", "/Encrypt 77 0 R /ID [<00>]"), "", damaged},
        {"/Encrypt naming a number", Encrypted("null", "/Encrypt 5 /ID [<00>]"), "", damaged},
        {"/CF naming an object the file lacks",
         Encrypted("<< /Filter /Standard /V 5 /R 6 /CF 77 0 R /StmF /StdCF >>", "/Encrypt 5 0 R"), "", damaged},
        {"/CF naming the encryption dictionary itself",
         Encrypted("<< /Filter /Standard /V 4 /R 4 /CF 5 0 R /StmF /StdCF /O " + Hash48 + " /U " + Hash48 + " /P -1 >>",
                   "/Encrypt 5 0 R"),
         "", "対応できない暗号化方式です。"},
        {"encryption dictionary nested ten thousand deep", Encrypted(std::string(10000, '['), "/Encrypt 5 0 R"), "",
         damaged},
        {"encryption dictionary with an unended string",
         Encrypted("<< /Filter /Standard /O (" + std::string(100000, 'x'), "/Encrypt 5 0 R"), "", damaged},
        {"public-key handler", Encrypted("<< /Filter /Adobe.PubSec /V 4 /R 4 >>", "/Encrypt 5 0 R"), "",
         "対応できないセキュリティハンドラです。"},
        {"AES-256 whose hash loop runs as long as it may",
         Encrypted("<< /Filter /Standard /V 5 /R 6 /O " + Hash48 + " /U " + Hash48 + " /OE " + Hash48 + " /UE " +
                       Hash48 + " /P -1 >>",
                   "/Encrypt 5 0 R"),
         "", wrong},
        {"RC4 with a huge /ID",
         Encrypted("<< /Filter /Standard /V 2 /R 3 /Length 128 /O " + Hash48 + " /U " + Hash48 + " /P -1 >>",
                   "/Encrypt 5 0 R /ID [<" + std::string(60000, 'a') + "> <00>]"),
         "", wrong},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TempFile file(c.Bytes, "hostile.pdf");
        const TCaseOutcome outcome =
            RunCase(c.Name, [&] { return WriteReport(file.Path(), file.Sibling("out.txt"), true, true); });
        ExpectClearOutcome(outcome);
        if (!c.Report.empty()) {
            ExpectReport(outcome);
            EXPECT_EQ(outcome.Text.rfind(c.Report, 0), 0u) << outcome.Text;
        }
        if (!c.Message.empty()) ExpectMessage(outcome, c.Message);
    }
}

TEST(HostileExtended, AbsurdPredictorsAndAnLzwBombStayBounded) {
    // A few KiB of codes, each for a long run, that decode to 40 MiB: the
    // report spills it to disk as it does a Flate bomb.
    TLZWEncoding lzw;
    lzw.ClearWhenFull = false;
    const std::string bomb = EncodeLZW(std::string(40 * 1024 * 1024, 'x'), lzw);
    struct Case {
        std::string Name, Dictionary, Data;
    };
    const std::vector<Case> cases = {
        {"predictor with two billion columns",
         "/Filter /LZWDecode /DecodeParms << /Predictor 12 /Columns 2000000000 /Colors 4 >>", EncodeLZW("abcdef")},
        {"predictor whose row overflows",
         "/Filter /LZWDecode /DecodeParms << /Predictor 2 /Columns 2147483647 /Colors 2147483647 /BitsPerComponent 16 >>",
         EncodeLZW("abcdef")},
        {"LZW bomb", "/Filter /LZWDecode", bomb},
        {"LZW bomb through RunLength", "/Filter [/LZWDecode /RunLengthDecode]", bomb},
    };
    for (const bool comments : {true, false}) {
        for (const Case& c : cases) {
            PdfBuilder b = PdfBuilder::SimpleDocument({"placeholder"});
            b.SetStream(4, c.Dictionary, c.Data);
            TempFile file(b.Build(), "hostile.pdf");
            ExpectReport(RunCase(c.Name + (comments ? ", comments" : ""),
                                 [&] { return WriteReport(file.Path(), file.Sibling("out.txt"), comments, true); }));
        }
    }
}
