// The progress dialog under openbox: that window manager (3.6) draws
// minimise and maximise buttons on every dialog, whatever its Motif hints or
// fixed size say, and leaves them off only for a tool bar window.
#pragma once

class QWidget;

namespace lumerra {

// Under openbox on X11, gives Dialog the window type "tool bar, dialog", so
// that it offers neither minimising nor maximising; elsewhere, and under
// other window managers (which follow the hints Qt sets), nothing. Call
// after the window exists and before it is mapped.
void KeepOpenboxFromOfferingMinimise(QWidget& Dialog);

}  // namespace lumerra
