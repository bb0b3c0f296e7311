#include "atlas.h"

#include "theme_table.h"

namespace vamu::tools {

QImage paintAtlas(int scale) {
    QImage atlas(kAtlasWidth * scale, kAtlasHeight * scale, QImage::Format_ARGB32_Premultiplied);
    atlas.setDevicePixelRatio(scale);
    atlas.fill(Qt::transparent);
    paintCaptionButtons(atlas);
    paintButtons(atlas);
    paintFields(atlas);
    paintScrollBars(atlas);
    paintFrames(atlas);
    paintMessageBox(atlas);
    return atlas;
}

}  // namespace vamu::tools
