#include "shell/frm_Prog.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
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

    ProgressBar1->setGeometry(16, 12, 297, 25);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);

    Button1->setGeometry(126, 46, 75, 23);
    Button1->setText(QStringLiteral("中止(&N)"));
    Button1->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

    Label1->move(267, 56);
    Label1->setText(QString());
    Label1->adjustSize();

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
    Label1->adjustSize();
    if (Done) {
        hide();
        ProgressBar1->setValue(0);
    }
}

void TfrmProg::CenterOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect area = screen->availableGeometry();
    move(area.center() - rect().center());
}

void TfrmProg::ShowOver(const QWidget& Owner) {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    // A dialog of the owner's window: kept above it, and a window manager
    // that still offers to minimise the dialog takes the owner along, so
    // 中止 comes back with the window.
    winId();
    windowHandle()->setTransientParent(Owner.window()->windowHandle());
    KeepOpenboxFromOfferingMinimise(*this);
    CenterOver(*this, Owner);
    show();  // raised and activated by showEvent
    // The frame is known once the window exists: centred with it.
    CenterOver(*this, Owner);
}

void TfrmProg::closeEvent(QCloseEvent* Event) { Event->ignore(); }

void TfrmProg::reject() {}

void TfrmProg::showEvent(QShowEvent* Event) {
    QDialog::showEvent(Event);
    raise();
    activateWindow();
}

}  // namespace lumerra
