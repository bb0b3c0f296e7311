#pragma once
// The now-playing window's slide, counted rather than read back: the left edge comes in
// from the screen's right edge 5 pixels a tick until the window rests 2 pixels in from
// it, stays 3000 ms, and goes out the same way. The model keeps the left edge it set,
// so the slide ends on time whatever position the window system reports: Wayland
// reports none (Qt pins a toplevel's position to the screen's origin there), and an X11
// window manager may refuse a move. Qt-free; the window drives it on a timer.

#include <chrono>

namespace vamu::app {

class NowPlayingSlide {
public:
    static constexpr int kStep = 5;  // pixels per tick
    static constexpr std::chrono::milliseconds kTick{10};
    static constexpr std::chrono::milliseconds kRest{3000};
    static constexpr int kInset = 2;  // from the right edge while resting

    enum class Phase { Hidden, SlidingIn, Resting, SlidingOut };

    // What the window does after a step: put its left edge here and call tick() again
    // after `next` (0 once the slide is over and the window hides).
    struct Step {
        int left = 0;
        Phase phase = Phase::Hidden;
        std::chrono::milliseconds next{0};
    };

    // Begins a slide (again, from the start) of a window `width` wide whose left edge is
    // `outside` when it lies just beyond the screen's right edge.
    Step start(int outside, int width);
    Step tick();

    [[nodiscard]] Phase phase() const { return m_phase; }
    [[nodiscard]] int left() const { return m_left; }
    // How long a whole slide of a window that wide takes, on time.
    [[nodiscard]] static std::chrono::milliseconds duration(int width);

private:
    [[nodiscard]] Step step(std::chrono::milliseconds next) const { return {m_left, m_phase, next}; }

    int m_outside = 0;
    int m_resting = 0;
    int m_left = 0;
    Phase m_phase = Phase::Hidden;
};

}  // namespace vamu::app
