#include "platform/workers.h"

#include "platform/ui_thread.h"

#include <malloc.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace vamu::platform {

namespace detail {
struct WorkerState {
    std::jthread thread;
    std::atomic<bool> finished{false};
};
}  // namespace detail

namespace {

struct Pool {
    std::mutex mutex;  // guards workers
    std::condition_variable ended;
    std::vector<std::shared_ptr<detail::WorkerState>> workers;
};

Pool& pool() {
    static Pool instance;
    return instance;
}

// Joins workers whose routine has returned (their join does not wait).
void reapFinished() {
    std::vector<std::shared_ptr<detail::WorkerState>> done;
    {
        std::lock_guard lock(pool().mutex);
        auto& workers = pool().workers;
        for (auto it = workers.begin(); it != workers.end();) {
            if ((*it)->finished.load()) {
                done.push_back(std::move(*it));
                it = workers.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& state : done) {
        if (state->thread.joinable()) state->thread.join();
    }
}

}  // namespace

bool Worker::running() const { return m_state && !m_state->finished.load(); }

std::stop_token Worker::stopToken() const { return m_state ? m_state->thread.get_stop_token() : std::stop_token{}; }

Worker startWorker(std::function<void(std::stop_token)> routine) {
    reapFinished();
    Worker worker;
    if (!routine) return worker;
    auto state = std::make_shared<detail::WorkerState>();
    {
        std::lock_guard lock(pool().mutex);
        pool().workers.push_back(state);
    }
    // The routine holds its state too, so a worker left running at shutdown (detached)
    // still has it; the routine's copy goes when the routine returns.
    state->thread = std::jthread([routine = std::move(routine), self = state](std::stop_token stop) mutable {
        routine(stop);
        {
            std::lock_guard lock(pool().mutex);
            self->finished.store(true);
        }
        pool().ended.notify_all();
    });
    worker.m_state = std::move(state);
    return worker;
}

void stopWorker(Worker& worker) {
    if (worker.m_state) worker.m_state->thread.request_stop();
    worker.m_state.reset();
    reapFinished();
}

bool joinWorkers(std::chrono::milliseconds deadline) {
    std::vector<std::shared_ptr<detail::WorkerState>> workers;
    {
        std::unique_lock lock(pool().mutex);
        for (auto& state : pool().workers) state->thread.request_stop();
        pool().ended.wait_for(lock, deadline, [] {
            for (const auto& state : pool().workers) {
                if (!state->finished.load()) return false;
            }
            return true;
        });
        workers.swap(pool().workers);
    }
    bool all = true;
    for (auto& state : workers) {
        if (state->finished.load()) {
            state->thread.join();
        } else {
            all = false;
            state->thread.detach();
        }
    }
    return all;
}

int runningWorkers() {
    std::lock_guard lock(pool().mutex);
    int count = 0;
    for (const auto& state : pool().workers) count += state->finished.load() ? 0 : 1;
    return count;
}

void postResult(std::stop_token stop, std::function<void()> call) {
    if (stop.stop_requested()) return;
    runOnUi([stop = std::move(stop), call = std::move(call)] {
        if (!stop.stop_requested()) call();
    });
}

void trimWorkingSet() { malloc_trim(0); }

void limitHeapArenas() { mallopt(M_ARENA_MAX, kHeapArenas); }

}  // namespace vamu::platform
