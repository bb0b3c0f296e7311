#pragma once
// One slow task of a kind at a time, owned by a UI-thread object (a feature's controller).
//
// A slot runs its routine on a worker thread (platform/workers.h) and hands what the
// routine produces to the UI thread. Starting a new task, stop(), or destroying the slot
// asks the running task to stop and drops everything it has not delivered yet: a result
// that reaches the UI thread after that is destroyed there unseen, so a dropped result that
// owns something (a stream, a file) frees it, and no callback ever runs for an owner that
// has gone. Each start() begins a new generation; deliveries of an older one are dropped.
//
// A routine runs on its own thread and outlives the slot when it ignores its stop token,
// so it captures what it needs by value or shared_ptr, never a reference to its owner.
// Results are moved into the UI thread's call; they need to be movable, not copyable.
//
// Every member is called on the UI thread. Task threads are ordinary workers: at shutdown
// joinWorkers() stops and waits for them too.

#include "platform/workers.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <stop_token>
#include <utility>

namespace vamu::platform {

namespace detail {
struct TaskSlotState;
class TaskSlotCore;
}  // namespace detail

// What a routine uses to reach the UI thread while it runs (progress, partial results).
// Copies may be kept by the routine; every member may be called from any thread.
class TaskPoster {
public:
    // Runs `call` on the UI thread while the task is still its slot's current one;
    // otherwise `call` is destroyed unrun (on the UI thread, or at once when the task was
    // already stopped). Calls of one task run in the order they were posted.
    void post(std::function<void()> call) const;
    [[nodiscard]] std::stop_token stopToken() const { return m_stop; }
    [[nodiscard]] bool stopRequested() const { return m_stop.stop_requested(); }

private:
    friend class detail::TaskSlotCore;
    TaskPoster(std::weak_ptr<detail::TaskSlotState> state, std::uint64_t generation, std::stop_token stop)
        : m_state(std::move(state)), m_generation(generation), m_stop(std::move(stop)) {}

    std::weak_ptr<detail::TaskSlotState> m_state;
    std::uint64_t m_generation = 0;
    std::stop_token m_stop;
};

namespace detail {

// The part of every slot that does not depend on the result type.
class TaskSlotCore {
public:
    TaskSlotCore();
    ~TaskSlotCore();
    TaskSlotCore(const TaskSlotCore&) = delete;
    TaskSlotCore& operator=(const TaskSlotCore&) = delete;

    // Stops the current task, then runs `routine` on a worker. The call the routine
    // returns (may be empty) runs on the UI thread after everything it posted, while the
    // task is still current; the task counts as running until then.
    void start(std::function<std::function<void()>(const TaskPoster&)> routine);
    void stop();
    [[nodiscard]] bool running() const;

private:
    std::shared_ptr<TaskSlotState> m_state;  // UI thread only; tasks hold weak references
    Worker m_worker;
};

}  // namespace detail

// A slot whose task returns one result of type R.
template <class R>
class TaskSlot {
public:
    TaskSlot() = default;
    ~TaskSlot() { stop(); }
    TaskSlot(const TaskSlot&) = delete;
    TaskSlot& operator=(const TaskSlot&) = delete;

    // Stops the current task and starts `work`. `onResult` runs on the UI thread with what
    // `work` returned, unless the slot was stopped, restarted or destroyed first.
    void start(std::function<R(std::stop_token)> work, std::function<void(R)> onResult) {
        m_onResult = std::make_shared<std::function<void(R)>>(std::move(onResult));
        m_core.start([work = std::move(work),
                      handler = std::weak_ptr(m_onResult)](const TaskPoster& poster) -> std::function<void()> {
            auto result = std::make_shared<R>(work(poster.stopToken()));
            return [handler, result] {
                // The slot is alive and the task current here; the local reference keeps the
                // handler alive even when it restarts the slot.
                if (const auto call = handler.lock(); call && *call) (*call)(std::move(*result));
            };
        });
    }
    // Asks the current task to stop and drops its result; harmless when none runs.
    void stop() { m_core.stop(); }
    // A task was started and its result has not been delivered or dropped yet.
    [[nodiscard]] bool running() const { return m_core.running(); }

private:
    detail::TaskSlotCore m_core;                         // declared first: destroyed last, after the handler it guards
    std::shared_ptr<std::function<void(R)>> m_onResult;  // UI thread only
};

// A slot whose routine posts any number of results itself (progress, pages) through its
// TaskPoster, and whose end the owner may learn through `onFinished`.
template <>
class TaskSlot<void> {
public:
    TaskSlot() = default;
    ~TaskSlot() { stop(); }
    TaskSlot(const TaskSlot&) = delete;
    TaskSlot& operator=(const TaskSlot&) = delete;

    // Stops the current task and starts `routine`. `onFinished` (may be empty) runs on the
    // UI thread after everything the routine posted, unless the slot was stopped,
    // restarted or destroyed first.
    void start(std::function<void(const TaskPoster&)> routine, std::function<void()> onFinished = {}) {
        m_onFinished = std::make_shared<std::function<void()>>(std::move(onFinished));
        m_core.start([routine = std::move(routine),
                      handler = std::weak_ptr(m_onFinished)](const TaskPoster& poster) -> std::function<void()> {
            routine(poster);
            return [handler] {
                if (const auto call = handler.lock(); call && *call) (*call)();
            };
        });
    }
    void stop() { m_core.stop(); }
    [[nodiscard]] bool running() const { return m_core.running(); }

private:
    detail::TaskSlotCore m_core;
    std::shared_ptr<std::function<void()>> m_onFinished;  // UI thread only
};

}  // namespace vamu::platform
