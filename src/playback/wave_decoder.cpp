// RIFF WAVE: walks the chunks up to "data", then converts the samples to 16-bit stereo
// and resamples them linearly to the engine's rate.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "playback/pcm_decoder.h"
#include "playback/pcm_format.h"

namespace vamu::playback {
namespace {

constexpr std::uint32_t kFormatPcm = 1;
constexpr std::uint32_t kFormatFloat = 3;
constexpr std::uint32_t kFormatExtensible = 0xFFFE;
constexpr std::uint32_t kMaxFormatChunk = 1024;
constexpr std::size_t kConvertFrames = 4096;  // source frames converted per step

std::uint32_t readLe(const std::byte* p, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        value = (value << 8) | std::to_integer<std::uint32_t>(p[i]);
    }
    return value;
}

struct WaveFormat {
    std::uint32_t tag = 0;
    int channels = 0;
    std::int64_t rate = 0;
    int bits = 0;
    int blockAlign = 0;
};

std::optional<WaveFormat> parseFormat(const std::byte* p, std::uint32_t size) {
    if (size < 16) {
        return std::nullopt;
    }
    WaveFormat f{readLe(p, 2), static_cast<int>(readLe(p + 2, 2)), readLe(p + 4, 4),
                 static_cast<int>(readLe(p + 14, 2)), static_cast<int>(readLe(p + 12, 2))};
    if (f.tag == kFormatExtensible && size >= 26) {
        f.tag = readLe(p + 24, 2);  // first two bytes of the sub-format GUID
    }
    const bool integer = f.tag == kFormatPcm && (f.bits == 8 || f.bits == 16 || f.bits == 24 || f.bits == 32);
    const bool floating = f.tag == kFormatFloat && f.bits == 32;
    if ((!integer && !floating) || f.channels < 1 || f.channels > 8 || f.rate < 1000 || f.rate > 384000 ||
        f.blockAlign != f.channels * f.bits / 8) {
        return std::nullopt;
    }
    return f;
}

std::int16_t sampleAt(const std::byte* p, const WaveFormat& f) {
    switch (f.bits) {
    case 8:
        return static_cast<std::int16_t>((std::to_integer<int>(p[0]) - 128) * 256);
    case 16:
        return static_cast<std::int16_t>(readLe(p, 2));
    case 24:
        return static_cast<std::int16_t>(readLe(p + 1, 2));
    default:
        if (f.tag == kFormatFloat) {
            float value = 0;
            const std::uint32_t raw = readLe(p, 4);
            std::memcpy(&value, &raw, sizeof value);
            if (!std::isfinite(value)) {
                return 0;
            }
            return static_cast<std::int16_t>(std::lround(std::clamp(value, -1.0f, 1.0f) * 32767.0f));
        }
        return static_cast<std::int16_t>(readLe(p + 2, 2));
    }
}

// Linear interpolation from `from` Hz to the engine's rate, exact in integers: output
// frame n sits at source position n * from / kSampleRate. A source of N frames gives
// (N - 1) * kSampleRate / from + 1 frames, and equal rates pass samples through unchanged.
class LinearResampler {
public:
    explicit LinearResampler(std::int64_t from) : m_from(from) {}

    static std::int64_t outputFrames(std::int64_t sourceFrames, std::int64_t from) {
        return sourceFrames <= 0 ? 0 : (sourceFrames - 1) * kSampleRate / from + 1;
    }
    std::int64_t sourceFrameFor(std::int64_t outFrame) const { return outFrame * m_from / kSampleRate; }

    void restartAt(std::int64_t outFrame) {
        m_next = outFrame;
        m_pendingStart = sourceFrameFor(outFrame);
        m_pending.clear();
    }
    void push(std::int16_t left, std::int16_t right) {
        m_pending.push_back(left);
        m_pending.push_back(right);
    }
    // Writes up to `maxFrames` stereo frames; returns how many.
    std::size_t pull(std::int16_t* out, std::size_t maxFrames) {
        const auto pendingFrames = static_cast<std::int64_t>(m_pending.size() / 2);
        std::size_t produced = 0;
        while (produced < maxFrames) {
            const std::int64_t position = m_next * m_from;
            const std::int64_t index = position / kSampleRate - m_pendingStart;
            const std::int64_t weight = position % kSampleRate;
            if (index + (weight != 0 ? 1 : 0) >= pendingFrames) {
                break;
            }
            for (int c = 0; c < 2; ++c) {
                const std::int64_t a = m_pending[static_cast<std::size_t>(index * 2 + c)];
                const std::int64_t b = weight != 0 ? m_pending[static_cast<std::size_t>((index + 1) * 2 + c)] : 0;
                out[produced * 2 + c] =
                    static_cast<std::int16_t>((a * (kSampleRate - weight) + b * weight) / kSampleRate);
            }
            ++produced;
            ++m_next;
        }
        const std::int64_t keepFrom = std::min(sourceFrameFor(m_next) - m_pendingStart, pendingFrames);
        m_pending.erase(m_pending.begin(), m_pending.begin() + keepFrom * 2);
        m_pendingStart += keepFrom;
        return produced;
    }

private:
    std::int64_t m_from = kSampleRate;
    std::int64_t m_next = 0;              // next output frame
    std::int64_t m_pendingStart = 0;      // source frame of m_pending[0]
    std::vector<std::int16_t> m_pending;  // converted stereo source frames not yet passed
};

class WaveDecoder final : public PcmDecoder {
public:
    void feed(std::span<const std::byte> input) override { m_input.insert(m_input.end(), input.begin(), input.end()); }
    void endOfInput() override { m_inputEnded = true; }

    DecodeStep decode(std::span<std::byte> out) override {
        if (m_phase == Phase::Header) {
            const DecodeStep step = parseHeader();
            if (m_phase != Phase::Data) {
                return step;
            }
            return {DecodeStatus::Output, 0};  // the format just became known
        }
        if (m_phase == Phase::Failed) {
            return {DecodeStatus::Failed};
        }
        return decodeData(out);
    }

    [[nodiscard]] bool formatKnown() const override { return m_phase == Phase::Data; }

    std::optional<std::int64_t> lengthFrames() override {
        if (m_phase != Phase::Data) {
            return std::nullopt;
        }
        std::optional<std::int64_t> dataBytes = m_dataSize;
        if (m_inputSize) {
            const std::int64_t present = std::max<std::int64_t>(*m_inputSize - m_dataOffset, 0);
            dataBytes = dataBytes ? std::min(*dataBytes, present) : present;
        }
        if (!dataBytes) {
            return std::nullopt;
        }
        return LinearResampler::outputFrames(*dataBytes / m_format.blockAlign, m_format.rate);
    }

    void setInputSize(std::int64_t bytes) override { m_inputSize = bytes; }

    std::optional<SeekPlan> seek(std::int64_t frame) override {
        if (m_phase != Phase::Data) {
            return std::nullopt;
        }
        m_resampler.restartAt(frame);
        m_input.clear();
        m_inputOffset = m_dataOffset + m_resampler.sourceFrameFor(frame) * m_format.blockAlign;
        m_inputEnded = false;
        return SeekPlan{m_inputOffset, frame};
    }

private:
    enum class Phase { Header, Data, Failed };

    // Consumes chunks until "data" starts; every other chunk is skipped unread.
    DecodeStep parseHeader() {
        for (;;) {
            if (m_skip > 0) {
                const auto dropped = static_cast<std::int64_t>(std::min<std::size_t>(m_skip, m_input.size()));
                consume(dropped);
                m_skip -= dropped;
                if (m_skip > 0) {
                    return needInput();
                }
            }
            const std::size_t want = m_inputOffset == 0 ? 12 : 8;
            if (m_input.size() < want) {
                return needInput();
            }
            if (m_inputOffset == 0) {
                if (!looksLikeWave(m_input)) {
                    return fail();
                }
                consume(12);
                continue;
            }
            const std::byte* chunk = m_input.data();
            const std::uint32_t size = readLe(chunk + 4, 4);
            if (std::memcmp(chunk, "fmt ", 4) == 0) {
                if (size > kMaxFormatChunk) {
                    return fail();
                }
                if (m_input.size() < 8 + size) {
                    return needInput();
                }
                const auto format = parseFormat(chunk + 8, size);
                if (!format) {
                    return fail();
                }
                m_format = *format;
                m_resampler = LinearResampler(m_format.rate);
                consume(8);
                m_skip = size + (size & 1);
                continue;
            }
            if (std::memcmp(chunk, "data", 4) == 0) {
                if (m_format.channels == 0) {
                    return fail();
                }
                consume(8);
                m_dataOffset = m_inputOffset;
                // Streaming writers leave the size 0 or all ones until they finish.
                if (size != 0 && size != 0xFFFFFFFFu) {
                    m_dataSize = size;
                }
                m_phase = Phase::Data;
                return {DecodeStatus::Output, 0};
            }
            consume(8);
            m_skip = std::int64_t{size} + (size & 1);
        }
    }

    DecodeStep decodeData(std::span<std::byte> out) {
        const std::size_t maxFrames = out.size() / kBytesPerFrame;
        auto* samples = reinterpret_cast<std::int16_t*>(out.data());
        std::size_t produced = m_resampler.pull(samples, maxFrames);
        while (produced < maxFrames) {
            const std::size_t converted = convertSome();
            if (converted == 0) {
                break;
            }
            produced += m_resampler.pull(samples + produced * 2, maxFrames - produced);
        }
        if (produced > 0) {
            return {DecodeStatus::Output, produced * kBytesPerFrame};
        }
        const bool dataDone = m_dataSize && m_inputOffset >= m_dataOffset + *m_dataSize;
        const bool inputDone = m_inputEnded && m_input.size() < static_cast<std::size_t>(m_format.blockAlign);
        return {dataDone || inputDone ? DecodeStatus::Finished : DecodeStatus::NeedInput};
    }

    // Converts up to kConvertFrames whole source frames into the resampler.
    std::size_t convertSome() {
        std::int64_t usable = std::ssize(m_input);
        if (m_dataSize) {
            usable = std::min(usable, m_dataOffset + *m_dataSize - m_inputOffset);
        }
        const auto frames = static_cast<std::size_t>(
            std::clamp<std::int64_t>(usable / m_format.blockAlign, 0, static_cast<std::int64_t>(kConvertFrames)));
        const int step = m_format.bits / 8;
        for (std::size_t i = 0; i < frames; ++i) {
            const std::byte* frame = m_input.data() + i * static_cast<std::size_t>(m_format.blockAlign);
            const std::int16_t left = sampleAt(frame, m_format);
            const std::int16_t right = m_format.channels > 1 ? sampleAt(frame + step, m_format) : left;
            m_resampler.push(left, right);
        }
        consume(static_cast<std::int64_t>(frames) * m_format.blockAlign);
        return frames;
    }

    void consume(std::int64_t bytes) {
        m_input.erase(m_input.begin(), m_input.begin() + bytes);
        m_inputOffset += bytes;
    }
    DecodeStep needInput() { return {m_inputEnded ? DecodeStatus::Failed : DecodeStatus::NeedInput}; }
    DecodeStep fail() {
        m_phase = Phase::Failed;
        return {DecodeStatus::Failed};
    }

    Phase m_phase = Phase::Header;
    std::vector<std::byte> m_input;  // fed bytes not yet consumed
    std::int64_t m_inputOffset = 0;  // stream offset of m_input[0]
    std::int64_t m_skip = 0;         // bytes of a skipped chunk still to drop
    bool m_inputEnded = false;
    WaveFormat m_format;
    std::int64_t m_dataOffset = 0;
    std::optional<std::int64_t> m_dataSize;
    std::optional<std::int64_t> m_inputSize;
    LinearResampler m_resampler{kSampleRate};
};

}  // namespace

bool looksLikeWave(std::span<const std::byte> head) {
    return head.size() >= 12 && std::memcmp(head.data(), "RIFF", 4) == 0 &&
           std::memcmp(head.data() + 8, "WAVE", 4) == 0;
}

std::unique_ptr<PcmDecoder> makeWaveDecoder() { return std::make_unique<WaveDecoder>(); }

}  // namespace vamu::playback
