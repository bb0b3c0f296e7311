#include "app/timers.h"

#include <map>
#include <string>

namespace vamu::app {
namespace {

// Named timers live in their own id range, away from the toolkit's control timers
// and the platform's animation timer.
constexpr platform::TimerId kNamedTimerBase = platform::TimerId{1} << 48;

}  // namespace

platform::TimerId timerIdForName(std::string_view name) {
    static std::map<std::string, platform::TimerId, std::less<>> ids;
    const auto it = ids.find(name);
    if (it != ids.end()) return it->second;
    const platform::TimerId id = kNamedTimerBase + ids.size() + 1;
    ids.emplace(std::string(name), id);
    return id;
}

void startTimer(platform::WindowHandle window, std::string_view name, std::chrono::milliseconds period,
                std::function<void()> handler) {
    platform::NativeWindow* native = platform::NativeWindow::find(window);
    if (!native || !handler) return;
    native->setTimer(timerIdForName(name), period, std::move(handler));
}

void stopTimer(platform::WindowHandle window, std::string_view name) {
    if (platform::NativeWindow* native = platform::NativeWindow::find(window)) native->killTimer(timerIdForName(name));
}

bool isTimerRunning(platform::WindowHandle window, std::string_view name) {
    const platform::NativeWindow* native = platform::NativeWindow::find(window);
    return native && native->hasTimer(timerIdForName(name));
}

}  // namespace vamu::app
