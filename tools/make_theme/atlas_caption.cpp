// Caption buttons: white glyphs with a faint shadow, so that they read on any
// background picture; hover lightens, press darkens, and close turns red.
#include "atlas.h"
#include "atlas_paint.h"
#include "theme_table.h"

#include <QTransform>

#include <functional>
#include <string>

namespace vamu::tools {

namespace {

using Glyph = std::function<void(QPainter&, QPointF centre, const QColor&)>;

void closeGlyph(QPainter& p, QPointF c, const QColor& colour) {
    const qreal r = 4.0;
    strokePolyline(p, {{c.x() - r, c.y() - r}, {c.x() + r, c.y() + r}}, colour, 1.3);
    strokePolyline(p, {{c.x() + r, c.y() - r}, {c.x() - r, c.y() + r}}, colour, 1.3);
}

void maximiseGlyph(QPainter& p, QPointF c, const QColor& colour) {
    p.setPen(QPen(colour, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(c.x() - 4, c.y() - 4, 8, 8));
    p.drawLine(QPointF(c.x() - 4, c.y() - 3), QPointF(c.x() + 4, c.y() - 3));
}

void restoreGlyph(QPainter& p, QPointF c, const QColor& colour) {
    p.setPen(QPen(colour, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(c.x() - 4, c.y() - 2, 6, 6));
    QPainterPath back;
    back.moveTo(c.x() - 2, c.y() - 2);
    back.lineTo(c.x() - 2, c.y() - 4);
    back.lineTo(c.x() + 4, c.y() - 4);
    back.lineTo(c.x() + 4, c.y() + 2);
    back.lineTo(c.x() + 2, c.y() + 2);
    p.drawPath(back);
}

void minimiseGlyph(QPainter& p, QPointF c, const QColor& colour) {
    p.setPen(QPen(colour, 1));
    p.drawLine(QPointF(c.x() - 4, c.y() + 1), QPointF(c.x() + 4, c.y() + 1));
}

void menuGlyph(QPainter& p, QPointF c, const QColor& colour) {
    p.setPen(QPen(colour, 1));
    for (int row = -1; row <= 1; ++row)
        p.drawLine(QPointF(c.x() - 4, c.y() + 3 * row), QPointF(c.x() + 4, c.y() + 3 * row));
}

void skinGlyph(QPainter& p, QPointF c, const QColor& colour) {
    // A T-shirt: the usual sign for changing the skin.
    const qreal x = c.x(), y = c.y();
    QPainterPath shirt;
    shirt.moveTo(x - 2.2, y - 4.0);
    shirt.lineTo(x - 5.0, y - 2.3);
    shirt.lineTo(x - 3.8, y + 0.1);
    shirt.lineTo(x - 2.7, y - 0.5);
    shirt.lineTo(x - 2.7, y + 4.0);
    shirt.lineTo(x + 2.7, y + 4.0);
    shirt.lineTo(x + 2.7, y - 0.5);
    shirt.lineTo(x + 3.8, y + 0.1);
    shirt.lineTo(x + 5.0, y - 2.3);
    shirt.lineTo(x + 2.2, y - 4.0);
    shirt.quadTo(x, y - 1.6, x - 2.2, y - 4.0);
    p.setPen(QPen(colour, 1.1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shirt);
}

void reportGlyph(QPainter& p, QPointF c, const QColor& colour) {
    // A speech bubble with three dots: feedback.
    const qreal x = c.x(), y = c.y();
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(x - 5, y - 4, 10, 7), 2, 2);
    QPainterPath tail;
    tail.moveTo(x - 2.6, y + 2.6);
    tail.lineTo(x - 3.4, y + 5.0);
    tail.lineTo(x - 0.2, y + 2.6);
    p.setPen(QPen(colour, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(bubble.united(tail).simplified());
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    for (int i = -1; i <= 1; ++i) p.drawEllipse(QPointF(x + 2.4 * i, y - 0.5), 0.75, 0.75);
}

void settingGlyph(QPainter& p, QPointF c, const QColor& colour) {
    // A ring with six square teeth; the open hub keeps it a gear at 11 px.
    constexpr int kTeeth = 6;
    QPainterPath gear;
    gear.addEllipse(c, 3.9, 3.9);
    for (int i = 0; i < kTeeth; ++i) {
        QTransform turn;
        turn.translate(c.x(), c.y());
        turn.rotate(i * 360.0 / kTeeth);
        gear.addPolygon(turn.map(QPolygonF(QRectF(-1.25, -5.4, 2.5, 2.6))));
    }
    gear = gear.simplified();
    QPainterPath hub;
    hub.addEllipse(c, 1.7, 1.7);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(gear.subtracted(hub));
}

void paintCaptionButton(QImage& atlas, std::string_view element, const Glyph& glyph, bool danger) {
    const struct {
        std::string_view key;
        PartState state;
    } states[] = {{"normal", PartState::Normal}, {"highlight", PartState::Highlight}, {"down", PartState::Down}};
    for (const auto& entry : states) {
        const PartState state = entry.state;  // not a structured binding: clang 14 refuses capturing those
        paintInRegion(atlas, themeRect(element, entry.key), [&](QPainter& p, QSize size) {
            if (state != PartState::Normal) {
                const bool hot = state == PartState::Highlight;
                const QColor fill = danger ? (hot ? palette::kDanger : palette::kDangerDark)
                                           : (hot ? withAlpha(Qt::white, 0x3C) : withAlpha(Qt::black, 0x24));
                p.fillRect(QRect(QPoint(0, 0), size), fill);
            }
            // Odd widths centre on a pixel, even ones between two; either way the
            // glyph's 1 px lines fall on pixel centres.
            const QPointF centre(size.width() / 2 + 0.5 - (size.width() % 2 == 0 ? 1 : 0), 9.5);
            glyph(p, centre + QPointF(0, 1), withAlpha(Qt::black, 0x46));
            glyph(p, centre, Qt::white);
        });
    }
}

}  // namespace

void paintCaptionButtons(QImage& atlas) {
    paintCaptionButton(atlas, "SysButton.Close", closeGlyph, true);
    paintCaptionButton(atlas, "SysButton.Max", maximiseGlyph, false);
    paintCaptionButton(atlas, "SysButton.Restore", restoreGlyph, false);
    paintCaptionButton(atlas, "SysButton.Min", minimiseGlyph, false);
    paintCaptionButton(atlas, "SysButton.Menu", menuGlyph, false);
    paintCaptionButton(atlas, "SysButton.Skn", skinGlyph, false);
    paintCaptionButton(atlas, "SysButton.Report", reportGlyph, false);
    paintCaptionButton(atlas, "SysButton.Setting", settingGlyph, false);
}

}  // namespace vamu::tools
