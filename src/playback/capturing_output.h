#pragma once
// An output that records what would be played, for tests and benchmarks. It paces itself
// by its clock like the silent output; a faster clock makes playback faster than real time.

#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "playback/silent_output.h"

namespace vamu::playback {

class CapturingOutput final : public AudioOutput {
public:
    explicit CapturingOutput(std::shared_ptr<OutputClock> clock = std::make_shared<SteadyClock>());

    [[nodiscard]] OutputKind kind() const override { return OutputKind::Capturing; }
    bool write(std::span<const std::int16_t> samples) override;
    void idle() override;

    // Any thread.
    [[nodiscard]] std::vector<std::int16_t> samples() const;  // every sample written so far
    void clear();
    // When the first sample arrived (by the output's clock); nullopt before.
    [[nodiscard]] std::optional<OutputClock::TimePoint> firstWriteTime() const;

private:
    std::shared_ptr<OutputClock> m_clock;
    RealTimePacer m_pacer;       // mixer thread only
    mutable std::mutex m_mutex;  // guards the two fields below
    std::vector<std::int16_t> m_samples;
    std::optional<OutputClock::TimePoint> m_firstWrite;
};

}  // namespace vamu::playback
