#pragma once
// Encodes a synthesised song to MP3 with libmp3lame: 44.1 kHz joint stereo, constant
// 128 kbit/s, no tag frame, so a song's byte count divided by 16000 is its length in seconds.

#include "song_score.h"

#include <optional>
#include <stop_token>
#include <string>

namespace vamu::service {

inline constexpr int kSongBitrateKbps = 128;
inline constexpr int kSongBytesPerSecond = kSongBitrateKbps * 1000 / 8;

// The whole MP3 file; nullopt when the encoder fails or `stop` is requested.
[[nodiscard]] std::optional<std::string> encodeMp3(SongSynth& synth, std::stop_token stop = {});

}  // namespace vamu::service
