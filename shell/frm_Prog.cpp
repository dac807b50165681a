#include "shell/frm_Prog.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

#include "shell/Fonts.h"
#include "shell/WindowPlacement.h"

#if defined(LUMERRA_HAVE_XCB) && QT_CONFIG(xcb)
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#endif

namespace lumerra {

namespace {

#if defined(LUMERRA_HAVE_XCB) && QT_CONFIG(xcb)
xcb_atom_t Atom(xcb_connection_t* Connection, const char* Name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        Connection, xcb_intern_atom(Connection, 0, static_cast<uint16_t>(std::strlen(Name)), Name), nullptr);
    if (reply == nullptr) return XCB_ATOM_NONE;
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
}

QByteArray Property(xcb_connection_t* Connection, xcb_window_t Window, xcb_atom_t Name, xcb_atom_t Type) {
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(Connection, xcb_get_property(Connection, 0, Window, Name, Type, 0, 256), nullptr);
    if (reply == nullptr) return {};
    const QByteArray value(static_cast<const char*>(xcb_get_property_value(reply)),
                           xcb_get_property_value_length(reply));
    std::free(reply);
    return value;
}

// The name the running window manager gives itself, as EWMH has it.
QByteArray WindowManagerName(xcb_connection_t* Connection, xcb_window_t Window) {
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(Connection, xcb_query_tree(Connection, Window), nullptr);
    if (tree == nullptr) return {};
    const xcb_window_t root = tree->root;
    std::free(tree);
    const QByteArray check =
        Property(Connection, root, Atom(Connection, "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW);
    if (check.size() != sizeof(xcb_window_t)) return {};
    xcb_window_t manager;
    std::memcpy(&manager, check.constData(), sizeof manager);
    return Property(Connection, manager, Atom(Connection, "_NET_WM_NAME"), Atom(Connection, "UTF8_STRING"));
}
#endif

// openbox (3.6) draws minimise and maximise buttons on every dialog, whatever
// its Motif hints or fixed size say; it leaves them off only for a tool bar
// window. Other window managers follow the hints Qt sets, and keep the
// dialog type. Call before the window is mapped.
void KeepOpenboxFromOfferingMinimise([[maybe_unused]] QWidget& Dialog) {
#if defined(LUMERRA_HAVE_XCB) && QT_CONFIG(xcb)
    // The off-screen platform may answer for X11 too, without a connection.
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr) return;
    const auto window = static_cast<xcb_window_t>(Dialog.winId());
    if (WindowManagerName(connection, window) != "Openbox") return;
    const xcb_atom_t types[] = {Atom(connection, "_NET_WM_WINDOW_TYPE_TOOLBAR"),
                                Atom(connection, "_NET_WM_WINDOW_TYPE_DIALOG")};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, Atom(connection, "_NET_WM_WINDOW_TYPE"),
                        XCB_ATOM_ATOM, 32, 2, types);
    xcb_flush(connection);
#endif
}

}  // namespace

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
