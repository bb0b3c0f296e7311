#pragma once
// Surfaces at the screen's device pixel ratio. Back buffer, window background, control
// surfaces and their snapshots all carry the ratio of the host's screen: their pixel
// size is the logical size times the ratio, and a QPainter on them works in logical
// pixels, so text and vector drawing come out at full device resolution while every
// rectangle the toolkit reasons about stays logical.
//
// QPainter::drawImage reads a source rectangle in the image's own (device) pixels; the
// helpers here take logical rectangles instead. At ratio 1 each is exactly the plain
// call it replaces.

#include <QImage>
#include <QPainter>
#include <QRect>

namespace vamu::toolkit::surface {

// A transparent ARGB32 premultiplied surface of `size` logical pixels (at least 1 x 1).
[[nodiscard]] QImage make(QSize size, qreal ratio);
// The surface's size in logical pixels.
[[nodiscard]] QSize logicalSize(const QImage& image);
// The device pixels a logical rectangle covers at `ratio`, rounded outwards.
[[nodiscard]] QRect toDevice(const QRect& logical, qreal ratio);
// Draws the logical part `source` of `image` with its corner at `target`, unscaled.
void drawPart(QPainter& painter, QPoint target, const QImage& image, const QRect& source);
// A copy of a logical area of `image` that keeps its ratio.
[[nodiscard]] QImage copyPart(const QImage& image, const QRect& logical);
// The pixel under a logical point (the device pixel at its centre); 0 outside.
[[nodiscard]] QRgb pixelAt(const QImage& image, QPoint logical);

}  // namespace vamu::toolkit::surface
