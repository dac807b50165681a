// TfrmProg: the progress dialog of a run, with its cancel button.
#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace lumerra {

class TfrmProg : public QDialog {
    Q_OBJECT

public:
    explicit TfrmProg(QWidget* Parent = nullptr);
    ~TfrmProg() override;

    QProgressBar* ProgressBar1;
    QPushButton* Button1;
    QLabel* Label1;

    // Asks the main window's run to stop; the dialog stays until it ends.
    void Button1Click();
    // Places the dialog in the centre of the screen.
    void CenterOnScreen();

protected:
    // The frame offers no way to close the dialog, and Escape does not
    // close it either (during a run the decoder looks at Escape itself).
    void closeEvent(QCloseEvent* Event) override;
    void reject() override;
    void showEvent(QShowEvent* Event) override;

private:
    void FormCreate();
};

// The one progress dialog, created at start-up right after the main window.
extern TfrmProg* frmProg;

}  // namespace lumerra
