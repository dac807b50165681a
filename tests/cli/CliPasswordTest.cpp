// Where the password comes from (--password, --password-file,
// LUMERRA_PASSWORD) and the encryption keys of "info --extended", over a file
// that qpdf encrypts (skipped without qpdf).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "CliTools.h"
#include "support/PdfBuilder.h"

using namespace lumerra::test;

namespace {

struct TRun {
    int ExitCode = -1;
    std::string Out;  // standard output and error together
};

// Runs "Environment lumerra Arguments" in a shell under the Japanese locale,
// LUMERRA_PASSWORD unset unless Environment sets it.
TRun RunLumerra(const std::string& Arguments, const std::string& Environment = "") {
    TRun run;
    const std::string command =
        "env -u LUMERRA_PASSWORD -u LC_ALL -u LC_MESSAGES -u LANGUAGE LANG=ja_JP.UTF-8 " + Environment + " " + LUMERRA_CLI_PATH + " " + Arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.Out.append(buffer, n);
    const int status = pclose(pipe);
    run.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace

TEST(CliPassword, EachSourceOfThePasswordOpensTheFileAsItsKind) {
    if (!HaveTool("qpdf")) GTEST_SKIP() << "qpdf is not installed";
    TempFile plain(PdfBuilder::SimpleDocument({"0 0 m 10 10 l S"}).Build(), "plain.pdf");
    const std::string encrypted = plain.Sibling("encrypted.pdf");
    ASSERT_EQ(std::system(("qpdf --encrypt user owner 256 -- " + plain.Path() + " " + encrypted).c_str()), 0);
    TempFile userFile("user\r\nsecond line\n", "user.txt");
    TempFile ownerFile("owner", "owner.txt");  // no line end
    const std::string wrong = "パスワードが正しくありません。\n";
    struct Case {
        std::string Environment, Arguments;
        int ExitCode;
        std::string Expected;  // a part of standard output and error
    };
    const Case cases[] = {
        {"", "info --extended --password user", 0, "encryption: AES-256 (R6)\npassword: user\n"},
        {"", "info --extended --password user", 0, "\nencrypted: yes\n"},
        {"", "info --extended --password owner", 0, "encryption: AES-256 (R6)\npassword: owner\n"},
        {"", "info --extended --password wrong", 1, wrong},
        {"", "info --extended", 1, wrong},
        {"", "decode --quiet -o - --extended --password wrong", 1, wrong},
        {"", "decode --quiet -o - --extended --password user", 0, "0 0 m 10 10 l S"},
        // A password file or the environment keeps the password off the command line.
        {"", "info --extended --password-file " + userFile.Path(), 0, "password: user\n"},
        {"", "decode --quiet -o - --extended --password-file " + ownerFile.Path(), 0, "0 0 m 10 10 l S"},
        {"", "info --extended --password-file - < " + ownerFile.Path(), 0, "password: owner\n"},
        {"LUMERRA_PASSWORD=owner", "info --extended", 0, "password: owner\n"},
        {"LUMERRA_PASSWORD=owner", "decode --quiet -o - --extended", 0, "0 0 m 10 10 l S"},
        // The options take precedence over the environment.
        {"LUMERRA_PASSWORD=owner", "info --extended --password user", 0, "password: user\n"},
        {"LUMERRA_PASSWORD=owner", "info --extended --password-file " + userFile.Path(), 0, "password: user\n"},
        {"LUMERRA_PASSWORD=wrong", "info --extended", 1, wrong},
        {"", "info --extended --password user --password-file " + userFile.Path(), 2,
         "lumerra: --password and --password-file cannot be used together\nUsage: lumerra"},
        {"", "decode --extended --password-file " + plain.Sibling("missing.txt"), 2,
         "lumerra: " + plain.Sibling("missing.txt") + ": パスワードファイルを読み込めません。 (No such file or directory)\n"},
        {"", "info --extended --password-file " + plain.Folder(), 2, "パスワードファイルを読み込めません。 (Is a directory)\n"},
    };
    for (const Case& c : cases) {
        const TRun run = RunLumerra(c.Arguments + " " + encrypted, c.Environment);
        EXPECT_EQ(run.ExitCode, c.ExitCode) << c.Environment << " " << c.Arguments;
        EXPECT_NE(run.Out.find(c.Expected), std::string::npos) << c.Environment << " " << c.Arguments << "\n" << run.Out;
    }
}
