// MPEG audio through libmpg123's feed interface: the decoder thread pushes bytes in and
// pulls PCM out, so the library never blocks on the network and seeks stay ours to plan.

#include <mpg123.h>

#include <cstdio>
#include <memory>
#include <mutex>

#include "playback/pcm_decoder.h"
#include "playback/pcm_format.h"

namespace vamu::playback {
namespace {

struct HandleDeleter {
    void operator()(mpg123_handle* handle) const { mpg123_delete(handle); }
};

// Enough to step over junk ahead of the first frame without taking text for audio.
constexpr long kResyncLimit = 16 * 1024;
// The frame index grows in steps of this many entries, so seeks into decoded audio are exact.
constexpr long kIndexGrowth = -1000;

class Mp3Decoder final : public PcmDecoder {
public:
    Mp3Decoder() {
        static std::once_flag once;
        std::call_once(once, [] { mpg123_init(); });
        int error = MPG123_OK;
        m_handle.reset(mpg123_new(nullptr, &error));
        if (!m_handle) {
            return;
        }
        mpg123_handle* h = m_handle.get();
        mpg123_param2(h, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS | MPG123_FUZZY, 0.0);
        mpg123_param2(h, MPG123_RESYNC_LIMIT, kResyncLimit, 0.0);
        mpg123_param2(h, MPG123_INDEX_SIZE, kIndexGrowth, 0.0);
        // Only the engine's format is allowed, so the library converts rate and channels.
        mpg123_format_none(h);
        if (mpg123_format(h, kSampleRate, MPG123_STEREO, MPG123_ENC_SIGNED_16) != MPG123_OK ||
            mpg123_open_feed(h) != MPG123_OK) {
            m_handle.reset();
        }
    }

    void feed(std::span<const std::byte> input) override {
        if (m_handle && !input.empty()) {
            mpg123_feed(m_handle.get(), reinterpret_cast<const unsigned char*>(input.data()), input.size());
        }
    }

    void endOfInput() override { m_inputEnded = true; }

    DecodeStep decode(std::span<std::byte> out) override {
        if (!m_handle) {
            return {DecodeStatus::Failed};
        }
        std::size_t done = 0;
        const int result = mpg123_read(m_handle.get(), reinterpret_cast<unsigned char*>(out.data()), out.size(), &done);
        switch (result) {
        case MPG123_OK:
            return {DecodeStatus::Output, done};
        case MPG123_NEW_FORMAT:
            return takeFormat(done);
        case MPG123_NEED_MORE:
            if (done > 0) {
                return {DecodeStatus::Output, done};
            }
            return {m_inputEnded ? DecodeStatus::Finished : DecodeStatus::NeedInput};
        case MPG123_DONE:
            return {done > 0 ? DecodeStatus::Output : DecodeStatus::Finished, done};
        default:
            // Before the first frame this is not audio; later the library has already
            // resynced where it could, so what remains is the end of the song.
            return {m_formatKnown ? DecodeStatus::Finished : DecodeStatus::Failed};
        }
    }

    [[nodiscard]] bool formatKnown() const override { return m_formatKnown; }

    std::optional<std::int64_t> lengthFrames() override {
        if (!m_formatKnown) {
            return std::nullopt;
        }
        if (m_headerLength) {
            return m_headerLength;
        }
        if (!m_sizeKnown) {
            return std::nullopt;
        }
        const off_t length = mpg123_length(m_handle.get());  // estimate from size and frame size
        return length > 0 ? std::optional<std::int64_t>(length) : std::nullopt;
    }

    void setInputSize(std::int64_t bytes) override {
        if (m_handle && bytes > 0 && mpg123_set_filesize(m_handle.get(), static_cast<off_t>(bytes)) == MPG123_OK) {
            m_sizeKnown = true;
        }
    }

    std::optional<SeekPlan> seek(std::int64_t frame) override {
        if (!m_handle || !m_formatKnown) {
            return std::nullopt;
        }
        off_t inputOffset = 0;
        const off_t reached = mpg123_feedseek(m_handle.get(), static_cast<off_t>(frame), SEEK_SET, &inputOffset);
        if (reached < 0 || inputOffset < 0) {
            return std::nullopt;
        }
        m_inputEnded = false;
        return SeekPlan{inputOffset, reached};
    }

private:
    DecodeStep takeFormat(std::size_t done) {
        long rate = 0;
        int channels = 0;
        int encoding = 0;
        mpg123_getformat(m_handle.get(), &rate, &channels, &encoding);
        if (rate != kSampleRate || channels != kChannels || encoding != MPG123_ENC_SIGNED_16) {
            return {DecodeStatus::Failed};
        }
        if (!m_formatKnown && !m_sizeKnown) {
            // Without a size, a length at the first frame can only come from the Info/Xing/VBRI
            // header; the library reports 0 (its position) otherwise.
            const off_t length = mpg123_length(m_handle.get());
            if (length > 0) {
                m_headerLength = length;
            }
        }
        m_formatKnown = true;
        return {DecodeStatus::Output, done};
    }

    std::unique_ptr<mpg123_handle, HandleDeleter> m_handle;
    bool m_formatKnown = false;
    bool m_inputEnded = false;
    bool m_sizeKnown = false;
    std::optional<std::int64_t> m_headerLength;
};

}  // namespace

std::unique_ptr<PcmDecoder> makeMp3Decoder() { return std::make_unique<Mp3Decoder>(); }

}  // namespace vamu::playback
