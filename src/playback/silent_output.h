#pragma once
// The output used when no audio server can be reached: it takes PCM at the real-time
// rate and discards it, so positions, ends of songs and stalls behave as with sound.

#include <memory>

#include "playback/audio_output.h"

namespace vamu::playback {

// Keeps a deadline per written block and sleeps until it, like a device draining its buffer.
class RealTimePacer {
public:
    explicit RealTimePacer(std::shared_ptr<OutputClock> clock);
    void pace(std::size_t frames);
    void restart() { m_running = false; }

private:
    std::shared_ptr<OutputClock> m_clock;
    OutputClock::TimePoint m_epoch{};
    std::int64_t m_framesSinceEpoch = 0;
    bool m_running = false;
};

class SilentOutput final : public AudioOutput {
public:
    explicit SilentOutput(std::shared_ptr<OutputClock> clock = std::make_shared<SteadyClock>());

    [[nodiscard]] OutputKind kind() const override { return OutputKind::Silent; }
    bool write(std::span<const std::int16_t> samples) override;
    void idle() override { m_pacer.restart(); }

private:
    RealTimePacer m_pacer;
};

}  // namespace vamu::playback
