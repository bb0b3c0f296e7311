// The thunder button with its running focus spot, and the caption buttons.
#include "toolkit/test_support.h"

#include "toolkit/controls/sys_button.h"
#include "toolkit/controls/thunder_button.h"

#include <gtest/gtest.h>

namespace vamu::toolkit::test {
namespace {

TEST(ThunderButton, DrawsTheStripCellOfItsState) {
    const QImage& strip = ThunderButton::strip();
    ASSERT_EQ(strip.size(), QSize(55, 28));
    TestHost t;
    ThunderButton* button = ThunderButton::create(t.host(), QRect(10, 10, 80, 28), {.text = QStringLiteral("Go")});
    EXPECT_FALSE(button->drawTabStop());
    // Corners keep their natural size: the surface's corner is the cell's corner
    // (inside the ring the focus spot may light).
    const auto corner = [&] { return button->surface().pixel(4, 4); };
    EXPECT_EQ(corner(), strip.pixel(0 + 4, 4));
    const QPoint centre = button->absoluteRect().center();
    t.move(centre);
    EXPECT_EQ(corner(), strip.pixel(14 + 4, 4));
    t.press(centre);
    EXPECT_EQ(corner(), strip.pixel(28 + 4, 4));
}

TEST(ThunderButton, SpotRunsClockwiseRoundTheBorder) {
    TestHost t;
    ThunderButton* button = ThunderButton::create(t.host(), QRect(10, 10, 60, 24));
    button->setFocus();
    EXPECT_EQ(button->spot(), QPoint(6, 0));
    EXPECT_EQ(button->spotPhase(), 1);
    struct Step {
        int steps;  // from the start
        QPoint spot;
        int phase;
    };
    // Right to x = width - 2, down to y = height - 4, left to 0, up to 0, again.
    const Step checkpoints[] = {{1, {12, 0}, 1},   {8, {54, 0}, 1},  {9, {58, 0}, 2},  {12, {58, 18}, 2},
                                {13, {58, 20}, 3}, {22, {4, 20}, 3}, {23, {0, 20}, 4}, {26, {0, 2}, 4},
                                {27, {0, 0}, 1},   {28, {6, 0}, 1}};
    int done = 0;
    for (const Step& step : checkpoints) {
        for (; done < step.steps; ++done) button->advanceSpot();
        EXPECT_EQ(button->spot(), step.spot) << step.steps;
        EXPECT_EQ(button->spotPhase(), step.phase) << step.steps;
    }
}

TEST(ThunderButton, FocusStartsTheSpotTimerAndLosingItStops) {
    TestHost t;
    ThunderButton* button = ThunderButton::create(t.host(), QRect(10, 10, 80, 28));
    ThunderButton* other = ThunderButton::create(t.host(), QRect(10, 50, 80, 28));
    const QImage unfocused = button->surface().copy();
    button->setFocus();
    ASSERT_TRUE(pumpUntil([&] { return button->spot() != QPoint(6, 0); }));
    // The spot lights the border ring near it, not the face.
    const QPoint spot = button->spot();
    EXPECT_GT(qGray(button->surface().pixel(spot.x(), 0)), qGray(unfocused.pixel(spot.x(), 0)));
    other->setFocus();
    const QPoint stopped = button->spot();
    pump(std::chrono::milliseconds(250));
    EXPECT_EQ(button->spot(), stopped);
    ASSERT_TRUE(pumpUntil([&] { return !(button->state() & state::kAnimating); }));
    EXPECT_EQ(button->surface(), unfocused);
}

TEST(ThunderButton, HoverFadeWhileFocusedEndsOnTheLatestSpot) {
    TestHost t({.colour = 0xFFFFFF});
    ThunderButton* button = ThunderButton::create(t.host(), QRect(10, 10, 80, 28));
    button->setFocus();
    t.move(button->absoluteRect().center());
    ASSERT_TRUE(button->state() & state::kAnimating);
    // Frames are composed while the spot keeps moving.
    ASSERT_TRUE(pumpUntil([&] { return button->animationFrame() >= 3; }));
    const QPoint p = button->absoluteRect().topLeft() + QPoint(40, 14);
    EXPECT_EQ(qAlpha(t.pixel(p.x(), p.y())), 255);
    ASSERT_TRUE(pumpUntil([&] { return !(button->state() & state::kAnimating); }));
    EXPECT_EQ(button->visualState(), button_state::kHot);
    EXPECT_TRUE(button->isFocused());
}

TEST(SysButton, TakesItsSkinSizeAndActsOnItsWindow) {
    struct Case {
        unsigned kind;
        QSize size;
    };
    const Case cases[] = {{caption::kClose, {39, 19}},  {caption::kMax, {28, 19}},  {caption::kMin, {28, 19}},
                          {caption::kMenu, {28, 19}},   {caption::kSkin, {28, 19}}, {caption::kReport, {28, 19}},
                          {caption::kSetting, {28, 19}}};
    for (const Case& c : cases) {
        TestHost t;
        SysButton* button = SysButton::create(t.host(), c.kind, QPoint(100, 50));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->rect().size(), c.size) << c.kind;
        EXPECT_FALSE(button->focusable());
        int clicks = 0;
        button->bindClick([&](const Event&) { return ++clicks, false; });
        t.click(button->absoluteRect().center());
        pump(std::chrono::milliseconds(20));
        EXPECT_EQ(clicks, 1);
        const int state = t.host().showState();
        switch (c.kind) {
        case caption::kClose:
            EXPECT_TRUE(pumpUntil([&] { return !t.native().isVisible(); }));
            break;
        case caption::kMax:
            EXPECT_EQ(state, 2);
            break;
        case caption::kMin:
            EXPECT_EQ(state, 1);
            break;
        default:
            EXPECT_EQ(state, 0) << c.kind;
            EXPECT_TRUE(t.native().isVisible());
            break;
        }
    }
}

TEST(SysButton, MaxShowsTheRestorePictureWhileTheWindowIsMaximised) {
    // The caption pictures are light glyphs: look at them over black.
    TestHost t({.captionFlags = caption::kClose | caption::kMax, .colour = 0x000000});
    auto* max = dynamic_cast<SysButton*>(t.host().captionControl(caption::kMax));
    ASSERT_NE(max, nullptr);
    QPoint probe;
    const auto look = [&](std::string_view section) { return skinPixel(section, 0, QSize(28, 19), probe, 0xFF000000); };
    // A pixel where the two pictures differ.
    for (int i = 0; i < 28 * 19 && look("SysButton.Max") == look("SysButton.Restore"); ++i) probe = {i % 28, i / 28};
    ASSERT_NE(look("SysButton.Max"), look("SysButton.Restore"));
    const auto shown = [&] {
        const QPoint p = max->absoluteRect().topLeft() + probe;
        return t.pixel(p.x(), p.y());
    };
    EXPECT_EQ(shown(), look("SysButton.Max"));
    t.click(max->absoluteRect().topLeft() + probe);
    ASSERT_TRUE(pumpUntil([&] { return t.host().showState() == 2; }));
    t.move(QPoint(5, 150));  // away, so the fade back to normal runs
    ASSERT_TRUE(pumpUntil([&] { return !(max->state() & state::kAnimating); }));
    EXPECT_EQ(max->section(), "SysButton.Restore");
    EXPECT_EQ(shown(), look("SysButton.Restore"));
    t.host().setShowState(0);
    pump();
    EXPECT_EQ(shown(), look("SysButton.Max"));
}

TEST(SysButton, ANewThemeGivesItsNewSize) {
    TestHost t({.captionFlags = caption::kClose});
    BaseControl* close = t.host().captionControl(caption::kClose);
    ASSERT_NE(dynamic_cast<SysButton*>(close), nullptr);
    EXPECT_EQ(close->rect().size(), QSize(39, 19));
    theme().set("SysButton.Close", "size", "0,0,45,21");
    t.host().setTheme(&theme());
    theme().reset();
    EXPECT_EQ(close->rect().size(), QSize(45, 21));
}

}  // namespace
}  // namespace vamu::toolkit::test
