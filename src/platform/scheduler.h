#pragma once
// Named timers as a feature controller sees them. The program hands its controllers
// the main window's named timers; tests hand a scheduler whose timers they fire by
// hand, so a 13-tick rule runs in microseconds instead of 6.5 s. UI thread only.

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace vamu::platform {

class Scheduler {
public:
    virtual ~Scheduler() = default;

    // Starts the repeating timer `name`, or restarts it with the new period and tick.
    virtual void startTimer(std::string_view name, std::chrono::milliseconds period, std::function<void()> tick) = 0;
    // Nothing when it is not running.
    virtual void stopTimer(std::string_view name) = 0;
    [[nodiscard]] virtual bool timerRunning(std::string_view name) const = 0;

    // Runs `call` once after `delay`, unless the timer `name` is started again or
    // stopped before: a later once() of the same name replaces an earlier one.
    void once(std::string_view name, std::chrono::milliseconds delay, std::function<void()> call) {
        startTimer(name, delay, [this, key = std::string(name), call = std::move(call)] {
            // Stopping destroys this closure: take what it holds first.
            Scheduler* self = this;
            const std::string stopped = key;
            const std::function<void()> run = call;
            self->stopTimer(stopped);
            run();
        });
    }
};

}  // namespace vamu::platform
