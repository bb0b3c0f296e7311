#pragma once
// A Scheduler on a clock that only moves when the test says so: timers fire in time
// order as advance() passes their due times, on the calling (UI) thread.

#include "platform/scheduler.h"
#include "support/ui_span.h"

#include <chrono>
#include <functional>
#include <map>
#include <string>

namespace vamu::test {

class ManualScheduler final : public platform::Scheduler {
public:
    void startTimer(std::string_view name, std::chrono::milliseconds period, std::function<void()> tick) override {
        m_timers[std::string(name)] = Timer{m_now + period, period, std::move(tick), ++m_serial};
    }
    void stopTimer(std::string_view name) override {
        if (const auto it = m_timers.find(name); it != m_timers.end()) m_timers.erase(it);
    }
    [[nodiscard]] bool timerRunning(std::string_view name) const override {
        return m_timers.find(name) != m_timers.end();
    }
    [[nodiscard]] std::chrono::milliseconds now() const { return m_now; }
    // The period of a running timer; zero when it does not run.
    [[nodiscard]] std::chrono::milliseconds period(std::string_view name) const {
        const auto it = m_timers.find(name);
        return it == m_timers.end() ? std::chrono::milliseconds{} : it->second.period;
    }

    // Runs the timer `name` once now, without moving the clock (a one-shot timer
    // stops itself); false when it does not run.
    bool fire(std::string_view name) {
        const auto it = m_timers.find(name);
        if (it == m_timers.end()) return false;
        const std::function<void()> tick = it->second.tick;
        const UiSpan span(name);  // one timer message of the program
        tick();
        return true;
    }

    // Moves the clock on by `duration`, firing every timer that falls due on the way
    // (a repeating timer once per period).
    void advance(std::chrono::milliseconds duration) {
        const auto end = m_now + duration;
        while (true) {
            auto due = m_timers.end();
            for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
                if (it->second.due <= end && (due == m_timers.end() || it->second.due < due->second.due)) due = it;
            }
            if (due == m_timers.end()) break;
            m_now = due->second.due;
            due->second.due += due->second.period;
            const std::function<void()> tick = due->second.tick;  // the tick may stop or replace it
            const UiSpan span(due->first);                        // one timer message of the program
            tick();
        }
        m_now = end;
    }

private:
    struct Timer {
        std::chrono::milliseconds due{};
        std::chrono::milliseconds period{};
        std::function<void()> tick;
        unsigned long serial = 0;
    };
    std::map<std::string, Timer, std::less<>> m_timers;
    std::chrono::milliseconds m_now{};
    unsigned long m_serial = 0;
};

}  // namespace vamu::test
