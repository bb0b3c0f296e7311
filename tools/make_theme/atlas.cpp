#include "atlas.h"

#include "theme_table.h"

namespace vamu::tools {

QImage paintAtlas()
{
    QImage atlas(kAtlasWidth, kAtlasHeight, QImage::Format_ARGB32_Premultiplied);
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
