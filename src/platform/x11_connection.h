#pragma once
// Internal: Qt's connection to the X server, for the few requests Qt makes no API for.
// UI thread only.

struct xcb_connection_t;

namespace vamu::platform::detail {

// nullptr when the application does not run on X11 (or was built without xcb).
[[nodiscard]] xcb_connection_t* x11Connection();

}  // namespace vamu::platform::detail
