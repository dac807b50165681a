#include "shell/RunSession.h"

#include <QTimer>
#include <QWidget>

#include "shell/frm_Prog.h"

namespace lumerra {

TRunSession::TRunSession(QWidget& Window, TfrmProg* Progress, bool& Running)
    : FWindow(Window), FProgress(Progress), FRunning(Running), FFocus(Window.focusWidget()) {
    FWindow.setEnabled(false);
    if (FProgress != nullptr) FProgress->ShowOver(FWindow);
    FRunning = true;
}

TRunSession::~TRunSession() {
    FRunning = false;
    FWindow.setEnabled(true);
    if (FProgress != nullptr) FProgress->hide();
    // Disabling took the focus away; it goes back where it was. The window
    // is activated once the dialog's hiding has gone through the event
    // queue, so that nothing the hiding brings undoes it.
    if (FFocus != nullptr && FFocus->isEnabled()) FFocus->setFocus(Qt::OtherFocusReason);
    QTimer::singleShot(0, &FWindow, [Window = &FWindow] {
        Window->raise();
        Window->activateWindow();
    });
}

}  // namespace lumerra
