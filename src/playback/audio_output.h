#pragma once
// Where mixed PCM goes. The mixer thread is the only caller of `write` and `idle`.

#include <chrono>
#include <cstdint>
#include <span>

namespace vamu::playback {

enum class OutputKind {
    None,       // the engine is not started
    Pulse,      // a PulseAudio server (or PipeWire's Pulse server)
    Silent,     // no audio server: PCM is consumed in real time and discarded
    Capturing,  // tests and benchmarks: PCM is recorded
};

class AudioOutput {
public:
    virtual ~AudioOutput() = default;

    [[nodiscard]] virtual OutputKind kind() const = 0;
    // Plays interleaved stereo frames in the engine's format, blocking for as long as a
    // device would (so the caller is paced in real time). False when the device failed.
    virtual bool write(std::span<const std::int16_t> samples) = 0;
    // Nothing is playing; the next write starts afresh after a gap.
    virtual void idle() {}
};

// The time base of the outputs that pace themselves; tests may run it faster.
class OutputClock {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    virtual ~OutputClock() = default;
    [[nodiscard]] virtual TimePoint now() = 0;
    virtual void sleepUntil(TimePoint when) = 0;
};

class SteadyClock final : public OutputClock {
public:
    [[nodiscard]] TimePoint now() override { return std::chrono::steady_clock::now(); }
    void sleepUntil(TimePoint when) override;
};

}  // namespace vamu::playback
