// The program's message boxes: the standard error box that shows an
// exception left over by a command, and MemCheck's exit warning. Both pass
// through one replaceable routine so that tests can read what would be
// shown without a modal box.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>

#include <QString>

class QWidget;

namespace lumerra {

enum class TMessageBoxKind { Error, Warning };

using TMessageBoxHandler =
    std::function<void(TMessageBoxKind Kind, QWidget* Owner, const QString& Caption, const QString& Text)>;

// Installs Handler in place of the real boxes and returns the previous
// routine; an empty Handler brings back the real boxes.
TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler Handler);

// The message as the error box shows it: a "." is appended when the last
// character sorts after "." (so every message ending in "。" gets one).
QString StandardErrorText(const QString& Message);

// The message of Error as the error box gives it: the message alone, and
// for a file the file system refused (disk full, read-only file system, no
// access, ...) its reason on a second line, in Japanese like the message.
QString ErrorBoxMessage(const std::exception& Error);

// A modal box with the error icon, an OK button and the caption
// "PDF Lumerra".
void ShowStandardErrorBox(QWidget* Owner, const QString& Message);
void ShowExceptionBox(QWidget* Owner, const std::exception& Error);

// A box with the warning icon and the caption "PDF Lumerra", for what the
// desktop could not open: Message as it is (it ends with a path).
void ShowNotOpenedBox(QWidget* Owner, const QString& Message);

// MemCheck's warning: no owner window, warning icon, OK button.
void ShowLeakWarning(int64_t Count);

// Runs a command handler; an exception that leaves it goes to the standard
// error box and the program goes on.
template <class TCommand>
void RunCommand(QWidget* Owner, TCommand&& Command) {
    try {
        Command();
    } catch (const std::exception& Error) {
        ShowExceptionBox(Owner, Error);
    }
}

}  // namespace lumerra
