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

// Two of the program's names; each feature declares its own.
constexpr std::string_view kClock = "时钟";
constexpr std::string_view kComments = "弹幕";

TEST(NamedTimers, EachNameHasOneIdAndRestartsWithItsNewPeriod) {
    EXPECT_EQ(timerIdForName(kClock), timerIdForName(std::string(kClock)));  // by its text, not its address
    EXPECT_NE(timerIdForName(kClock), timerIdForName(kComments));
    const platform::WindowHandle window = platform::NativeWindow::create({});
    int slow = 0;
    int fast = 0;
    startTimer(window, kClock, std::chrono::hours(1), [&] { ++slow; });
    startTimer(window, kClock, std::chrono::milliseconds(5), [&] { ++fast; });
    ASSERT_TRUE(pumpUntil([&] { return fast >= 2; }));
    EXPECT_EQ(slow, 0);
    EXPECT_TRUE(isTimerRunning(window, kClock));
    stopTimer(window, kClock);
    stopTimer(window, kClock);     // not running: nothing
    stopTimer(window, kComments);  // never started: nothing
    EXPECT_FALSE(isTimerRunning(window, kClock));
    const int after = fast;
    platform::waitPumping(std::chrono::milliseconds(30));
    EXPECT_EQ(fast, after);
    platform::NativeWindow::destroy(window);
    startTimer(window, kClock, std::chrono::milliseconds(5), [&] { ++fast; });  // gone: nothing
    stopTimer(window, kClock);
    EXPECT_FALSE(isTimerRunning(window, kClock));
}

}  // namespace
}  // namespace vamu::app
