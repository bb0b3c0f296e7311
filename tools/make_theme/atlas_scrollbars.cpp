// Slim scroll bars: a pale pill track, a grey pill thumb that darkens under the mouse
// and takes the accent while dragged, and small chevron arrows.
#include "atlas.h"
#include "atlas_paint.h"
#include "theme_table.h"

#include <string>

namespace vamu::tools {

namespace {

enum class Direction { Up, Down, Left, Right };

// A pill 6 px thick, centred across the part's 8 px.
QRectF pill(QSize size, bool vertical) {
    return vertical ? QRectF(1, 0, size.width() - 2, size.height()) : QRectF(0, 1, size.width(), size.height() - 2);
}

void track(QPainter& p, QSize size, bool vertical) {
    p.setPen(Qt::NoPen);
    p.setBrush(withAlpha(Qt::black, 0x18));
    p.drawRoundedRect(pill(size, vertical), 3, 3);
}

void thumb(QPainter& p, QSize size, bool vertical, PartState state) {
    const QColor fill = state == PartState::Normal      ? QColor(0xBC, 0xC4, 0xCE)
                        : state == PartState::Highlight ? QColor(0x98, 0xA3, 0xB0)
                                                        : palette::kAccent;
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(pill(size, vertical), 3, 3);
}

void arrow(QPainter& p, QSize size, Direction direction, PartState state) {
    if (state != PartState::Normal) {
        p.setPen(Qt::NoPen);
        p.setBrush(state == PartState::Down ? palette::kAccentTintStrong : withAlpha(Qt::black, 0x10));
        p.drawRoundedRect(QRectF(0, 0, size.width(), size.height()), 2, 2);
    }
    const QColor colour = state == PartState::Normal      ? palette::kGlyphMuted
                          : state == PartState::Highlight ? palette::kGlyph
                                                          : palette::kAccentDark;
    const qreal cx = size.width() / 2.0, cy = size.height() / 2.0;
    const qreal reach = 2.6, depth = 1.4;  // half the chevron's span, half its height
    switch (direction) {
    case Direction::Up:
        strokePolyline(p, {{cx - reach, cy + depth}, {cx, cy - depth}, {cx + reach, cy + depth}}, colour, 1.4);
        break;
    case Direction::Down:
        strokePolyline(p, {{cx - reach, cy - depth}, {cx, cy + depth}, {cx + reach, cy - depth}}, colour, 1.4);
        break;
    case Direction::Left:
        strokePolyline(p, {{cx + depth, cy - reach}, {cx - depth, cy}, {cx + depth, cy + reach}}, colour, 1.4);
        break;
    case Direction::Right:
        strokePolyline(p, {{cx - depth, cy - reach}, {cx + depth, cy}, {cx - depth, cy + reach}}, colour, 1.4);
        break;
    }
}

void paintOrientation(QImage& atlas, std::string_view prefix, bool vertical, Direction first, Direction second,
                      std::string_view firstName, std::string_view secondName) {
    const std::string p(prefix);
    paintInRegion(atlas, themeRect("ScrollBar", p + "bg"),
                  [vertical](QPainter& painter, QSize s) { track(painter, s, vertical); });
    const struct {
        std::string_view key;
        PartState state;
    } states[] = {{"normal", PartState::Normal}, {"highlight", PartState::Highlight}, {"down", PartState::Down}};
    for (const auto& entry : states) {
        // Not structured bindings: clang 14 refuses lambdas that capture those.
        const std::string_view key = entry.key;
        const PartState state = entry.state;
        paintInRegion(atlas, themeRect("ScrollBar", p + std::string(key)),
                      [vertical, state](QPainter& painter, QSize s) { thumb(painter, s, vertical, state); });
        paintInRegion(atlas, themeRect("ScrollBar", p + std::string(firstName) + std::string(key)),
                      [first, state](QPainter& painter, QSize s) { arrow(painter, s, first, state); });
        paintInRegion(atlas, themeRect("ScrollBar", p + std::string(secondName) + std::string(key)),
                      [second, state](QPainter& painter, QSize s) { arrow(painter, s, second, state); });
    }
}

}  // namespace

void paintScrollBars(QImage& atlas) {
    paintOrientation(atlas, "v_", true, Direction::Up, Direction::Down, "up_", "down_");
    paintOrientation(atlas, "h_", false, Direction::Left, Direction::Right, "left_", "right_");
}

}  // namespace vamu::tools
