// Worker threads: stop requests, results on the UI thread, the bounded join at shutdown.
#include "platform/workers.h"

#include "platform/qt_test_app.h"
#include "platform/system.h"
#include "platform/ui_thread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <latch>
#include <string_view>
#include <thread>
#include <vector>

namespace vamu::platform {
namespace {

// Workers still running at the end are stopped before the application goes.
class RuntimeEnvironment : public vamu::test::QtTestEnvironment {
protected:
    void stopping() override { joinWorkers(std::chrono::seconds(5)); }
};

const bool kRegistered = [] {
    ::testing::AddGlobalTestEnvironment(new RuntimeEnvironment);
    return true;
}();

using vamu::test::pumpUntil;

TEST(Workers, StopEndsABlockedWorkerPromptlyAndDropsItsResult) {
    std::atomic<bool> ended{false};
    bool delivered = false;
    Worker worker = startWorker([&](std::stop_token stop) {
        waitFor(std::chrono::seconds(30), stop);
        postResult(stop, [&] { delivered = true; });
        ended = true;
    });
    EXPECT_TRUE(worker.running());
    QElapsedTimer clock;
    clock.start();
    stopWorker(worker);
    EXPECT_FALSE(worker);
    ASSERT_TRUE(pumpUntil([&] { return ended.load(); }));
    EXPECT_LT(clock.elapsed(), 5000);
    waitPumping(std::chrono::milliseconds(20));
    EXPECT_FALSE(delivered);
}

TEST(Workers, ResultsOfARunningWorkerReachTheUiThread) {
    std::thread::id resultThread;
    Worker worker = startWorker(
        [&](std::stop_token stop) { postResult(stop, [&] { resultThread = std::this_thread::get_id(); }); });
    ASSERT_TRUE(pumpUntil([&] { return resultThread != std::thread::id{}; }));
    EXPECT_EQ(resultThread, std::this_thread::get_id());
    ASSERT_TRUE(pumpUntil([&] { return !worker.running(); }));
    stopWorker(worker);  // an ended worker: harmless
}

TEST(Workers, JoinAtShutdownStopsEveryWorker) {
    for (int i = 0; i < 3; ++i) {
        (void)startWorker([](std::stop_token stop) { waitFor(std::chrono::seconds(30), stop); });
    }
    EXPECT_EQ(runningWorkers(), 3);
    EXPECT_TRUE(joinWorkers(std::chrono::seconds(5)));
    EXPECT_EQ(runningWorkers(), 0);
    trimWorkingSet();
}

// The heaps glibc's allocator has, as its own report lists them.
int heapCount() {
    char* text = nullptr;
    std::size_t size = 0;
    FILE* stream = open_memstream(&text, &size);
    if (!stream) return -1;
    malloc_info(0, stream);
    std::fclose(stream);
    int count = 0;
    const std::string_view report(text, size);
    for (auto at = report.find("<heap nr="); at != std::string_view::npos; at = report.find("<heap nr=", at + 1)) ++count;
    std::free(text);
    return count;
}

TEST(Workers, ManyWorkersAllocatingAtOnceShareTheLimitedHeaps) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers bring their own allocator";
#else
    limitHeapArenas();
    const int before = heapCount();
    ASSERT_GT(before, 0);
    constexpr int kWorkers = 8;
    std::latch allocated(kWorkers);
    std::latch counted(1);
    std::vector<Worker> workers;
    for (int i = 0; i < kWorkers; ++i) {
        workers.push_back(startWorker([&](std::stop_token) {
            std::vector<char*> blocks;  // held until counted, so that no heap is free for another
            for (int j = 0; j < 64; ++j) blocks.push_back(static_cast<char*>(std::malloc(4096)));
            allocated.count_down();
            counted.wait();
            for (char* block : blocks) std::free(block);
        }));
    }
    allocated.wait();
    const int during = heapCount();
    counted.count_down();
    EXPECT_TRUE(joinWorkers(std::chrono::seconds(5)));
    // Without the limit each of the eight gets a heap of its own.
    EXPECT_LE(during, std::max(before, kHeapArenas)) << "heaps before: " << before;
#endif
}

}  // namespace
}  // namespace vamu::platform
