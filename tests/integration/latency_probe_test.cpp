// The latency probe itself: it sees a handler that holds the UI thread, whether the
// loop or a timer tick ran it, and ignores the test's own work between pumps.
#include "support/latency_probe.h"
#include "support/manual_scheduler.h"
#include "support/ui_driver.h"

#include <gtest/gtest.h>

#include <QTimer>

#include <thread>

namespace vamu::test {
namespace {

using namespace std::chrono_literals;

TEST(LatencyProbe, SeesAHandlerHoldingTheLoopButNotTheTestsOwnWork) {
    LatencyProbe probe;
    UiDriver::pump(100ms);
    EXPECT_GT(probe.samples(), 5);
    EXPECT_LT(probe.worst(), LatencyProbe::kBudget);

    // The test blocks between pumps: not the program's doing.
    std::this_thread::sleep_for(250ms);
    UiDriver::pump(50ms);
    EXPECT_LT(probe.worst(), LatencyProbe::kBudget);

    // An event handler that holds the loop while the test waits for something.
    QTimer::singleShot(20, [] { std::this_thread::sleep_for(250ms); });
    bool later = false;
    QTimer::singleShot(300, [&] { later = true; });
    EXPECT_TRUE(UiDriver::pumpUntil([&] { return later; }, 2s));
    EXPECT_GE(probe.worst(), 200ms);
    EXPECT_LE(probe.worst(), 400ms);
    EXPECT_EQ(probe.worstSpan(), "pumpUntil");
}

TEST(LatencyProbe, SeesATimerTickThatTakesTooLong) {
    LatencyProbe probe;
    ManualScheduler scheduler;
    scheduler.startTimer("slow", 500ms, [] { std::this_thread::sleep_for(150ms); });
    scheduler.startTimer("quick", 100ms, [] {});
    scheduler.advance(400ms);
    EXPECT_LT(probe.worst(), LatencyProbe::kBudget);
    scheduler.advance(100ms);
    EXPECT_GE(probe.worst(), 120ms);
    EXPECT_EQ(probe.worstSpan(), "slow");
}

TEST(LatencyProbe, ANestedLoopThatKeepsPumpingIsNoStall) {
    LatencyProbe probe;
    ManualScheduler scheduler;
    // A tick that waits while pumping, as the player's waits do.
    scheduler.once("waiting", 10ms, [] { UiDriver::pump(300ms); });
    scheduler.advance(10ms);
    EXPECT_LT(probe.worst(), LatencyProbe::kBudget);
    EXPECT_GT(probe.samples(), 10);
}

}  // namespace
}  // namespace vamu::test
