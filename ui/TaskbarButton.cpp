#include "ui/TaskbarButton.h"

#include <QWidget>

#ifdef QUORIN_X11
#include <QGuiApplication>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <xcb/xcb.h>

namespace {

xcb_atom_t Atom(xcb_connection_t* connection, const char* name)
{
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name);
    const std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

} // namespace

void KeepOffTaskbar(QWidget* window)
{
    // Qt answers for X11 whenever it was built with it; only an X server
    // (not Wayland, not off screen) gives a connection.
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return;
    // The state a window asks for before it is mapped (EWMH); Qt adds its
    // own states (modal) to it when it shows the window. Each dialog is
    // built afresh for every opening, so this is asked every time.
    const xcb_atom_t skipTaskbar = Atom(connection, "_NET_WM_STATE_SKIP_TASKBAR");
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, xcb_window_t(window->winId()),
                        Atom(connection, "_NET_WM_STATE"), XCB_ATOM_ATOM, 32, 1, &skipTaskbar);
    xcb_flush(connection);
}

#else

void KeepOffTaskbar(QWidget*)
{
}

#endif
