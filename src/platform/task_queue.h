#pragma once
// User commands of one kind that must each run to their end, one after another, in the
// order they were given: a second "删除" while the first is under way waits for it
// instead of cancelling it, and each shows its own outcome.
//
// A queue runs its tasks in a TaskSlot, so a task's routine and result follow the slot's
// rules (platform/task_slot.h). A task is prepared on the UI thread when its turn comes,
// not when it is queued, so that it reads what the earlier ones left (the lists as they
// are then). stop() and destroying the queue drop the running task and every waiting one.
//
// Every member is called on the UI thread.

#include "platform/task_slot.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <stop_token>
#include <utility>

namespace vamu::platform {

template <class R>
class TaskQueue {
public:
    using Work = std::function<R(std::stop_token)>;
    // Runs on the UI thread when the task's turn comes; an empty Work skips the task.
    using Prepare = std::function<Work()>;

    TaskQueue() = default;
    TaskQueue(const TaskQueue&) = delete;
    TaskQueue& operator=(const TaskQueue&) = delete;

    // Queues a task whose work is known now.
    void enqueue(Work work, std::function<void(R)> onResult) {
        enqueuePrepared([work = std::move(work)] { return work; }, std::move(onResult));
    }
    // Queues a task whose work is made when its turn comes.
    void enqueuePrepared(Prepare prepare, std::function<void(R)> onResult) {
        m_waiting.push_back({std::move(prepare), std::move(onResult)});
        if (!m_slot.running()) startNext();
    }
    // Drops the running task and every waiting one.
    void stop() {
        m_waiting.clear();
        m_slot.stop();
    }
    // A task runs or waits.
    [[nodiscard]] bool busy() const { return m_slot.running() || !m_waiting.empty(); }
    [[nodiscard]] std::size_t waiting() const { return m_waiting.size(); }

private:
    struct Task {
        Prepare prepare;
        std::function<void(R)> onResult;
    };

    void startNext() {
        while (!m_waiting.empty()) {
            Task task = std::move(m_waiting.front());
            m_waiting.pop_front();
            Work work = task.prepare ? task.prepare() : Work{};
            if (!work) continue;
            m_slot.start(std::move(work), [this, onResult = std::move(task.onResult)](R result) {
                // The next task starts after this one's outcome is shown, so it sees it. An
                // outcome that queued a task has started the next one already.
                if (onResult) onResult(std::move(result));
                if (!m_slot.running()) startNext();
            });
            return;
        }
    }

    std::deque<Task> m_waiting;
    TaskSlot<R> m_slot;  // declared last: destroyed first, before the tasks it may call back
};

}  // namespace vamu::platform
