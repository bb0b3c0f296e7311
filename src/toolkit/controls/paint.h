#pragma once
// Painting primitives for pictures: skin images looked up in a theme pack by section
// and state, fill types, nine-grids and edge feathering. Everything draws through
// QPainter onto 32-bit surfaces and keeps per-pixel alpha. Alpha arguments are
// 0..255 and multiply the picture's own alpha.

#include <QImage>
#include <QPainter>
#include <QRectF>

#include <cstdint>
#include <optional>
#include <string_view>

namespace vamu::toolkit {
class ThemePack;
}

namespace vamu::toolkit::paint {

// Fill types: 0 natural size at the top-left corner, 1 stretched, 2 natural size
// centred, 3 nine-grid. -1 asks the skin section's "filltype".
namespace fill {
inline constexpr int kFromSkin = -1;
inline constexpr int kNatural = 0;
inline constexpr int kStretch = 1;
inline constexpr int kCentre = 2;
inline constexpr int kNineGrid = 3;
}  // namespace fill

// Feathering edges: the picture fades linearly to transparent towards them.
namespace feather {
inline constexpr int kLeft = 1;
inline constexpr int kTop = 2;
inline constexpr int kRight = 4;
inline constexpr int kBottom = 8;
}  // namespace feather

// The skin key of a control's state flags: "highlight", "down", "focus", "normal".
[[nodiscard]] std::string_view stateKey(std::uint32_t stateFlags);

// Draws the section's image of the state's key; false when the key has no image.
bool drawSkinState(QPainter& painter, const ThemePack* theme, std::string_view section, const QRectF& destination,
                   std::uint32_t stateFlags, std::string_view gridKey = "gird", int fillType = fill::kFromSkin,
                   int alpha = 255);
bool drawSkinImage(QPainter& painter, const ThemePack* theme, std::string_view section, const QRectF& destination,
                   std::string_view key, std::string_view gridKey = "gird", int fillType = fill::kFromSkin,
                   int alpha = 255);

// The picture to draw a theme's atlas region from on this painter: the pack's
// high-resolution atlas when the painter's device has a ratio above 1 and the pack
// has one, otherwise `atlas` itself.
[[nodiscard]] const QImage& atlasFor(const ThemePack* theme, const QImage& atlas, const QPainter& painter);

// Source rectangles and grids below are logical pixels of the image: an image with a
// device pixel ratio (a high-resolution atlas, a surface) is read at that ratio. An
// image of lower ratio than the painter's device is scaled smoothly.
//
// Draws the source part of the image (the whole image when none) placed by fill type;
// a grid is the nine-grid centre relative to the source part.
void drawImage(QPainter& painter, const QImage& image, const QRectF& destination, std::optional<QRectF> source,
               int fillType, std::optional<QRectF> grid = {}, int alpha = 255, int featherFlags = 0,
               double featherRatio = 0.25);

// Corners at natural size, edges stretched one way, the centre both ways. A
// destination smaller than the margins draws the parts that still have a size.
void drawNineGrid(QPainter& painter, const QImage& image, const QRectF& source, const QRectF& destination,
                  const QRectF& grid, int alpha = 255);

// A copy of the image whose chosen edges fade to transparent over a band of
// min(width, height) * ratio pixels.
[[nodiscard]] QImage feathered(const QImage& image, int flags, double ratio = 0.25);

}  // namespace vamu::toolkit::paint
