// Extended reading against an independent object model: for every page, the
// content streams, the resources of the seven categories and the reachable
// Form XObjects that `lumerra decode --extended --json` reports are those a
// small walker of `qpdf --json` finds in the same file. qpdf and Ghostscript
// are test-only tools: without them the tests skip.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "CliRun.h"
#include "CliTools.h"
#include "support/PdfBuilder.h"

using namespace lumerra::test;
using nlohmann::json;
using nlohmann::ordered_json;

namespace {

const char* const Categories[] = {"Font", "XObject", "ColorSpace", "ExtGState", "Pattern", "Properties", "Shading"};

// Category -> (name's bytes, object number or -1 for a direct value).
using TResources = std::map<std::string, std::vector<std::pair<std::string, int>>>;
struct TForm {
    std::string Name;
    int Object;
    TResources Resources;
};
struct TPage {
    int Object;
    std::vector<int> Contents;
    TResources Resources;
    std::vector<TForm> Forms;
};

std::string Quoted(const std::string& Text) { return "'" + Text + "'"; }

// Runs Command; true when it exited with 0, or with 3 (qpdf's "warnings").
bool RunTool(const std::string& Command) {
    const int status = std::system((Command + " 2> /dev/null").c_str());
    return WIFEXITED(status) && (WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == 3);
}

// A name as bytes: lumerra writes "#xx" escapes, qpdf the bytes themselves
// (or "n:/..." with escapes), so both are taken back to bytes.
std::string NameBytes(std::string Name, bool Escaped) {
    if (Name.rfind("n:", 0) == 0) Name.erase(0, 2), Escaped = true;
    if (!Name.empty() && Name[0] == '/') Name.erase(0, 1);
    if (!Escaped) return Name;
    std::string bytes;
    for (size_t i = 0; i < Name.size(); ++i) {
        if (Name[i] == '#' && i + 2 < Name.size() && std::isxdigit(static_cast<unsigned char>(Name[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(Name[i + 2]))) {
            bytes += static_cast<char>(std::stoi(Name.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            bytes += Name[i];
        }
    }
    return bytes;
}

// One line per page and form; each category's entries sorted, since qpdf
// keeps a dictionary's keys sorted rather than in file order.
std::string Describe(const std::vector<TPage>& Pages) {
    const auto resources = [](const TResources& R) {
        std::string text;
        for (const char* category : Categories) {
            if (!R.count(category) || R.at(category).empty()) continue;
            auto entries = R.at(category);
            std::sort(entries.begin(), entries.end());
            text += std::string(" ") + category + "[";
            for (const auto& [name, object] : entries)
                text += " " + name + "=" + (object < 0 ? "direct" : std::to_string(object));
            text += " ]";
        }
        return text;
    };
    std::string text;
    for (const TPage& page : Pages) {
        text += "page " + std::to_string(page.Object) + " contents [";
        for (const int content : page.Contents) text += " " + std::to_string(content);
        text += " ]" + resources(page.Resources) + "\n";
        for (const TForm& form : page.Forms)
            text += "  form " + form.Name + "=" + std::to_string(form.Object) + resources(form.Resources) + "\n";
    }
    return text;
}

// What lumerra reports, from its JSON (in file order).
std::vector<TPage> Reported(const ordered_json& Report) {
    const auto resources = [](const ordered_json& R) {
        TResources out;
        for (const char* category : Categories)
            for (const ordered_json& entry : R.at(category))
                out[category].emplace_back(NameBytes(entry.at("name").get<std::string>(), true),
                                           entry.at("object").is_null() ? -1 : entry.at("object").get<int>());
        return out;
    };
    std::vector<TPage> pages;
    for (const ordered_json& page : Report.at("pages")) {
        TPage& p = pages.emplace_back(TPage{page.at("object").get<int>(), {}, resources(page.at("resources")), {}});
        for (const ordered_json& content : page.at("contents")) p.Contents.push_back(content.at("object").get<int>());
        for (const ordered_json& form : page.at("forms"))
            p.Forms.push_back({NameBytes(form.at("name").get<std::string>(), true), form.at("object").get<int>(),
                               resources(form.at("resources"))});
    }
    return pages;
}

// qpdf's objects ("qpdf"[1] of its JSON, version 2) read by key.
class TQpdfModel {
public:
    explicit TQpdfModel(const json& Document) {
        for (const auto& [key, object] : Document.at("qpdf").at(1).items()) {
            if (key == "trailer") FTrailer = &object.at("value");
            int number = 0;
            if (std::sscanf(key.c_str(), "obj:%d", &number) != 1) continue;
            if (object.contains("stream")) {
                FObjects[number] = &object.at("stream").at("dict");
                FStreams.insert(number);
            } else if (!object.at("value").is_null()) {
                FObjects[number] = &object.at("value");
            }
        }
    }

    // "12 0 R": 12; -1 for any other value.
    static int Reference(const json& V) {
        int number = -1, generation = 0, used = 0;
        if (!V.is_string()) return -1;
        const std::string& text = V.get_ref<const std::string&>();
        if (std::sscanf(text.c_str(), "%d %d R%n", &number, &generation, &used) == 2 &&
            used == static_cast<int>(text.size()))
            return number;
        return -1;
    }

    // The pages in page-tree order.
    std::vector<int> Pages() const {
        std::vector<int> pages;
        std::set<int> seen;
        const std::function<void(int)> walk = [&](int Node) {
            if (Node < 0 || !seen.insert(Node).second) return;
            const json& node = Object(Node);
            if (Get(node, "Type") != "/Pages") return pages.push_back(Node);
            for (const json& kid : Get(node, "Kids")) walk(Reference(kid));
        };
        walk(Reference(Entry(Get(*FTrailer, "Root"), "Pages")));
        return pages;
    }

    // The page's streams: /Contents names one, or an array of them.
    std::vector<int> Contents(int Page) const {
        std::vector<int> streams;
        const json& page = Object(Page);
        if (const int n = Reference(Entry(page, "Contents")); FStreams.count(n)) return {n};
        const json& items = Get(page, "Contents");
        if (items.is_array())
            for (const json& item : items)
                if (FStreams.count(Reference(item))) streams.push_back(Reference(item));
        return streams;
    }

    TPage Page(int Number, const std::map<int, std::vector<std::string>>& Order) const {
        TPage page{Number, Contents(Number), Resources(Inherited(Number, "Resources")), {}};
        std::set<int> met;
        // Depth first, in pre-order; siblings in the order lumerra met them
        // in the file, which qpdf's sorted keys do not keep.
        const std::function<void(int, const TResources&)> visit = [&](int Owner, const TResources& R) {
            auto entries = R.count("XObject") ? R.at("XObject") : std::vector<std::pair<std::string, int>>{};
            const std::vector<std::string> order = Order.count(Owner) ? Order.at(Owner) : std::vector<std::string>{};
            const auto rank = [&](const std::string& Name) {
                return std::find(order.begin(), order.end(), Name) - order.begin();
            };
            std::stable_sort(entries.begin(), entries.end(),
                             [&](const auto& A, const auto& B) { return rank(A.first) < rank(B.first); });
            for (const auto& [name, form] : entries) {
                if (!FStreams.count(form) || Get(Object(form), "Subtype") != "/Form" || !met.insert(form).second)
                    continue;
                TResources resources = Resources(Get(Object(form), "Resources"));
                page.Forms.push_back({name, form, resources});
                visit(form, resources);
            }
        };
        visit(Number, page.Resources);
        return page;
    }

private:
    const json& Object(int Number) const {
        const auto it = FObjects.find(Number);
        return it == FObjects.end() ? Null : *it->second;
    }
    // V, or what the reference V names (chains followed a bounded way).
    const json& Resolve(const json& V) const {
        const json* value = &V;
        for (int i = 0; i < 32 && Reference(*value) >= 0; ++i) value = &Object(Reference(*value));
        return Reference(*value) >= 0 ? Null : *value;
    }
    const json& Get(const json& Dict, const std::string& Key) const {
        return Resolve(Entry(Dict, Key));
    }
    // The entry Key of Dict as written (a reference stays one).
    const json& Entry(const json& Dict, const std::string& Key) const {
        return Dict.is_object() && Dict.contains("/" + Key) ? Dict.at("/" + Key) : Null;
    }
    // The page's own attribute, or its nearest ancestor's.
    const json& Inherited(int Page, const std::string& Key) const {
        std::set<int> seen;
        for (int node = Page; node >= 0 && seen.insert(node).second; node = Reference(Entry(Object(node), "Parent")))
            if (const json& value = Get(Object(node), Key); !value.is_null()) return value;
        return Null;
    }
    TResources Resources(const json& Dict) const {
        TResources out;
        for (const char* category : Categories) {
            const json& entries = Get(Dict, category);
            if (!entries.is_object()) continue;
            for (const auto& [key, value] : entries.items()) {
                const int n = Reference(value);
                out[category].emplace_back(NameBytes(key, false), FObjects.count(n) ? n : -1);
            }
        }
        return out;
    }

    const json Null;
    const json* FTrailer = &Null;
    std::map<int, const json*> FObjects;  // objects that are not null
    std::set<int> FStreams;
};

// Both readings of the file at Path, described; empty strings and a failure
// when either tool failed.
std::pair<std::string, std::string> BothReadings(const std::string& Path) {
    const RunResult run = RunCli({"decode", "--extended", "--json", "-o", "-", Path});
    if (run.ExitCode != 0) {
        ADD_FAILURE() << Path << ": lumerra " << run.Err;
        return {};
    }
    const std::vector<TPage> reported = Reported(ordered_json::parse(run.Out));
    const std::string qpdfJson = Path + ".qpdf.json";
    if (!RunTool("qpdf --json --json-key=qpdf " + Quoted(Path) + " > " + Quoted(qpdfJson))) {
        ADD_FAILURE() << Path << ": qpdf --json failed";
        return {};
    }
    const json document = json::parse(ReadFileBytes(qpdfJson));
    const TQpdfModel model(document);
    std::map<int, std::vector<std::string>> order;
    const auto keep = [&order](int Owner, const TResources& R) {
        if (R.count("XObject"))
            for (const auto& [name, object] : R.at("XObject")) order[Owner].push_back(name);
    };
    for (const TPage& page : reported) {
        keep(page.Object, page.Resources);
        for (const TForm& form : page.Forms) keep(form.Object, form.Resources);
    }
    std::vector<TPage> oracle;
    for (const int page : model.Pages()) oracle.push_back(model.Page(page, order));
    return {Describe(reported), Describe(oracle)};
}

}  // namespace

namespace {

const std::string Font = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>";
const std::string Image = "/Type /XObject /Subtype /Image /Width 1 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray";
const std::string Form = "/Type /XObject /Subtype /Form /BBox [0 0 10 10]";

// Page 3 under the page tree 2, drawn by stream 4 with Helvetica as 5.
void OnePage(PdfBuilder& B, const std::string& PageKeys, const std::string& Content = "BT /F1 9 Tf (x) Tj ET") {
    B.Set(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    B.Set(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] " + PageKeys + " >>");
    B.SetStream(4, "", Content);
    B.Set(5, Font);
}

struct TFixture {
    const char* Shape;
    std::function<void(PdfBuilder&)> Fill;  // everything but the catalog 1
};

const std::vector<TFixture>& Fixtures() {
    static const std::vector<TFixture> fixtures = {
        {"inline graphics states (TikZ, cairo)",
         [](PdfBuilder& b) {
             OnePage(b, "/Resources << /ExtGState << /a0 << /CA 1 /ca 1 >> >> /Font << /f-0-0 5 0 R >> >> /Contents 4 0 R",
                     "/a0 gs BT /f-0-0 9 Tf (x) Tj ET");
         }},
        {"direct annotations with /Contents strings before the page's (FPDF)",
         [](PdfBuilder& b) {
             OnePage(b, "/Annots [<< /Type /Annot /Subtype /Text /Rect [0 0 1 1] /Contents (note) >> << /Type /Annot "
                        "/Subtype /Text /Rect [0 0 1 1] /Contents (\\) /Contents 5 0 R /Resources 5 0 R) >>] "
                        "/Contents 4 0 R /Resources << /Font << /F1 5 0 R >> >>");
         }},
        {"entries that are names, and a category object holding font dictionaries",
         [](PdfBuilder& b) {
             OnePage(b, "/Resources << /ColorSpace << /CS0 /DeviceRGB /CS1 6 0 R >> /Font 7 0 R >> /Contents 4 0 R",
                     "BT /F2 9 Tf (x) Tj ET");
             b.Set(6, "[/ICCBased 8 0 R]");
             b.Set(7, "<< /F1 << /Type /Font /Subtype /TrueType /BaseFont /Arial /FontDescriptor 9 0 R >> /F2 5 0 R >>");
             b.SetStream(8, "/N 3", "icc");
             b.Set(9, "<< /Type /FontDescriptor /FontName /Arial >>");
         }},
        {"names with #xx escapes",
         [](PdfBuilder& b) {
             OnePage(b, "/Resources << /XObject << /#49m3 6 0 R /a#20b 6 0 R /s#2Fx 6 0 R /p#28q 6 0 R >> /Font << /F#31 5 0 R >> >> "
                        "/Contents 4 0 R",
                     "BT /F#31 9 Tf (x) Tj ET /Im3 Do");
             b.SetStream(6, Image, "\x80");
         }},
        {"inherited resources, content arrays, a referenced array, nulls",
         [](PdfBuilder& b) {
             b.Set(2, "<< /Type /Pages /Kids [3 0 R 10 0 R] /Count 3 /Resources << /Font << /F1 5 0 R >> >> >>");
             b.Set(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents [4 0 R 6 0 R] >>");
             b.SetStream(4, "", "BT /F1 9 Tf (x) Tj ET");
             b.Set(5, Font);
             b.SetStream(6, "", "0 0 m 5 5 l S");
             b.Set(7, "[4 0 R null 6 0 R]");
             b.Set(10, "<< /Type /Pages /Parent 2 0 R /Kids [11 0 R 12 0 R] /Count 2 /Resources 13 0 R "
                       "/MediaBox [0 0 100 100] >>");
             b.Set(11, "<< /Type /Page /Parent 10 0 R /Contents 7 0 R >>");
             b.Set(12, "<< /Type /Page /Parent 10 0 R /Resources << >> /Contents [null 8 0 R] >>");
             b.SetStream(8, "", "0 0 m 10 10 l S");
             b.Set(13, "<< /ExtGState << /G0 14 0 R >> /Font << /F1 5 0 R >> >>");
             b.Set(14, "<< /CA 1 >>");
         }},
        {"forms in forms, a form reached twice, a cycle of forms, on two pages",
         [](PdfBuilder& b) {
             b.Set(2, "<< /Type /Pages /Kids [3 0 R 6 0 R] /Count 2 /MediaBox [0 0 200 200] >>");
             b.Set(3, "<< /Type /Page /Parent 2 0 R /Resources << /XObject << /Fb 11 0 R /Im 12 0 R /Fa 10 0 R >> >> "
                      "/Contents 4 0 R >>");
             b.SetStream(4, "", "/Fb Do /Im Do /Fa Do");
             b.Set(5, Font);
             b.Set(6, "<< /Type /Page /Parent 2 0 R /Resources << /XObject << /Fx 13 0 R >> >> /Contents 7 0 R >>");
             b.SetStream(7, "", "/Fx Do");
             b.SetStream(10, Form + " /Resources << /XObject << /Fc 13 0 R >> >>", "/Fc Do");
             b.SetStream(11, Form + " /Resources 14 0 R", "/Fd Do /Fa Do BT /F1 9 Tf (x) Tj ET");
             b.SetStream(12, Image, "\x80");
             b.SetStream(13, Form + " /Resources << /XObject << /Fa 10 0 R >> /Shading << /Sh0 16 0 R >> >>", "0 g");
             b.Set(14, "<< /XObject << /Fd 15 0 R /Fa 10 0 R >> /Font << /F1 5 0 R >> >>");
             b.SetStream(15, Form, "1 g");
             b.Set(16, "<< /ShadingType 2 /ColorSpace /DeviceGray /Coords [0 0 1 0] /Function << /FunctionType 2 "
                       "/Domain [0 1] /N 1 >> >>");
         }},
        // A null entry, or a reference to an object the file does not hold,
        // is no entry, and such a reference is no content stream.
        {"missing objects read as null",
         [](PdfBuilder& b) {
             OnePage(b, "/Resources << /Font << /F1 5 0 R /F8 98 0 R /F9 null >> >> /Contents [4 0 R 99 0 R]");
         }},
    };
    return fixtures;
}

// The fixture's bytes, with tables or with cross-reference and object streams.
std::string Build(const TFixture& Fixture, bool Streams) {
    PdfBuilder::Options options;
    options.XrefStreams = options.ObjectStreams = Streams;
    PdfBuilder b(options);
    b.Set(1, "<< /Type /Catalog /Pages 2 0 R >>");
    Fixture.Fill(b);
    return b.Build();
}

}  // namespace

// The fixtures as built, with tables and with object streams, and the
// fixtures and the sample rewritten by qpdf and Ghostscript.
TEST(ObjectModelOracle, DocumentsReadAsQpdfReadsThem) {
    if (!HaveTool("qpdf")) GTEST_SKIP() << "qpdf is not installed";
    for (const TFixture& fixture : Fixtures())
        for (const bool streams : {false, true}) {
            const TempFile file(Build(fixture, streams));
            const auto [reported, oracle] = BothReadings(file.Path());
            EXPECT_FALSE(oracle.empty()) << fixture.Shape;
            EXPECT_EQ(reported, oracle) << fixture.Shape << (streams ? ", with object streams" : "");
        }
    if (!HaveTool("gs")) GTEST_SKIP() << "Ghostscript is not installed";
    std::vector<std::pair<std::string, std::string>> inputs = {{"sample", ReadFileBytes(SamplePath())}};
    for (const TFixture& fixture : Fixtures()) inputs.emplace_back(fixture.Shape, Build(fixture, false));
    const std::pair<const char*, const char*> rewrites[] = {
        {"qpdf --object-streams=generate", "qpdf --object-streams=generate {in} {out}"},
        {"qpdf --qdf", "qpdf --qdf {in} {out}"},
        // Ghostscript tells of nulls in a content array on standard output.
        {"gs pdfwrite", "gs -q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=pdfwrite -sOutputFile={out} {in} > /dev/null"},
    };
    for (const auto& [name, bytes] : inputs)
        for (const auto& [tool, pattern] : rewrites) {
            const TempFile in(bytes);
            const std::string out = in.Sibling("out.pdf");
            std::string command = pattern;
            command.replace(command.find("{in}"), 4, Quoted(in.Path()));
            command.replace(command.find("{out}"), 5, Quoted(out));
            ASSERT_TRUE(RunTool(command)) << command;
            const auto [reported, oracle] = BothReadings(out);
            EXPECT_FALSE(oracle.empty()) << name << " through " << tool;
            EXPECT_EQ(reported, oracle) << name << " through " << tool;
        }
}
