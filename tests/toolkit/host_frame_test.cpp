// Host window frame, caption and geometry.
#include "toolkit/test_support.h"
#include "toolkit/recording_control.h"

#include "platform/system.h"
#include "toolkit/controls/control.h"

#include <gtest/gtest.h>

namespace vamu::toolkit::test {
namespace {

TEST(HostFrame, LayeredWindowHasContentRectShadowRingAndBorderLines) {
    TestHost t({.size = {400, 300}, .alpha = 0, .colour = -1});
    const Frame& frame = t.host().frame();
    EXPECT_EQ(frame.contentRect, QRect(QPoint(4, 3), QPoint(395, 294)));  // right/bottom 396, 295 exclusive
    EXPECT_EQ(frame.cornerRadius, 3);
    EXPECT_EQ(frame.captionHeight, 26);
    EXPECT_EQ(frame.captionTopOffset, 5);

    // Outer line 0x51000000 at the content edge, inner 0x33FFFFFF one pixel inside.
    EXPECT_EQ(t.pixel(4, 150), qRgba(0, 0, 0, 0x51));
    EXPECT_EQ(t.pixel(5, 150), qRgba(255, 255, 255, 0x33));
    EXPECT_EQ(t.pixel(200, 3), qRgba(0, 0, 0, 0x51));
    EXPECT_EQ(t.pixel(395, 150), qRgba(0, 0, 0, 0x51));
    EXPECT_EQ(t.pixel(200, 294), qRgba(0, 0, 0, 0x51));
    // The shadow lies in the margins only; the transparent content stays clear.
    EXPECT_GT(qAlpha(t.pixel(1, 150)), 0);
    EXPECT_GT(qAlpha(t.pixel(200, 297)), 0);
    EXPECT_EQ(qAlpha(t.pixel(200, 150)), 0);
}

TEST(HostFrame, LayeredWindowWithoutShadowLeavesItsMarginsClear) {
    TestHost t({.size = {400, 300}, .alpha = 0, .colour = -1, .shadow = false});
    EXPECT_EQ(t.host().frame().contentRect.topLeft(), QPoint(4, 3));  // the content stays where it was
    for (const QPoint p : {QPoint(1, 150), QPoint(200, 297), QPoint(0, 0), QPoint(398, 298), QPoint(200, 1)}) {
        EXPECT_EQ(qAlpha(t.pixel(p.x(), p.y())), 0) << p.x() << "," << p.y();
    }
    EXPECT_EQ(t.pixel(4, 150), qRgba(0, 0, 0, 0x51));  // the border lines are the caller's to choose
}

TEST(HostFrame, WindowWithoutAlphaHasRoundedRegionAndNoShadow) {
    TestHost t({.size = {400, 300}, .alpha = -1, .colour = 0x00FF00});
    EXPECT_EQ(t.pixel(1, 150), qRgba(0, 0, 0, 0));
    EXPECT_EQ(qAlpha(t.pixel(200, 150)), 255);
    EXPECT_EQ(t.pixel(200, 150), qRgba(0, 255, 0, 255));  // Windows colour: red in the low byte
    const QRegion clip = t.host().clipRegion();
    EXPECT_TRUE(clip.contains(QPoint(6, 150)));
    EXPECT_FALSE(clip.contains(QPoint(4, 150)));  // the outer border line is never painted over
}

TEST(HostFrame, ControlAtOriginSitsAtTheContentCorner) {
    Log log;
    TestHost t({.colour = 0xFFFFFF});
    RecordingControl* control = RecordingControl::make(t.host(), QRect(0, 0, 20, 10), "a", &log, 0xFF0000FF);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->absoluteRect(), QRect(4, 3, 20, 10));
    EXPECT_EQ(t.pixel(6, 5), qRgba(0, 0, 255, 255));
    EXPECT_EQ(t.pixel(25, 8), qRgba(255, 255, 255, 255));
}

TEST(HostFrame, CaptionButtonsRunRightToLeftFromTheTheme) {
    TestHost t({.captionFlags = caption::kIcon | caption::kTitle | caption::kClose | caption::kMax | caption::kMin |
                                caption::kMenu | caption::kSkin | caption::kReport | caption::kSetting});
    struct Case {
        unsigned flag;
        QRect rect;  // control coordinates
    };
    // Content width 392, "offsetright" -1: the close button ends at 391.
    const Case cases[] = {{caption::kClose, {352, 0, 39, 19}},   {caption::kMax, {324, 0, 28, 19}},
                          {caption::kMin, {296, 0, 28, 19}},     {caption::kMenu, {268, 0, 28, 19}},
                          {caption::kSkin, {240, 0, 28, 19}},    {caption::kReport, {212, 0, 28, 19}},
                          {caption::kSetting, {184, 0, 28, 19}}, {caption::kIcon, {4, 5, 16, 16}}};
    for (const Case& c : cases) {
        const BaseControl* control = t.host().captionControl(c.flag);
        ASSERT_NE(control, nullptr) << c.flag;
        EXPECT_EQ(control->rect(), c.rect) << c.flag;
    }
    EXPECT_EQ(t.host().captionControl(caption::kTitle)->left(), 22);
    // The close button shows its normal skin, and its highlight under the mouse.
    const QPoint probe(8, 10);
    const QRgb white = qRgba(255, 255, 255, 255);
    const QRgb normal = skinPixel("SysButton.Close", 0, {39, 19}, probe, white);
    const QRgb highlight = skinPixel("SysButton.Close", state::kHot, {39, 19}, probe, white);
    ASSERT_NE(normal, highlight);
    EXPECT_EQ(t.pixel(4 + 352 + probe.x(), 3 + probe.y()), normal);
    t.move({4 + 352 + probe.x(), 3 + probe.y()});
    ASSERT_TRUE(pumpUntil([&] { return t.pixel(4 + 352 + probe.x(), 3 + probe.y()) == highlight; }));
}

TEST(HostFrame, AutomaticCaptionFollowsTheWindowStyleAndSettingsButtonIsAbsent) {
    TestHost t({.captionFlags = caption::kAuto});
    EXPECT_EQ(t.host().captionFlags(),
              caption::kIcon | caption::kTitle | caption::kClose | caption::kMax | caption::kMin);
    EXPECT_EQ(t.host().captionControl(caption::kSetting), nullptr);
}

TEST(HostFrame, DefaultNativeWindowIsCentredInTheWorkArea) {
    const platform::WindowHandle handle = createNativeWindow({});
    const QRect area = platform::workArea();
    const QRect geometry = platform::NativeWindow::find(handle)->geometry();
    EXPECT_EQ(geometry.size(), QSize(380, 250));
    EXPECT_EQ(geometry.topLeft(), QPoint(area.x() + (area.width() - 380) / 2, area.y() + (area.height() - 250) / 2));
    platform::NativeWindow::destroy(handle);
}

TEST(HostFrame, AttachRefusesAStaleHandleAndASecondAttach) {
    TestHost t;
    HostWindow other;
    EXPECT_FALSE(other.attach(t.host().windowHandle()));
    EXPECT_FALSE(t.host().attach(t.host().windowHandle()));
    EXPECT_FALSE(other.attach(platform::WindowHandle{999999}));
}

TEST(HostFrame, MaximisingPutsTheShadowOffScreen) {
    TestHost t({.alpha = 255, .captionFlags = caption::kClose | caption::kMax});
    t.host().setShowState(2);
    pump();
    const QRect area = platform::workArea();
    EXPECT_EQ(t.host().showState(), 2);
    EXPECT_EQ(t.host().geometry(), QRect(area.x() - 5, area.y() - 4, area.width() + 10, area.height() + 10));
    // The content rectangle now covers the work area (and one pixel beyond).
    const QRect content = t.host().frame().contentRect.translated(t.host().geometry().topLeft());
    EXPECT_TRUE(content.contains(area));
    t.host().setShowState(0);
    pump();
    EXPECT_EQ(t.host().geometry(), QRect(100, 100, 400, 300));
}

TEST(HostFrame, OwnedWindowReadsTheSubWindowShadow) {
    TestHost owner;
    theme().set("SysShadow.SubWnd", "margin", "6,6,-6,-6");
    TestHost owned({.owner = owner.host().windowHandle()});
    theme().reset();
    EXPECT_EQ(owned.host().frame().contentRect.topLeft(), QPoint(6, 6));
}

TEST(HostFrame, ResizeRelaysOutAnchoredControlsAndCaption) {
    Log log;
    TestHost t({.captionFlags = caption::kClose});
    RecordingControl* control = RecordingControl::make(t.host(), QRect(10, 40, 100, 20), "a", &log);
    control->setLockPos(true, true, true, false);  // stretches with the width
    RecordingControl* corner = RecordingControl::make(t.host(), QRect(300, 250, 20, 20), "b", &log);
    corner->setLockPos(false, false, true, true);
    t.host().move(std::nullopt, std::nullopt, 500, 350);
    pump();
    EXPECT_EQ(control->rect(), QRect(10, 40, 200, 20));
    EXPECT_EQ(corner->rect(), QRect(400, 300, 20, 20));
    EXPECT_EQ(t.host().captionControl(caption::kClose)->rect(), QRect(452, 0, 39, 19));
}

TEST(HostFrame, BackgroundPictureWithoutColourTakesItsAverageColour) {
    TestHost t;
    QImage picture(4, 2, QImage::Format_ARGB32_Premultiplied);
    picture.fill(QColor(255, 0, 0));
    for (int x = 0; x < 4; ++x) picture.setPixelColor(x, 1, QColor(0, 0, 255));
    t.host().setBackground(picture, -1);
    EXPECT_EQ(t.host().backgroundColour(), 127 | (127 << 16));  // red low, blue high
    t.host().setBackground(QImage(), 0x00FF00);
    EXPECT_EQ(t.pixel(200, 150), qRgba(0, 255, 0, 255));
}

TEST(HostFrame, MinimumSizeMakesRoomForTheCaption) {
    TestHost t({.captionFlags = caption::kIcon | caption::kTitle | caption::kClose | caption::kMax | caption::kMin});
    // Margins 8 + 8, buttons 39 + 28 + 28, the icon 16 + 2 x 4, and "offsetright" -1.
    EXPECT_EQ(t.host().minimumTrackSize(), QSize(8 + 95 + 24 + 1, 8 + 26));
    t.host().setTrackSizes(QSize(200, 20), QSize(800, 600));
    EXPECT_EQ(t.host().minimumTrackSize(), QSize(200, 34));
    EXPECT_EQ(t.host().maximumTrackSize(), QSize(800, 600));
}

}  // namespace
}  // namespace vamu::toolkit::test
