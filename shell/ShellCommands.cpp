#include "shell/ShellCommands.h"

#include <utility>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

#include "shell/MessageBoxes.h"
#include "shell/Settings.h"

namespace lumerra {

namespace {

constexpr char ReadMeName[] = "readme.txt";
constexpr char UserGuideName[] = "README.md";
constexpr char InstalledDocFolder[] = "/../share/doc/pdf-lumerra";

TUrlOpener& Opener() {
    static TUrlOpener opener;
    return opener;
}

QString ProgramFolder() { return QCoreApplication::applicationDirPath(); }

QString InstalledDocumentation() { return ProgramFolder() + QString::fromLatin1(InstalledDocFolder); }

// The first of the documentation folders that holds Name, or empty.
QString FindDocument(const char* Name, bool BesideProgram) {
    const QString name = QLatin1Char('/') + QString::fromLatin1(Name);
    QStringList candidates;
    if (BesideProgram) candidates << ProgramFolder() + name;
    candidates << InstalledDocumentation() + name;
#ifdef LUMERRA_INSTALL_DOCDIR
    candidates << QString::fromUtf8(LUMERRA_INSTALL_DOCDIR) + name;
#endif
    for (const QString& candidate : candidates)
        if (QFileInfo(candidate).isFile()) return QFileInfo(candidate).canonicalFilePath();
    return {};
}

QString Text(const char* Utf8) { return QString::fromUtf8(Utf8); }

// Opens File, or says what is missing or could not be opened.
void OpenDocument(QWidget* Owner, const QString& File, const QString& Missing, const QString& WhatIsMissing) {
    if (File.isEmpty()) {
        ShowNotOpenedBox(Owner, WhatIsMissing + QLatin1Char('\n') + QDir::toNativeSeparators(Missing));
        return;
    }
    if (!OpenWithShell(QUrl::fromLocalFile(File)))
        ShowNotOpenedBox(Owner, Text("このファイルを開くプログラムが見つかりません。") + QLatin1Char('\n') +
                                    QDir::toNativeSeparators(File));
}

}  // namespace

bool IsInstalledProgram() { return QFileInfo(InstalledDocumentation()).isDir(); }

QString ReadMeFileName() { return FindDocument(ReadMeName, true); }

QString UserGuideFileName() { return FindDocument(UserGuideName, false); }

QString InstalledUserGuideFileName() {
#ifdef LUMERRA_INSTALL_DOCDIR
    return QString::fromUtf8(LUMERRA_INSTALL_DOCDIR) + QLatin1Char('/') + QString::fromLatin1(UserGuideName);
#else
    return QFileInfo(InstalledDocumentation()).absoluteFilePath() + QLatin1Char('/') + QString::fromLatin1(UserGuideName);
#endif
}

TUrlOpener SetUrlOpener(TUrlOpener NewOpener) { return std::exchange(Opener(), std::move(NewOpener)); }

bool OpenWithShell(const QUrl& Url) {
    if (Opener()) return Opener()(Url);
    return QDesktopServices::openUrl(Url);
}

void OpenReadMe(QWidget* Owner) {
    OpenDocument(Owner, ReadMeFileName(), InstalledDocumentation() + QLatin1Char('/') + QString::fromLatin1(ReadMeName),
                 Text("ヘルプファイルが見つかりません。"));
}

void OpenHomePage(QWidget* Owner, const QString& SettingsFile) {
    const QString address = ReadHomePage(SettingsFile);
    if (address.isEmpty()) {
        OpenDocument(Owner, UserGuideFileName(), InstalledUserGuideFileName(), Text("ユーザーガイドが見つかりません。"));
        return;
    }
    // A path is taken as a file, anything with a scheme as an address.
    const QUrl url = QUrl::fromUserInput(address, QFileInfo(SettingsFile).absolutePath(), QUrl::AssumeLocalFile);
    if (!OpenWithShell(url))
        ShowNotOpenedBox(Owner, Text("設定ファイルのアドレスを開くプログラムが見つかりません。") + QLatin1Char('\n') +
                                    address + QLatin1Char('\n') + Text("設定ファイル: ") +
                                    QDir::toNativeSeparators(SettingsFile));
}

}  // namespace lumerra
