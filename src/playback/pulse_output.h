#pragma once
// Sound through a PulseAudio server (PipeWire's Pulse server included), with the simple
// blocking API on the mixer thread: a write returns once the server has room, which paces
// the mixer in real time.

#include <memory>

#include "playback/audio_output.h"

struct pa_simple;

namespace vamu::playback {

class PulseOutput final : public AudioOutput {
public:
    // Connects to the default server and sink; nullptr when none can be reached.
    [[nodiscard]] static std::unique_ptr<PulseOutput> open();
    ~PulseOutput() override;

    [[nodiscard]] OutputKind kind() const override { return OutputKind::Pulse; }
    bool write(std::span<const std::int16_t> samples) override;

private:
    explicit PulseOutput(pa_simple* connection) : m_connection(connection) {}
    pa_simple* m_connection = nullptr;
};

}  // namespace vamu::playback
