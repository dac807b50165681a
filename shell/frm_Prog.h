// TfrmProg: the progress dialog of a run, with its cancel button.
#pragma once

#include <QDialog>
#include <QPointer>

#include <cstdint>
#include <functional>

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

    // Asks the run to stop; the dialog stays until it ends.
    void Button1Click();
    // What the button asks for: set by whoever runs with this dialog.
    std::function<void()> OnCancel;
    // Shows the progress of a run, as its progress callback reports it;
    // hides the dialog when Done.
    void ShowProgress(int32_t Min, int32_t Max, int32_t Position, bool Done);
    // Hides the dialog at the end of a run, once the window system has
    // shown it (see the .cpp).
    void HideAfterRun();
    // Places the dialog in the centre of the screen.
    void CenterOnScreen();
    // Shows the dialog for a run: restored (the user may have minimised it
    // in an earlier run, which would leave nothing to see but a disabled
    // main window), centred over Owner and on top.
    // When the dialog is activated after the run has hidden it, it hands
    // the activation back to Owner.
    void ShowOver(QWidget& Owner);

protected:
    // The frame offers no way to close the dialog, and Escape does not
    // close it either (during a run the decoder looks at Escape itself).
    void closeEvent(QCloseEvent* Event) override;
    void reject() override;
    void showEvent(QShowEvent* Event) override;
    void hideEvent(QHideEvent* Event) override;
    bool event(QEvent* Event) override;
    // Alt+N presses 中止 while the dialog is shown, though the keyboard stays
    // with the main window.
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    // The label's top; it ends on the right where the bar ends.
    static constexpr int LabelTop = 56;
    // How long the end of a run waits for the window manager to map the
    // dialog.
    static constexpr int MapWaitMilliseconds = 1000;

    void FormCreate();
    void FitLabel(int32_t Max);
    QPointer<QWidget> FOwner;  // the window of the run, while it lasts
};

}  // namespace lumerra
