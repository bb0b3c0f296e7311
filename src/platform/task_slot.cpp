#include "platform/task_slot.h"

#include "platform/ui_thread.h"

namespace vamu::platform {

namespace detail {

// UI thread only: the slot reads and writes it there, and so does every delivery.
struct TaskSlotState {
    std::uint64_t generation = 0;  // of the current task; each start and stop moves it on
    bool pending = false;          // the current task has not delivered its last call yet
};

namespace {

// Whether a delivery of `generation` may still run (on the UI thread).
bool current(const std::weak_ptr<TaskSlotState>& state, std::uint64_t generation, const std::stop_token& stop,
             std::shared_ptr<TaskSlotState>& alive) {
    alive = state.lock();
    // A stop request without a new generation comes from joinWorkers() at shutdown.
    return alive && alive->generation == generation && !stop.stop_requested();
}

}  // namespace

TaskSlotCore::TaskSlotCore() : m_state(std::make_shared<TaskSlotState>()) {}

TaskSlotCore::~TaskSlotCore() { stop(); }

void TaskSlotCore::start(std::function<std::function<void()>(const TaskPoster&)> routine) {
    stop();
    m_state->pending = true;
    const std::uint64_t generation = m_state->generation;
    m_worker =
        startWorker([routine = std::move(routine), state = std::weak_ptr(m_state), generation](std::stop_token stop) {
            const TaskPoster poster(state, generation, stop);
            std::function<void()> last = routine(poster);
            if (stop.stop_requested()) return;  // `last` and what it holds go here
            runOnUi([state, generation, stop, last = std::move(last)] {
                std::shared_ptr<TaskSlotState> alive;
                if (!current(state, generation, stop, alive)) return;
                alive->pending = false;
                if (last) last();
            });
        });
}

void TaskSlotCore::stop() {
    // A new generation even when nothing runs: the last call of an ended task may still
    // be on its way to the UI thread.
    ++m_state->generation;
    m_state->pending = false;
    stopWorker(m_worker);
}

bool TaskSlotCore::running() const { return m_state->pending; }

}  // namespace detail

void TaskPoster::post(std::function<void()> call) const {
    if (!call || m_stop.stop_requested()) return;
    runOnUi([state = m_state, generation = m_generation, stop = m_stop, call = std::move(call)] {
        std::shared_ptr<detail::TaskSlotState> alive;
        if (detail::current(state, generation, stop, alive)) call();
    });
}

}  // namespace vamu::platform
