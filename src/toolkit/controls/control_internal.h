#pragma once
// Internal helpers of the control model shared by its source files.

#include "platform/native_window.h"
#include "toolkit/controls/events.h"

#include <memory>

namespace vamu::toolkit {
class BaseControl;
}

namespace vamu::toolkit::detail {

// Held while any control or host code runs that may call out to handlers. Controls
// destroyed meanwhile are freed when the outermost scope ends.
class DispatchScope {
public:
    DispatchScope();
    ~DispatchScope();
    DispatchScope(const DispatchScope&) = delete;
    DispatchScope& operator=(const DispatchScope&) = delete;
};

// Keeps a destroyed control's memory until the outermost DispatchScope ends.
void bury(std::unique_ptr<BaseControl> control);

// Host-window timer ids of controls: the control's own timer and its state
// animation. The tag keeps them apart from other timers of the window.
inline constexpr platform::TimerId kControlTimerTag = platform::TimerId{1} << 62;
[[nodiscard]] constexpr platform::TimerId controlTimerId(ControlHandle handle) {
    return kControlTimerTag | (platform::TimerId{handle.value} << 1);
}
[[nodiscard]] constexpr platform::TimerId animationTimerId(ControlHandle handle) { return controlTimerId(handle) | 1; }
[[nodiscard]] constexpr bool isControlTimer(platform::TimerId id) { return (id & kControlTimerTag) != 0; }
[[nodiscard]] constexpr ControlHandle controlOfTimer(platform::TimerId id) {
    return ControlHandle{static_cast<std::uint32_t>((id & ~kControlTimerTag) >> 1)};
}

}  // namespace vamu::toolkit::detail
