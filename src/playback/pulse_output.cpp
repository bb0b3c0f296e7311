#include "playback/pulse_output.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include "playback/pcm_format.h"

namespace vamu::playback {
namespace {

// About 100 ms in the server: short enough that pause and seek are heard at once, long
// enough to ride out a busy moment of the mixer thread.
constexpr std::uint32_t kTargetLatencyBytes = kBytesPerSecond / 10;
// The server asks for 40 ms at a time, two of the mixer's blocks: each request wakes
// the connection's thread and then the mixer, half as often as one a block would.
constexpr std::uint32_t kRequestBytes = kBytesPerSecond / 25;

}  // namespace

std::unique_ptr<PulseOutput> PulseOutput::open() {
    const pa_sample_spec format{PA_SAMPLE_S16NE, kSampleRate, kChannels};
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<std::uint32_t>(-1);
    attributes.tlength = kTargetLatencyBytes;
    attributes.prebuf = static_cast<std::uint32_t>(-1);
    attributes.minreq = kRequestBytes;
    attributes.fragsize = static_cast<std::uint32_t>(-1);
    int error = 0;
    pa_simple* connection =
        pa_simple_new(nullptr, "vamu", PA_STREAM_PLAYBACK, nullptr, "music", &format, nullptr, &attributes, &error);
    if (connection == nullptr) {
        return nullptr;
    }
    return std::unique_ptr<PulseOutput>(new PulseOutput(connection));
}

PulseOutput::~PulseOutput() { pa_simple_free(m_connection); }

bool PulseOutput::write(std::span<const std::int16_t> samples) {
    int error = 0;
    return pa_simple_write(m_connection, samples.data(), samples.size_bytes(), &error) >= 0;
}

}  // namespace vamu::playback
