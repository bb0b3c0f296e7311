#pragma once
// Internal: what an X11 window manager reads of a window before it maps it. An overlay
// (the comment strip, the now-playing window) must stay above other windows, stay off
// the task bar and the pager, and be left unframed, so that it keeps the place and the
// input shape the program gives it.

#include <string>
#include <string_view>
#include <vector>

class QWindow;

namespace vamu::platform::detail {

// Whether the running window manager keeps windows above others: it lists the state
// _NET_WM_STATE_ABOVE among what it supports. False without a window manager, and for
// weston's, which frames every window it manages and keeps none above.
[[nodiscard]] bool windowManagerKeepsAbove();
// Gives the window, before it is first made native, the overlay's window type,
// _NET_WM_WINDOW_TYPE_NOTIFICATION: window managers leave it unframed, unfocused and off
// the task bar, keep it where it is put, and (unlike a dock's) it reserves no screen
// edge. Does nothing off X11.
void setOverlayWindowType(QWindow& window);
// Adds the skip-task-bar and skip-pager states to an unmapped window; Qt adds "above"
// to them when it maps the window. False off X11.
bool keepOffTaskBar(const QWindow& window);
// The names of the atoms in one of the window's ATOM-list properties
// ("_NET_WM_STATE", "_NET_WM_WINDOW_TYPE"); empty off X11.
[[nodiscard]] std::vector<std::string> windowAtoms(const QWindow& window, std::string_view property);

}  // namespace vamu::platform::detail
