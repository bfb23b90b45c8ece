#include "windowFrame.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QThread>
#include <QWidget>

#ifdef TROVELLE_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>
#endif

#ifdef TROVELLE_HAVE_XCB
namespace {

template <typename T> using TReply = std::unique_ptr<T, decltype(&std::free)>;

xcb_atom_t Atom(xcb_connection_t* Connection, const char* Name) {
    const TReply<xcb_intern_atom_reply_t> Reply(
        xcb_intern_atom_reply(Connection, xcb_intern_atom(Connection, 0, std::strlen(Name), Name), nullptr),
        &std::free);
    return Reply ? Reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

// The 32-bit values of a window's property of type Type; empty when it has none.
std::vector<uint32_t> Property(xcb_connection_t* Connection, xcb_window_t Window, xcb_atom_t Name,
                               xcb_atom_t Type) {
    const TReply<xcb_get_property_reply_t> Reply(
        xcb_get_property_reply(Connection, xcb_get_property(Connection, 0, Window, Name, Type, 0, 4096),
                               nullptr),
        &std::free);
    if (!Reply || Reply->format != 32 || Reply->type != Type)
        return {};
    const auto* Values = static_cast<const uint32_t*>(xcb_get_property_value(Reply.get()));
    return std::vector<uint32_t>(Values, Values + xcb_get_property_value_length(Reply.get()) / 4);
}

} // namespace
#endif

QMargins ExpectedFrameMargins(QWidget* Window, int TimeoutMs) {
#ifdef TROVELLE_HAVE_XCB
    auto* X11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* Connection = X11 ? X11->connection() : nullptr;
    if (!Connection)
        return {};
    const xcb_window_t Root = xcb_setup_roots_iterator(xcb_get_setup(Connection)).data->root;
    const xcb_atom_t Supported = Atom(Connection, "_NET_SUPPORTED");
    const xcb_atom_t Request = Atom(Connection, "_NET_REQUEST_FRAME_EXTENTS");
    const xcb_atom_t Extents = Atom(Connection, "_NET_FRAME_EXTENTS");
    const std::vector<uint32_t> Known = Property(Connection, Root, Supported, XCB_ATOM_ATOM);
    if (Request == XCB_ATOM_NONE || std::find(Known.begin(), Known.end(), Request) == Known.end())
        return {};
    // The window exists from here on, still unmapped; the manager writes its estimate of the
    // frame onto it.
    const auto Native = static_cast<xcb_window_t>(Window->winId());
    xcb_client_message_event_t Message{};
    Message.response_type = XCB_CLIENT_MESSAGE;
    Message.format = 32;
    Message.window = Native;
    Message.type = Request;
    xcb_send_event(Connection, 0, Root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&Message));
    xcb_flush(Connection);
    QElapsedTimer Waited;
    Waited.start();
    do {
        const std::vector<uint32_t> Sides = Property(Connection, Native, Extents, XCB_ATOM_CARDINAL);
        if (Sides.size() == 4) {
            // Left, right, top, bottom in screen pixels.
            const qreal Scale = Window->devicePixelRatioF();
            const auto Units = [Scale](uint32_t Pixels) { return qRound(Pixels / Scale); };
            return QMargins(Units(Sides[0]), Units(Sides[2]), Units(Sides[1]), Units(Sides[3]));
        }
        QThread::msleep(5);
    } while (Waited.elapsed() < TimeoutMs);
#else
    Q_UNUSED(Window);
    Q_UNUSED(TimeoutMs);
#endif
    return {};
}
