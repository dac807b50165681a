// The settings file: the main window's position, in INI form, section
// "frmMain", keys "Left" and "Top".
//
// It sits beside the program (the program's path with ".ini"). An installed
// program (its folder not writable, or the program's documentation folder
// share/doc/pdf-lumerra beside its bin folder) keeps it in the user's
// configuration folder instead: ~/.config/PDF Lumerra/pdf-lumerra.ini.
#pragma once

#include <QString>

namespace lumerra {

struct TWindowPosition {
    int Left = 50;
    int Top = 50;
};

// Where this program keeps its settings (needs the application object).
QString DefaultSettingsFileName();

// The stored position; 50 for a missing file, section or key, and for a
// value that is not a whole number.
TWindowPosition ReadWindowPosition(const QString& FileName);

// Writes the two keys; other sections and keys of the file stay. Failures
// are ignored.
void WriteWindowPosition(const QString& FileName, const TWindowPosition& Position);

// The extended-reading option, in a section of its own ("Options", key
// "ExtendedReading", 0 or 1); off when missing.
bool ReadExtendedReading(const QString& FileName);
void WriteExtendedReading(const QString& FileName, bool On);

// What 最新版の入手 opens in place of the user guide: section "Help", key
// "HomePage", an address (https://...) or a file's path; the user writes
// it, the program only reads it. Empty when missing.
QString ReadHomePage(const QString& FileName);

}  // namespace lumerra
