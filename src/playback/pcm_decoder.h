#pragma once
// Turns a stream's encoded bytes into the engine's PCM format (pcm_format.h).
// Input is pushed in with `feed`; one decoder belongs to one stream's decoder thread.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

namespace vamu::playback {

enum class DecodeStatus {
    Output,     // `bytes` of PCM were written (possibly 0 right after the format became known)
    NeedInput,  // feed more bytes, or call endOfInput
    Finished,   // the stream's audio ended
    Failed,     // the input is not audio this decoder understands
};

struct DecodeStep {
    DecodeStatus status = DecodeStatus::NeedInput;
    std::size_t bytes = 0;
};

// Where decoding resumes after a seek: feed input from `inputOffset` on, and the next
// PCM byte produced lies at `frame` (in PCM frames from the start).
struct SeekPlan {
    std::int64_t inputOffset = 0;
    std::int64_t frame = 0;
};

class PcmDecoder {
public:
    virtual ~PcmDecoder() = default;

    virtual void feed(std::span<const std::byte> input) = 0;
    // No input follows until the next seek; lets the decoder finish the last frames.
    virtual void endOfInput() = 0;
    // Decodes into `out` (a whole number of PCM frames long).
    virtual DecodeStep decode(std::span<std::byte> out) = 0;

    [[nodiscard]] virtual bool formatKnown() const = 0;
    // Length in PCM frames from the stream's own header or the input size; nullopt if unknown.
    [[nodiscard]] virtual std::optional<std::int64_t> lengthFrames() = 0;
    // The stream's whole size in bytes (from the server or the file), for length estimates.
    virtual void setInputSize(std::int64_t bytes) = 0;
    // Prepares decoding from `frame`; nullopt when the stream cannot seek there.
    [[nodiscard]] virtual std::optional<SeekPlan> seek(std::int64_t frame) = 0;
};

// MP3 (and MPEG audio layers 1 and 2) through libmpg123.
[[nodiscard]] std::unique_ptr<PcmDecoder> makeMp3Decoder();
// RIFF WAVE holding integer PCM (8, 16, 24, 32 bit) or 32-bit float, any rate, 1 to 8 channels.
[[nodiscard]] std::unique_ptr<PcmDecoder> makeWaveDecoder();

// True when `head` (the first 12 bytes or fewer) starts a RIFF WAVE file.
[[nodiscard]] bool looksLikeWave(std::span<const std::byte> head);

}  // namespace vamu::playback
