#pragma once
// Painting primitives for text, fills, borders and paths. Colours are ARGB (QRgb,
// alpha in the top byte), unpremultiplied.

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>
#include <QRgb>
#include <QString>

#include <optional>

namespace vamu::toolkit::paint {

// Text effects: 3 a soft glow behind the text, 4 a sharp outline; others none.
namespace effect {
inline constexpr int kNone = 0;
inline constexpr int kGlow = 3;
inline constexpr int kOutline = 4;
}  // namespace effect

enum class HotkeyPrefix { None, Show, Hide };  // how "&x" marks are shown

struct TextFormat {
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;
    bool wrap = false;      // off: one line
    bool ellipsis = false;  // trim with "..." when the line does not fit
    HotkeyPrefix prefix = HotkeyPrefix::None;
};

// The toolkit's theme colour: the default of border style 3.
inline constexpr QRgb kThemeColour = 0xFF2B7CD3;

// Opaque text is drawn with alpha 254: layered surfaces then keep the text's
// coverage blending the same way as translucent text.
[[nodiscard]] constexpr QRgb textDrawColour(QRgb colour) {
    return qAlpha(colour) == 255 ? (colour & 0x00FFFFFFu) | 0xFE000000u : colour;
}
// White alpha 85 behind dark opaque text, black alpha 75 otherwise.
[[nodiscard]] QRgb automaticEffectColour(QRgb text);

void drawText(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font, QRgb colour,
              const TextFormat& format = {}, int textEffect = effect::kNone,
              std::optional<QRgb> effectColour = std::nullopt);
// The size the text takes in the rectangle with the format.
[[nodiscard]] QSizeF measureText(const QRectF& rect, const QString& text, const QFont& font, const TextFormat& format);

// Gradient modes: 0 horizontal, 1 vertical, 2 and 3 the diagonals.
void fillGradient(QPainter& painter, const QRectF& rect, QRgb from, QRgb to, int mode = 1);

// Border styles: 0 none, 1 sunken, 2 raised, 3 solid (theme colour by default),
// 4 dashed (the focus rectangle, black alpha 81 by default); any other value is
// itself the colour of a solid border.
void drawBorder(QPainter& painter, const QRectF& rect, long long style, std::optional<QRgb> colour = std::nullopt,
                double penWidth = 1.0);

// Four 90-degree arcs of the diameter, the right and bottom ones ending at
// x + width - 1 and y + height - 1.
[[nodiscard]] QPainterPath roundRectPath(const QRectF& rect, double diameter);
void fillPath(QPainter& painter, const QPainterPath& path, QRgb colour);
void strokePath(QPainter& painter, const QPainterPath& path, QRgb colour, double penWidth = 1.0);

// A clip that the painter drops again at the end of the scope.
class ClipScope {
public:
    ClipScope(QPainter& painter, const QRectF& rect, Qt::ClipOperation operation = Qt::IntersectClip);
    ClipScope(QPainter& painter, const QPainterPath& path, Qt::ClipOperation operation = Qt::IntersectClip);
    ~ClipScope() { m_painter.restore(); }
    ClipScope(const ClipScope&) = delete;
    ClipScope& operator=(const ClipScope&) = delete;

private:
    QPainter& m_painter;
};

}  // namespace vamu::toolkit::paint
