// Edit and combo box frames, the combo box's button and arrows, and the up-down parts.
#include "atlas.h"
#include "atlas_paint.h"
#include "theme_table.h"

namespace vamu::tools {

namespace {

void editFrame(QPainter& p, QSize size, PartState state) {
    const QRect frame(QPoint(0, 0), size);
    const bool active = state != PartState::Normal;
    paintFramedBox(p, frame, 2.5, palette::kSurface, active ? palette::kAccent : palette::kBorder);
    if (active) {
        // A faint inner ring: the field looks lit without growing past its frame.
        p.setPen(QPen(withAlpha(palette::kAccent, 0x30), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(frame).adjusted(1.5, 1.5, -1.5, -1.5), 1.5, 1.5);
    } else {
        // The top edge reads as slightly inset.
        p.setPen(QPen(withAlpha(Qt::black, 0x0C), 1));
        p.drawLine(QPointF(2, 1.5), QPointF(size.width() - 2, 1.5));
    }
}

void comboButton(QPainter& p, QSize size, PartState state) {
    if (state != PartState::Normal) {
        p.setPen(Qt::NoPen);
        p.setBrush(state == PartState::Down ? palette::kAccentTintStrong : palette::kAccentTint);
        p.drawRoundedRect(QRectF(1, 0, size.width() - 1, size.height()), 2, 2);
    }
    // A divider along the left edge parts the button from the text.
    p.setPen(QPen(state == PartState::Normal ? QColor(0xE1, 0xE6, 0xEC) : palette::kAccentLight, 1));
    p.drawLine(QPointF(0.5, 4), QPointF(0.5, size.height() - 4));
}

void chevron(QPainter& p, QSize size, bool up, const QColor& colour) {
    const qreal cx = size.width() / 2.0, top = 1.2, bottom = size.height() - 1.2;
    if (up)
        strokePolyline(p, {{1.5, bottom}, {cx, top}, {size.width() - 1.5, bottom}}, colour, 1.5);
    else
        strokePolyline(p, {{1.5, top}, {cx, bottom}, {size.width() - 1.5, top}}, colour, 1.5);
}

void spinFace(QPainter& p, QSize size, PartState state) {
    const QRect face(QPoint(0, 0), size);
    const QColor fill = state == PartState::Normal      ? palette::kSurfaceLow
                        : state == PartState::Highlight ? palette::kAccentTint
                                                        : palette::kAccentTintStrong;
    const QColor outline = state == PartState::Normal      ? palette::kBorder
                           : state == PartState::Highlight ? palette::kAccentLight
                                                           : palette::kAccent;
    paintFramedBox(p, face, 2, fill, outline);
}

void triangle(QPainter& p, QSize size, bool up) {
    const qreal w = size.width(), h = size.height();
    QPainterPath path;
    if (up) {
        path.moveTo(1, h - 1);
        path.lineTo(w / 2, 1);
        path.lineTo(w - 1, h - 1);
    } else {
        path.moveTo(1, 1);
        path.lineTo(w / 2, h - 1);
        path.lineTo(w - 1, 1);
    }
    path.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(palette::kGlyph);
    p.drawPath(path);
}

}  // namespace

void paintFields(QImage& atlas) {
    // "focus" shares the region of "highlight".
    paintInRegion(atlas, themeRect("Edit", "normal"), [](QPainter& p, QSize s) { editFrame(p, s, PartState::Normal); });
    paintInRegion(atlas, themeRect("Edit", "highlight"),
                  [](QPainter& p, QSize s) { editFrame(p, s, PartState::Focus); });
    // "down_btn" shares the region of "highlight_btn".
    paintInRegion(atlas, themeRect("ComboBox", "normal_btn"),
                  [](QPainter& p, QSize s) { comboButton(p, s, PartState::Normal); });
    paintInRegion(atlas, themeRect("ComboBox", "highlight_btn"),
                  [](QPainter& p, QSize s) { comboButton(p, s, PartState::Highlight); });
    paintInRegion(atlas, themeRect("ComboBox", "spin_up"),
                  [](QPainter& p, QSize s) { chevron(p, s, true, palette::kGlyph); });
    paintInRegion(atlas, themeRect("ComboBox", "spin_down"),
                  [](QPainter& p, QSize s) { chevron(p, s, false, palette::kGlyph); });

    paintInRegion(atlas, themeRect("UpDown", "normal"),
                  [](QPainter& p, QSize s) { spinFace(p, s, PartState::Normal); });
    paintInRegion(atlas, themeRect("UpDown", "highlight"),
                  [](QPainter& p, QSize s) { spinFace(p, s, PartState::Highlight); });
    paintInRegion(atlas, themeRect("UpDown", "down"), [](QPainter& p, QSize s) { spinFace(p, s, PartState::Down); });
    paintInRegion(atlas, themeRect("UpDown", "spin_up"), [](QPainter& p, QSize s) { triangle(p, s, true); });
    paintInRegion(atlas, themeRect("UpDown", "spin_down"), [](QPainter& p, QSize s) { triangle(p, s, false); });
}

}  // namespace vamu::tools
