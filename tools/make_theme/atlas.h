#pragma once
// The painters of the built-in theme atlas, one per family of parts. Each paints the
// regions that theme_table.h gives for its elements, and nothing outside them.

#include <QImage>

namespace vamu::tools {

enum class PartState { Normal, Highlight, Down, Focus };

void paintCaptionButtons(QImage& atlas);
void paintButtons(QImage& atlas);  // push, check and radio buttons
void paintFields(QImage& atlas);   // edit, combo box and up-down parts
void paintScrollBars(QImage& atlas);
void paintFrames(QImage& atlas);      // window and menu shadows, menu check mark
void paintMessageBox(QImage& atlas);  // background strip and the five icons

// The whole atlas, 32-bit with alpha, drawn at `scale` device pixels per atlas pixel:
// 1 for the atlas in the pack, 2 for the high-resolution atlas beside it. Every part is
// painted from its vector description at that resolution (the image carries the scale
// as its device pixel ratio, so the painters keep working in atlas pixels).
[[nodiscard]] QImage paintAtlas(int scale = 1);

}  // namespace vamu::tools
