// The comment strip and the now-playing window: where they start, the slide of the
// now-playing window, and the top that a drag stores in 提示顶边.
#include "app/comment_strip_window.h"
#include "app/now_playing_window.h"
#include "core/settings.h"
#include "core/settings_fixture.h"
#include "app/window_settings.h"
#include "platform/system.h"
#include "support/ui_driver.h"

#include <gtest/gtest.h>

namespace vamu::app {
using namespace vamu::core;  // the settings file
namespace {

using test::UiDriver;
using namespace std::chrono_literals;

class NowPlayingTest : public SettingsTest {
protected:
    std::unique_ptr<NowPlayingWindow> open() {
        return std::make_unique<NowPlayingWindow>(nowPlayingTopSetting(), storeNowPlayingTop);
    }
    static int screenRight() { return platform::screenGeometry().x() + platform::screenGeometry().width(); }
    static bool shown(NowPlayingWindow& window) { return window.host().nativeWindow()->isVisible(); }
};

TEST_F(NowPlayingTest, StartsHiddenBeyondTheRightEdgeAtTheStoredTop) {
    const QRect screen = platform::screenGeometry();
    {
        const auto window = open();  // 提示顶边 missing reads 0
        ASSERT_TRUE(window->valid());
        EXPECT_EQ(window->host().top(), screen.height() - 160);
        EXPECT_EQ(window->host().left(), screenRight());
        EXPECT_EQ(window->host().geometry().size(), QSize(260, 80));
        EXPECT_FALSE(shown(*window));
    }
    writeSetting(setting::kNowPlayingTop, "0", CreateFolder::Yes);
    EXPECT_EQ(open()->host().top(), screen.height() - 160);
    writeSetting(setting::kNowPlayingTop, "123", CreateFolder::Yes);
    EXPECT_EQ(open()->host().top(), 123);
    // Opening and placing the window stores nothing.
    EXPECT_EQ(readSetting(setting::kNowPlayingTop), "123");
}

TEST_F(NowPlayingTest, SlidesInRestsAndSlidesOutAgainAndANewTitleRestartsIt) {
    const auto window = open();
    window->slideIn(QStringLiteral("夜空中最亮的星"));
    EXPECT_EQ(window->phase(), NowPlayingWindow::Phase::SlidingIn);
    EXPECT_TRUE(shown(*window));
    EXPECT_EQ(window->title(), QStringLiteral("夜空中最亮的星"));
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return window->phase() == NowPlayingWindow::Phase::Resting; }, 5s));
    EXPECT_EQ(window->host().left(), screenRight() - 260 - 2);

    window->slideIn(QStringLiteral("Hey Jude"));
    EXPECT_EQ(window->phase(), NowPlayingWindow::Phase::SlidingIn);
    EXPECT_EQ(window->host().left(), screenRight());
    EXPECT_EQ(window->title(), QStringLiteral("Hey Jude"));
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return window->phase() == NowPlayingWindow::Phase::SlidingOut; }, 10s));
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return window->phase() == NowPlayingWindow::Phase::Hidden; }, 5s));
    EXPECT_FALSE(shown(*window));
    EXPECT_EQ(window->host().left(), screenRight());
    // The slide moves the window sideways only: nothing was stored.
    EXPECT_EQ(readSetting(setting::kNowPlayingTop), "0");
}

TEST_F(NowPlayingTest, DraggingToAnotherHeightStoresTheTopAndDraggingSidewaysDoesNot) {
    const auto window = open();
    const int start = window->host().top();
    window->slideIn(QStringLiteral("稻香"));
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return window->phase() == NowPlayingWindow::Phase::Resting; }, 5s));
    const int left = window->host().left();

    UiDriver::dragWindow(window->host(), QPoint(200, 6), QPoint(-40, 0));
    ASSERT_EQ(window->host().left(), left - 40);
    EXPECT_EQ(window->host().top(), start);
    EXPECT_EQ(readSetting(setting::kNowPlayingTop.name, "missing"), "missing");

    UiDriver::dragWindow(window->host(), QPoint(200, 6), QPoint(0, -50));
    EXPECT_EQ(window->host().top(), start - 50);
    EXPECT_EQ(readSettingInt(setting::kNowPlayingTop), start - 50);
    // The next slide keeps the new height.
    window->slideIn(QStringLiteral("后来"));
    EXPECT_EQ(window->host().top(), start - 50);
}

TEST(CommentStripWindow, SpansTheScreenLessThreeHundredAtTheTopAndFollowsTheSwitch) {
    const QRect screen = platform::screenGeometry();
    CommentStripWindow strip(false);
    ASSERT_TRUE(strip.valid());
    EXPECT_FALSE(strip.isShown());
    const QRect place = strip.host().geometry();
    EXPECT_EQ(place.width(), screen.width() - 300);
    EXPECT_EQ(place.height(), 150);
    EXPECT_EQ(place.top(), 1);
    EXPECT_EQ(place.center().x(), platform::workArea().center().x());
    EXPECT_FALSE(strip.host().movable());
    EXPECT_NE(strip.host().nativeWindow()->flags() & platform::window_flag::kToolWindow, 0u);
    EXPECT_NE(strip.host().nativeWindow()->flags() & platform::window_flag::kLayered, 0u);
    strip.setShown(true);
    EXPECT_TRUE(strip.isShown());
    strip.setShown(false);
    EXPECT_FALSE(strip.isShown());
}

TEST(CommentStripWindow, WithoutCommentsNothingOfItIsVisible) {
    CommentStripWindow strip(true);
    ASSERT_TRUE(strip.valid());
    UiDriver::pump(50ms);
    const QImage& drawn = strip.host().nativeWindow()->backBuffer();
    ASSERT_FALSE(drawn.isNull());
    int visible = 0;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) visible += qAlpha(drawn.pixel(x, y)) != 0;
    }
    EXPECT_EQ(visible, 0);  // no shadow ring or frame left over the desktop
}

}  // namespace
}  // namespace vamu::app
