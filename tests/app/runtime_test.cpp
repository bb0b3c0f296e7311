// Named timers and worker threads.
#include "app/timers.h"
#include "app/workers.h"

#include "platform/qt_test_app.h"
#include "platform/system.h"
#include "platform/ui_thread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace vamu::app {
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

TEST(NamedTimers, EachNameHasOneIdAndRestartsWithItsNewPeriod) {
    EXPECT_EQ(timerIdForName(timer_name::kClock), timerIdForName("时钟"));
    EXPECT_NE(timerIdForName(timer_name::kClock), timerIdForName(timer_name::kComments));
    const platform::WindowHandle window = platform::NativeWindow::create({});
    int slow = 0;
    int fast = 0;
    startTimer(window, timer_name::kClock, std::chrono::hours(1), [&] { ++slow; });
    startTimer(window, timer_name::kClock, std::chrono::milliseconds(5), [&] { ++fast; });
    ASSERT_TRUE(pumpUntil([&] { return fast >= 2; }));
    EXPECT_EQ(slow, 0);
    EXPECT_TRUE(isTimerRunning(window, timer_name::kClock));
    stopTimer(window, timer_name::kClock);
    stopTimer(window, timer_name::kClock);         // not running: nothing
    stopTimer(window, timer_name::kDownloadClock);  // never started: nothing
    EXPECT_FALSE(isTimerRunning(window, timer_name::kClock));
    const int after = fast;
    platform::waitPumping(std::chrono::milliseconds(30));
    EXPECT_EQ(fast, after);
    platform::NativeWindow::destroy(window);
    startTimer(window, timer_name::kClock, std::chrono::milliseconds(5), [&] { ++fast; });  // gone: nothing
    stopTimer(window, timer_name::kClock);
    EXPECT_FALSE(isTimerRunning(window, timer_name::kClock));
}

TEST(Workers, StopEndsABlockedWorkerPromptlyAndDropsItsResult) {
    std::atomic<bool> ended{false};
    bool delivered = false;
    Worker worker = startWorker([&](std::stop_token stop) {
        platform::waitFor(std::chrono::seconds(30), stop);
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
    platform::waitPumping(std::chrono::milliseconds(20));
    EXPECT_FALSE(delivered);
}

TEST(Workers, ResultsOfARunningWorkerReachTheUiThread) {
    std::thread::id resultThread;
    Worker worker = startWorker([&](std::stop_token stop) {
        postResult(stop, [&] { resultThread = std::this_thread::get_id(); });
    });
    ASSERT_TRUE(pumpUntil([&] { return resultThread != std::thread::id{}; }));
    EXPECT_EQ(resultThread, std::this_thread::get_id());
    ASSERT_TRUE(pumpUntil([&] { return !worker.running(); }));
    stopWorker(worker);  // an ended worker: harmless
}

TEST(Workers, JoinAtShutdownStopsEveryWorker) {
    for (int i = 0; i < 3; ++i) {
        (void)startWorker([](std::stop_token stop) { platform::waitFor(std::chrono::seconds(30), stop); });
    }
    EXPECT_EQ(runningWorkers(), 3);
    EXPECT_TRUE(joinWorkers(std::chrono::seconds(5)));
    EXPECT_EQ(runningWorkers(), 0);
    trimWorkingSet();
}

}  // namespace
}  // namespace vamu::app
