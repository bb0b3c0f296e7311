#include "platform/pointer_probe.h"
#include "platform/x11_connection.h"

#include "platform/messages.h"
#include "platform/system.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#if VAMU_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>  // xcb_poll_for_reply
#include <cstdlib>
#endif

namespace vamu::platform {

#if VAMU_HAVE_XCB
struct PointerProbe::X11Query {
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = 0;
    std::optional<unsigned> pending;  // the sequence number of the query sent
    bool flushed = false;
};
#else
struct PointerProbe::X11Query {};
#endif

PointerProbe::PointerProbe() {
#if VAMU_HAVE_XCB
    xcb_connection_t* connection = detail::x11Connection();
    if (!connection) return;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen) return;
    m_x11 = std::make_unique<X11Query>();
    m_x11->connection = connection;
    m_x11->root = screen->root;
#endif
}

PointerProbe::~PointerProbe() {
#if VAMU_HAVE_XCB
    // A reply nobody takes would stay queued in the connection for ever.
    if (m_x11 && m_x11->pending) xcb_discard_reply(m_x11->connection, *m_x11->pending);
#endif
}

std::optional<PointerProbe::Reading> PointerProbe::read() {
    if (!m_x11) {
        // Each of Qt's answers may be a request of its own: the position only with Ctrl.
        const int modifiers = heldKeyModifiers();
        return Reading{modifiers & modifier::kControl ? QCursor::pos() : QPoint(), modifiers};
    }
#if VAMU_HAVE_XCB
    X11Query& x11 = *m_x11;
    if (x11.pending) {
        void* reply = nullptr;
        xcb_generic_error_t* error = nullptr;
        if (!xcb_poll_for_reply(x11.connection, *x11.pending, &reply, &error)) {
            // Not answered yet: the query may still wait in the output buffer, which
            // otherwise goes out with the next frame.
            if (!x11.flushed) xcb_flush(x11.connection);
            x11.flushed = true;
            return m_last;
        }
        x11.pending.reset();
        if (const auto* pointer = static_cast<const xcb_query_pointer_reply_t*>(reply)) {
            // X speaks device pixels; Qt's coordinates divide them by the screen's ratio.
            const QScreen* screen = QGuiApplication::primaryScreen();
            const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;
            const int mask = pointer->mask;
            m_last = Reading{QPoint(qRound(pointer->root_x / ratio), qRound(pointer->root_y / ratio)),
                             (mask & XCB_MOD_MASK_CONTROL ? modifier::kControl : 0) |
                                 (mask & XCB_MOD_MASK_SHIFT ? modifier::kShift : 0) |
                                 (mask & XCB_MOD_MASK_1 ? modifier::kAlt : 0)};
        }
        std::free(reply);
        std::free(error);
    }
    x11.pending = xcb_query_pointer(x11.connection, x11.root).sequence;
    x11.flushed = false;
#endif
    return m_last;
}

}  // namespace vamu::platform
