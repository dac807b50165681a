#include "shell/Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include "shell/ShellCommands.h"

namespace lumerra {

namespace {

constexpr char Section[] = "frmMain";

int ReadInteger(const QSettings& Settings, const char* Key, int Default) {
    bool ok = false;
    const int value = Settings.value(QString::fromLatin1(Key)).toString().trimmed().toInt(&ok);
    return ok ? value : Default;
}

}  // namespace

QString DefaultSettingsFileName() {
    const QFileInfo program(QCoreApplication::applicationFilePath());
    const QString folder = program.absolutePath();
    const QString beside = folder + QLatin1Char('/') + program.completeBaseName() + QStringLiteral(".ini");
    const QFileInfo besideInfo(beside);
    const bool writable = QFileInfo(folder).isWritable() && (!besideInfo.exists() || besideInfo.isWritable());
    if (writable && !IsInstalledProgram()) return beside;
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + QLatin1Char('/') +
           program.completeBaseName() + QStringLiteral(".ini");
}

TWindowPosition ReadWindowPosition(const QString& FileName) {
    TWindowPosition position;
    if (!QFileInfo(FileName).isFile()) return position;
    QSettings settings(FileName, QSettings::IniFormat);
    settings.beginGroup(QString::fromLatin1(Section));
    position.Left = ReadInteger(settings, "Left", position.Left);
    position.Top = ReadInteger(settings, "Top", position.Top);
    return position;
}

void WriteWindowPosition(const QString& FileName, const TWindowPosition& Position) {
    QDir().mkpath(QFileInfo(FileName).absolutePath());
    QSettings settings(FileName, QSettings::IniFormat);
    settings.beginGroup(QString::fromLatin1(Section));
    settings.setValue(QStringLiteral("Left"), Position.Left);
    settings.setValue(QStringLiteral("Top"), Position.Top);
    settings.endGroup();
    settings.sync();
}

bool ReadExtendedReading(const QString& FileName) {
    if (!QFileInfo(FileName).isFile()) return false;
    QSettings settings(FileName, QSettings::IniFormat);
    return settings.value(QStringLiteral("Options/ExtendedReading"), 0).toInt() == 1;
}

void WriteExtendedReading(const QString& FileName, bool On) {
    QDir().mkpath(QFileInfo(FileName).absolutePath());
    QSettings settings(FileName, QSettings::IniFormat);
    settings.setValue(QStringLiteral("Options/ExtendedReading"), On ? 1 : 0);
    settings.sync();
}

QString ReadHomePage(const QString& FileName) {
    if (!QFileInfo(FileName).isFile()) return {};
    const QSettings settings(FileName, QSettings::IniFormat);
    return settings.value(QStringLiteral("Help/HomePage")).toString().trimmed();
}

}  // namespace lumerra
