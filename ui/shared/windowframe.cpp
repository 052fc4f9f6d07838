#include "windowframe.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

#if QT_CONFIG(xcb) && defined(POBLACION_XCB)
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#endif

namespace ui {

#if QT_CONFIG(xcb) && defined(POBLACION_XCB)
namespace {

template <class T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t atom(xcb_connection_t* c, const char* name)
{
    const Reply<xcb_intern_atom_reply_t> r(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr),
        &std::free);
    return r ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The four cardinals of a window property, if it has them.
bool cardinals(xcb_connection_t* c, xcb_window_t w, xcb_atom_t property, uint32_t (&out)[4])
{
    const Reply<xcb_get_property_reply_t> r(
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, property, XCB_ATOM_CARDINAL, 0, 4), nullptr), &std::free);
    if (!r || r->format != 32 || xcb_get_property_value_length(r.get()) != 16)
        return false;
    std::memcpy(out, xcb_get_property_value(r.get()), sizeof out);
    return true;
}

// Whether the window manager says it answers _NET_REQUEST_FRAME_EXTENTS.
bool supported(xcb_connection_t* c, xcb_window_t root, xcb_atom_t request)
{
    const Reply<xcb_get_property_reply_t> r(
        xcb_get_property_reply(c, xcb_get_property(c, 0, root, atom(c, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 0, 1024),
                               nullptr),
        &std::free);
    if (!r || r->format != 32)
        return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(r.get()));
    const int n = xcb_get_property_value_length(r.get()) / 4;
    return std::find(atoms, atoms + n, request) != atoms + n;
}

QMargins askWindowManager(QWidget* window)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return {};
    xcb_connection_t* c = x11->connection();
    const auto w = static_cast<xcb_window_t>(window->winId());
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_atom_t request = atom(c, "_NET_REQUEST_FRAME_EXTENTS");
    const xcb_atom_t extents = atom(c, "_NET_FRAME_EXTENTS");
    if (!screen || request == XCB_ATOM_NONE || extents == XCB_ATOM_NONE || !supported(c, screen->root, request))
        return {};
    uint32_t e[4] = {}; // left, right, top, bottom
    if (!cardinals(c, w, extents, e)) {
        xcb_client_message_event_t message = {};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = w;
        message.type = request;
        xcb_send_event(c, 0, screen->root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(c);
        // A window manager answers within a millisecond or two; it is given
        // 200 ms in all.
        bool answered = false;
        for (int i = 0; i < 200 && !answered; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            answered = cardinals(c, w, extents, e);
        }
        if (!answered)
            return {};
    }
    return QMargins(static_cast<int>(e[0]), static_cast<int>(e[2]), static_cast<int>(e[1]), static_cast<int>(e[3]));
}

} // namespace
#endif

QMargins windowFrame(QWidget* window)
{
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    const QMargins known(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                         outer.bottom() - inner.bottom());
    if (!known.isNull())
        return known;
#if QT_CONFIG(xcb) && defined(POBLACION_XCB)
    if (!window->testAttribute(Qt::WA_Mapped) && QGuiApplication::platformName() == QLatin1String("xcb"))
        return askWindowManager(window);
#endif
    return {};
}

} // namespace ui
