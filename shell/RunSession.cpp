#include "shell/RunSession.h"

#include <QTimer>
#include <QWidget>

#include "shell/frm_Prog.h"

namespace lumerra {

TRunSession::TRunSession(QWidget& Window, QWidget& Keyboard, TfrmProg* Progress, bool& Running)
    : FWindow(Window), FKeyboard(Keyboard), FProgress(Progress), FRunning(Running) {
    FWindow.setEnabled(false);
    if (FProgress != nullptr) FProgress->ShowOver(FWindow);
    FRunning = true;
}

TRunSession::~TRunSession() {
    FRunning = false;
    FWindow.setEnabled(true);
    if (FProgress != nullptr) FProgress->HideAfterRun();
    // Disabling took the focus away. The window is activated once the
    // dialog's hiding has gone through the event queue, so that nothing the
    // hiding brings undoes it.
    FKeyboard.setFocus(Qt::OtherFocusReason);
    QTimer::singleShot(0, &FWindow, [Window = &FWindow, Keyboard = &FKeyboard] {
        Window->raise();
        Window->activateWindow();
        Keyboard->setFocus(Qt::ActiveWindowFocusReason);
    });
}

}  // namespace lumerra
