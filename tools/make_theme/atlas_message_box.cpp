// The message box's background strip and its five icons.
//
// The strip is read one pixel column wide and stretched across the box: rows 0-95 are
// the head (the 26 px caption left clear so the window's own colour or picture shows
// behind the title), rows 96-128 the body, rows 129-158 the button bar.
#include "atlas.h"
#include "atlas_paint.h"
#include "theme_table.h"

#include <functional>

namespace vamu::tools {

namespace {

constexpr int kCaptionRows = 26;
constexpr int kBarTop = 129;

void strip(QPainter& p, QSize size) {
    const int w = size.width();
    p.fillRect(QRect(0, kCaptionRows, w, kBarTop - kCaptionRows), palette::kSurface);
    p.fillRect(QRect(0, kBarTop, w, 1), QColor(0xE2, 0xE7, 0xED));
    p.fillRect(QRect(0, kBarTop + 1, w, size.height() - kBarTop - 1), QColor(0xF4, 0xF6, 0xF9));
}

// A round (or, for warnings, triangular) badge with a soft shadow and a white or dark
// mark on it.
void badge(QPainter& p, QSize size, const QColor& top, const QColor& bottom, bool triangle,
           const std::function<void(QPainter&, QPointF)>& mark) {
    const QPointF centre(size.width() / 2.0, size.height() / 2.0 - 0.5);
    QPainterPath shape;
    if (triangle) {
        shape.moveTo(centre.x(), 3);
        shape.lineTo(size.width() - 2.5, size.height() - 5);
        shape.lineTo(2.5, size.height() - 5);
        shape.closeSubpath();
        // Round the corners by stroking the outline with a wide round pen.
        QPainterPathStroker stroker;
        stroker.setWidth(4);
        stroker.setJoinStyle(Qt::RoundJoin);
        shape = shape.united(stroker.createStroke(shape)).simplified();
    } else {
        shape.addEllipse(centre, 16.5, 16.5);
    }
    paintSoftShadow(
        p, QPoint(0, 0), size,
        [&shape](QPainter& m) {
            m.setPen(Qt::NoPen);
            m.setBrush(Qt::black);
            m.drawPath(shape.translated(0, 1));
        },
        1.1, withAlpha(Qt::black, 0x48));
    p.setPen(Qt::NoPen);
    p.setBrush(verticalGradient(shape.boundingRect(), top, bottom));
    p.drawPath(shape);
    mark(p, triangle ? centre + QPointF(0, 2.5) : centre);
}

void crossMark(QPainter& p, QPointF c) {
    strokePolyline(p, {{c.x() - 6, c.y() - 6}, {c.x() + 6, c.y() + 6}}, Qt::white, 3.2);
    strokePolyline(p, {{c.x() + 6, c.y() - 6}, {c.x() - 6, c.y() + 6}}, Qt::white, 3.2);
}

void questionMark(QPainter& p, QPointF c) {
    QPainterPath hook;
    hook.moveTo(c.x() - 5, c.y() - 4.5);
    hook.cubicTo(c.x() - 5, c.y() - 11, c.x() + 5.5, c.y() - 11, c.x() + 5.5, c.y() - 4.5);
    hook.cubicTo(c.x() + 5.5, c.y() - 0.5, c.x(), c.y() - 1, c.x(), c.y() + 3.5);
    p.setPen(QPen(Qt::white, 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(hook);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(c.x(), c.y() + 9), 2.1, 2.1);
}

void exclamationMark(QPainter& p, QPointF c) {
    const QColor ink(0x4A, 0x35, 0x00);
    strokePolyline(p, {{c.x(), c.y() - 8}, {c.x(), c.y() + 2}}, ink, 3.4);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(QPointF(c.x(), c.y() + 7.5), 2.1, 2.1);
}

void informationMark(QPainter& p, QPointF c) {
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(c.x(), c.y() - 8), 2.2, 2.2);
    strokePolyline(p, {{c.x(), c.y() - 2}, {c.x(), c.y() + 9}}, Qt::white, 3.4);
}

void userMark(QPainter& p, QPointF c) {
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(c.x(), c.y() - 4.5), 5, 5);
    QPainterPath shoulders;
    shoulders.moveTo(c.x() - 10, c.y() + 11);
    shoulders.cubicTo(c.x() - 10, c.y() + 2, c.x() + 10, c.y() + 2, c.x() + 10, c.y() + 11);
    shoulders.closeSubpath();
    QPainterPath disc;
    disc.addEllipse(c, 16.5, 16.5);
    p.drawPath(shoulders.intersected(disc));
}

}  // namespace

void paintMessageBox(QImage& atlas) {
    paintInRegion(atlas, themeRect("MsgBox", "rect"), strip);
    paintInRegion(atlas, themeRect("MsgBox", "m16"), [](QPainter& p, QSize s) {
        badge(p, s, QColor(0xF4, 0x5D, 0x62), QColor(0xD9, 0x33, 0x3A), false, crossMark);
    });
    paintInRegion(atlas, themeRect("MsgBox", "m32"), [](QPainter& p, QSize s) {
        badge(p, s, QColor(0x2F, 0xC2, 0xB2), QColor(0x14, 0x98, 0x8B), false, questionMark);
    });
    paintInRegion(atlas, themeRect("MsgBox", "m48"), [](QPainter& p, QSize s) {
        badge(p, s, QColor(0xFF, 0xCD, 0x4D), QColor(0xF5, 0xA6, 0x23), true, exclamationMark);
    });
    paintInRegion(atlas, themeRect("MsgBox", "m64"), [](QPainter& p, QSize s) {
        badge(p, s, palette::kAccentLight, palette::kAccentDark, false, informationMark);
    });
    paintInRegion(atlas, themeRect("MsgBox", "m128"), [](QPainter& p, QSize s) {
        badge(p, s, QColor(0x9A, 0xA8, 0xB8), QColor(0x6C, 0x7C, 0x90), false, userMark);
    });
}

}  // namespace vamu::tools
