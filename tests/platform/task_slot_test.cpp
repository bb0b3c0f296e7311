// Task slots: a stopped, restarted or destroyed slot never delivers, and frees what it drops.
// Task queues: every queued command runs to its end, in order.
#include "platform/task_slot.h"

#include "platform/task_queue.h"

#include "platform/qt_test_app.h"
#include "platform/ui_thread.h"
#include "support/wait_until.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

namespace vamu::platform {
namespace {

using vamu::test::pumpUntil;

// A result that owns something: counts its own destruction.
class Resource {
public:
    Resource(int value, std::shared_ptr<std::atomic<int>> freed) : m_value(value), m_freed(std::move(freed)) {}
    ~Resource() { ++*m_freed; }
    Resource(const Resource&) = delete;
    Resource& operator=(const Resource&) = delete;
    [[nodiscard]] int value() const { return m_value; }

private:
    int m_value = 0;
    std::shared_ptr<std::atomic<int>> m_freed;
};
using Result = std::unique_ptr<Resource>;

// A feature-like owner whose result handler touches its own members, as real ones do.
struct Owner {
    TaskSlot<Result> slot;
    std::vector<int> delivered;

    void start(std::function<Result(std::stop_token)> work, int* callbacks) {
        slot.start(std::move(work), [this, callbacks](Result result) {
            ++*callbacks;
            delivered.push_back(result->value());
        });
    }
};

// Lets a routine that ignores its stop token go on when the test says so.
struct Gate {
    std::atomic<bool> open{false};
    void wait() const {
        ASSERT_TRUE(test::waitUntil([this] { return open.load(); }));
    }
};

TEST(TaskSlot, DestroyedOwnerGetsNoCallbackAndTheResultIsFreed) {
    // Whether the task still works when its owner goes, or its result is already queued
    // for the UI thread: either way nothing runs for the gone owner.
    for (const bool resultQueued : {false, true}) {
        SCOPED_TRACE(resultQueued ? "result queued" : "task working");
        const auto freed = std::make_shared<std::atomic<int>>(0);
        const auto gate = std::make_shared<Gate>();
        gate->open = resultQueued;
        int callbacks = 0;
        auto owner = std::make_unique<Owner>();
        // Deliberately deaf to the stop request: a routine blocked in a call without a token.
        owner->start(
            [gate, freed](std::stop_token) {
                gate->wait();
                return std::make_unique<Resource>(7, freed);
            },
            &callbacks);
        ASSERT_TRUE(owner->slot.running());
        if (resultQueued) {
            // Without pumping, so the result waits in the UI thread's queue.
            ASSERT_TRUE(test::waitUntil([] { return runningWorkers() == 0; }));
        }
        owner.reset();
        gate->open = true;
        ASSERT_TRUE(pumpUntil([&] { return freed->load() == 1; }));
        ASSERT_TRUE(test::waitUntil([] { return runningWorkers() == 0; }));
        waitPumping(std::chrono::milliseconds(20));
        EXPECT_EQ(callbacks, 0);
        EXPECT_EQ(freed->load(), 1);
    }
}

TEST(TaskSlot, RestartAndStopDropTheOlderResults) {
    const auto freed = std::make_shared<std::atomic<int>>(0);
    int callbacks = 0;
    Owner owner;
    // The first task honours its token; its result, made after the stop, is dropped.
    owner.start(
        [freed](std::stop_token stop) {
            waitFor(std::chrono::seconds(30), stop);
            return std::make_unique<Resource>(1, freed);
        },
        &callbacks);
    owner.start([freed](std::stop_token) { return std::make_unique<Resource>(2, freed); }, &callbacks);
    ASSERT_TRUE(pumpUntil([&] { return !owner.slot.running(); }));
    ASSERT_TRUE(pumpUntil([&] { return freed->load() == 2; }));  // both, the delivered one after its handler
    EXPECT_EQ(owner.delivered, std::vector<int>{2});
    EXPECT_EQ(callbacks, 1);

    // An ended task whose result waits in the queue, then stop(): dropped too.
    owner.start([freed](std::stop_token) { return std::make_unique<Resource>(3, freed); }, &callbacks);
    ASSERT_TRUE(test::waitUntil([] { return runningWorkers() == 0; }));
    owner.slot.stop();
    EXPECT_FALSE(owner.slot.running());
    ASSERT_TRUE(pumpUntil([&] { return freed->load() == 3; }));
    waitPumping(std::chrono::milliseconds(20));
    EXPECT_EQ(owner.delivered, std::vector<int>{2});

    // A handler may restart its own slot; the new task runs to its end.
    owner.slot.start([](std::stop_token) { return Result{}; },
                     [&](Result) {
                         owner.start([freed](std::stop_token) { return std::make_unique<Resource>(4, freed); },
                                     &callbacks);
                     });
    ASSERT_TRUE(pumpUntil([&] { return owner.delivered.size() == 2; }));
    EXPECT_EQ(owner.delivered.back(), 4);
}

TEST(TaskSlot, PostedProgressArrivesInOrderBeforeTheEnd) {
    TaskSlot<void> slot;
    const auto seen = std::make_shared<std::vector<int>>();  // touched on the UI thread only
    const auto gate = std::make_shared<Gate>();
    slot.start(
        [seen, gate](const TaskPoster& poster) {
            for (int step = 1; step <= 5; ++step) {
                poster.post([seen, step] { seen->push_back(step); });
                if (step == 3) gate->wait();
            }
        },
        [seen] { seen->push_back(0); });
    ASSERT_TRUE(pumpUntil([&] { return seen->size() == 3; }));
    EXPECT_TRUE(slot.running());
    gate->open = true;
    ASSERT_TRUE(pumpUntil([&] { return !slot.running(); }));
    EXPECT_EQ(*seen, (std::vector<int>{1, 2, 3, 4, 5, 0}));

    // Progress posted after a stop never arrives, nor does the end.
    seen->clear();
    gate->open = false;
    slot.start(
        [seen, gate](const TaskPoster& poster) {
            gate->wait();
            poster.post([seen] { seen->push_back(1); });
        },
        [seen] { seen->push_back(0); });
    slot.stop();
    gate->open = true;
    ASSERT_TRUE(test::waitUntil([] { return runningWorkers() == 0; }));
    waitPumping(std::chrono::milliseconds(20));
    EXPECT_TRUE(seen->empty());
}

TEST(TaskQueue, EveryCommandRunsToItsEndInOrderAndStopDropsTheWaitingOnes) {
    TaskQueue<int> queue;
    std::vector<int> outcomes;
    std::vector<int> preparedWith;  // what the outcomes were when each task's turn came
    const auto command = [&](int value, std::chrono::milliseconds slow) {
        queue.enqueuePrepared(
            [&, value, slow] {
                preparedWith.push_back(static_cast<int>(outcomes.size()));
                return TaskQueue<int>::Work([value, slow](std::stop_token stop) {
                    waitFor(slow, stop);
                    return value;
                });
            },
            [&](int result) { outcomes.push_back(result); });
    };
    // A slow first command does not give way to the quick ones after it.
    command(1, std::chrono::milliseconds(150));
    command(2, std::chrono::milliseconds(0));
    command(3, std::chrono::milliseconds(0));
    EXPECT_EQ(queue.waiting(), 2u);
    ASSERT_TRUE(pumpUntil([&] { return !queue.busy(); }));
    EXPECT_EQ(outcomes, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(preparedWith, (std::vector<int>{0, 1, 2}));

    // stop() drops what runs and what waits; the queue takes commands again afterwards.
    command(4, std::chrono::seconds(30));
    command(5, std::chrono::milliseconds(0));
    queue.stop();
    EXPECT_FALSE(queue.busy());
    command(6, std::chrono::milliseconds(0));
    ASSERT_TRUE(pumpUntil([&] { return !queue.busy(); }));
    waitPumping(std::chrono::milliseconds(20));
    EXPECT_EQ(outcomes, (std::vector<int>{1, 2, 3, 6}));
}

}  // namespace
}  // namespace vamu::platform
