#include "app/window_scheduler.h"

#include "app/timers.h"

namespace vamu::app {

void WindowScheduler::startTimer(std::string_view name, std::chrono::milliseconds period, std::function<void()> tick) {
    app::startTimer(m_window, name, period, std::move(tick));
}

void WindowScheduler::stopTimer(std::string_view name) { app::stopTimer(m_window, name); }

bool WindowScheduler::timerRunning(std::string_view name) const { return isTimerRunning(m_window, name); }

}  // namespace vamu::app
