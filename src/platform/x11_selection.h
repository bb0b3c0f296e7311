#pragma once
// Internal: who owns an X11 selection. Desktop services announce themselves by owning
// a selection on the display (the compositing manager "_NET_WM_CM_S0", the tray
// "_NET_SYSTEM_TRAY_S0"); the owner window changes when such a service restarts.

#include <cstdint>
#include <optional>
#include <string_view>

namespace vamu::platform::detail {

// The window that owns the selection, 0 when nobody does; nullopt when the
// application does not run on an X11 display.
[[nodiscard]] std::optional<std::uint32_t> selectionOwner(std::string_view selection);

}  // namespace vamu::platform::detail
