#include "app/now_playing_slide.h"

#include <algorithm>

namespace vamu::app {

NowPlayingSlide::Step NowPlayingSlide::start(int outside, int width) {
    m_outside = outside;
    m_resting = outside - width - kInset;
    m_left = outside;
    m_phase = Phase::SlidingIn;
    return step(kTick);
}

NowPlayingSlide::Step NowPlayingSlide::tick() {
    switch (m_phase) {
    case Phase::SlidingIn:
        m_left = std::max(m_left - kStep, m_resting);
        if (m_left > m_resting) return step(kTick);
        m_phase = Phase::Resting;
        return step(kRest);
    case Phase::Resting:
        m_phase = Phase::SlidingOut;
        return step(kTick);
    case Phase::SlidingOut:
        m_left = std::min(m_left + kStep, m_outside);
        if (m_left < m_outside) return step(kTick);
        m_phase = Phase::Hidden;
        return step(std::chrono::milliseconds(0));
    case Phase::Hidden:
        break;
    }
    return step(std::chrono::milliseconds(0));
}

std::chrono::milliseconds NowPlayingSlide::duration(int width) {
    const int ticks = (width + kInset + kStep - 1) / kStep;  // each way
    return 2 * ticks * kTick + kRest;
}

}  // namespace vamu::app
