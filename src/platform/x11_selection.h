#pragma once
// Internal: X11 selections of desktop services. A service announces itself by owning
// a selection on the display (the compositing manager "_NET_WM_CM_S0", the tray
// "_NET_SYSTEM_TRAY_S0") and, when it takes the selection, by a MANAGER broadcast to
// the root window. A restarted service may own the selection through a window with
// the same id as its predecessor's (the server reuses the ids of gone clients), so
// only the broadcast tells a restart for certain.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

namespace vamu::platform::detail {

// The window that owns the selection, 0 when nobody does; nullopt when the
// application does not run on an X11 display.
[[nodiscard]] std::optional<std::uint32_t> selectionOwner(std::string_view selection);

// Whether the X server is Xwayland (it offers the XWAYLAND extension).
[[nodiscard]] bool xwaylandServer();

// Calls `taken` (on the UI thread, from the event loop) each time a new owner takes
// the selection, for as long as the returned object lives. nullptr when the
// application does not run on an X11 display.
class SelectionWatch {
public:
    virtual ~SelectionWatch() = default;
};
[[nodiscard]] std::unique_ptr<SelectionWatch> watchSelection(std::string_view selection, std::function<void()> taken);

}  // namespace vamu::platform::detail
