#pragma once
// The named timers of one window as a Scheduler: what the program hands its feature
// controllers. UI thread only.

#include "platform/native_window.h"
#include "platform/scheduler.h"

namespace vamu::app {

class WindowScheduler final : public platform::Scheduler {
public:
    explicit WindowScheduler(platform::WindowHandle window) : m_window(window) {}

    void startTimer(std::string_view name, std::chrono::milliseconds period, std::function<void()> tick) override;
    void stopTimer(std::string_view name) override;
    [[nodiscard]] bool timerRunning(std::string_view name) const override;

private:
    platform::WindowHandle m_window;
};

}  // namespace vamu::app
