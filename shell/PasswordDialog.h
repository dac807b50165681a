// The password dialog of a file that the empty password does not open.
#pragma once

#include <memory>
#include <optional>

#include <QString>

class QInputDialog;
class QWidget;

namespace lumerra {

// The dialog for FileName's Attempt-th password (from 1): input hidden; the
// label says how many tries are left with this one, and from the second
// attempt on, that the last one was wrong.
// Wide enough for its title whole in the window manager's title bar.
std::unique_ptr<QInputDialog> CreatePasswordDialog(QWidget* Owner, const QString& FileName, int Attempt);

// Shows that dialog modally, then activates Owner again; nothing when the
// user cancelled it.
std::optional<QString> AskPassword(QWidget* Owner, const QString& FileName, int Attempt);

}  // namespace lumerra
