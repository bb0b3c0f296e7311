#pragma once
// Animated showing and hiding of a native window: fades and short slides, run on the
// window's own timers so the UI thread never blocks. The window ends in its final
// state (shown at its geometry and full opacity, or hidden with both restored).

#include "platform/native_window.h"

#include <chrono>
#include <functional>

namespace vamu::platform {

enum class WindowAnimation {
    None = 0,
    Fade = 1,
    SlideUp = 2,  // comes up from below / leaves downwards
    SlideDown = 3,
    SlideLeft = 4,
    SlideRight = 5,
    FadeSlideUp = 6,
};

// The timer id that window animations use on their window.
inline constexpr TimerId kWindowAnimationTimer = 0xFFFF'FFFF'0000'0001ULL;

// Shows (or hides) the window animated; `finished` runs on the UI thread once the
// window has reached its final state, at once for None or a zero duration. A new
// animation of the same window ends the running one at its final state first.
void animateShow(WindowHandle window, WindowAnimation type, std::chrono::milliseconds duration,
                 std::function<void()> finished = {});
void animateHide(WindowHandle window, WindowAnimation type, std::chrono::milliseconds duration,
                 std::function<void()> finished = {});
[[nodiscard]] bool isAnimating(WindowHandle window);

}  // namespace vamu::platform
