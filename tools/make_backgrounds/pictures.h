#pragma once
// The pictures make_backgrounds draws. Each is the same on every run (fixed seeds).

#include <QByteArray>
#include <QImage>

namespace vamu::tools {

inline constexpr int kBackgroundWidth = 380;
inline constexpr int kBackgroundHeight = 415;
inline constexpr int kBackgroundCount = 5;

// 0 morning mist (blue), 1 dusk (peach), 2 meadow (mint), 3 night sky (indigo),
// 4 blossom (pink).
[[nodiscard]] QImage drawBackground(int index);
// The program's icon, `size` x `size` pixels (128 is the program's own), transparent corners.
[[nodiscard]] QImage drawIcon(int size = 128);
// The same icon as an SVG document (a 128-unit view box) for the scalable icon theme folder.
[[nodiscard]] QByteArray iconSvg();
// The pixel sizes the icon theme gets.
inline constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

}  // namespace vamu::tools
