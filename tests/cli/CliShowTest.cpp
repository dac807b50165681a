// "lumerra show": objects, paths, pages, referrers, the table and revisions
// of files built here; then, where qpdf is installed, every object's JSON and
// every stream's decoded data held against qpdf's for the same file.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "CliRun.h"
#include "CliTools.h"
#include "support/PdfBuilder.h"

using namespace lumerra::test;
using nlohmann::json;

namespace {

const std::string Content = "BT /F1 12 Tf 72 700 Td (Hi) Tj ET\n";

// Two revisions: the second changes the font (whose /Self refers to
// itself) and adds object 7.
PdfBuilder TwoRevisions(PdfBuilder::Options Options = {}) {
    PdfBuilder pdf(Options);
    pdf.Add("<< /Type /Catalog /Pages 2 0 R /Extra 6 0 R >>");
    pdf.Add("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    pdf.Add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 5 0 R >> >> "
            "/Contents 4 0 R >>");
    pdf.AddStream("/Filter /FlateDecode", Deflate(Content));
    pdf.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Courier >>");
    pdf.Add("<< /S (a \\(b\\)) /B <00ff> /R 3.5 /N null /T true /A [1 -2 /X#20Y] >>");
    pdf.NewRevision();
    pdf.Root(1);
    pdf.Set(5, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Self 5 0 R >>");
    pdf.Add("[6 0 R 1 0 R]");
    return pdf;
}

TEST(CliShow, ShowsWhatItIsAskedFor) {
    PdfBuilder builder = TwoRevisions();
    const TempFile pdf(builder.Build());
    const auto offset = [&](int Number) { return std::to_string(builder.Offsets().at(Number)); };
    const struct {
        std::vector<std::string> Args;
        int Exit;
        std::string Out;  // the whole output, or a part of it with Part
        bool Part;
        std::string Err;  // a part of standard error
    } cases[] = {
        {{"1"}, 0, "object 1 0, revision 1, offset " + offset(1) + "\n<<\n  /Type /Catalog\n  /Pages 2 0 R\n  /Extra 6 0 R\n>>\n",
         false, ""},
        {{"6"}, 0, "  /S (a \\(b\\))\n  /B <00FF>\n  /R 3.5\n  /N null\n  /T true\n  /A [1 -2 /X#20Y]\n", true, ""},
        {{}, 0, "trailer, revision 2\n<<\n", true, ""},
        {{"trailer/Root/Pages/Kids/0/Resources/Font/F1/BaseFont"}, 0,
         "object 5 0 /BaseFont, revision 2, offset " + offset(5) + "\n/Helvetica\n", false, ""},
        {{"5/Self/Self/Self/Type"}, 0, "/Font\n", true, ""},  // a cycle is walked, never looped
        {{"7/0/A/2"}, 0, "object 6 0 /A[2], revision 1", true, ""},
        {{"page/1"}, 0, "object 3 0, revision 1, offset " + offset(3) + "\n", true, ""},
        {{"refs/5"}, 0, "3: /Resources/Font/F1\n5: /Self\n", false, ""},
        {{"refs/1"}, 0, "trailer: /Root\n7: [1]\n", false, ""},
        {{"4"}, 0, "/Filter /FlateDecode\n>>\nstream\n" + Content + "endstream\n", true, ""},
        {{"--hex", "4"}, 0, "stream (34 bytes)\n00000000  42 54 20 2f 46 31", true, ""},
        {{"--raw", "4"}, 0, "stream\n" + Deflate(Content), true, ""},
        {{"--revision", "1", "5"}, 0, "/BaseFont /Courier", true, ""},
        {{"--revision", "1", "trailer"}, 0, "trailer, revision 1\n", true, ""},
        {{"trailer/Root/Missing/Kids"}, 1, "", false, "trailer/Root"},
        {{"trailer/Root/Pages/Kids/1"}, 1, "", false, "trailer/Root/Pages/Kids"},
        {{"page/2"}, 1, "", false, "2"},
        {{"9"}, 1, "", false, "9"},
        {{"--revision", "1", "7"}, 1, "", false, "7"},
        {{"--revision", "3", "1"}, 2, "", false, "3"},
        {{"Root"}, 2, "", false, "Root"},
        {{"page/0"}, 2, "", false, "page/0"},
        {{"--raw", "--hex", "4"}, 2, "", false, "--hex"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args{"show", pdf.Path()};
        args.insert(args.end(), c.Args.begin(), c.Args.end());
        const RunResult r = RunCli(args);
        const std::string what = c.Args.empty() ? "(none)" : c.Args.back();
        EXPECT_EQ(r.ExitCode, c.Exit) << what << "\n" << r.Err;
        if (c.Part)
            EXPECT_NE(r.Out.find(c.Out), std::string::npos) << what << "\n" << r.Out;
        else
            EXPECT_EQ(r.Out, c.Out) << what;
        EXPECT_NE(r.Err.find(c.Err), std::string::npos) << what << "\n" << r.Err;
    }
}

TEST(CliShow, XrefTellsWhereEachObjectIsAndWhichRevisionWroteIt) {
    const struct {
        bool Streams;
        std::vector<std::string> Lines;
    } cases[] = {
        {false, {"0: free", "1: offset ", ", revision 1", "5: offset ", "7: offset "}},
        {true, {"0: free", "1: object stream ", ", index 0, revision 1", "4: offset ", "5: object stream ", "7: object stream "}},
    };
    for (const auto& c : cases) {
        PdfBuilder::Options options;
        options.XrefStreams = options.ObjectStreams = c.Streams;
        PdfBuilder builder = TwoRevisions(options);
        const TempFile pdf(builder.Build());
        const RunResult r = RunCli({"show", pdf.Path(), "xref"});
        EXPECT_EQ(r.ExitCode, 0) << r.Err;
        for (const std::string& line : c.Lines) EXPECT_NE(r.Out.find(line), std::string::npos) << line << "\n" << r.Out;
        // Object 5 was written again by the second revision, object 3 only by the first.
        EXPECT_NE(r.Out.find("\n5: "), std::string::npos);
        const std::string five = r.Out.substr(r.Out.find("\n5: ") + 1);
        EXPECT_NE(five.substr(0, five.find('\n')).find("revision 2"), std::string::npos) << r.Out;
        const std::string three = r.Out.substr(r.Out.find("\n3: ") + 1);
        EXPECT_NE(three.substr(0, three.find('\n')).find("revision 1"), std::string::npos) << r.Out;
    }
}

// ---- qpdf as the oracle

TEST(CliShowOracle, EveryObjectAndStreamAsQpdfReadsIt) {
    if (!HaveTool("qpdf")) GTEST_SKIP() << "qpdf is not installed";
    // Encrypted files are written by qpdf from the plain one (it numbers the
    // objects anew): strings and streams are compared decrypted.
    const struct {
        const char* Name;
        bool Streams;
        const char* Encrypt;  // qpdf's --encrypt arguments after the passwords
    } cases[] = {{"tables", false, nullptr},
                 {"object streams", true, nullptr},
                 {"AES-256", false, "256"},
                 {"RC4-128", true, "128 --use-aes=n"}};
    for (const auto& c : cases) {
        PdfBuilder::Options options;
        options.XrefStreams = options.ObjectStreams = c.Streams;
        const TempFile plain(TwoRevisions(options).Build());
        std::string path = plain.Path();
        std::vector<std::string> password;
        if (c.Encrypt != nullptr) {
            path = plain.Sibling("encrypted.pdf");
            ASSERT_EQ(std::system(("qpdf --allow-weak-crypto --encrypt user owner " + std::string(c.Encrypt) +
                                   " -- '" + plain.Path() + "' '" + path + "' 2> /dev/null").c_str()),
                      0);
            password = {"--password", "user"};
        }
        const TempFile& pdf = plain;
        const std::string qpdfPassword = c.Encrypt != nullptr ? " --password=user" : "";
        const json qpdf = json::parse(CommandOutput("qpdf" + qpdfPassword + " --json=2 --json-key=qpdf '" + path + "'"));
        const json& objects = qpdf.at("qpdf").at(1);
        int compared = 0;
        for (const auto& [key, expected] : objects.items()) {
            if (key.rfind("obj:", 0) != 0) continue;
            const std::string number = key.substr(4, key.find(' ') - 4);
            std::vector<std::string> args{"show", "--json", path, number};
            args.insert(args.end(), password.begin(), password.end());
            const RunResult r = RunCli(args);
            ASSERT_EQ(r.ExitCode, 0) << c.Name << " " << number << "\n" << r.Err;
            json shown = json::parse(r.Out);
            for (const char* ours : {"object", "generation", "revision", "location"}) shown.erase(ours);
            EXPECT_EQ(shown, expected) << c.Name << " " << key;
            ++compared;
            if (!expected.contains("stream")) continue;
            args.insert(args.begin() + 2, "--decoded");
            const RunResult decoded = RunCli(args);
            const std::string data = FromBase64(json::parse(decoded.Out).at("stream").at("data").get<std::string>());
            EXPECT_EQ(data, CommandOutput("qpdf" + qpdfPassword + " --show-object=" + number + " --filtered-stream-data '" +
                                   path + "'"))
                << c.Name << " " << key;
        }
        EXPECT_GE(compared, 7) << c.Name;
        if (!c.Streams && c.Encrypt == nullptr) {
            const RunResult r = RunCli({"show", "--json", pdf.Path(), "trailer"});
            json trailer = json::parse(r.Out).at("value");
            json expected = objects.at("trailer").at("value");
            // qpdf keeps only what the newest trailer means, not the chain.
            trailer.erase("/Prev");
            expected.erase("/Prev");
            EXPECT_EQ(trailer, expected);
        }
    }
}

}  // namespace
