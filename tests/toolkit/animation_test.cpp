// State animations, control timers, tooltips and the message-pumping wait.
#include "toolkit/test_support.h"
#include "toolkit/recording_control.h"

#include "platform/ui_thread.h"
#include "toolkit/tooltip_window.h"

#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

namespace vamu::toolkit::test {
namespace {

TEST(StateAnimation, CrossFadesAndEndsOnTheLastFrame) {
    Log log;
    TestHost t({.colour = 0x000000});
    CreateOptions options;
    options.animationFrames = 4;
    options.animationInterval = 15;
    RecordingControl* control = RecordingControl::make(t.host(), QRect(0, 0, 40, 40), "a", &log, 0xFF0000FF, options);
    ASSERT_TRUE(pumpUntil([&] { return !(control->state() & state::kAnimating); }));
    EXPECT_EQ(t.pixel(24, 23), qRgba(0, 0, 255, 255));

    control->setColour(0xFFFF0000);
    EXPECT_TRUE(control->state() & state::kAnimating);
    // Before the first frame the old look is still shown.
    EXPECT_EQ(t.pixel(24, 23), qRgba(0, 0, 255, 255));
    ASSERT_TRUE(pumpUntil([&] { return control->animationFrame() >= 2; }));
    const QRgb middle = t.pixel(24, 23);
    EXPECT_GT(qRed(middle), 0);
    EXPECT_GT(qBlue(middle), 0);
    ASSERT_TRUE(pumpUntil([&] { return !(control->state() & state::kAnimating); }));
    EXPECT_EQ(t.pixel(24, 23), qRgba(255, 0, 0, 255));
    EXPECT_DOUBLE_EQ(control->animationProgress(), 1.0);
    EXPECT_GE(std::count(log.begin(), log.end(), "a:animation-end"), 1);
}

TEST(StateAnimation, AChangeDuringTheAnimationKeepsTheOldLook) {
    Log log;
    TestHost t({.colour = 0x000000});
    CreateOptions options;
    options.animationFrames = 50;
    options.animationInterval = 20;
    RecordingControl* control = RecordingControl::make(t.host(), QRect(0, 0, 40, 40), "a", &log, 0xFF0000FF, options);
    ASSERT_TRUE(pumpUntil([&] { return !(control->state() & state::kAnimating); }, std::chrono::seconds(5)));
    control->setColour(0xFFFF0000);
    control->setColour(0xFF00FF00);  // the fade now runs from blue to green
    ASSERT_TRUE(pumpUntil([&] { return control->animationFrame() >= 10; }));
    const QRgb p = t.pixel(24, 23);
    EXPECT_EQ(qRed(p), 0);
    EXPECT_GT(qGreen(p), 0);
    EXPECT_GT(qBlue(p), 0);
}

TEST(ControlTimer, MessageAndCallbackTimersTickAndStop) {
    Log log;
    TestHost t;
    RecordingControl* control = RecordingControl::make(t.host(), QRect(0, 0, 10, 10), "a", &log);
    control->setTimer(5);
    ASSERT_TRUE(pumpUntil([&] { return std::count(log.begin(), log.end(), "a:timer") >= 2; }));
    control->killTimer();
    const auto ticks = std::count(log.begin(), log.end(), "a:timer");
    pump(std::chrono::milliseconds(40));
    EXPECT_EQ(std::count(log.begin(), log.end(), "a:timer"), ticks);
    int calls = 0;
    EXPECT_TRUE(control->setTimer(5, [&] { ++calls; }));
    ASSERT_TRUE(pumpUntil([&] { return calls >= 2; }));
    control->destroy();
    const int after = calls;
    pump(std::chrono::milliseconds(40));
    EXPECT_EQ(calls, after);  // a destroyed control's timer is gone
}

TEST(Tooltip, ShowsAfterTheDelayOnEnterAndHidesOnLeave) {
    Log log;
    TestHost t;
    RecordingControl* control = RecordingControl::make(t.host(), QRect(0, 0, 50, 50), "a", &log);
    control->setTips(QStringLiteral("提示文字"));
    t.move({20, 20});
    TooltipWindow& tip = t.host().tooltip();
    EXPECT_FALSE(tip.isShown());
    ASSERT_TRUE(pumpUntil([&] { return tip.isShown(); }));
    EXPECT_EQ(tip.text(), QStringLiteral("提示文字"));
    t.move({300, 200});
    EXPECT_FALSE(tip.isShown());
}

TEST(WaitPumping, KeepsTimersPostedCallsAndInputFlowing) {
    Log log;
    TestHost t;
    RecordingControl* control = RecordingControl::make(t.host(), QRect(0, 0, 50, 50), "a", &log);
    control->setTimer(10);
    bool posted = false;
    platform::post(t.host().windowHandle(), [&] { posted = true; });
    // Input arriving during the wait is routed as usual.
    platform::post(t.host().windowHandle(), [&] { t.click({20, 20}); });
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(platform::waitPumpingMessages(200));
    const qint64 elapsed = clock.elapsed();
    EXPECT_GE(elapsed, 195);
    EXPECT_LT(elapsed, 2000);
    EXPECT_TRUE(posted);
    EXPECT_GE(std::count(log.begin(), log.end(), "a:timer"), 5);
    EXPECT_EQ(std::count(log.begin(), log.end(), "a:click@16,17"), 1);
}

TEST(WaitPumping, NestedWaitsEachReturnAfterTheirOwnTime) {
    QElapsedTimer clock;
    clock.start();
    qint64 inner = 0;
    QTimer::singleShot(10, [&] {
        platform::waitPumping(std::chrono::milliseconds(100));
        inner = clock.elapsed();
    });
    platform::waitPumping(std::chrono::milliseconds(30));
    EXPECT_GE(clock.elapsed(), 100);  // the outer wait resumes once the inner one is done
    EXPECT_GE(inner, 100);
}

}  // namespace
}  // namespace vamu::toolkit::test
