#include "shell/ToolkitLanguage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>

namespace lumerra {

namespace {

QLocale Japanese() { return QLocale(QLocale::Japanese, QLocale::Japan); }

}  // namespace

void UseJapaneseSystemLocale() {
    // Qt reads the system locale from LC_ALL once, at its first use, and
    // keeps it; the C library reads the environment later, in the
    // application object, and must see the user's own (ja_JP may not be
    // installed there).
    constexpr char Variable[] = "LC_ALL";
    const bool wasSet = qEnvironmentVariableIsSet(Variable);
    const QByteArray previous = qgetenv(Variable);
    qputenv(Variable, "ja_JP.UTF-8");
    (void)QLocale::system();
    if (wasSet)
        qputenv(Variable, previous);
    else
        qunsetenv(Variable);
}

TToolkitJapanese::TToolkitJapanese() {
    QLocale::setDefault(Japanese());
    FTranslated = FTexts.load(Japanese(), QStringLiteral("qtbase"), QStringLiteral("_"),
                              QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (FTranslated) QCoreApplication::installTranslator(&FTexts);
}

TToolkitJapanese::~TToolkitJapanese() {
    if (FTranslated) QCoreApplication::removeTranslator(&FTexts);
}

QString FolderTypeName() { return QCoreApplication::translate("QFileDialog", "Folder"); }

QString TFileTypeNames::type(const QFileInfo& Info) const {
    if (QDir(Info.absoluteFilePath()).isRoot()) return QCoreApplication::translate("QFileDialog", "Drive");
    if (Info.isDir()) return FolderTypeName();
    return QFileIconProvider::type(Info);
}

}  // namespace lumerra
