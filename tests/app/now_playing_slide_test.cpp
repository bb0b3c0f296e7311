// The now-playing slide, counted: in, rest, out, and over on time.
#include "app/now_playing_slide.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace vamu::app {
namespace {

using namespace std::chrono_literals;
using Phase = NowPlayingSlide::Phase;

struct SlideRun {
    std::vector<int> lefts;  // after every step, the first included
    std::chrono::milliseconds elapsed{0};
    int ticks = 0;
};

// Drives a slide to its end, at most `limit` ticks.
SlideRun runToEnd(NowPlayingSlide& slide, NowPlayingSlide::Step step, int limit = 1000) {
    SlideRun run;
    run.lefts.push_back(step.left);
    while (step.next.count() > 0 && run.ticks < limit) {
        run.elapsed += step.next;
        step = slide.tick();
        ++run.ticks;
        run.lefts.push_back(step.left);
    }
    return run;
}

TEST(NowPlayingSlide, ComesInRestsGoesOutAndEndsOnTime) {
    NowPlayingSlide slide;
    const int outside = 1280;
    const int width = 260;
    const NowPlayingSlide::Step first = slide.start(outside, width);
    EXPECT_EQ(first.left, outside);
    EXPECT_EQ(first.phase, Phase::SlidingIn);
    const SlideRun run = runToEnd(slide, first);
    EXPECT_EQ(slide.phase(), Phase::Hidden);
    EXPECT_EQ(run.elapsed, NowPlayingSlide::duration(width));
    EXPECT_EQ(run.elapsed, 2 * 53 * 10ms + 3000ms);  // 262 pixels each way in steps of 5
    // In by 5 pixels a tick to 2 pixels inside the edge, never past it, then out again.
    const int resting = outside - width - NowPlayingSlide::kInset;
    const auto deepest = std::min_element(run.lefts.begin(), run.lefts.end());
    EXPECT_EQ(*deepest, resting);
    for (auto it = run.lefts.begin() + 1; it <= deepest; ++it) EXPECT_LE(*(it - 1) - *it, NowPlayingSlide::kStep);
    for (auto it = deepest + 1; it != run.lefts.end(); ++it) EXPECT_GE(*it, *(it - 1));
    EXPECT_EQ(run.lefts.back(), outside);
    EXPECT_EQ(slide.tick().next.count(), 0);  // over: no more ticks
}

TEST(NowPlayingSlide, ANewSongRestartsTheSlideFromTheEdgeAndANarrowScreenStillEnds) {
    NowPlayingSlide slide;
    NowPlayingSlide::Step step = slide.start(1920, 260);
    for (int i = 0; i < 80; ++i) step = slide.tick();  // resting or on its way out
    EXPECT_NE(slide.phase(), Phase::SlidingIn);
    step = slide.start(1920, 260);
    EXPECT_EQ(step.left, 1920);
    EXPECT_EQ(slide.phase(), Phase::SlidingIn);
    EXPECT_EQ(runToEnd(slide, step).elapsed, NowPlayingSlide::duration(260));

    // A window wider than the screen ends too (its left edge goes below 0).
    EXPECT_EQ(runToEnd(slide, slide.start(200, 260)).elapsed, NowPlayingSlide::duration(260));
}

}  // namespace
}  // namespace vamu::app
