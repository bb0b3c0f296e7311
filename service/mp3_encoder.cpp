#include "mp3_encoder.h"

#include <lame/lame.h>

#include <memory>
#include <vector>

namespace vamu::service {
namespace {

struct LameCloser {
    void operator()(lame_global_flags* flags) const { lame_close(flags); }
};
using LameHandle = std::unique_ptr<lame_global_flags, LameCloser>;

constexpr int kBlockFrames = 4096;
// libmp3lame's own bound for one call's output: 1.25 times the samples plus 7200 bytes.
constexpr int kOutputBound = kBlockFrames * 5 / 4 + 7200;

}  // namespace

std::optional<std::string> encodeMp3(SongSynth& synth, std::stop_token stop) {
    LameHandle lame(lame_init());
    if (!lame) return std::nullopt;
    lame_set_in_samplerate(lame.get(), kSongSampleRate);
    lame_set_out_samplerate(lame.get(), kSongSampleRate);
    lame_set_num_channels(lame.get(), 2);
    lame_set_mode(lame.get(), JOINT_STEREO);
    lame_set_VBR(lame.get(), vbr_off);
    lame_set_brate(lame.get(), kSongBitrateKbps);
    lame_set_quality(lame.get(), 5);
    lame_set_bWriteVbrTag(lame.get(), 0);
    if (lame_init_params(lame.get()) < 0) return std::nullopt;

    std::string mp3;
    mp3.reserve(static_cast<std::size_t>(synth.totalFrames() / kSongSampleRate + 1) * kSongBytesPerSecond);
    std::vector<float> left(kBlockFrames);
    std::vector<float> right(kBlockFrames);
    std::vector<unsigned char> out(kOutputBound);
    for (;;) {
        if (stop.stop_requested()) return std::nullopt;
        const auto frames = synth.render(left, right);
        if (frames == 0) break;
        const int written = lame_encode_buffer_ieee_float(
            lame.get(), left.data(), right.data(), static_cast<int>(frames), out.data(), static_cast<int>(out.size()));
        if (written < 0) return std::nullopt;
        mp3.append(reinterpret_cast<const char*>(out.data()), static_cast<std::size_t>(written));
    }
    const int tail = lame_encode_flush(lame.get(), out.data(), static_cast<int>(out.size()));
    if (tail < 0) return std::nullopt;
    mp3.append(reinterpret_cast<const char*>(out.data()), static_cast<std::size_t>(tail));
    return mp3;
}

}  // namespace vamu::service
