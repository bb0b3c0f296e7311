#pragma once
// The pictures make_backgrounds draws. Each is the same on every run (fixed seeds).

#include <QImage>

namespace vamu::tools {

inline constexpr int kBackgroundWidth = 380;
inline constexpr int kBackgroundHeight = 415;
inline constexpr int kBackgroundCount = 5;

// 0 morning mist (blue), 1 dusk (peach), 2 meadow (mint), 3 night sky (indigo),
// 4 blossom (pink).
[[nodiscard]] QImage drawBackground(int index);
// 128 x 128, transparent corners.
[[nodiscard]] QImage drawIcon();

}  // namespace vamu::tools
