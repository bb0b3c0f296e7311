#pragma once
// Paints the demo catalogue's pictures from a seed: song covers, channel pictures and
// user avatars. The same seed and size give the same pixels.

#include "png_writer.h"

#include <cstdint>

namespace vamu::service {

inline constexpr int kCoverSize = 100;
inline constexpr int kChannelPictureSize = 100;
inline constexpr int kAvatarSize = 50;

[[nodiscard]] RgbaImage paintCover(std::uint64_t seed, int size = kCoverSize);
[[nodiscard]] RgbaImage paintChannelPicture(std::uint64_t seed, int size = kChannelPictureSize);
[[nodiscard]] RgbaImage paintAvatar(std::uint64_t seed, int size = kAvatarSize);

}  // namespace vamu::service
