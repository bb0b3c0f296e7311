#include "toolkit/easing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace vamu::toolkit {
namespace {

using std::chrono::microseconds;
using std::chrono::milliseconds;

constexpr double kEps = 1e-9;

double ease(Easing curve, double s, double e, double t) { return easeValue(curve, s, e, t); }

std::vector<double> samples(Easing curve, double s, double e, int steps = 200) {
    std::vector<double> values;
    for (int i = 0; i <= steps; ++i) values.push_back(ease(curve, s, e, static_cast<double>(i) / steps));
    return values;
}

TEST(Easing, EveryCurveRunsFromStartToEnd) {
    for (int curve = kFirstEasingCurve; curve <= kLastEasingCurve; ++curve) {
        if (curve == static_cast<int>(Easing::DampedOscillation)) continue;  // oscillates around 0; checked below
        EXPECT_NEAR(*easeValue(curve, 10, 110, 0), 10, kEps) << "curve " << curve;
        EXPECT_NEAR(*easeValue(curve, 10, 110, 1), 110, kEps) << "curve " << curve;
        // Progress beyond either end is clamped.
        EXPECT_NEAR(*easeValue(curve, 10, 110, -0.2), 10, kEps) << "curve " << curve;
        EXPECT_NEAR(*easeValue(curve, 10, 110, 1.5), 110, kEps) << "curve " << curve;
    }
}

TEST(Easing, UnknownCurvesHaveNoValue) {
    for (int curve : {-1, 0, 35, 1000}) EXPECT_EQ(easeValue(curve, 0, 1, 0.5), std::nullopt) << curve;
}

TEST(Easing, LinearValues) {
    EXPECT_DOUBLE_EQ(*easeValue(1, 0, 200, 0.25), 50);
    EXPECT_DOUBLE_EQ(*easeValue(1, 200, 0, 0.25), 150);
    EXPECT_DOUBLE_EQ(*easeValue(1, 0, 200, std::nan("")), 0) << "no progress is no movement";
}

TEST(Easing, AnglesTakeTheShorterWay) {
    // 350 -> 10 passes through 360 rather than back through 180.
    const auto forward = samples(Easing::LinearAngle, 350, 10, 20);
    EXPECT_TRUE(std::is_sorted(forward.begin(), forward.end()));
    EXPECT_DOUBLE_EQ(ease(Easing::LinearAngle, 350, 10, 0.5), 360);
    EXPECT_DOUBLE_EQ(ease(Easing::LinearAngle, 350, 10, 1), 370);
    // 10 -> 350 goes backwards through 0 (here 370 -> 350).
    EXPECT_DOUBLE_EQ(ease(Easing::LinearAngle, 10, 350, 0), 370);
    EXPECT_DOUBLE_EQ(ease(Easing::LinearAngle, 10, 350, 0.5), 360);
    EXPECT_DOUBLE_EQ(ease(Easing::LinearAngle, 10, 350, 1), 350);
    // Within 180 degrees it is plain linear.
    EXPECT_DOUBLE_EQ(ease(Easing::LinearAngle, 0, 180, 0.5), 90);
    EXPECT_DOUBLE_EQ(ease(Easing::LinearAngle, 180, 0, 0.5), 90);
}

TEST(Easing, DampedOscillationIgnoresStartAndSettles) {
    EXPECT_EQ(ease(Easing::DampedOscillation, 5, 10, 0), 0);
    EXPECT_EQ(ease(Easing::DampedOscillation, 5, 10, 1), 0);
    EXPECT_EQ(ease(Easing::DampedOscillation, 5, 10, 1 - 5e-8), 0);
    EXPECT_DOUBLE_EQ(ease(Easing::DampedOscillation, 5, 10, 0.05), ease(Easing::DampedOscillation, -99, 10, 0.05));
    double early = 0, late = 0;
    for (double t = 0.01; t < 1; t += 0.01) {
        const double v = std::abs(ease(Easing::DampedOscillation, 0, 10, t));
        EXPECT_LE(v, 10) << t;
        (t < 0.3 ? early : late) = std::max(t < 0.3 ? early : late, v);
    }
    EXPECT_GT(early, 4);
    EXPECT_LT(late, early / 4) << "the swing dies down";
}

TEST(Easing, MonotonicCurvesNeverTurnBack) {
    using enum Easing;
    for (Easing curve : {Linear,   QuadIn,     QuadOut,   QuadInOut, CubicIn,    CubicOut, CubicInOut, QuartIn,
                         QuartOut, QuartInOut, QuintIn,   QuintOut,  QuintInOut, SineIn,   SineOut,    SineInOut,
                         ExpoIn,   ExpoOut,    ExpoInOut, CircIn,    CircOut,    CircInOut}) {
        const auto rising = samples(curve, 0, 1);
        EXPECT_TRUE(std::is_sorted(rising.begin(), rising.end())) << static_cast<int>(curve);
        const auto falling = samples(curve, 1, 0);
        EXPECT_TRUE(std::is_sorted(falling.rbegin(), falling.rend())) << static_cast<int>(curve);
    }
}

TEST(Easing, InCurvesLagAndOutCurvesLead) {
    using enum Easing;
    const Easing families[][3] = {{QuadIn, QuadOut, QuadInOut},    {CubicIn, CubicOut, CubicInOut},
                                  {QuartIn, QuartOut, QuartInOut}, {QuintIn, QuintOut, QuintInOut},
                                  {SineIn, SineOut, SineInOut},    {ExpoIn, ExpoOut, ExpoInOut},
                                  {CircIn, CircOut, CircInOut}};
    for (const auto& family : families) {
        for (double t : {0.1, 0.3, 0.5, 0.7, 0.9}) {
            EXPECT_LT(ease(family[0], 0, 1, t), t) << static_cast<int>(family[0]) << " at " << t;
            EXPECT_GT(ease(family[1], 0, 1, t), t) << static_cast<int>(family[1]) << " at " << t;
            EXPECT_NEAR(ease(family[0], 0, 1, t) + ease(family[1], 0, 1, 1 - t), 1, 1e-12) << "out mirrors in";
        }
        EXPECT_NEAR(ease(family[2], 0, 1, 0.5), 0.5, 1e-12) << static_cast<int>(family[2]);
        EXPECT_NEAR(ease(family[2], 0, 1, 0.25) + ease(family[2], 0, 1, 0.75), 1, 1e-12);
    }
    EXPECT_DOUBLE_EQ(ease(QuadIn, 0, 100, 0.5), 25);
    EXPECT_DOUBLE_EQ(ease(CubicOut, 0, 100, 0.5), 87.5);
    EXPECT_DOUBLE_EQ(ease(QuintInOut, 0, 100, 0.25), 100 * 16 * std::pow(0.25, 5));
    EXPECT_DOUBLE_EQ(ease(ExpoIn, 0, 1024, 0.5), 1024 * std::pow(2, -5));
}

TEST(Easing, OvershootingCurvesPassTheirEnds) {
    using enum Easing;
    const auto extremes = [](Easing curve) {
        const auto values = samples(curve, 0, 100, 1000);
        return std::pair(*std::min_element(values.begin(), values.end()),
                         *std::max_element(values.begin(), values.end()));
    };
    EXPECT_LT(extremes(BackIn).first, -5);
    EXPECT_NEAR(extremes(BackIn).second, 100, kEps);
    EXPECT_GT(extremes(BackOut).second, 105);
    EXPECT_LT(extremes(BackInOut).first, -5);
    EXPECT_GT(extremes(BackInOut).second, 105);
    EXPECT_LT(extremes(ElasticIn).first, -10);
    EXPECT_GT(extremes(ElasticOut).second, 110);
    EXPECT_LT(extremes(ElasticInOut).first, -5);
    EXPECT_GT(extremes(ElasticInOut).second, 105);
    EXPECT_GT(extremes(OvershootSettle).second, 100.5);
    EXPECT_NEAR(ease(BackInOut, 0, 100, 0.5), 50, 1e-9);
    EXPECT_NEAR(ease(ElasticInOut, 0, 100, 0.5), 50, 1e-9);
}

TEST(Easing, BounceStaysWithinItsEnds) {
    using enum Easing;
    for (Easing curve : {BounceIn, BounceOut, BounceInOut}) {
        for (double v : samples(curve, 0, 100, 1000)) {
            EXPECT_GE(v, -kEps) << static_cast<int>(curve);
            EXPECT_LE(v, 100 + kEps) << static_cast<int>(curve);
        }
    }
    // The first bounce lands exactly on the end at 1 / 2.75.
    EXPECT_NEAR(ease(BounceOut, 0, 100, 1 / 2.75), 100, 1e-9);
    EXPECT_NEAR(ease(BounceIn, 0, 100, 1 - 1 / 2.75), 0, 1e-9);
    // In-out works on whole numbers.
    EXPECT_DOUBLE_EQ(ease(BounceInOut, 0.7, 10.9, 0), 0);
    EXPECT_DOUBLE_EQ(ease(BounceInOut, 0.7, 10.9, 1), 10);
    EXPECT_DOUBLE_EQ(ease(BounceInOut, 0.7, 10.9, 0.5), 5);
    EXPECT_NEAR(ease(BounceOut, 0.7, 10.9, 1), 10.9, kEps) << "only the in-out curve truncates";
}

struct Recorded {
    std::vector<AnimationFrame> frames;
    std::vector<microseconds> waits;
};

Recorded animate(int curve, milliseconds duration, milliseconds interval, int stopAfter = 0) {
    Recorded r;
    const int frames = animateValue(
        curve, duration, interval, 0, 100,
        [&r, stopAfter](const AnimationFrame& f) {
            r.frames.push_back(f);
            return stopAfter && f.frame == stopAfter ? AnimationStep::Stop : AnimationStep::Continue;
        },
        [&r](microseconds wait) { r.waits.push_back(wait); });
    if (!r.frames.empty()) {
        EXPECT_EQ(r.frames.back().frames, frames);
    }
    return r;
}

TEST(AnimateValue, StepsFrameByFrameAndEndsOnTheEndValue) {
    const Recorded r = animate(1, milliseconds(100), milliseconds(25));
    ASSERT_EQ(r.frames.size(), 4u);
    EXPECT_EQ(r.waits, std::vector<microseconds>(4, microseconds(25000)));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(r.frames[static_cast<std::size_t>(i)].frame, i + 1);
        EXPECT_DOUBLE_EQ(r.frames[static_cast<std::size_t>(i)].progress, 0.25 * (i + 1));
        EXPECT_DOUBLE_EQ(r.frames[static_cast<std::size_t>(i)].value, 25.0 * (i + 1));
    }
}

TEST(AnimateValue, LastFrameReachesTheEndWhenTheIntervalDoesNotDivide) {
    const Recorded r = animate(5, milliseconds(100), milliseconds(30));
    ASSERT_EQ(r.frames.size(), 3u);
    EXPECT_DOUBLE_EQ(r.frames[0].progress, 0.3);
    EXPECT_DOUBLE_EQ(r.frames[1].progress, 0.6);
    EXPECT_DOUBLE_EQ(r.frames.back().progress, 1.0);
    EXPECT_DOUBLE_EQ(r.frames.back().value, 100);
}

TEST(AnimateValue, EdgeCases) {
    // The callback stops it early.
    Recorded r = animate(1, milliseconds(100), milliseconds(10), 3);
    EXPECT_EQ(r.frames.size(), 3u);
    EXPECT_EQ(r.frames.back().frames, 10);
    // Shorter than one interval: one frame, after one interval.
    r = animate(1, milliseconds(10), milliseconds(30));
    ASSERT_EQ(r.frames.size(), 1u);
    EXPECT_DOUBLE_EQ(r.frames[0].value, 100);
    EXPECT_EQ(r.waits.size(), 1u);
    // No interval or no duration: at once, without waiting.
    for (const auto& [duration, interval] : {std::pair{100, 0}, std::pair{0, 10}, std::pair{-5, 10}}) {
        r = animate(1, milliseconds(duration), milliseconds(interval));
        ASSERT_EQ(r.frames.size(), 1u);
        EXPECT_DOUBLE_EQ(r.frames[0].value, 100);
        EXPECT_TRUE(r.waits.empty());
    }
    // An unknown curve jumps to the end on its first frame.
    r = animate(99, milliseconds(100), milliseconds(10));
    ASSERT_EQ(r.frames.size(), 1u);
    EXPECT_DOUBLE_EQ(r.frames[0].progress, 1.0);
    EXPECT_DOUBLE_EQ(r.frames[0].value, 100);
}

}  // namespace
}  // namespace vamu::toolkit
