// The command line's messages follow the user's locale: Japanese, the texts
// the program has always printed, under a Japanese locale; English under any
// other. The labels, the codes and the system's reasons stay as they are.
#include <gtest/gtest.h>
#include <libintl.h>

#include <clocale>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/CliRun.h"
#include "cli/MessageText.h"
#include "common/Message.h"
#include "support/PdfBuilder.h"

using namespace lumerra;
using namespace lumerra::test;

namespace {

struct TLocaleCase {
    const char* What;
    std::vector<std::string> Locale;
    bool Japanese;
};

const TLocaleCase LocaleCases[] = {
    {"C.UTF-8", {"LANG=C.UTF-8"}, false},
    {"no locale at all", {}, false},
    {"en_US.UTF-8", {"LANG=en_US.UTF-8"}, false},
    {"ja_JP.UTF-8", {"LANG=ja_JP.UTF-8"}, true},
    {"LC_ALL over LANG", {"LANG=C.UTF-8", "LC_ALL=ja_JP.UTF-8"}, true},
    {"LC_MESSAGES alone", {"LC_MESSAGES=ja_JP.UTF-8"}, true},
    {"LC_ALL=C over a Japanese LANG", {"LANG=ja_JP.UTF-8", "LC_ALL=C"}, false},
    {"LANGUAGE=en under a Japanese locale", {"LANG=ja_JP.UTF-8", "LANGUAGE=en"}, false},
    {"LANGUAGE=ja under en_US", {"LANG=en_US.UTF-8", "LANGUAGE=ja"}, true},
};

// What each command prints for the same faults, in either language.
struct TExpected {
    std::string LoadError, CheckLine, Counts, OutputError, Damage;
};

TExpected Expected(bool Japanese, const std::string& Damaged, const std::string& Faulty, const std::string& Folder) {
    if (Japanese)
        return {"lumerra: " + Damaged + ": %%EOFがありません。 (offset 3)\n",
                Faulty + ": page 1, object 4, offset 0: error save-restore (Q): 対応する q のない Q です。",
                Faulty + ": error 1, warning 0, info 0",
                "lumerra: " + Folder + "/no/report.txt: 保存先のフォルダが見つかりません。 (" + Folder + "/no)\n",
                " bytes: flate圧縮を正常に展開できませんでした。\n"};
    return {"lumerra: " + Damaged + ": There is no %%EOF. (offset 3)\n",
            Faulty + ": page 1, object 4, offset 0: error save-restore (Q): Q without its q.",
            Faulty + ": error 1, warning 0, info 0",
            "lumerra: " + Folder + "/no/report.txt: The folder to save in was not found. (" + Folder + "/no)\n",
            " bytes: Flate data could not be inflated completely.\n"};
}

TEST(CliLocale, MessagesFollowTheLocaleAndEverythingElseStays) {
    TempFile damaged("%PDF-1.4\n", "damaged.pdf");
    TempFile faulty(PdfBuilder::SimpleDocument({"Q"}).Build(), "faulty.pdf");
    PdfBuilder cut = PdfBuilder::SimpleDocument({""});
    const std::string data = Deflate("0 0 m S\n" + std::string(5000, 'x'));
    cut.SetStream(4, "/Filter /FlateDecode", data.substr(0, data.size() / 2) + std::string(64, '\xff'));
    TempFile damagedStream(cut.Build(), "cut.pdf");
    TempFile unknown(PdfBuilder::SimpleDocument({""}).SetStream(4, "/Filter /Foo", "0 0 m S").Build(), "foo.pdf");
    // A stream that went unchecked says why in the same language as the
    // sentence around the reason, and gives the reason's code to scripts.
    const struct {
        const TempFile* File;
        const char* MessageCode;
        const char* ReasonCode;
        std::string Japanese, English;
    } unchecked[] = {
        {&damagedStream, "stream-unreadable", "flate-failed", "ストリームを検査していません（flate圧縮を正常に展開できませんでした。）。",
         "The stream was not checked: Flate data could not be inflated completely."},
        {&unknown, "stream-filter-unknown", nullptr, "フィルタ /Foo を展開できないため、ストリームを検査していません。",
         "The stream was not checked: its filter /Foo cannot be decoded."},
    };
    for (const TLocaleCase& c : LocaleCases) {
        SCOPED_TRACE(c.What);
        Launch how;
        how.Locale = c.Locale;
        const TExpected want = Expected(c.Japanese, damaged.Path(), faulty.Path(), faulty.Folder());

        const RunResult load = RunCli({"info", damaged.Path()}, how);
        EXPECT_EQ(load.ExitCode, 1);
        EXPECT_EQ(load.Err, want.LoadError);

        const RunResult check = RunCli({"check", faulty.Path()}, how);
        EXPECT_EQ(check.ExitCode, 3);
        EXPECT_EQ(check.Out, want.CheckLine + "\n" + want.Counts + "\n");

        const RunResult output = RunCli({"decode", "-o", faulty.Folder() + "/no/report.txt", faulty.Path()}, how);
        EXPECT_EQ(output.ExitCode, 1);
        EXPECT_EQ(output.Err, want.OutputError);

        const RunResult cutRun = RunCli({"decode", "--quiet", "-o", "-", damagedStream.Path()}, how);
        EXPECT_EQ(cutRun.ExitCode, 0);
        EXPECT_EQ(cutRun.Err.rfind("lumerra: " + damagedStream.Path() + ": page 1, object 4: data damaged after ", 0), 0u);
        EXPECT_NE(cutRun.Err.find(want.Damage), std::string::npos) << cutRun.Err;

        // Scripts read the code, which is the same in every language.
        const RunResult json = RunCli({"info", "--json", damaged.Path()}, how);
        const auto error = nlohmann::json::parse(json.Out);
        EXPECT_EQ(error["code"], "no-eof");
        EXPECT_EQ(error["error"], c.Japanese ? "%%EOFがありません。" : "There is no %%EOF.");
        const auto triage = nlohmann::json::parse(RunCli({"triage", "--json", damaged.Path()}, how).Out);
        EXPECT_EQ(triage["code"], "no-page-tree");
        EXPECT_EQ(triage["error"], c.Japanese ? "ファイルを走査しましたが、ページツリーが見つかりませんでした。"
                                              : "The whole file was searched, but no page tree was found.");
        const std::string findings = RunCli({"check", "--json", faulty.Path()}, how).Out;
        const auto finding = nlohmann::json::parse(findings.substr(0, findings.find('\n')));
        EXPECT_EQ(finding["code"], "save-restore");
        EXPECT_EQ(finding["message-code"], "restore-without-save");

        for (const auto& k : unchecked) {
            SCOPED_TRACE(k.MessageCode);
            const RunResult text = RunCli({"check", k.File->Path()}, how);
            EXPECT_EQ(text.ExitCode, 3) << text.Err;
            const std::string first = text.Out.substr(0, text.Out.find('\n'));
            const std::string sentence = first.substr(first.find("unchecked: ") + 11);
            EXPECT_EQ(sentence, c.Japanese ? k.Japanese : k.English) << first;

            const std::string lines = RunCli({"check", "--json", k.File->Path()}, how).Out;
            const auto json = nlohmann::json::parse(lines.substr(0, lines.find('\n')));
            EXPECT_EQ(json["code"], "unchecked");
            EXPECT_EQ(json["message"], sentence);
            EXPECT_EQ(json["message-code"], k.MessageCode);
            if (k.ReasonCode != nullptr)
                EXPECT_EQ(json["reason-code"], k.ReasonCode);
            else
                EXPECT_FALSE(json.contains("reason-code"));
        }
    }
}

// The catalogue can never drift from the core: for every code, the Japanese
// catalogue built from po/ja.po gives exactly the Japanese text the desktop
// program and the default reading use.
TEST(CliLocale, TheJapaneseCatalogueIsTheCoresJapaneseText) {
    ASSERT_NE(std::setlocale(LC_MESSAGES, "ja_JP.UTF-8"), nullptr) << "ja_JP.UTF-8 is not installed (locales-all)";
    bindtextdomain(cli::TextDomain, LUMERRA_LOCALE_BUILD_DIR);
    bind_textdomain_codeset(cli::TextDomain, "UTF-8");
    std::set<std::string_view> names, english;
    for (size_t i = 1; i < MessageCodeCount; ++i) {
        const auto code = static_cast<TMessageCode>(i);
        const std::string_view msgid = cli::EnglishTemplate(code);
        SCOPED_TRACE(std::string(msgid));
        EXPECT_EQ(std::string(dgettext(cli::TextDomain, msgid.data())), JapaneseTemplate(code));
        // A code and an English text name one message only.
        EXPECT_TRUE(names.insert(CodeName(code)).second);
        EXPECT_TRUE(english.insert(msgid).second);
        EXPECT_EQ(CodeName(code).find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789-"), std::string_view::npos);
        // The same parameters in both languages.
        for (const char slot : {'1', '2', '3'}) {
            const std::string placeholder = {'{', slot, '}'};
            EXPECT_EQ(msgid.find(placeholder) == std::string_view::npos,
                      JapaneseTemplate(code).find(placeholder) == std::string_view::npos);
        }
    }
    std::setlocale(LC_MESSAGES, "C");
}

}  // namespace
