#pragma once
// Named timers of the program's windows. Each name maps to one timer id for the
// whole process, so starting and stopping a name on a window address the same timer;
// starting a running timer restarts it with the new period. Handlers run on the UI
// thread. UI thread only.

#include "platform/native_window.h"

#include <chrono>
#include <functional>
#include <string_view>

namespace vamu::app {

// The id a name maps to (the same for every window; never 0).
[[nodiscard]] platform::TimerId timerIdForName(std::string_view name);

// Starts (or restarts) the named timer; nothing when the window is gone.
void startTimer(platform::WindowHandle window, std::string_view name, std::chrono::milliseconds period,
                std::function<void()> handler);
// Stops the named timer; nothing when it is not running or the window is gone.
void stopTimer(platform::WindowHandle window, std::string_view name);
[[nodiscard]] bool isTimerRunning(platform::WindowHandle window, std::string_view name);

}  // namespace vamu::app
