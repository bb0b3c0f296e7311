#include "platform/x11_selection.h"

#include <QGuiApplication>

#if VAMU_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#include <cstdlib>
#endif

namespace vamu::platform::detail {

std::optional<std::uint32_t> selectionOwner(std::string_view selection) {
#if VAMU_HAVE_XCB
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return std::nullopt;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection) return std::nullopt;
    // only_if_exists: an atom nobody made yet means nobody owns the selection.
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(selection.size()), selection.data()),
        nullptr);
    if (!atom) return 0u;
    const xcb_atom_t name = atom->atom;
    std::free(atom);
    if (name == XCB_ATOM_NONE) return 0u;
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, name), nullptr);
    if (!owner) return 0u;
    const std::uint32_t window = owner->owner;
    std::free(owner);
    return window;
#else
    (void)selection;
    return std::nullopt;
#endif
}

}  // namespace vamu::platform::detail
