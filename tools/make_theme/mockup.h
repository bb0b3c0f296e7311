#pragma once
// A picture of the theme in use: a message box with its shadow, caption and buttons, a
// menu, and a few fields and bars, all cut from a loaded pack the way the toolkit cuts
// them (nine-grids and centred pictures), for judging the atlas by eye.

#include <QImage>

namespace vamu::toolkit {
class ThemePack;
}

namespace vamu::tools {

[[nodiscard]] QImage paintMockup(const toolkit::ThemePack& theme);

}  // namespace vamu::tools
