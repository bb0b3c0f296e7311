#pragma once
// The one PCM format inside the engine: every stream is decoded to it and the output plays it.
// Positions and lengths are byte counts of this format, so seconds follow exactly.

#include <cstdint>

namespace vamu::playback {

inline constexpr int kSampleRate = 44100;
inline constexpr int kChannels = 2;
inline constexpr int kBytesPerSample = 2;  // signed 16-bit, native byte order
inline constexpr int kBytesPerFrame = kChannels * kBytesPerSample;
inline constexpr std::int64_t kBytesPerSecond = std::int64_t{kSampleRate} * kBytesPerFrame;

// Rounds a byte count down to a whole frame.
[[nodiscard]] constexpr std::int64_t alignToFrame(std::int64_t bytes) { return bytes - bytes % kBytesPerFrame; }

}  // namespace vamu::playback
