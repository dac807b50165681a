// The shortcut reader: the paths a shortcut stores, their conversion to
// this system's form, and damaged or hostile files.
#include <random>

#include "ShellTestSupport.h"
#include "shell/ShellLink.h"

namespace lumerra::test {
namespace {

using namespace std::string_literals;

TShellLinkPaths Parse(const std::string& Data) {
    TShellLinkPaths paths;
    EXPECT_TRUE(ParseShellLink(Data, paths));
    return paths;
}

TEST(ShellLinkTest, ReadsTheLocalBasePathWithItsSuffix) {
    TLinkFields link;
    link.LocalBasePath = "C:\\Documents\\";
    link.CommonPathSuffix = "sample.pdf";
    EXPECT_EQ(Parse(BuildShellLink(link)).LocalPath, "C:\\Documents\\sample.pdf");
    link.WithIdList = false;
    link.Unicode = false;
    EXPECT_EQ(Parse(BuildShellLink(link)).LocalPath, "C:\\Documents\\sample.pdf");
}

TEST(ShellLinkTest, PrefersTheUnicodePathsAndDecodesTheJapaneseCodePage) {
    TLinkFields link;
    link.LocalBasePath = "C:\\資料\\見本.pdf";
    link.UnicodeLinkInfo = true;
    EXPECT_EQ(Parse(BuildShellLink(link)).LocalPath, "C:\\資料\\見本.pdf");
    link.UnicodeLinkInfo = false;
    link.AnsiAsCp932 = true;
    EXPECT_EQ(Parse(BuildShellLink(link)).LocalPath, "C:\\資料\\見本.pdf");
}

TEST(ShellLinkTest, ReadsNetworkAndRelativePaths) {
    TLinkFields link;
    link.NetName = "\\\\server\\share";
    link.CommonPathSuffix = "dir\\a.pdf";
    link.RelativePath = "..\\dir\\a.pdf";
    link.WorkingDir = "C:\\work";
    const TShellLinkPaths paths = Parse(BuildShellLink(link));
    EXPECT_EQ(paths.NetworkPath, "\\\\server\\share\\dir\\a.pdf");
    EXPECT_EQ(paths.RelativePath, "..\\dir\\a.pdf");
    EXPECT_EQ(paths.WorkingDir, "C:\\work");
    EXPECT_TRUE(paths.LocalPath.empty());
}

TEST(ShellLinkTest, ANulEndsACountedText) {
    for (const bool unicode : {true, false}) {
        TLinkFields link;
        link.RelativePath = ".\\a.pdf\0.txt"s;
        link.WorkingDir = "C:\\dir\0junk"s;
        link.Unicode = unicode;
        const TShellLinkPaths paths = Parse(BuildShellLink(link));
        EXPECT_EQ(paths.RelativePath, ".\\a.pdf") << unicode;
        EXPECT_EQ(paths.WorkingDir, "C:\\dir") << unicode;
    }
}

TEST(ShellLinkTest, WindowsPathsTakeThisSystemsForm) {
    EXPECT_EQ(WindowsPathToLocal("C:\\dir\\file.pdf"), "/dir/file.pdf");
    EXPECT_EQ(WindowsPathToLocal("z:/home/u/a.pdf"), "/home/u/a.pdf");
    EXPECT_EQ(WindowsPathToLocal("\\\\?\\D:\\long\\x.pdf"), "/long/x.pdf");
    EXPECT_EQ(WindowsPathToLocal("C:"), "/");
    EXPECT_EQ(WindowsPathToLocal("/already/local.pdf"), "/already/local.pdf");
    EXPECT_EQ(WindowsPathToLocal("..\\rel.pdf"), "../rel.pdf");
}

TEST(ShellLinkTest, TargetsAreFoundAsStoredConvertedOrBesideTheShortcut) {
    TempFile target(GoodPdf(), "target.pdf");
    TLinkFields link;
    link.LocalBasePath = target.Path();
    WriteFileBytes(target.Sibling("plain.lnk"), BuildShellLink(link));
    EXPECT_EQ(GetShortcutTarget(target.Sibling("plain.lnk")), target.Path());

    link.LocalBasePath = "Z:" + target.Path();
    for (char& c : link.LocalBasePath)
        if (c == '/') c = '\\';
    WriteFileBytes(target.Sibling("windows.Lnk"), BuildShellLink(link));
    EXPECT_EQ(GetShortcutTarget(target.Sibling("windows.Lnk")), target.Path());

    // Copied from another machine: the stored path is elsewhere, the
    // relative one still leads to the file.
    link.LocalBasePath = "C:\\Users\\someone\\target.pdf";
    link.RelativePath = ".\\target.pdf";
    WriteFileBytes(target.Sibling("moved.LNK"), BuildShellLink(link));
    EXPECT_EQ(GetShortcutTarget(target.Sibling("moved.LNK")), target.Path());

    link.RelativePath.clear();
    WriteFileBytes(target.Sibling("gone.lnk"), BuildShellLink(link));
    EXPECT_EQ(GetShortcutTarget(target.Sibling("gone.lnk")), "/Users/someone/target.pdf");
}

TEST(ShellLinkTest, OtherNamesPassAndUnreadableShortcutsGiveNothing) {
    EXPECT_EQ(GetShortcutTarget("/some/file.pdf"), "/some/file.pdf");
    EXPECT_EQ(GetShortcutTarget("/no/such/link.lnk"), "");
    TempFile junk("GARBAGE", "junk.lnk");
    EXPECT_EQ(GetShortcutTarget(junk.Path()), "");
    // Its one path is empty in local form: not the shortcut's own folder.
    TLinkFields prefixOnly;
    prefixOnly.RelativePath = "\\\\?\\";
    TempFile prefix(BuildShellLink(prefixOnly), "prefix.lnk");
    EXPECT_EQ(GetShortcutTarget(prefix.Path()), "");
}

TEST(ShellLinkTest, RefusesWrongHeaders) {
    TLinkFields link;
    link.LocalBasePath = "C:\\a.pdf";
    const std::string good = BuildShellLink(link);
    TShellLinkPaths paths;
    std::string wrongSize = good;
    wrongSize[0] = 0x4D;
    EXPECT_FALSE(ParseShellLink(wrongSize, paths));
    std::string wrongClass = good;
    wrongClass[4] ^= 1;
    EXPECT_FALSE(ParseShellLink(wrongClass, paths));
    EXPECT_FALSE(ParseShellLink(good.substr(0, 0x4B), paths));
    EXPECT_FALSE(ParseShellLink("", paths));
}

TEST(ShellLinkTest, SurvivesEveryTruncationAndRandomDamage) {
    TLinkFields link;
    link.LocalBasePath = "C:\\dir\\";
    link.CommonPathSuffix = "file.pdf";
    link.NetName = "\\\\host\\share";
    link.RelativePath = ".\\file.pdf";
    link.WorkingDir = "C:\\dir";
    link.UnicodeLinkInfo = true;
    const std::string good = BuildShellLink(link);
    TShellLinkPaths paths;
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
