#pragma once
// An output clock that runs `speed` times faster than the steady clock, so tests can play
// minutes of audio through a pacing output in seconds.

#include <thread>

#include "playback/audio_output.h"

namespace vamu::test {

class ScaledClock final : public playback::OutputClock {
public:
    explicit ScaledClock(double speed) : m_speed(speed) {}

    [[nodiscard]] TimePoint now() override {
        return m_origin + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                              (std::chrono::steady_clock::now() - m_origin) * m_speed);
    }
    void sleepUntil(TimePoint when) override {
        std::this_thread::sleep_until(
            m_origin + std::chrono::duration_cast<std::chrono::steady_clock::duration>((when - m_origin) / m_speed));
    }

private:
    const double m_speed;
    const TimePoint m_origin = std::chrono::steady_clock::now();
};

}  // namespace vamu::test
