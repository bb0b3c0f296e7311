#include "playback/silent_output.h"

#include <thread>

#include "playback/pcm_format.h"

namespace vamu::playback {

void SteadyClock::sleepUntil(TimePoint when) { std::this_thread::sleep_until(when); }

RealTimePacer::RealTimePacer(std::shared_ptr<OutputClock> clock) : m_clock(std::move(clock)) {}

void RealTimePacer::pace(std::size_t frames) {
    if (!m_running) {
        m_epoch = m_clock->now();
        m_framesSinceEpoch = 0;
        m_running = true;
    }
    m_framesSinceEpoch += static_cast<std::int64_t>(frames);
    // Counted from one epoch, so rounding never accumulates into drift.
    const auto played = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(static_cast<double>(m_framesSinceEpoch) / kSampleRate));
    m_clock->sleepUntil(m_epoch + played);
}

SilentOutput::SilentOutput(std::shared_ptr<OutputClock> clock) : m_pacer(std::move(clock)) {}

bool SilentOutput::write(std::span<const std::int16_t> samples) {
    m_pacer.pace(samples.size() / kChannels);
    return true;
}

}  // namespace vamu::playback
