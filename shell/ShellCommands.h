// The read-me and home-page commands: both hand a document to the desktop
// (the default text viewer, the default web browser); the result is ignored.
#pragma once

#include <functional>

#include <QString>
#include <QUrl>

namespace lumerra {

// The author's home page.
inline constexpr char HomePageAddress[] = "https://pdf-lumerra.example.org/";

// The read-me file: readme.txt beside the program, or in the installed
// documentation folder (share/doc/pdf-lumerra beside the program's bin
// folder, then the folder chosen at build time). Empty when none exists.
QString ReadMeFileName();

// True when the program runs from an installation: its documentation
// folder share/doc/pdf-lumerra sits beside its bin folder.
bool IsInstalledProgram();

// Hands Url to the desktop. Tests replace the routine so that nothing is
// launched; SetUrlOpener returns the previous one, and an empty routine
// brings back the desktop.
using TUrlOpener = std::function<void(const QUrl& Url)>;
TUrlOpener SetUrlOpener(TUrlOpener Opener);
void OpenWithShell(const QUrl& Url);

void OpenReadMe();
void OpenHomePage();

}  // namespace lumerra
