#pragma once
// Worker threads for slow work. A worker is a std::jthread running a routine with a
// stop token; stopWorker() asks it to stop and returns at once, and every blocking
// call a routine makes (HTTP transfers, waits) takes the token, so the worker ends
// promptly. A stopped worker has no further effect: results go to the UI thread
// through postResult(), which drops them once the worker was asked to stop.
//
// startWorker/stopWorker/joinWorkers are called on the UI thread; routines run on
// their own threads and reach the UI only through postResult(). A task that belongs to
// an owner runs in that owner's TaskSlot (task_slot.h), which also drops the results
// that are already on their way when the owner stops it or goes.

#include <chrono>
#include <functional>
#include <memory>
#include <stop_token>

namespace vamu::platform {

namespace detail {
struct WorkerState;
}

class Worker {
public:
    Worker() = default;
    [[nodiscard]] bool running() const;
    [[nodiscard]] std::stop_token stopToken() const;
    explicit operator bool() const { return m_state != nullptr; }

private:
    friend Worker startWorker(std::function<void(std::stop_token)> routine);
    friend void stopWorker(Worker& worker);
    std::shared_ptr<detail::WorkerState> m_state;
};

[[nodiscard]] Worker startWorker(std::function<void(std::stop_token)> routine);
// Asks the worker to stop and forgets it; harmless for an ended or empty worker.
void stopWorker(Worker& worker);
// At shutdown: asks every worker to stop and waits up to the deadline for them;
// false when some did not end in time (they are left to the process's end).
bool joinWorkers(std::chrono::milliseconds deadline);
[[nodiscard]] int runningWorkers();

// Runs the call on the UI thread unless the worker was asked to stop first.
void postResult(std::stop_token stop, std::function<void()> call);

// Gives unused heap memory back to the system.
void trimWorkingSet();

// Call first in main, before any thread: all threads share at most kHeapArenas heaps.
// Each worker is a new thread, and by default every thread that allocates while the
// others hold their heaps gets a heap of its own, up to eight per processor. Replies
// and pictures made on a worker outlive it on the UI thread, pinning those heaps, so
// hours of radio grew the process step by step without any leak.
inline constexpr int kHeapArenas = 2;
void limitHeapArenas();

}  // namespace vamu::platform
