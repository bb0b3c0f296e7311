#pragma once
// Colours and small drawing helpers shared by the atlas painters.
//
// The look: a light, flat skin with one blue accent; 1 px outlines on half-pixel
// coordinates so they stay crisp; soft, barely there gradients; antialiased glyphs.

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>

#include <functional>
#include <initializer_list>

namespace vamu::tools {

namespace palette {
inline const QColor kAccent{0x2D, 0x8C, 0xF0};
inline const QColor kAccentLight{0x55, 0xA6, 0xF6};
inline const QColor kAccentDark{0x1F, 0x72, 0xD0};
inline const QColor kAccentTint{0xEC, 0xF5, 0xFF};
inline const QColor kAccentTintStrong{0xD6, 0xE9, 0xFD};
inline const QColor kBorder{0xC6, 0xCE, 0xD8};
inline const QColor kBorderStrong{0xA3, 0xAE, 0xBB};
inline const QColor kSurface{0xFF, 0xFF, 0xFF};
inline const QColor kSurfaceLow{0xF3, 0xF5, 0xF8};
inline const QColor kGlyph{0x5A, 0x66, 0x73};
inline const QColor kGlyphMuted{0x8C, 0x97, 0xA4};
inline const QColor kDanger{0xE8, 0x48, 0x4E};
inline const QColor kDangerDark{0xC4, 0x33, 0x39};
}  // namespace palette

[[nodiscard]] QColor withAlpha(QColor colour, int alpha);

// A vertical gradient over `rect` from `top` to `bottom`.
[[nodiscard]] QLinearGradient verticalGradient(const QRectF& rect, const QColor& top, const QColor& bottom);

// A filled rounded rectangle whose 1 px outline lies on the pixels just inside `cells`
// (a rectangle in whole pixels): the outline is crisp, the fill sits within it.
void paintFramedBox(QPainter& painter, const QRect& cells, qreal radius, const QBrush& fill, const QColor& outline);

// An open polyline with round caps and joins.
void strokePolyline(QPainter& painter, std::initializer_list<QPointF> points, const QColor& colour, qreal width);

// Draws a shape blurred (a Gaussian of the given standard deviation) as a shadow of
// `colour` into `target` at `origin`. `shape` paints opaque black on a transparent
// image of `size` pixels. On a target with a device pixel ratio the mask and the blur
// are made at that ratio, so the shadow is as fine as the rest of the part.
void paintSoftShadow(QPainter& target, QPoint origin, QSize size, const std::function<void(QPainter&)>& shape,
                     qreal sigma, const QColor& colour);

// The region's own painter: origin at the region's corner, clipped to it, antialiased.
void paintInRegion(QImage& atlas, const QRect& region, const std::function<void(QPainter&, QSize)>& paint);

}  // namespace vamu::tools
