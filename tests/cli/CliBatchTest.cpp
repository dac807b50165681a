// JSON output and several files per run.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>
#include <vector>

#include "CliRun.h"
#include "CliTools.h"
#include "decoder/PDFLumerra.h"
#include "pdf/DefaultAnalyst.h"
#include "pdf/PDFAnalyst.h"
#include "support/PdfBuilder.h"

using namespace lumerra;
using namespace lumerra::test;
using nlohmann::json;

namespace {

// Two pages sharing a form that uses another form, resources in several
// categories, a content array and a stream with an unknown filter.
std::string FormsDocument() {
    PdfBuilder b;
    b.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    b.Set(2, "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 /Resources << /Font << /F1 5 0 R /F2 6 0 R >>"
             " /XObject << /Fm0 7 0 R >> /ExtGState << /G0 10 0 R >> >> >>");
    b.Set(3, "<< /Type /Page /Parent 2 0 R /Contents [8 0 R 9 0 R] >>");
    b.Set(4, "<< /Type /Page /Parent 2 0 R /Contents 11 0 R /Resources << /Shading << /Sh1 10 0 R >> >> >>");
    b.Set(5, "<< /Type /Font >>");
    b.Set(6, "<< /Type /Font >>");
    b.SetStream(7, "/Type /XObject /Subtype /Form /Resources << /XObject << /Fm1 12 0 R >> >> /Filter /FlateDecode",
                Deflate(std::string(5000, 'q') + " /Fm1 Do Q"));
    b.SetStream(8, "/Filter /ASCIIHexDecode", "48656c6c6f0a00ff>");
    b.SetStream(9, "/Filter /DCTDecode", "\xff\xd8 not decoded");
    b.Set(10, "<< >>");
    b.SetStream(11, "", "0 0 m 1 1 l S");
    b.SetStream(12, "/Type /XObject /Subtype /Form", "1 0 0 RG");
    return b.Build();
}

// What the text report says: each stream's size and the bytes after it.
struct TTextSection {
    int64_t Size;
    std::string Data;
};

std::vector<TTextSection> ReportStreams(const std::string& Report) {
    static const std::string Key = "%  DecodeSize  : ";
    static const std::string Closing = "Byte\r\n% -------------------------------------------------------------------\n\n";
    std::vector<TTextSection> streams;
    for (size_t at = Report.find(Key); at != std::string::npos; at = Report.find(Key, at + 1)) {
        std::string digits;
        size_t i = at + Key.size();
        for (; Report[i] != ' '; ++i)
            if (Report[i] != ',') digits += Report[i];
        const int64_t size = std::stoll(digits);
        streams.push_back({size, Report.substr(i + 1 + Closing.size(), static_cast<size_t>(size))});
    }
    return streams;
}

}  // namespace

// The JSON and the text report come from the same records: the same streams
// in the same order with the same sizes and bytes, and the object numbers of
// the decoder's own records.
TEST(CliJson, DecodeMatchesTheTextReportAndTheRecords) {
    TempFile forms(FormsDocument(), "forms.pdf");
    for (const std::string& path : {forms.Path(), SamplePath()}) {
        const RunResult text = RunCli({"decode", "-o", "-", path});
        ASSERT_EQ(text.ExitCode, 0) << text.Err;
        if (path == SamplePath()) {
            // A form on page 2, fonts shared through the tree, every stream inflated.
            for (const char* part : {"%  Page 2/3 - XObject Resource ( /Fm0 = SubType is Form)\n%  Used Font       : [ /F3 ]\n",
                                     "(Text inside the form) Tj", "%  Used Font       : [ /F1  /F2 ]\n"})
                EXPECT_NE(text.Out.find(part), std::string::npos) << part;
            EXPECT_EQ(text.Out.find("DecodeSize  : 0 Byte"), std::string::npos);
        }
        const RunResult out = RunCli({"decode", "--json-data", "-j", "4", "-o", "-", path});
        ASSERT_EQ(out.ExitCode, 0) << out.Err;
        const json doc = json::parse(out.Out);
        EXPECT_EQ(doc["file"], std::filesystem::path(path).filename().string());

        const std::vector<TTextSection> expected = ReportStreams(text.Out);
        TDefaultAnalyst analyst;
        analyst.LoadFromFile(path);
        TPDFLumerra decoder(&analyst);
        TIDList pageList;
        analyst.GetPageList(&pageList);
        ASSERT_EQ(doc["pages"].size(), pageList.size());
        size_t n = 0;
        size_t formCount = 0;
        auto check = [&](const json& stream, int32_t object) {
            EXPECT_EQ(stream["object"], object);
            ASSERT_LT(n, expected.size());
            EXPECT_EQ(stream["size"], expected[n].Size) << path << " stream " << n;
            EXPECT_EQ(FromBase64(stream["data-base64"]), expected[n].Data) << path << " stream " << n;
            ++n;
        };
        for (size_t p = 0; p < pageList.size(); ++p) {
            const json& page = doc["pages"][p];
            EXPECT_EQ(page["page"], p + 1);
            EXPECT_EQ(page["object"], pageList[p]);
            const TPageResource& records = decoder.CollectPageResources(pageList[p]);
            ASSERT_EQ(page["resources"]["Font"].size(), static_cast<size_t>(records.Fonts.Count()));
            for (int32_t i = 0; i < records.Fonts.Count(); ++i) {
                EXPECT_EQ(page["resources"]["Font"][i]["name"], records.Fonts.GetName(i));
                EXPECT_EQ(page["resources"]["Font"][i]["object"], records.Fonts.GetObjectNumber(i));
            }
            ASSERT_EQ(page["forms"].size(), static_cast<size_t>(records.ChildCount()));
            formCount += page["forms"].size();
            for (int32_t i = 0; i < records.ChildCount(); ++i) check(page["forms"][i], records.GetChild(i).ObjectNumber);
            TIDList contents;
            decoder.GetPageContents(pageList[p], contents);
            ASSERT_EQ(page["contents"].size(), contents.size());
            for (size_t i = 0; i < contents.size(); ++i) check(page["contents"][i], contents[i]);
        }
        EXPECT_EQ(n, expected.size()) << path;
        EXPECT_GE(formCount, 1u) << path;  // both documents draw forms
    }
}

TEST(CliJson, DecodeLeavesTheBytesOutUnlessAsked) {
    const RunResult r = RunCli({"decode", "--json", "--pages", "2", "-o", "-", SamplePath()});
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    const json doc = json::parse(r.Out);
    ASSERT_EQ(doc["pages"].size(), 1u);
    const json& page = doc["pages"][0];
    for (const char* key : {"Font", "XObject", "ColorSpace", "ExtGState", "Pattern", "Properties", "Shading"})
        EXPECT_TRUE(page["resources"][key].is_array()) << key;
    EXPECT_EQ(page["forms"][0]["name"], "/Fm0");
    EXPECT_FALSE(page["forms"][0].contains("data-base64"));
    EXPECT_EQ(page["contents"][0]["filters"], json::array({"/FlateDecode"}));
}

TEST(CliJson, InfoPrintsOneLinePerFileWithTypedValues) {
    TempFile broken("%PDF-1.4\nnothing else", "broken.pdf");
    const RunResult r = RunCli({"info", "--json", SamplePath(), broken.Path(), SamplePath()});
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_NE(r.Err.find("lumerra: " + broken.Path() + ": "), std::string::npos) << r.Err;
    std::vector<json> lines;
    for (size_t at = 0, end; (end = r.Out.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(json::parse(r.Out.substr(at, end - at)));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], lines[2]);
    EXPECT_EQ(lines[0]["version"], "1.4");
    EXPECT_EQ(lines[0]["pages"], 3);
    EXPECT_EQ(lines[0]["encrypted"], false);
    EXPECT_EQ(lines[0]["page-list"], json::array({3, 4, 5}));
    EXPECT_EQ(lines[0]["media-box"], json::array({0, 0, 595, 842}));
    EXPECT_TRUE(lines[0]["xref-offsets"][0].is_number());
    EXPECT_EQ(lines[0]["title"], "PDF Lumerra sample");
    EXPECT_FALSE(lines[0].contains("author"));
    EXPECT_EQ(lines[1]["file"], broken.Path());
    EXPECT_TRUE(lines[1]["error"].is_string());
}

TEST(CliBatch, OutputFolderGetsOneReportPerFileAndFailuresAreTold) {
    TempFile forms(FormsDocument(), "forms.pdf");
    const std::string missing = forms.Sibling("missing.pdf");
    const std::string dir = forms.Sibling("out");
    for (const bool asJson : {false, true}) {
        // Text in two worker processes, JSON in this one.
        std::vector<std::string> args = {"decode", "-j", asJson ? "1" : "2", "--output-dir", dir,
                                         forms.Path(), missing, SamplePath()};
        if (asJson) args.insert(args.begin() + 1, "--json");
        const RunResult r = RunCli(args);
        EXPECT_EQ(r.ExitCode, 1);
        EXPECT_EQ(r.Err.rfind("lumerra: " + missing + ": ", 0), 0u) << r.Err;
        const std::string ext = asJson ? ".json" : ".txt";
        EXPECT_FALSE(std::filesystem::exists(dir + "/missing" + ext));
        const std::string alone =
            RunCli({"decode", asJson ? "--json" : "--quiet", "-o", "-", SamplePath()}).Out;
        EXPECT_EQ(ReadFileBytes(dir + "/sample" + ext), alone);
        EXPECT_TRUE(std::filesystem::exists(dir + "/forms" + ext));
    }
}

TEST(CliJson, ExtendedReadingGivesDirectObjectsNoObjectAndNamesInNormalForm) {
    PdfBuilder b = PdfBuilder::SimpleDocument({"q Q"}, "<< /ColorSpace << /CS0 /DeviceRGB >> /Font << /F#201 5 0 R >> >>");
    b.Set(5, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    // A second page written in place in /Kids.
    b.Set(2, "<< /Type /Pages /Count 2 /Kids [3 0 R << /Type /Page /Contents 4 0 R >>] >>");
    TempFile file(b.Build(), "direct.pdf");
    const RunResult r = RunCli({"decode", "--json", "--extended", "-o", "-", file.Path()});
    ASSERT_EQ(r.ExitCode, 0) << r.Err;
    const json pages = json::parse(r.Out)["pages"];
    const json resources = pages[0]["resources"];
    EXPECT_EQ(resources["ColorSpace"], json::parse(R"([{"name": "/CS0", "object": null}])"));
    EXPECT_EQ(resources["Font"], json::parse(R"([{"name": "/F#201", "object": 5}])"));
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0]["object"], 3);
    EXPECT_TRUE(pages[1]["object"].is_null());
    EXPECT_EQ(pages[1]["contents"][0]["object"], 4);
}
