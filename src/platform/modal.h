#pragma once
// Modal windows. While a modal scope is open, keyboard and mouse messages (256-263,
// 512-525) for any other window of the program are dropped before they reach its
// handler, and a button press on one brings the modal window to the front. The modal
// window keeps its input, and so do the windows it owns (its menus, tooltips and the
// boxes it opens, which open scopes of their own). Painting, timers and posted calls
// reach every window as usual. Scopes nest: the innermost one rules. UI thread only.

#include "platform/native_window.h"

namespace vamu::platform {

class ModalScope {
public:
    explicit ModalScope(WindowHandle window);
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

private:
    WindowHandle m_window;
};

// The window of the innermost open scope; empty when none is open.
[[nodiscard]] WindowHandle modalWindow();

// Whether the message, meant for the window, is input that a modal window keeps from
// it. A blocked press also brings the modal window to the front.
[[nodiscard]] bool swallowedByModal(WindowHandle window, const Message& message);

}  // namespace vamu::platform
