#pragma once
// Reaching the UI thread from anywhere, and waiting on it without freezing it.
//
// post() and send() may be called from any thread. A posted call whose target has
// gone by the time it runs is dropped: a window handle that no longer resolves, or a
// guard whose owner has been destroyed (owners are destroyed on the UI thread only,
// so the check on the UI thread is race-free).
//
// send() from a worker blocks until the UI thread has answered. It takes the
// worker's stop token so that a UI thread waiting for that worker to stop never
// deadlocks with it: a stop request ends the wait with 0.

#include "platform/native_window.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

namespace vamu::platform {

// Queues a call on the UI thread; dropped when no application exists.
void runOnUi(std::function<void()> call);
// Runs the call on the UI thread only while the guard's owner still exists.
void post(std::weak_ptr<const void> guard, std::function<void()> call);
// Delivers the message to the window's handler later; dropped when the window is gone.
void post(WindowHandle window, const Message& message);
// Runs the call later while the window still exists.
void post(WindowHandle window, std::function<void()> call);
// Delivers the message and returns the handler's answer: at once on the UI thread,
// otherwise after the UI thread has run it. 0 when the window is gone or when the
// stop token is triggered first.
std::intptr_t send(WindowHandle window, const Message& message, std::stop_token stop = {});
// Runs the call on the UI thread and returns its answer: at once on the UI thread,
// otherwise after the UI thread has run it. nullopt when no application exists, or
// when the stop token is triggered first (the call may still run later: a call that
// must not outlive its caller's interest checks the token itself).
std::optional<std::intptr_t> sendCall(std::function<std::intptr_t()> call, std::stop_token stop = {});
// Runs the call on the UI thread while the window exists and returns its answer, as
// send() does; 0 when the window is gone or the stop token is triggered first.
std::intptr_t invoke(WindowHandle window, std::function<std::intptr_t()> call, std::stop_token stop = {});

// A nested message loop (modal boxes, popup menus): run() returns quit()'s code.
class MessageLoop {
public:
    MessageLoop();
    ~MessageLoop();
    MessageLoop(const MessageLoop&) = delete;
    MessageLoop& operator=(const MessageLoop&) = delete;
    int run();
    void quit(int code = 0);
    [[nodiscard]] bool running() const { return m_running; }

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    bool m_running = false;
};

// Waits the given time while the UI thread keeps dispatching its events (timers,
// input, posted calls); anything may run inside the wait. Off the UI thread it
// simply sleeps.
void waitPumping(std::chrono::microseconds duration);

enum class WaitUnit { Milliseconds = 0, Seconds = 1, Minutes = 2, Hours = 3 };
// The program's timed wait: waitPumping for amount units. Always true.
bool waitPumpingMessages(long long amount, WaitUnit unit = WaitUnit::Milliseconds);

// A worker's wait: sleeps up to the duration and returns false at once when a stop
// is requested, true when the time has passed.
bool waitFor(std::chrono::milliseconds duration, std::stop_token stop);

}  // namespace vamu::platform
