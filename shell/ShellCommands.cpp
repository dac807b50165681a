#include "shell/ShellCommands.h"

#include <utility>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>

namespace lumerra {

namespace {

constexpr char ReadMeName[] = "readme.txt";
constexpr char InstalledDocFolder[] = "/../share/doc/pdf-lumerra";

TUrlOpener& Opener() {
    static TUrlOpener opener;
    return opener;
}

QString ProgramFolder() { return QCoreApplication::applicationDirPath(); }

}  // namespace

bool IsInstalledProgram() {
    return QFileInfo(ProgramFolder() + QString::fromLatin1(InstalledDocFolder)).isDir();
}

QString ReadMeFileName() {
    const QString name = QString::fromLatin1(ReadMeName);
    QStringList candidates = {ProgramFolder() + QLatin1Char('/') + name,
                              ProgramFolder() + QString::fromLatin1(InstalledDocFolder) + QLatin1Char('/') + name};
#ifdef LUMERRA_INSTALL_DOCDIR
    candidates << QString::fromUtf8(LUMERRA_INSTALL_DOCDIR) + QLatin1Char('/') + name;
#endif
    for (const QString& candidate : candidates)
        if (QFileInfo(candidate).isFile()) return QFileInfo(candidate).canonicalFilePath();
    return {};
}

TUrlOpener SetUrlOpener(TUrlOpener NewOpener) { return std::exchange(Opener(), std::move(NewOpener)); }

void OpenWithShell(const QUrl& Url) {
    if (Opener())
        Opener()(Url);
    else
        QDesktopServices::openUrl(Url);
}

void OpenReadMe() {
    const QString name = ReadMeFileName();
    if (!name.isEmpty()) OpenWithShell(QUrl::fromLocalFile(name));
}

void OpenHomePage() { OpenWithShell(QUrl(QString::fromLatin1(HomePageAddress))); }

}  // namespace lumerra
