// The raw counts against pdfid 0.2.10 itself, on a few hundred generated
// files: escapes whole and broken, keywords glued to others, object
// streams, binary stream data, /Colors and integers around 2^24, every
// spelling of the end marker and junk after it, and a few files large enough to be read in several pieces. pdfid runs once over all of them; the test is skipped where
// python3 or pdfid.py is not at hand.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/PdfBuilder.h"
#include "triage/RawKeywords.h"

using namespace lumerra;
using namespace lumerra::test;

namespace {

std::string PdfidPath() {
    if (const char* path = std::getenv("LUMERRA_PDFID")) return path;
    return LUMERRA_PDFID_PATH;
}

// Pieces a file is made of, drawn at random.
class TFileGenerator {
public:
    explicit TFileGenerator(unsigned Seed) : FRandom(Seed) {}

    // Large files have keywords and escapes across the pieces the counter
    // reads.
    std::string File(bool Large = false) {
        static const std::vector<std::string> headers = {
            "%PDF-1.4\n",  "%PDF-1.7\r\n", "junk\x01%PDF-1.5\r", "%PDF-2.0 \t\n%\xE2\xE3\xCF\xD3\n",
            "%PDF-1.3\x80\xA0\xAD\xFF''\n", "%PDF-\"1'x\\yz\n", "", "%PDF-1.6 with a long line\n",
            "\n\n%PDF-1.1\r\n"};
        std::string file = Pick(headers);
        if (Chance(4)) file += Document();
        const int pieces = Large ? 6000 : Between(1, 40);
        for (int i = 0; i < pieces; ++i) file += Piece();
        return file;
    }

private:
    int Between(int Low, int High) { return std::uniform_int_distribution<int>(Low, High)(FRandom); }
    bool Chance(int OneIn) { return Between(1, OneIn) == 1; }
    template <class T>
    const T& Pick(const std::vector<T>& Items) {
        return Items[static_cast<size_t>(Between(0, static_cast<int>(Items.size()) - 1))];
    }

    // A keyword with some of its letters written as "#xx".
    std::string Escaped(const std::string& Name) {
        std::string out = "/";
        for (const char c : Name.substr(1)) {
            if (Chance(3)) {
                char escape[4];
                std::snprintf(escape, sizeof escape, Chance(2) ? "#%02X" : "#%02x", static_cast<unsigned char>(c));
                out += escape;
            } else {
                out += c;
            }
        }
        return out;
    }

    std::string Document() {
        PdfBuilder::Options options;
        options.Header = "";
        options.XrefStreams = Chance(2);
        options.ObjectStreams = options.XrefStreams && Chance(2);
        options.CompressStructure = Chance(2);
        PdfBuilder pdf(options);
        pdf.Add("<< /Type /Catalog /Pages 2 0 R /OpenAction 4 0 R /AcroForm << /XFA 5 0 R >> >>");
        pdf.Add("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
        pdf.Add("<< /Type /Page /Parent 2 0 R /AA << /O 4 0 R >> >>");
        pdf.Add("<< /S /JavaScript /JS (app.alert\\(1\\)) /Next << /S /Launch /F (x) >> >>");
        pdf.AddStream("/Type /EmbeddedFile", "stream data /JS obj endobj");
        if (Chance(2)) pdf.NewRevision().Set(3, "<< /Type /Page /Parent 2 0 R /RichMedia 1 >>");
        return pdf.Build();
    }

    std::string Piece() {
        static const std::vector<std::string> keywords = {
            "/Page", "/Encrypt", "/ObjStm", "/JS", "/JavaScript", "/AA", "/OpenAction", "/AcroForm",
            "/JBIG2Decode", "/RichMedia", "/Launch", "/EmbeddedFile", "/XFA", "/Pages", "/Colors", "/JSX"};
        static const std::vector<std::string> words = {
            "obj", "endobj", "stream", "endstream", "xref", "trailer", "startxref", "0obj", "objx", "Obj",
            "endobjendobj", "/obj", "/xref"};
        static const std::vector<std::string> markers = {
            "%%EOF\n", "%%EOF\r\n", "%%EOF\r", "%%EOF ", "%%EOF\t", "%%EOF", "%%EOF%%EOF\n", "%%%EOF\n",
            "%%EOF\r%%EOF\n", "%%EOF \n", "%%EO\nF", "%%EOF\r\r\n"};
        static const std::vector<std::string> broken = {
            "/J#4", "/J#zz", "/A##41", "#41A", "/#", "/JS#", "/J#5", "/#4a#41", "/a#g1JS", "/J#53#", "/#2FJS",
            "/J#53/J#53", "/#4A#53", "/#20JS"};
        static const std::vector<std::string> gaps = {" ", "\n", "\r\n", "\r", "\t", "", "<<", ">>", "[", "(", "\x00"};
        std::string piece;
        switch (Between(0, 8)) {
            case 0: piece = Pick(keywords); break;
            case 1: piece = Escaped(Pick(keywords)); break;
            case 2: piece = Pick(words); break;
            case 3: piece = Pick(markers); break;
            case 4: piece = Pick(broken); break;
            case 5:
                piece = std::to_string(Between(1, 99)) + " 0 obj\n<< " + Pick(keywords) + " " + Escaped(Pick(keywords)) +
                        " >>\nendobj\n";
                break;
            case 6:
                for (int i = Between(1, 200); i > 0; --i) piece += static_cast<char>(Between(0, 255));
                break;
            case 7: {
                // /Colors and integers at and around 2^24, some in names.
                static const std::vector<std::string> numbers = {
                    "16777216", "16777217", "16777215", "0016777217", "99999999", "100000000", "3",
                    "-16777217", "16777217.5", "16777217R", "/16777217", "/#31#36#37#37#37#32#31#37",
                    "123456789012345678901234567890", "/16777217#zz"};
                piece = Chance(2) ? "/Colors" : Escaped("/Colors");
                for (int i = Between(1, 3); i > 0; --i) piece += Pick(gaps) + Pick(numbers);
                break;
            }
            default: {
                static const std::string alphabet = "/#%EOFJSAa0123456789xXobjendstream \r\n\t<>";
                for (int i = Between(1, 60); i > 0; --i)
                    piece += alphabet[static_cast<size_t>(Between(0, static_cast<int>(alphabet.size()) - 1))];
            }
        }
        return piece + Pick(gaps);
    }

    std::mt19937 FRandom;
};

struct TOracleCounts {
    std::string Header;
    std::map<std::string, std::pair<int64_t, int64_t>> Lines;  // name: count, escaped
};

// pdfid's text output, one block per file: " %-16s %7d" and "(n)".
std::map<std::string, TOracleCounts> ParsePdfid(const std::string& Output) {
    std::map<std::string, TOracleCounts> files;
    std::istringstream lines(Output);
    std::string line;
    TOracleCounts* current = nullptr;
    while (std::getline(lines, line)) {
        if (line.rfind("PDFiD ", 0) == 0) {
            current = &files[line.substr(line.find(' ', 6) + 1)];
        } else if (current && line.rfind(" PDF Header: ", 0) == 0) {
            current->Header = line.substr(13);
        } else if (current && line.size() >= 25 && line[0] == ' ') {
            std::string name = line.substr(1, 16);
            name.erase(name.find_last_not_of(' ') + 1);
            const std::string rest = line.substr(18);
            const size_t bracket = rest.find('(');
            current->Lines[name] = {std::atoll(rest.c_str()),
                                    bracket == std::string::npos ? 0 : std::atoll(rest.c_str() + bracket + 1)};
        }
    }
    return files;
}

std::string RunCommand(const std::string& Command) {
    std::string output;
    if (FILE* pipe = popen(Command.c_str(), "r")) {
        char buffer[65536];
        for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
        pclose(pipe);
    }
    return output;
}

}  // namespace

TEST(PdfidOracle, RawCountsEqualPdfidOnGeneratedFiles) {
    if (std::system("python3 -c '' >/dev/null 2>&1") != 0) GTEST_SKIP() << "python3 is not installed";
    if (!std::filesystem::exists(PdfidPath())) GTEST_SKIP() << "pdfid.py not found: " << PdfidPath();

    TempFile folder("", "unused.pdf");
    TFileGenerator generator(23);
    std::vector<std::string> paths;
    std::string command = "cd " + folder.Folder() + " && python3 '" + PdfidPath() + "' -e -f -l";
    for (int i = 0; i < 300; ++i) {
        const std::string name = "f" + std::to_string(i) + ".pdf";
        WriteFileBytes(folder.Sibling(name), generator.File(i % 75 == 0));
        paths.push_back(folder.Sibling(name));
        command += " " + name;
    }
    const std::map<std::string, TOracleCounts> oracle = ParsePdfid(RunCommand(command));
    ASSERT_EQ(oracle.size(), paths.size()) << "pdfid did not report every file";

    for (size_t i = 0; i < paths.size(); ++i) {
        SCOPED_TRACE(paths[i]);
        const TOracleCounts& expected = oracle.at("f" + std::to_string(i) + ".pdf");
        const TRawCounts counts = CountRawKeywords(paths[i]);
        EXPECT_EQ(counts.Header.value_or(""), expected.Header);
        for (size_t k = 0; k < TriageKeywords.size(); ++k) {
            const std::string keyword(TriageKeywords[k]);
            ASSERT_TRUE(expected.Lines.count(keyword)) << keyword;
            EXPECT_EQ(counts.Keywords[k].Raw, expected.Lines.at(keyword).first) << keyword;
            EXPECT_EQ(counts.Keywords[k].Escaped, expected.Lines.at(keyword).second) << keyword;
        }
        ASSERT_TRUE(expected.Lines.count("/Colors > 2^24"));
        EXPECT_EQ(counts.ColorsAbove2To24, expected.Lines.at("/Colors > 2^24").first);
        EXPECT_EQ(counts.EofMarkers, expected.Lines.at("%%EOF").first);
        const auto after = expected.Lines.find("After last %%EOF");
        EXPECT_EQ(counts.AfterLastEof.has_value(), after != expected.Lines.end());
        if (counts.AfterLastEof && after != expected.Lines.end()) {
            EXPECT_EQ(*counts.AfterLastEof, after->second.first);
        }
    }
}
