// The slider and the progress bar: mapping, dragging, events and what they paint.
#include "toolkit/lists_test_support.h"

#include "toolkit/controls/control_properties.h"
#include "toolkit/controls/progress.h"
#include "toolkit/controls/slider.h"

#include <gtest/gtest.h>

#include <vector>

namespace vamu::toolkit::test {
namespace {

struct SliderFixture {
    SliderFixture() {
        slider = Slider::create(t.host(), QRect(20, 20, 152, 10));
        slider->setChangeHandler([this](Slider&, double position) { changes.push_back(position); });
    }
    // The local point of the thumb's centre.
    QPoint thumb() const { return slider->thumbRect().center(); }

    TestHost t{HostSetup{.colour = 0x202020}};
    Slider* slider = nullptr;
    std::vector<double> changes;
};

TEST(Slider, IsTallerThanAskedAndItsTrackIsTheWidthLessTheThumb) {
    SliderFixture f;
    EXPECT_EQ(f.slider->height(), 20);
    EXPECT_EQ(f.slider->width(), 152);
    EXPECT_EQ(f.slider->trackWidth(), 152 - 12);
    EXPECT_EQ(f.slider->className(), "huakuaitiao");
    EXPECT_EQ(f.slider->kind(), kind::kSlider);
    EXPECT_EQ(f.slider->thumbState(), Slider::ThumbState::Normal);
}

TEST(Slider, ThumbFollowsThePosition) {
    SliderFixture f;
    struct Case {
        double position;
        int left;
    };
    const Case cases[] = {{0.0, 0}, {50.0, 70}, {100.0, 140}, {-20.0, 0}, {140.0, 140}, {12.5, 17}};
    for (const Case& c : cases) {
        f.slider->setPosition(c.position);
        EXPECT_EQ(f.slider->thumbRect().left(), c.left) << c.position;
        EXPECT_EQ(f.slider->thumbRect().top(), 4);  // (20 - 12) / 2
    }
    EXPECT_TRUE(f.changes.empty());  // the program's changes are not reported
}

TEST(Slider, DraggingMapsTheMouseAndClampsExactlyAtBothEnds) {
    SliderFixture f;
    pressAt(f.t, *f.slider, f.thumb());
    EXPECT_TRUE(f.slider->dragging());
    EXPECT_EQ(f.slider->thumbState(), Slider::ThumbState::Pressed);
    const int grab = f.thumb().x() - f.slider->thumbRect().left();
    moveTo(f.t, *f.slider, {35 + grab, 8});
    EXPECT_DOUBLE_EQ(f.slider->position(), 25.0);
    moveTo(f.t, *f.slider, {900, 8});
    EXPECT_DOUBLE_EQ(f.slider->position(), 100.0);
    moveTo(f.t, *f.slider, {950, 8});  // still past the end: no new change
    moveTo(f.t, *f.slider, {-400, 30});
    EXPECT_DOUBLE_EQ(f.slider->position(), 0.0);
    releaseAt(f.t, *f.slider, {-400, 30});
    EXPECT_FALSE(f.slider->dragging());
    EXPECT_EQ(f.changes, (std::vector<double>{25.0, 100.0, 0.0}));
}

TEST(Slider, APressBesideTheThumbDoesNothingUnlessItJumps) {
    SliderFixture f;
    f.slider->setPosition(10.0);
    clickAt(f.t, *f.slider, {120, 10});
    EXPECT_DOUBLE_EQ(f.slider->position(), 10.0);
    EXPECT_TRUE(f.changes.empty());
    f.slider->setJumpToClick(true);
    pressAt(f.t, *f.slider, {76, 10});  // the thumb's centre goes under the mouse
    EXPECT_TRUE(f.slider->dragging());
    EXPECT_DOUBLE_EQ(f.slider->position(), 50.0);
    moveTo(f.t, *f.slider, {90, 10});
    releaseAt(f.t, *f.slider, {90, 10});
    EXPECT_DOUBLE_EQ(f.slider->position(), 60.0);
    EXPECT_EQ(f.changes, (std::vector<double>{50.0, 60.0}));
}

TEST(Slider, TheProgramCannotPullTheThumbFromUnderTheMouse) {
    SliderFixture f;
    double released = -1;
    f.slider->bindLeftUp([&](const Event& event) {
        released = resolveControlAs<Slider>(event.control)->position();
        return false;
    });
    pressAt(f.t, *f.slider, f.thumb());
    moveTo(f.t, *f.slider, {76, 10});
    const double dragged = f.slider->position();
    EXPECT_FALSE(f.slider->setPosition(3.0));  // a clock tick during the drag
    EXPECT_DOUBLE_EQ(f.slider->position(), dragged);
    releaseAt(f.t, *f.slider, {76, 10});
    EXPECT_DOUBLE_EQ(released, dragged);  // the release seeks to where the user let go
    EXPECT_TRUE(f.slider->setPosition(3.0));
    EXPECT_DOUBLE_EQ(f.slider->position(), 3.0);
}

TEST(Slider, ThumbLooksFollowTheMouse) {
    SliderFixture f;
    f.slider->setPosition(50.0);
    const QPoint centre = windowPoint(*f.slider, f.thumb());
    const QRgb normal = f.t.pixel(centre.x(), centre.y());
    moveTo(f.t, *f.slider, f.thumb());
    EXPECT_EQ(f.slider->thumbState(), Slider::ThumbState::Hot);
    const QRgb hot = f.t.pixel(centre.x(), centre.y());
    moveTo(f.t, *f.slider, {2, 2});
    EXPECT_EQ(f.slider->thumbState(), Slider::ThumbState::Normal);
    pressAt(f.t, *f.slider, f.thumb());
    const QRgb pressed = f.t.pixel(centre.x(), centre.y());
    releaseAt(f.t, *f.slider, f.thumb());
    f.t.move({390, 290});
    EXPECT_EQ(f.slider->thumbState(), Slider::ThumbState::Normal);
    EXPECT_EQ(f.t.pixel(centre.x(), centre.y()), normal);
    EXPECT_NE(normal, hot);
    EXPECT_NE(hot, pressed);
    // The track shows beside the thumb, darker than the window behind it.
    const QPoint track = windowPoint(*f.slider, {20, 10});
    EXPECT_NE(f.t.pixel(track.x(), track.y()), normal);
}

TEST(Slider, AChangeHandlerMayDestroyTheSlider) {
    SliderFixture f;
    const ControlHandle handle = f.slider->handle();
    f.slider->setChangeHandler([](Slider& slider, double) { slider.destroy(); });
    pressAt(f.t, *f.slider, f.thumb());
    f.t.move(windowPoint(*f.slider, {80, 10}));
    EXPECT_EQ(resolveControl(handle), nullptr);
    f.t.release({100, 100});
}

struct ProgressFixture {
    ProgressFixture(QRect rect = QRect(20, 20, 102, 12)) { bar = Progress::create(t.host(), rect); }
    TestHost t{HostSetup{.colour = 0xFFFFFF}};
    Progress* bar = nullptr;
};

TEST(Progress, BarLengthIsTheInnerLengthTimesTheFractionRounded) {
    struct Case {
        int minimum, maximum, pos, length;
    };
    const Case cases[] = {{0, 100, 0, 0},     {0, 100, 50, 50}, {0, 100, 100, 100}, {0, 3, 1, 33},     {0, 3, 2, 67},
                          {0, 100, 130, 100}, {0, 100, -5, 0},  {10, 10, 10, 0},    {-100, 100, 0, 50}};
    for (const Case& c : cases) {
        ProgressFixture f;
        f.bar->setRange(c.minimum, c.maximum);
        f.bar->setPos(c.pos);
        EXPECT_EQ(f.bar->barLength(), c.length) << c.minimum << ".." << c.maximum << " at " << c.pos;
    }
}

TEST(Progress, PropertiesByNameSetPositionAndColours) {
    ProgressFixture f;
    EXPECT_TRUE(setPropertyFromText(*f.bar, "Pos", "40"));
    EXPECT_EQ(f.bar->barLength(), 40);
    EXPECT_TRUE(setProperty(*f.bar, "crP1", {0xFFFF0000LL}));
    EXPECT_EQ(static_cast<QRgb>(f.bar->crP1()), 0xFFFF0000u);
    EXPECT_EQ(std::get<long long>(getProperty(*f.bar, "crP1")->front()), -65536);  // signed 32-bit, as stored
    EXPECT_TRUE(setPropertyFromText(*f.bar, "crP1", "-1"));
    EXPECT_EQ(f.bar->crP1(), Progress::kThemeColourP);
    EXPECT_TRUE(setPropertyFromText(*f.bar, "crBackground", "0"));
    EXPECT_EQ(f.bar->crBackground(), 0u);
    EXPECT_EQ(std::get<long long>(getProperty(*f.bar, "Pos")->front()), 40);
}

TEST(Progress, VerticalBarsGrowUpwardsFromAboveTheBottom) {
    ProgressFixture f(QRect(20, 20, 12, 102));
    f.bar->setVertical(true);
    f.bar->setPos(25);
    const QRect bar = f.bar->barRect();
    EXPECT_EQ(bar.height(), 25);
    EXPECT_EQ(bar.bottom(), 100 - 2);  // the inner bottom edge is 100
    EXPECT_EQ(bar.left(), 1);
}

TEST(Progress, TheGradientSpansTheControlSoItsColoursDoNotStretch) {
    ProgressFixture f;
    f.bar->setCornerDiameter(0);
    f.bar->setCrP1(0xFFFF0000);
    f.bar->setCrP2(0xFF0000FF);
    f.bar->setPos(100);
    const QPoint probe = windowPoint(*f.bar, {45, 6});
    const QRgb full = f.t.pixel(probe.x(), probe.y());
    f.bar->setPos(50);
    const QRgb half = f.t.pixel(probe.x(), probe.y());
    EXPECT_EQ(half, full);
    EXPECT_GT(qRed(full), qBlue(full));  // left of the middle: more of the first colour
    const QPoint end = windowPoint(*f.bar, {95, 6});
    f.bar->setPos(100);
    const QRgb right = f.t.pixel(end.x(), end.y());
    EXPECT_GT(qBlue(right), qRed(right));
    f.bar->setPos(50);
    // Beyond the bar only the light background and the window show.
    const QRgb beyond = f.t.pixel(end.x(), end.y());
    EXPECT_GT(qGreen(beyond), 200);
}

TEST(Progress, ThemeColourIsTheDefaultAndCrP2FollowsCrP1) {
    ProgressFixture f;
    EXPECT_EQ(f.bar->crP1(), Progress::kThemeColourP);
    EXPECT_EQ(f.bar->crP2(), Progress::kThemeColourP);
    f.bar->setCrP1(0xFF00FF00);
    EXPECT_EQ(f.bar->crP2(), 0xFF00FF00);
    f.bar->setPos(100);
    const QPoint probe = windowPoint(*f.bar, {50, 6});
    const QRgb pixel = f.t.pixel(probe.x(), probe.y());
    EXPECT_GT(qGreen(pixel), 200);
    EXPECT_LT(qRed(pixel), 60);
    EXPECT_EQ(f.bar->cornerDiameter(), f.t.host().frame().cornerRadius);
}

}  // namespace
}  // namespace vamu::toolkit::test
