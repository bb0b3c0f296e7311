#include "platform/x11_selection.h"
#include "platform/x11_connection.h"

#include <QGuiApplication>

#if VAMU_HAVE_XCB
#include <QAbstractNativeEventFilter>
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#include <cstdlib>
#endif

namespace vamu::platform::detail {

#if VAMU_HAVE_XCB
namespace {

// only_if_exists: an atom nobody made yet names nothing anybody owns (XCB_ATOM_NONE).
xcb_atom_t atom(xcb_connection_t* connection, std::string_view name, bool onlyIfExists) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, onlyIfExists ? 1 : 0, static_cast<std::uint16_t>(name.size()), name.data()),
        nullptr);
    if (!reply) return XCB_ATOM_NONE;
    const xcb_atom_t value = reply->atom;
    std::free(reply);
    return value;
}

class ManagerFilter final : public SelectionWatch, public QAbstractNativeEventFilter {
public:
    ManagerFilter(xcb_atom_t manager, xcb_atom_t selection, std::function<void()> taken)
        : m_manager(manager), m_selection(selection), m_taken(std::move(taken)) {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~ManagerFilter() override {
        if (QCoreApplication* app = QCoreApplication::instance()) app->removeNativeEventFilter(this);
    }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        if (type != "xcb_generic_event_t") return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7F) != XCB_CLIENT_MESSAGE) return false;
        const auto* client = static_cast<const xcb_client_message_event_t*>(message);
        if (client->type == m_manager && client->format == 32 && client->data.data32[1] == m_selection) m_taken();
        return false;  // Qt's own tray tracking reads the broadcast too
    }

private:
    xcb_atom_t m_manager = XCB_ATOM_NONE;
    xcb_atom_t m_selection = XCB_ATOM_NONE;
    std::function<void()> m_taken;
};

}  // namespace
#endif

std::optional<std::uint32_t> selectionOwner(std::string_view selection) {
#if VAMU_HAVE_XCB
    xcb_connection_t* connection = x11Connection();
    if (!connection) return std::nullopt;
    const xcb_atom_t name = atom(connection, selection, true);
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

bool xwaylandServer() {
#if VAMU_HAVE_XCB
    xcb_connection_t* connection = x11Connection();
    if (!connection) return false;
    constexpr std::string_view kName = "XWAYLAND";
    xcb_query_extension_reply_t* reply = xcb_query_extension_reply(
        connection, xcb_query_extension(connection, static_cast<std::uint16_t>(kName.size()), kName.data()), nullptr);
    const bool present = reply && reply->present;
    std::free(reply);
    return present;
#else
    return false;
#endif
}

std::unique_ptr<SelectionWatch> watchSelection(std::string_view selection, std::function<void()> taken) {
#if VAMU_HAVE_XCB
    xcb_connection_t* connection = x11Connection();
    if (!connection) return nullptr;
    const xcb_atom_t manager = atom(connection, "MANAGER", false);
    const xcb_atom_t name = atom(connection, selection, false);
    if (manager == XCB_ATOM_NONE || name == XCB_ATOM_NONE) return nullptr;
    return std::make_unique<ManagerFilter>(manager, name, std::move(taken));
#else
    (void)selection;
    (void)taken;
    return nullptr;
#endif
}

}  // namespace vamu::platform::detail
