#include "toolkit/controls/paint.h"

#include "toolkit/controls/control_messages.h"
#include "toolkit/controls/surface.h"
#include "toolkit/engine.h"
#include "toolkit/theme_pack.h"

#include <algorithm>
#include <charconv>
#include <string>

namespace vamu::toolkit::paint {
namespace {

int fillTypeOf(const ThemePack* theme, std::string_view section) {
    const std::optional<std::string> text = engine::getPackText(theme, section, "filltype");
    if (!text || text->empty()) return fill::kNatural;
    int value = 0;
    std::from_chars(text->data(), text->data() + text->size(), value);
    return value;
}

// A painter state that restores itself.
class OpacityScope {
public:
    OpacityScope(QPainter& painter, int alpha) : m_painter(painter), m_previous(painter.opacity()) {
        painter.setOpacity(m_previous * std::clamp(alpha, 0, 255) / 255.0);
    }
    ~OpacityScope() { m_painter.setOpacity(m_previous); }
    OpacityScope(const OpacityScope&) = delete;
    OpacityScope& operator=(const OpacityScope&) = delete;

private:
    QPainter& m_painter;
    double m_previous;
};

// Draws the logical `from` part of the image over `to`.
void drawScaled(QPainter& painter, const QRectF& to, const QImage& image, const QRectF& from) {
    const qreal ratio = image.devicePixelRatio();
    if (ratio == 1.0 && painter.device()->devicePixelRatio() == 1.0) {
        painter.drawImage(to, image, from);
        return;
    }
    const bool smooth = painter.testRenderHint(QPainter::SmoothPixmapTransform);
    if (ratio < painter.device()->devicePixelRatio()) painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(to, image, QRectF(from.topLeft() * ratio, from.size() * ratio));
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
}

}  // namespace

const QImage& atlasFor(const ThemePack* theme, const QImage& atlas, const QPainter& painter) {
    if (!theme || !painter.device() || painter.device()->devicePixelRatio() <= 1.0 || &atlas != &theme->atlas()) {
        return atlas;
    }
    const QImage* high = theme->highResolutionAtlas();
    return high ? *high : atlas;
}

std::string_view stateKey(std::uint32_t stateFlags) {
    if (stateFlags & state::kHot) return "highlight";
    if (stateFlags & state::kPressed) return "down";
    if (stateFlags & state::kFocused) return "focus";
    return "normal";
}

bool drawSkinState(QPainter& painter, const ThemePack* theme, std::string_view section, const QRectF& destination,
                   std::uint32_t stateFlags, std::string_view gridKey, int fillType, int alpha) {
    return drawSkinImage(painter, theme, section, destination, stateKey(stateFlags), gridKey, fillType, alpha);
}

bool drawSkinImage(QPainter& painter, const ThemePack* theme, std::string_view section, const QRectF& destination,
                   std::string_view key, std::string_view gridKey, int fillType, int alpha) {
    const std::optional<engine::PackImageRect> region = engine::getPackImageRect(theme, section, key);
    const QImage* image = engine::getPackImage(theme, region ? region->imageIndex : 0);
    if (!region || !image) return false;
    const QImage& picture = atlasFor(theme, *image, painter);
    if (fillType == fill::kFromSkin) fillType = fillTypeOf(theme, section);
    if (const std::optional<QRect> grid = engine::getPackRect(theme, section, gridKey)) {
        drawNineGrid(painter, picture, region->rect, destination, QRectF(*grid), alpha);
        return true;
    }
    drawImage(painter, picture, destination, region->rect, fillType, std::nullopt, alpha);
    return true;
}

void drawImage(QPainter& painter, const QImage& image, const QRectF& destination, std::optional<QRectF> source,
               int fillType, std::optional<QRectF> grid, int alpha, int featherFlags, double featherRatio) {
    if (image.isNull()) return;
    const QRectF from = source.value_or(QRectF(QPointF(0, 0), QSizeF(surface::logicalSize(image))));
    if (featherFlags != 0) {
        const QImage copy = feathered(surface::copyPart(image, from.toAlignedRect()), featherFlags, featherRatio);
        drawImage(painter, copy, destination, std::nullopt, fillType, grid, alpha);
        return;
    }
    if (fillType == fill::kNineGrid && grid) {
        drawNineGrid(painter, image, from, destination, *grid, alpha);
        return;
    }
    QRectF to = destination;
    if (fillType == fill::kNatural) {
        to = QRectF(destination.topLeft(), from.size());
    } else if (fillType == fill::kCentre) {
        const int dx = static_cast<int>((destination.width() - from.width()) / 2);
        const int dy = static_cast<int>((destination.height() - from.height()) / 2);
        to = QRectF(destination.x() + dx, destination.y() + dy, from.width(), from.height());
    }
    OpacityScope opacity(painter, alpha);
    drawScaled(painter, to, image, from);
}

void drawNineGrid(QPainter& painter, const QImage& image, const QRectF& source, const QRectF& destination,
                  const QRectF& grid, int alpha) {
    if (image.isNull()) return;
    const double l = grid.x();
    const double t = grid.y();
    const double r = source.width() - grid.x() - grid.width();
    const double b = source.height() - grid.y() - grid.height();
    const double sx[4] = {source.x(), source.x() + l, source.right() - r, source.right()};
    const double sy[4] = {source.y(), source.y() + t, source.bottom() - b, source.bottom()};
    const double dx[4] = {destination.x(), destination.x() + l, destination.right() - r, destination.right()};
    const double dy[4] = {destination.y(), destination.y() + t, destination.bottom() - b, destination.bottom()};
    OpacityScope opacity(painter, alpha);
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            const QRectF to(QPointF(dx[column], dy[row]), QPointF(dx[column + 1], dy[row + 1]));
            const QRectF from(QPointF(sx[column], sy[row]), QPointF(sx[column + 1], sy[row + 1]));
            if (to.width() <= 0 || to.height() <= 0 || from.width() <= 0 || from.height() <= 0) continue;
            drawScaled(painter, to, image, from);
        }
    }
}

QImage feathered(const QImage& image, int flags, double ratio) {
    QImage copy = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const int band = static_cast<int>(std::min(copy.width(), copy.height()) * ratio);
    if (band <= 0 || flags == 0) return copy;
    for (int y = 0; y < copy.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(copy.scanLine(y));
        for (int x = 0; x < copy.width(); ++x) {
            double factor = 1.0;
            if (flags & feather::kLeft) factor = std::min(factor, static_cast<double>(x) / band);
            if (flags & feather::kTop) factor = std::min(factor, static_cast<double>(y) / band);
            if (flags & feather::kRight) factor = std::min(factor, static_cast<double>(copy.width() - 1 - x) / band);
            if (flags & feather::kBottom) factor = std::min(factor, static_cast<double>(copy.height() - 1 - y) / band);
            if (factor >= 1.0) continue;
            const QRgb p = row[x];
            const auto scale = [factor](int channel) { return static_cast<int>(channel * factor + 0.5); };
            row[x] = qRgba(scale(qRed(p)), scale(qGreen(p)), scale(qBlue(p)), scale(qAlpha(p)));
        }
    }
    return copy;
}

}  // namespace vamu::toolkit::paint
