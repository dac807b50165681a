#include "shell/OpenboxWindowType.h"

#include <QtCore/QByteArray>
#include <QtGui/QGuiApplication>
#include <QtWidgets/QWidget>

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

}  // namespace

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

}  // namespace lumerra
