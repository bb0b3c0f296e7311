// Window and menu shadow pictures and the menu's check mark.
//
// The window shadow is a miniature window: its content box lies where the window's
// margins put the content (4, 3, 4 and 5 px in), and a blurred copy of that box, one
// pixel lower, gives the soft ring that the nine-grid stretches around any window.
//
//   +------------------------------+  30 x 18, nine-grid centre (9, 8, 12, 2)
//   |   . . . soft shadow . . .    |
//   |    +--------------------+    |
//   |    |  content (clipped) |    |
//   |    +--------------------+    |
//   |   . . . . . . . . . . . .    |  heavier below: the light comes from above
//   +------------------------------+
#include "atlas.h"
#include "atlas_paint.h"
#include "theme_table.h"

namespace vamu::tools {

namespace {

void windowShadow(QPainter& p, QSize size) {
    const QRectF content(4, 3, size.width() - 8, size.height() - 8);
    paintSoftShadow(
        p, QPoint(0, 0), size,
        [content](QPainter& m) {
            m.setPen(Qt::NoPen);
            m.setBrush(Qt::black);
            m.drawRoundedRect(content.translated(0, 1), 3, 3);
        },
        1.9, withAlpha(Qt::black, 0x78));
}

// The whole menu background: a 3 px shadow, a 1 px outline and a white body whose
// centre pixel the nine-grid stretches over the items.
void menuFrame(QPainter& p, QSize size) {
    const QRect body(3, 3, size.width() - 6, size.height() - 6);
    paintSoftShadow(
        p, QPoint(0, 0), size,
        [body](QPainter& m) {
            m.setPen(Qt::NoPen);
            m.setBrush(Qt::black);
            m.drawRect(QRectF(body).translated(0, 0.5));
        },
        1.2, withAlpha(Qt::black, 0x50));
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.fillRect(body, withAlpha(QColor(0xC3, 0xCA, 0xD3), 0xFF));
    p.fillRect(body.adjusted(1, 1, -1, -1), palette::kSurface);
}

void checkMark(QPainter& p, QSize size) {
    const qreal h = size.height();
    strokePolyline(p, {{3.5, h / 2}, {6.5, h - 2.2}, {11.5, 2.2}}, palette::kAccent, 1.8);
}

}  // namespace

void paintFrames(QImage& atlas) {
    // "SysShadow.SubWnd" shares the picture of "SysShadow.HostWnd".
    paintInRegion(atlas, themeRect("SysShadow.HostWnd", "rect"), windowShadow);
    paintInRegion(atlas, themeRect("SysShadow.Menu", "rect"), menuFrame);
    paintInRegion(atlas, themeRect("SysShadow.Menu", "checkrect"), checkMark);
}

}  // namespace vamu::tools
