// The read-me and home-page commands: both hand a document to the desktop
// (the default text viewer, the default web browser). What cannot be found
// or opened is told in a box that gives its path.
#pragma once

#include <functional>

#include <QString>
#include <QUrl>

class QWidget;

namespace lumerra {

// The read-me file: readme.txt beside the program, or in the installed
// documentation folder (share/doc/pdf-lumerra beside the program's bin
// folder, then the folder chosen at build time). Empty when none exists.
QString ReadMeFileName();

// The user guide installed with the program, README.md of the same
// documentation folders (its pages sit in docs/ beside it). Empty when none
// exists.
QString UserGuideFileName();
// Where an installation keeps the guide: named when it is missing.
QString InstalledUserGuideFileName();

// True when the program runs from an installation: its documentation
// folder share/doc/pdf-lumerra sits beside its bin folder.
bool IsInstalledProgram();

// Hands Url to the desktop; false when no program took it. Tests replace
// the routine so that nothing is launched; SetUrlOpener returns the
// previous one, and an empty routine brings back the desktop.
using TUrlOpener = std::function<bool(const QUrl& Url)>;
TUrlOpener SetUrlOpener(TUrlOpener Opener);
bool OpenWithShell(const QUrl& Url);

// F1.
void OpenReadMe(QWidget* Owner);
// 最新版の入手 and the house button: the address the user set in the
// settings file (HomePage, see Settings.h), else the user guide.
void OpenHomePage(QWidget* Owner, const QString& SettingsFile);

}  // namespace lumerra
