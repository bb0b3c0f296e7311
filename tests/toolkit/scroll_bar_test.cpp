// The scroll bar: range and clamping, layout, line and page steps with auto-repeat,
// thumb dragging, the wheel, and what it paints.
#include "toolkit/lists_test_support.h"

#include "toolkit/controls/control_properties.h"
#include "toolkit/controls/scroll_bar.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace vamu::toolkit::test {
namespace {

using Reports = std::vector<std::pair<int, ScrollCode>>;

struct Bar {
    explicit Bar(Orientation orientation = Orientation::Horizontal, QRect rect = QRect(10, 10, 120, 10)) {
        bar = ScrollBar::create(t.host(), rect, orientation);
        bar->bindScroll([this](ScrollBar&, int position, ScrollCode code) { reports.emplace_back(position, code); });
    }
    // The middle of a part, in the bar's coordinates.
    QPoint middle(const QRect& part) const { return part.center(); }
    void tick() { bar->dispatch(platform::msg::kTimer); }

    TestHost t;
    ScrollBar* bar = nullptr;
    Reports reports;
};

TEST(ScrollBar, StartsWithItsDefaults) {
    Bar b;
    EXPECT_EQ(b.bar->pos(), 0);
    EXPECT_EQ(b.bar->minPos(), 0);
    EXPECT_EQ(b.bar->maxPos(), 100);
    EXPECT_EQ(b.bar->pageChange(), 10);
    EXPECT_EQ(b.bar->lineChange(), 1);
    EXPECT_TRUE(b.bar->trackEvent());
    EXPECT_EQ(b.bar->bFlags(), 7);
    EXPECT_TRUE(b.bar->focusable());
    EXPECT_FALSE(b.bar->tabStop());
    EXPECT_EQ(b.bar->className(), "ScrollBar");
    EXPECT_EQ(b.bar->kind(), kind::kScrollBar);
}

TEST(ScrollBar, PositionStaysInsideTheRangeLessTheView) {
    struct Case {
        int minimum, maximum, view, requested, expected;
    };
    const Case cases[] = {
        {0, 100, 0, 150, 100}, {0, 100, 0, -5, 0},   {0, 100, 20, 100, 80}, {-50, 50, 10, -80, -50},
        {-50, 50, 10, 45, 40}, {0, 100, 100, 30, 0}, {0, 100, 250, 30, 0},  {10, 5, 0, 7, 10},
    };
    for (const Case& c : cases) {
        Bar b;
        b.bar->setViewPos(c.view);
        b.bar->setRange(c.minimum, c.maximum);
        b.bar->setPos(c.requested);
        EXPECT_EQ(b.bar->pos(), c.expected) << c.minimum << ".." << c.maximum << " view " << c.view;
    }
}

TEST(ScrollBar, SettersReportOnlyWhenAskedAndRangeChangesReportTheClamp) {
    Bar b;
    b.bar->setPos(40);
    EXPECT_TRUE(b.reports.empty());
    b.bar->setPos(50, ScrollBar::Notify::Yes);
    EXPECT_EQ(b.reports, (Reports{{50, ScrollCode::Set}}));
    EXPECT_FALSE(b.bar->setPos(50, ScrollBar::Notify::Yes));  // unchanged: nothing more
    EXPECT_EQ(b.reports.size(), 1u);
    b.reports.clear();
    b.bar->setMaxPos(30);  // below the position: clamped and reported
    EXPECT_EQ(b.bar->pos(), 30);
    b.bar->setViewPos(10);
    EXPECT_EQ(b.bar->pos(), 20);
    b.bar->setMinPos(25);
    EXPECT_EQ(b.bar->pos(), 25);
    b.bar->setMaxPos(200);  // no clamp, no report
    EXPECT_EQ(b.reports, (Reports{{30, ScrollCode::Set}, {20, ScrollCode::Set}, {25, ScrollCode::Set}}));
}

TEST(ScrollBar, PropertiesByNameFollowTheMethodMap) {
    Bar b;
    ScrollBar& bar = *b.bar;
    struct Case {
        const char* name;
        const char* text;
        long long read;
    };
    const Case cases[] = {{"MaxPos", "60", 60},   {"ViewPos", "10", 10}, {"PageChange", "7", 7}, {"LineChange", "2", 2},
                          {"TrackEvent", "0", 0}, {"bFlags", "5", 5},    {"hFlags", "16", 16},   {"MinPos", "-5", -5},
                          {"Pos", "80", 50}};  // clamped to MaxPos - ViewPos
    for (const Case& c : cases) {
        EXPECT_TRUE(setPropertyFromText(bar, c.name, c.text)) << c.name;
        const auto read = getProperty(bar, c.name);
        ASSERT_TRUE(read) << c.name;
        EXPECT_EQ(std::get<long long>(read->front()), c.read) << c.name;
    }
    EXPECT_FALSE(bar.trackEvent());
    EXPECT_TRUE(bar.backArrowRect().isEmpty());  // hFlags 16: no arrows
    EXPECT_TRUE(b.reports.empty());              // "Pos" without its notify flag
    EXPECT_TRUE(setPropertyFromText(bar, "Pos", "20,1"));
    EXPECT_EQ(b.reports, (Reports{{20, ScrollCode::Set}}));
    EXPECT_FALSE(setPropertyFromText(bar, "Text", "x"));  // not a scroll bar property
}

TEST(ScrollBar, LaysOutArrowsTrackAndThumbFromTheSkin) {
    struct Case {
        Orientation orientation;
        QRect rect;
        QRect back, forward, track;
    };
    // The built-in skin's arrows are 9 pixels long in both orientations.
    const Case cases[] = {
        {Orientation::Horizontal, QRect(10, 10, 120, 10), QRect(0, 0, 9, 10), QRect(111, 0, 9, 10),
         QRect(9, 0, 102, 10)},
        {Orientation::Vertical, QRect(10, 10, 10, 120), QRect(0, 0, 10, 9), QRect(0, 111, 10, 9), QRect(0, 9, 10, 102)},
    };
    for (const Case& c : cases) {
        Bar b(c.orientation, c.rect);
        EXPECT_EQ(b.bar->backArrowRect(), c.back);
        EXPECT_EQ(b.bar->forwardArrowRect(), c.forward);
        EXPECT_EQ(b.bar->trackRect(), c.track);
        // No view: the thumb is as short as it may get, its two grid caps.
        const bool horizontal = c.orientation == Orientation::Horizontal;
        EXPECT_EQ(horizontal ? b.bar->thumbRect().width() : b.bar->thumbRect().height(), 6);
        b.bar->setViewPos(25);  // a quarter of the range: a quarter of the track
        EXPECT_EQ(horizontal ? b.bar->thumbRect().width() : b.bar->thumbRect().height(), 25);
        b.bar->setPos(75);  // the far end
        const QRect thumb = b.bar->thumbRect();
        EXPECT_EQ(horizontal ? thumb.right() : thumb.bottom(), horizontal ? c.track.right() : c.track.bottom());
    }
}

TEST(ScrollBar, OnlyLongTracksKeepAThumbLongEnoughToGrab) {
    struct Case {
        int barLength;  // the track is 18 pixels shorter (two arrows)
        int viewPos;    // of the range 0..100
        int thumb;
    };
    const Case cases[] = {
        {60, 0, 6},    // the volume bar: its thumb keeps 36 of 42 pixels of travel
        {60, 10, 6},   // 4.2 pixels by the view: the caps' 6 still hold
        {60, 50, 21},  // the view sets the length once it is longer than the minimum
        {218, 0, 6},   // a 200-pixel track is still short
        {219, 0, 20},  // 201 pixels: the thumb stays grabbable
        {219, 5, 20},  // 10 pixels by the view: raised to 20
        {219, 50, 100},
    };
    for (const Case& c : cases) {
        for (const Orientation orientation : {Orientation::Horizontal, Orientation::Vertical}) {
            const bool horizontal = orientation == Orientation::Horizontal;
            Bar b(orientation, horizontal ? QRect(10, 10, c.barLength, 10) : QRect(10, 10, 10, c.barLength));
            b.bar->setViewPos(c.viewPos);
            const QRect thumb = b.bar->thumbRect();
            EXPECT_EQ(horizontal ? thumb.width() : thumb.height(), c.thumb) << c.barLength << " " << c.viewPos;
            // At the far end the thumb ends with the track.
            b.bar->setPos(b.bar->lastPos());
            const QRect end = b.bar->thumbRect();
            EXPECT_EQ(horizontal ? end.right() : end.bottom(),
                      horizontal ? b.bar->trackRect().right() : b.bar->trackRect().bottom());
        }
    }
}

TEST(ScrollBar, SlimBarsWithoutArrowsGiveTheTrackTheWholeLength) {
    Bar b(Orientation::Vertical, QRect(10, 10, 10, 100));
    b.bar->setHFlags(29);
    EXPECT_TRUE(b.bar->backArrowRect().isEmpty());
    EXPECT_EQ(b.bar->trackRect(), QRect(0, 0, 10, 100));
    EXPECT_EQ(b.bar->partAt({5, 2}), ScrollBar::kThumb);
}

TEST(ScrollBar, ArrowsStepByLinesAndTheTrackByPages) {
    Bar b;
    b.bar->setViewPos(10);
    b.bar->setLineChange(3);
    b.bar->setPageChange(20);
    clickAt(b.t, *b.bar, b.middle(b.bar->forwardArrowRect()));
    clickAt(b.t, *b.bar, b.middle(b.bar->forwardArrowRect()));
    clickAt(b.t, *b.bar, b.middle(b.bar->backArrowRect()));
    clickAt(b.t, *b.bar, {b.bar->trackRect().right() - 1, 5});  // after the thumb
    clickAt(b.t, *b.bar, {b.bar->trackRect().left() + 1, 5});   // before it
    EXPECT_EQ(b.reports, (Reports{{3, ScrollCode::LineForward},
                                  {6, ScrollCode::LineForward},
                                  {3, ScrollCode::LineBack},
                                  {23, ScrollCode::PageForward},
                                  {3, ScrollCode::PageBack}}));
}

TEST(ScrollBar, StepsAtTheEndReportNothing) {
    Bar b;
    b.bar->setViewPos(100);  // the view covers the range: nothing can move
    clickAt(b.t, *b.bar, b.middle(b.bar->forwardArrowRect()));
    clickAt(b.t, *b.bar, b.middle(b.bar->backArrowRect()));
    b.bar->setFocus();
    wheel(b.t, -1);
    wheel(b.t, 1);
    EXPECT_TRUE(b.reports.empty());
    EXPECT_EQ(b.bar->pos(), 0);
}

TEST(ScrollBar, HoldingAnArrowRepeatsUntilTheEnd) {
    Bar b;
    b.bar->setRange(0, 4);
    pressAt(b.t, *b.bar, b.middle(b.bar->forwardArrowRect()));
    EXPECT_TRUE(b.bar->repeating());
    for (int i = 0; i < 6; ++i) b.tick();
    EXPECT_FALSE(b.bar->repeating());  // stopped at the end
    releaseAt(b.t, *b.bar, b.middle(b.bar->forwardArrowRect()));
    EXPECT_EQ(b.reports, (Reports{{1, ScrollCode::LineForward},
                                  {2, ScrollCode::LineForward},
                                  {3, ScrollCode::LineForward},
                                  {4, ScrollCode::LineForward}}));
}

TEST(ScrollBar, ArrowRepeatPausesWhileTheMouseIsOffTheArrowAndStopsOnRelease) {
    Bar b;
    pressAt(b.t, *b.bar, b.middle(b.bar->forwardArrowRect()));
    b.tick();
    moveTo(b.t, *b.bar, b.middle(b.bar->trackRect()));
    b.tick();
    b.tick();
    EXPECT_EQ(b.bar->pos(), 2);
    moveTo(b.t, *b.bar, b.middle(b.bar->forwardArrowRect()));
    b.tick();
    EXPECT_EQ(b.bar->pos(), 3);
    releaseAt(b.t, *b.bar, b.middle(b.bar->forwardArrowRect()));
    EXPECT_FALSE(b.bar->repeating());
    b.tick();
    EXPECT_EQ(b.bar->pos(), 3);
}

TEST(ScrollBar, PageRepeatStopsWhenTheThumbReachesTheMouse) {
    Bar b;
    b.bar->setViewPos(10);
    b.bar->setPageChange(10);
    // The track is 102 pixels, the thumb 10: each page moves it about 9 pixels.
    const QPoint mouse(b.bar->trackRect().left() + 60, 5);
    pressAt(b.t, *b.bar, mouse);
    for (int i = 0; i < 20 && b.bar->repeating(); ++i) b.tick();
    EXPECT_FALSE(b.bar->repeating());
    const QRect thumb = b.bar->thumbRect();
    EXPECT_LE(thumb.left(), mouse.x());
    EXPECT_GE(thumb.right() + 10, mouse.x());  // within one page of the mouse
    EXPECT_LT(b.bar->pos(), b.bar->lastPos());
    for (const auto& [position, code] : b.reports) EXPECT_EQ(code, ScrollCode::PageForward);
}

TEST(ScrollBar, AutoRepeatRunsOnTheRealTimerEvery200Milliseconds) {
    Bar b;
    b.bar->setRange(0, 3);
    QElapsedTimer clock;
    clock.start();
    pressAt(b.t, *b.bar, b.middle(b.bar->forwardArrowRect()));
    ASSERT_TRUE(pumpUntil([&] { return b.bar->pos() == 3; }, std::chrono::seconds(5)));
    const qint64 elapsed = clock.elapsed();
    releaseAt(b.t, *b.bar, b.middle(b.bar->forwardArrowRect()));
    EXPECT_EQ(b.reports.size(), 3u);  // the press and two repeats
    EXPECT_GE(elapsed, 300);          // two repeats of 200 ms, with room for timer jitter
}

TEST(ScrollBar, DraggingTheThumbMapsPixelsToPositions) {
    Bar b;
    b.bar->setViewPos(10);
    const QRect track = b.bar->trackRect();
    const QPoint grab = b.bar->thumbRect().center();
    const int grabOffset = grab.x() - b.bar->thumbRect().left();
    pressAt(b.t, *b.bar, grab);
    EXPECT_TRUE(b.bar->dragging());
    const int travel = track.width() - b.bar->thumbRect().width();
    moveTo(b.t, *b.bar, {track.left() + travel / 2 + grabOffset, 5});
    EXPECT_EQ(b.bar->pos(), 45);    // half the 90 positions
    moveTo(b.t, *b.bar, {500, 5});  // far past the end
    EXPECT_EQ(b.bar->pos(), 90);
    EXPECT_EQ(b.bar->thumbRect().right(), track.right());
    moveTo(b.t, *b.bar, {-300, 5});
    EXPECT_EQ(b.bar->pos(), 0);
    releaseAt(b.t, *b.bar, {-300, 5});
    EXPECT_FALSE(b.bar->dragging());
    EXPECT_EQ(b.reports, (Reports{{45, ScrollCode::DragMove},
                                  {90, ScrollCode::DragMove},
                                  {0, ScrollCode::DragMove},
                                  {0, ScrollCode::DragEnd}}));
}

TEST(ScrollBar, WithoutTrackEventsADragReportsOnlyItsEnd) {
    Bar b(Orientation::Vertical, QRect(10, 10, 10, 120));
    b.bar->setTrackEvent(false);
    pressAt(b.t, *b.bar, b.bar->thumbRect().center());
    moveTo(b.t, *b.bar, {5, 60});
    moveTo(b.t, *b.bar, {5, 80});
    releaseAt(b.t, *b.bar, {5, 80});
    ASSERT_EQ(b.reports.size(), 1u);
    EXPECT_EQ(b.reports[0].second, ScrollCode::DragEnd);
    EXPECT_EQ(b.reports[0].first, b.bar->pos());
    EXPECT_GT(b.bar->pos(), 50);
}

TEST(ScrollBar, TheWheelStepsByLines) {
    Bar b;
    b.bar->setLineChange(5);
    b.bar->setFocus();
    wheel(b.t, -1);  // towards the user: forward
    wheel(b.t, -1);
    wheel(b.t, 1);
    EXPECT_EQ(b.reports,
              (Reports{{5, ScrollCode::LineForward}, {10, ScrollCode::LineForward}, {5, ScrollCode::LineBack}}));
}

TEST(ScrollBar, AHandlerMayDestroyTheBar) {
    Bar b;
    const ControlHandle handle = b.bar->handle();
    b.bar->bindScroll([](ScrollBar& bar, int, ScrollCode) { bar.destroy(); });
    pressAt(b.t, *b.bar, b.middle(b.bar->forwardArrowRect()));
    EXPECT_EQ(resolveControl(handle), nullptr);
    b.t.release({20, 20});
}

TEST(ScrollBar, PaintsTheThumbWhereThePositionIs) {
    Bar b;
    b.bar->setAnimationFramesAndTimer(0, 0);  // no fade-in: the first look shows at once
    b.bar->setViewPos(20);
    b.bar->redraw();
    const QRect track = b.bar->trackRect();
    const QPoint nearStart = windowPoint(*b.bar, {track.left() + 5, 5});
    const QPoint nearEnd = windowPoint(*b.bar, {track.right() - 5, 5});
    const QRgb thumbAtStart = b.t.pixel(nearStart.x(), nearStart.y());
    const QRgb trackAtEnd = b.t.pixel(nearEnd.x(), nearEnd.y());
    EXPECT_NE(thumbAtStart, trackAtEnd);
    b.bar->setPos(80);
    EXPECT_EQ(b.t.pixel(nearEnd.x(), nearEnd.y()), thumbAtStart);
    EXPECT_EQ(b.t.pixel(nearStart.x(), nearStart.y()), trackAtEnd);
}

TEST(ScrollBar, TheThumbShowsItsHotAndPressedLooks) {
    Bar b;
    b.bar->setViewPos(30);
    b.bar->setAnimationFramesAndTimer(0, 0);  // no cross-fade: the look changes at once
    const QPoint inside = windowPoint(*b.bar, b.bar->thumbRect().center());
    const QRgb normal = b.t.pixel(inside.x(), inside.y());
    b.t.move(inside);
    EXPECT_EQ(b.bar->hotPart(), ScrollBar::kThumb);
    const QRgb hot = b.t.pixel(inside.x(), inside.y());
    b.t.press(inside);
    const QRgb pressed = b.t.pixel(inside.x(), inside.y());
    EXPECT_NE(normal, hot);
    EXPECT_NE(hot, pressed);
    b.t.release(inside);
    EXPECT_EQ(b.t.pixel(inside.x(), inside.y()), hot);
    b.t.move({390, 290});
    EXPECT_EQ(b.t.pixel(inside.x(), inside.y()), normal);
}

}  // namespace
}  // namespace vamu::toolkit::test
