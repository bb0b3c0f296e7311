#include "playback/capturing_output.h"

#include "playback/pcm_format.h"

namespace vamu::playback {

CapturingOutput::CapturingOutput(std::shared_ptr<OutputClock> clock) : m_clock(clock), m_pacer(std::move(clock)) {}

bool CapturingOutput::write(std::span<const std::int16_t> samples) {
    const auto now = m_clock->now();
    {
        std::lock_guard lock(m_mutex);
        if (!m_firstWrite) {
            m_firstWrite = now;
        }
        m_samples.insert(m_samples.end(), samples.begin(), samples.end());
    }
    m_pacer.pace(samples.size() / kChannels);
    return true;
}

void CapturingOutput::idle() { m_pacer.restart(); }

std::vector<std::int16_t> CapturingOutput::samples() const {
    std::lock_guard lock(m_mutex);
    return m_samples;
}

void CapturingOutput::clear() {
    std::lock_guard lock(m_mutex);
    m_samples.clear();
}

std::optional<OutputClock::TimePoint> CapturingOutput::firstWriteTime() const {
    std::lock_guard lock(m_mutex);
    return m_firstWrite;
}

}  // namespace vamu::playback
