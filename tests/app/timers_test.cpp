// Named timers of the program's windows.
#include "app/timers.h"

#include "platform/qt_test_app.h"
#include "platform/ui_thread.h"

#include <gtest/gtest.h>

namespace vamu::app {
namespace {

const bool kRegistered = [] {
    ::testing::AddGlobalTestEnvironment(new vamu::test::QtTestEnvironment);
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
    stopTimer(window, timer_name::kClock);          // not running: nothing
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

}  // namespace
}  // namespace vamu::app
