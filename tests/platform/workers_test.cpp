// Worker threads: stop requests, results on the UI thread, the bounded join at shutdown.
#include "platform/workers.h"

#include "platform/qt_test_app.h"
#include "platform/system.h"
#include "platform/ui_thread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

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

}  // namespace
}  // namespace vamu::platform
