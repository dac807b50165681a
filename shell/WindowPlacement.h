// Where the program's dialogs come up: in the centre of the window they
// belong to, whole on its screen.
#pragma once

class QWidget;

namespace lumerra {

// Moves Window so that its centre is Owner's, then into Owner's screen where
// it would stick out (a dialog larger than a window near the screen's edge).
// Window's frame counts once it is known, that is once it has been shown.
void CenterOver(QWidget& Window, const QWidget& Owner);

}  // namespace lumerra
