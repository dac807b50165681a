#include "shell/frm_Prog.h"

#include <algorithm>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QWindow>

#include "shell/Fonts.h"
#include "shell/OpenboxWindowType.h"
#include "shell/WindowPlacement.h"

namespace lumerra {

// Widgets are created with their parent, which owns and destroys them.
TfrmProg::TfrmProg(QWidget* Parent)
    : QDialog(Parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ProgressBar1(new QProgressBar(this)),
      Button1(new QPushButton(this)),
      Label1(new QLabel(this)) {
    setObjectName(QStringLiteral("frmProg"));
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    Button1->setObjectName(QStringLiteral("Button1"));
    Label1->setObjectName(QStringLiteral("Label1"));
    FormCreate();
}

TfrmProg::~TfrmProg() = default;

void TfrmProg::FormCreate() {
    setWindowTitle(QStringLiteral("PDF オブジェクトを解析中・・・"));
    setFont(WindowFont());
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    setFixedSize(328, 76);
    setModal(false);
    // The keyboard stays with the main window through the run: Escape
    // reaches the run from there, and a run that ends before the window
    // manager maps the dialog leaves no focus to hand back (openbox would
    // give it to the dialog when it maps it, after the run, and refuse it to
    // the main window afterwards).
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    setFocusPolicy(Qt::NoFocus);

    ProgressBar1->setGeometry(16, 12, 297, 25);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);

    Button1->setGeometry(126, 46, 75, 23);
    Button1->setText(QStringLiteral("中止(&N)"));
    Button1->setAutoDefault(false);
    Button1->setFocusPolicy(Qt::NoFocus);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

    // The label ends where the bar ends and grows to the left, so that the
    // largest count of a run fits whole.
    Label1->setAlignment(Qt::AlignRight | Qt::AlignTop);
    Label1->setText(QString());
    FitLabel(0);

    setTabOrder(ProgressBar1, Button1);
    CenterOnScreen();
}

void TfrmProg::Button1Click() {
    if (OnCancel) OnCancel();
}

void TfrmProg::ShowProgress(int32_t Min, int32_t Max, int32_t Position, bool Done) {
    ProgressBar1->setMinimum(Min);
    ProgressBar1->setMaximum(Max);
    ProgressBar1->setValue(Position);
    Label1->setText(QStringLiteral("%1/%2").arg(Position).arg(Max));
    FitLabel(Max);
    if (Done) {
        HideAfterRun();
        ProgressBar1->setValue(0);
    }
}

void TfrmProg::FitLabel(int32_t Max) {
    // Wide enough for the run's widest count, Max of Max, so that the label
    // keeps its place while the count goes up, and for the text itself (a
    // single page reports -1).
    const QFontMetrics metrics(Label1->font());
    const int widest = std::max(metrics.horizontalAdvance(QStringLiteral("%1/%1").arg(Max)),
                                metrics.horizontalAdvance(Label1->text()));
    const int right = ProgressBar1->geometry().right() + 1;
    const int width = std::min(widest + 2, right - Button1->geometry().right() - 1);
    Label1->setGeometry(right - width, LabelTop, width, metrics.height());
}

void TfrmProg::CenterOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    move(area.center() - rect().center());
}

void TfrmProg::HideAfterRun() {
    if (isHidden()) return;
    // A run can end before the window manager has mapped the dialog; hidden
    // then, it would be mapped after the run all the same. So the map comes
    // first; the user's input waits meanwhile.
    QWindow* window = windowHandle();
    const QDeadlineTimer deadline(MapWaitMilliseconds);
    while (window != nullptr && !window->isExposed() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QThread::msleep(1);
    }
    hide();
}

void TfrmProg::ShowOver(QWidget& Owner) {
    FOwner = &Owner;
    setWindowState(windowState() & ~Qt::WindowMinimized);
    // A dialog of the owner's window: kept above it, and a window manager
    // that still offers to minimise the dialog takes the owner along, so
    // 中止 comes back with the window.
    winId();
    windowHandle()->setTransientParent(Owner.window()->windowHandle());
    KeepOpenboxFromOfferingMinimise(*this);
    CenterOver(*this, Owner);
    show();  // raised by showEvent
    // The frame is known once the window exists: centred with it.
    CenterOver(*this, Owner);
}

void TfrmProg::closeEvent(QCloseEvent* Event) { Event->ignore(); }

void TfrmProg::reject() {}

bool TfrmProg::event(QEvent* Event) {
    // Activated all the same, by a window manager that ignores the hints,
    // after the run has hidden the dialog: the keyboard goes back to the
    // window of the run.
    if (Event->type() == QEvent::WindowActivate && isHidden() && FOwner != nullptr) FOwner->activateWindow();
    return QDialog::event(Event);
}

void TfrmProg::showEvent(QShowEvent* Event) {
    QDialog::showEvent(Event);
    raise();
    if (QCoreApplication* application = QCoreApplication::instance()) application->installEventFilter(this);
}

void TfrmProg::hideEvent(QHideEvent* Event) {
    if (QCoreApplication* application = QCoreApplication::instance()) application->removeEventFilter(this);
    QDialog::hideEvent(Event);
}

bool TfrmProg::eventFilter(QObject* Watched, QEvent* Event) {
    if (Event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(Event);
        if (key->key() == Qt::Key_N && key->modifiers() == Qt::AltModifier) {
            Button1->click();
            return true;  // taken: it travels no further up the parents
        }
    }
    return QDialog::eventFilter(Watched, Event);
}

}  // namespace lumerra
