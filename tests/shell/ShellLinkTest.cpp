// The shortcut reader: the paths a shortcut stores, their conversion to
// this system's form, and damaged or hostile files.
#include <random>

#include "ShellTestSupport.h"
#include "shell/ShellLink.h"

namespace lumerra::test {
namespace {

using namespace std::string_literals;

TEST(ShellLinkTest, ReadsEveryStoredPath) {
    struct TPaths {
        std::string LocalPath{}, NetworkPath{}, RelativePath{}, WorkingDir{};
    };
    const struct {
        TLinkFields Link;
        TPaths Expected;
    } cases[] = {
        {{.LocalBasePath = "C:\\Documents\\", .CommonPathSuffix = "sample.pdf"}, {.LocalPath = "C:\\Documents\\sample.pdf"}},
        {{.LocalBasePath = "C:\\Documents\\", .CommonPathSuffix = "sample.pdf", .Unicode = false, .WithIdList = false},
         {.LocalPath = "C:\\Documents\\sample.pdf"}},
        // The Unicode paths are preferred; 8-bit ones may be in the Japanese code page.
        {{.LocalBasePath = "C:\\資料\\見本.pdf", .UnicodeLinkInfo = true}, {.LocalPath = "C:\\資料\\見本.pdf"}},
        {{.LocalBasePath = "C:\\資料\\見本.pdf", .AnsiAsCp932 = true}, {.LocalPath = "C:\\資料\\見本.pdf"}},
        {{.CommonPathSuffix = "dir\\a.pdf", .NetName = "\\\\server\\share", .RelativePath = "..\\dir\\a.pdf",
          .WorkingDir = "C:\\work"},
         {.NetworkPath = "\\\\server\\share\\dir\\a.pdf", .RelativePath = "..\\dir\\a.pdf", .WorkingDir = "C:\\work"}},
        // A NUL ends a counted text, in UTF-16 and in 8 bits.
        {{.RelativePath = ".\\a.pdf\0.txt"s, .WorkingDir = "C:\\dir\0junk"s},
         {.RelativePath = ".\\a.pdf", .WorkingDir = "C:\\dir"}},
        {{.RelativePath = ".\\a.pdf\0.txt"s, .WorkingDir = "C:\\dir\0junk"s, .Unicode = false},
         {.RelativePath = ".\\a.pdf", .WorkingDir = "C:\\dir"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        TShellLinkPaths paths;
        ASSERT_TRUE(ParseShellLink(BuildShellLink(c.Link), paths));
        EXPECT_EQ(paths.LocalPath, c.Expected.LocalPath);
        EXPECT_EQ(paths.NetworkPath, c.Expected.NetworkPath);
        EXPECT_EQ(paths.RelativePath, c.Expected.RelativePath);
        EXPECT_EQ(paths.WorkingDir, c.Expected.WorkingDir);
    }
}

TEST(ShellLinkTest, WindowsPathsTakeThisSystemsForm) {
    const struct {
        const char* Windows;
        const char* Local;
    } cases[] = {
        {"C:\\dir\\file.pdf", "/dir/file.pdf"}, {"z:/home/u/a.pdf", "/home/u/a.pdf"},
        {"\\\\?\\D:\\long\\x.pdf", "/long/x.pdf"}, {"C:", "/"},
        {"/already/local.pdf", "/already/local.pdf"}, {"..\\rel.pdf", "../rel.pdf"},
    };
    for (const auto& c : cases) EXPECT_EQ(WindowsPathToLocal(c.Windows), c.Local) << c.Windows;
}

TEST(ShellLinkTest, TargetsAreFoundAsStoredConvertedOrBesideTheShortcut) {
    TempFile target(GoodPdf(), "target.pdf");
    std::string windowsForm = "Z:" + target.Path();
    for (char& c : windowsForm)
        if (c == '/') c = '\\';
    const auto link = [](const std::string& Local, const std::string& Relative) {
        return BuildShellLink({.LocalBasePath = Local, .RelativePath = Relative});
    };
    const struct {
        std::string Name;  // in the target's folder; empty: none written
        std::string Bytes;
        std::string Expected;
    } cases[] = {
        {"plain.lnk", link(target.Path(), ""), target.Path()},
        {"windows.Lnk", link(windowsForm, ""), target.Path()},
        // Copied from another machine: the stored path is elsewhere, the
        // relative one still leads to the file.
        {"moved.LNK", link("C:\\Users\\someone\\target.pdf", ".\\target.pdf"), target.Path()},
        {"gone.lnk", link("C:\\Users\\someone\\target.pdf", ""), "/Users/someone/target.pdf"},
        {"junk.lnk", "GARBAGE", ""},
        // Its one path is empty in local form: not the shortcut's own folder.
        {"prefix.lnk", link("", "\\\\?\\"), ""},
        {"missing.lnk", "", ""},
        {"other.pdf", "", target.Sibling("other.pdf")},
    };
    for (const auto& c : cases) {
        if (!c.Bytes.empty()) WriteFileBytes(target.Sibling(c.Name), c.Bytes);
        EXPECT_EQ(GetShortcutTarget(target.Sibling(c.Name)), c.Expected) << c.Name;
    }
}

TEST(ShellLinkTest, RefusesWrongHeadersAndSurvivesEveryTruncationAndRandomDamage) {
    const std::string good = BuildShellLink({.LocalBasePath = "C:\\dir\\", .CommonPathSuffix = "file.pdf",
                                             .NetName = "\\\\host\\share", .RelativePath = ".\\file.pdf",
                                             .WorkingDir = "C:\\dir", .UnicodeLinkInfo = true});
    TShellLinkPaths paths;
    std::string wrongSize = good, wrongClass = good;
    wrongSize[0] = 0x4D;
    wrongClass[4] ^= 1;
    for (const std::string& refused : {wrongSize, wrongClass, good.substr(0, 0x4B), std::string()})
        EXPECT_FALSE(ParseShellLink(refused, paths)) << refused.size();

    for (size_t length = 0; length <= good.size(); ++length) {
        ParseShellLink(good.substr(0, length), paths);
        for (const std::string* text : {&paths.LocalPath, &paths.NetworkPath, &paths.RelativePath})
            EXPECT_LE(text->size(), 4 * good.size());
    }
    std::mt19937 random(12345);
    for (int round = 0; round < 3000; ++round) {
        std::string damaged = good;
        const int flips = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < flips; ++i) {
            const size_t at = 0x14 + random() % (damaged.size() - 0x14);  // past the class identifier
            damaged[at] = static_cast<char>(random() % 4 == 0 ? 0xFF : random());
        }
        ParseShellLink(damaged, paths);
    }
}

}  // namespace
}  // namespace lumerra::test
