// The span of one run in the main window: the window disabled and the
// progress dialog shown over it; at the end the window enabled again, the
// dialog hidden and the keyboard given back to the window. A window manager
// does not always hand the focus back when the dialog goes, and the window
// would then ignore its keys until clicked.
#pragma once

#include <QPointer>

class QWidget;

namespace lumerra {

class TfrmProg;

class TRunSession {
public:
    // Progress may be null (no dialog); Running is true while the session lives.
    TRunSession(QWidget& Window, TfrmProg* Progress, bool& Running);
    ~TRunSession();
    TRunSession(const TRunSession&) = delete;
    TRunSession& operator=(const TRunSession&) = delete;

private:
    QWidget& FWindow;
    TfrmProg* FProgress;
    bool& FRunning;
    QPointer<QWidget> FFocus;  // the window's focus before the run
};

}  // namespace lumerra
