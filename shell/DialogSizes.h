// Sizes of the dialogs for their Japanese texts: the toolkit sizes them for
// their contents alone, and the window manager then clips the title, the
// file dialog its columns and side bar.
#pragma once

class QFileDialog;
class QString;

namespace lumerra {

// The width a window needs for Title whole in a title bar beside the window
// manager's buttons.
int TitleBarWidth(const QString& Title);

// Sizes Dialog so that its side bar and its columns (name, size, type, date)
// show their headings and entries whole, within its screen.
void FitFileDialog(QFileDialog& Dialog);

}  // namespace lumerra
