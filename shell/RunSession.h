// The span of one run in the main window: the window disabled and the
// progress dialog shown over it; at the end the window enabled again, the
// dialog hidden and the keyboard given to the text area, where the result
// is (the window has no scroll bars: Page Down and Ctrl+End read it). A
// window manager does not always hand the focus back when the dialog goes,
// and the window would then ignore its keys until clicked.
#pragma once

class QWidget;

namespace lumerra {

class TfrmProg;

class TRunSession {
public:
    // Keyboard is a child of Window; Progress may be null (no dialog);
    // Running is true while the session lives.
    TRunSession(QWidget& Window, QWidget& Keyboard, TfrmProg* Progress, bool& Running);
    ~TRunSession();
    TRunSession(const TRunSession&) = delete;
    TRunSession& operator=(const TRunSession&) = delete;

private:
    QWidget& FWindow;
    QWidget& FKeyboard;
    TfrmProg* FProgress;
    bool& FRunning;
};

}  // namespace lumerra
