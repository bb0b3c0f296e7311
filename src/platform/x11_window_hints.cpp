#include "platform/x11_window_hints.h"
#include "platform/x11_connection.h"

#include <QGuiApplication>
#include <QVariant>
#include <QWindow>

#include <cstdlib>

#if VAMU_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#endif

namespace vamu::platform::detail {

namespace {

// Qt's xcb platform reads this property when it makes the window native and lists the
// type before the ones it derives from the window's flags.
constexpr char kQtWindowTypeProperty[] = "_q_xcb_wm_window_type";
// Qt's value for _NET_WM_WINDOW_TYPE_NOTIFICATION.
constexpr int kQtNotificationType = 0x800;

#if VAMU_HAVE_XCB
xcb_atom_t internAtom(xcb_connection_t* connection, std::string_view name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data()), nullptr);
    if (!reply) return XCB_ATOM_NONE;
    const xcb_atom_t value = reply->atom;
    std::free(reply);
    return value;
}
#endif

}  // namespace

bool windowManagerKeepsAbove() {
#if VAMU_HAVE_XCB
    xcb_connection_t* connection = x11Connection();
    if (!connection) return false;
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen) return false;
    const xcb_atom_t above = internAtom(connection, "_NET_WM_STATE_ABOVE");
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, screen->root, internAtom(connection, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 0, 4096),
        nullptr);
    if (!reply) return false;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
    const int count = reply->format == 32 ? xcb_get_property_value_length(reply) / 4 : 0;
    bool found = false;
    for (int i = 0; i < count && !found; ++i) found = atoms[i] == above;
    std::free(reply);
    return found;
#else
    return false;
#endif
}

void setOverlayWindowType(QWindow& window) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
    window.setProperty(kQtWindowTypeProperty, kQtNotificationType);
}

bool keepOffTaskBar(const QWindow& window) {
#if VAMU_HAVE_XCB
    xcb_connection_t* connection = x11Connection();
    if (!connection || !window.handle()) return false;
    const auto id = static_cast<xcb_window_t>(window.winId());
    const xcb_atom_t state = internAtom(connection, "_NET_WM_STATE");
    const xcb_atom_t atoms[] = {internAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                                internAtom(connection, "_NET_WM_STATE_SKIP_PAGER")};
    // Appended: Qt merges its own states with what the unmapped window holds.
    xcb_change_property(connection, XCB_PROP_MODE_APPEND, id, state, XCB_ATOM_ATOM, 32, 2, atoms);
    xcb_flush(connection);
    return true;
#else
    (void)window;
    return false;
#endif
}

std::vector<std::string> windowAtoms(const QWindow& window, std::string_view property) {
    std::vector<std::string> names;
#if VAMU_HAVE_XCB
    xcb_connection_t* connection = x11Connection();
    if (!connection || !window.handle()) return names;
    const auto id = static_cast<xcb_window_t>(window.winId());
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, id, internAtom(connection, property), XCB_ATOM_ATOM, 0, 64),
        nullptr);
    if (!reply) return names;
    const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
    const int count = reply->format == 32 ? xcb_get_property_value_length(reply) / 4 : 0;
    for (int i = 0; i < count; ++i) {
        xcb_get_atom_name_reply_t* name =
            xcb_get_atom_name_reply(connection, xcb_get_atom_name(connection, atoms[i]), nullptr);
        if (!name) continue;
        names.emplace_back(xcb_get_atom_name_name(name), static_cast<std::size_t>(xcb_get_atom_name_name_length(name)));
        std::free(name);
    }
    std::free(reply);
#else
    (void)window;
    (void)property;
#endif
    return names;
}

}  // namespace vamu::platform::detail
