#include "toolkit/controls/text_paint.h"

#include "toolkit/controls/surface.h"

#include <QFontMetricsF>
#include <QLinearGradient>

#include <array>
#include <cmath>

namespace vamu::toolkit::paint {
namespace {

int qtFlags(const TextFormat& format) {
    int flags = static_cast<int>(format.alignment);
    flags |= format.wrap ? Qt::TextWordWrap : Qt::TextSingleLine;
    if (format.prefix == HotkeyPrefix::Show) flags |= Qt::TextShowMnemonic;
    if (format.prefix == HotkeyPrefix::Hide) flags |= Qt::TextHideMnemonic;
    return flags;
}

QString fitted(const QRectF& rect, const QString& text, const QFont& font, const TextFormat& format) {
    if (!format.ellipsis || format.wrap) return text;
    return QFontMetricsF(font).elidedText(text, Qt::ElideRight, rect.width());
}

void drawPlain(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font, QRgb colour,
               const TextFormat& format) {
    painter.save();
    painter.setFont(font);
    painter.setPen(QColor::fromRgba(colour));
    painter.drawText(rect, qtFlags(format), fitted(rect, text, font, format));
    painter.restore();
}

// Five copies of the text around its place, scaled down by the factor and back up:
// a blurred, one-pixel dilated copy (glow) or a sharp one (outline).
void drawEffectLayer(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font,
                     const TextFormat& format, QRgb colour, double factor) {
    const QSize size(static_cast<int>(rect.width()) + 7, static_cast<int>(rect.height()) + 7);
    if (size.width() <= 7 || size.height() <= 7) return;
    // At the target's device pixel ratio, so an outline is as sharp as the text.
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatio() : 1.0;
    QImage layer = surface::make(size, ratio);
    {
        QPainter p(&layer);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        static constexpr std::array<QPointF, 5> kOffsets{{{5, 4}, {3, 4}, {4, 3}, {4, 5}, {4, 4}}};
        for (const QPointF& offset : kOffsets) {
            drawPlain(p, QRectF(offset, rect.size()), text, font, colour, format);
        }
    }
    if (factor > 1.0) {
        const QSize small(std::max(1, static_cast<int>(size.width() / factor)),
                          std::max(1, static_cast<int>(size.height() / factor)));
        // The glow spreads as far in logical pixels at any ratio.
        const QSize device = layer.size();
        layer = layer.scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                    .scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        layer.setDevicePixelRatio(ratio);
    }
    painter.drawImage(QPointF(rect.x() - 4, rect.y() - 4), layer);
}

}  // namespace

QRgb automaticEffectColour(QRgb text) {
    const double luminance = 0.299 * qRed(text) + 0.587 * qGreen(text) + 0.114 * qBlue(text);
    if (luminance < 192 && qAlpha(text) > 128) return qRgba(255, 255, 255, 85);
    return qRgba(0, 0, 0, 75);
}

void drawText(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font, QRgb colour,
              const TextFormat& format, int textEffect, std::optional<QRgb> effectColour) {
    if (text.isEmpty()) return;
    if (textEffect == effect::kGlow || textEffect == effect::kOutline) {
        drawEffectLayer(painter, rect, text, font, format, effectColour.value_or(automaticEffectColour(colour)),
                        textEffect == effect::kGlow ? 3.0 : 1.0);
    }
    drawPlain(painter, rect, text, font, textDrawColour(colour), format);
}

QSizeF measureText(const QRectF& rect, const QString& text, const QFont& font, const TextFormat& format) {
    const QFontMetricsF metrics(font);
    return metrics.boundingRect(rect, qtFlags(format), fitted(rect, text, font, format)).size();
}

void fillGradient(QPainter& painter, const QRectF& rect, QRgb from, QRgb to, int mode) {
    QPointF end = rect.bottomLeft();
    QPointF start = rect.topLeft();
    switch (mode) {
    case 0:
        end = rect.topRight();
        break;
    case 2:
        end = rect.bottomRight();
        break;
    case 3:
        start = rect.topRight();
        end = rect.bottomLeft();
        break;
    default:
        break;
    }
    QLinearGradient gradient(start, end);
    gradient.setColorAt(0, QColor::fromRgba(from));
    gradient.setColorAt(1, QColor::fromRgba(to));
    gradient.setSpread(QGradient::ReflectSpread);
    painter.fillRect(rect, gradient);
}

void drawBorder(QPainter& painter, const QRectF& rect, long long style, std::optional<QRgb> colour, double penWidth) {
    if (style == 0 || rect.width() <= 0 || rect.height() <= 0) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    const QRectF line(rect.x() + 0.5, rect.y() + 0.5, rect.width() - 1, rect.height() - 1);
    if (style == 1 || style == 2) {
        const QColor dark = QColor::fromRgba(qRgba(0, 0, 0, 110));
        const QColor light = QColor::fromRgba(qRgba(255, 255, 255, 245));
        painter.setPen(QPen(style == 1 ? dark : light, penWidth));
        painter.drawLine(line.topLeft(), line.topRight());
        painter.drawLine(line.topLeft(), line.bottomLeft());
        painter.setPen(QPen(style == 1 ? light : dark, penWidth));
        painter.drawLine(line.bottomLeft(), line.bottomRight());
        painter.drawLine(line.topRight(), line.bottomRight());
    } else {
        QRgb use = static_cast<QRgb>(style);
        if (style == 3) use = colour.value_or(kThemeColour);
        if (style == 4) use = colour.value_or(qRgba(0, 0, 0, 81));
        QPen pen(QColor::fromRgba(use), penWidth);
        if (style == 4) pen.setDashPattern({3.0, 1.0});
        painter.setPen(pen);
        painter.drawRect(line);
    }
    painter.restore();
}

QPainterPath roundRectPath(const QRectF& rect, double diameter) {
    QPainterPath path;
    const double d = std::max(diameter, 0.0);
    const double right = rect.x() + rect.width() - 1;
    const double bottom = rect.y() + rect.height() - 1;
    if (d <= 0) {
        path.addRect(QRectF(rect.topLeft(), QPointF(right, bottom)));
        return path;
    }
    path.arcMoveTo(QRectF(rect.x(), rect.y(), d, d), 180);
    path.arcTo(QRectF(rect.x(), rect.y(), d, d), 180, -90);
    path.arcTo(QRectF(right - d, rect.y(), d, d), 90, -90);
    path.arcTo(QRectF(right - d, bottom - d, d, d), 0, -90);
    path.arcTo(QRectF(rect.x(), bottom - d, d, d), 270, -90);
    path.closeSubpath();
    return path;
}

void fillPath(QPainter& painter, const QPainterPath& path, QRgb colour) {
    painter.fillPath(path, QColor::fromRgba(colour));
}

void strokePath(QPainter& painter, const QPainterPath& path, QRgb colour, double penWidth) {
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor::fromRgba(colour), penWidth));
    painter.drawPath(path);
    painter.restore();
}

ClipScope::ClipScope(QPainter& painter, const QRectF& rect, Qt::ClipOperation operation) : m_painter(painter) {
    painter.save();
    painter.setClipRect(rect, painter.hasClipping() ? operation : Qt::ReplaceClip);
}

ClipScope::ClipScope(QPainter& painter, const QPainterPath& path, Qt::ClipOperation operation) : m_painter(painter) {
    painter.save();
    painter.setClipPath(path, painter.hasClipping() ? operation : Qt::ReplaceClip);
}

}  // namespace vamu::toolkit::paint
