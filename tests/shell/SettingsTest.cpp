// The settings file: defaults, reading back, and the keys of others kept.
#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>

#include "ShellTestSupport.h"
#include "shell/Settings.h"

namespace lumerra::test {
namespace {

TEST(SettingsTest, MissingFileSectionOrKeyGives50) {
    TempFile folder("", "unused");
    const QString name = QString::fromStdString(folder.Sibling("s.ini"));
    const struct {
        const char* Contents;  // null: no file
        int Left, Top;
    } cases[] = {
        {nullptr, 50, 50},
        {"[Other]\nLeft=7\n[frmMain]\nTop=12\n", 50, 12},
        {"[frmMain]\nLeft=abc\nTop=-30\n", 50, -30},
    };
    for (const auto& c : cases) {
        if (c.Contents != nullptr) WriteFileBytes(name.toStdString(), c.Contents);
        const TWindowPosition position = ReadWindowPosition(name);
        EXPECT_EQ(position.Left, c.Left) << (c.Contents ? c.Contents : "no file");
        EXPECT_EQ(position.Top, c.Top) << (c.Contents ? c.Contents : "no file");
    }
}

TEST(SettingsTest, WritingCreatesTheFileAndKeepsOtherSections) {
    TempFile folder("", "unused");
    const QString name = QString::fromStdString(folder.Sibling("sub/s.ini"));
    WriteWindowPosition(name, {10, 20});
    EXPECT_EQ(ReadFileBytes(name.toStdString()), "[frmMain]\nLeft=10\nTop=20\n");
    WriteFileBytes(name.toStdString(), "[A]\nx=1\n[frmMain]\nLeft=1\nTop=2\nOwn=3\n[B]\ny=2\n");
    WriteWindowPosition(name, {300, 400});
    QSettings settings(name, QSettings::IniFormat);
    EXPECT_EQ(settings.value("A/x").toString(), QStringLiteral("1"));
    EXPECT_EQ(settings.value("B/y").toString(), QStringLiteral("2"));
    EXPECT_EQ(settings.value("frmMain/Own").toString(), QStringLiteral("3"));
    const TWindowPosition position = ReadWindowPosition(name);
    EXPECT_EQ(position.Left, 300);
    EXPECT_EQ(position.Top, 400);
    // A write that fails is ignored.
    EXPECT_NO_THROW(WriteWindowPosition(QStringLiteral("/proc/no-such/s.ini"), {1, 2}));
}

TEST(SettingsTest, AProgramInAWritableFolderKeepsItsSettingsBesideIt) {
    const QFileInfo program(QCoreApplication::applicationFilePath());
    EXPECT_EQ(DefaultSettingsFileName(), program.absolutePath() + "/" + program.completeBaseName() + ".ini");
}

}  // namespace
}  // namespace lumerra::test
