#include "toolkit/controls/surface.h"

#include <cmath>

namespace vamu::toolkit::surface {

QImage make(QSize size, qreal ratio) {
    size = size.expandedTo(QSize(1, 1));
    QImage image(static_cast<int>(std::ceil(size.width() * ratio)), static_cast<int>(std::ceil(size.height() * ratio)),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    return image;
}

QSize logicalSize(const QImage& image) {
    const qreal ratio = image.devicePixelRatio();
    if (ratio == 1.0) return image.size();
    return QSize(static_cast<int>(std::floor(image.width() / ratio + 1e-6)),
                 static_cast<int>(std::floor(image.height() / ratio + 1e-6)));
}

QRect toDevice(const QRect& logical, qreal ratio) {
    if (ratio == 1.0) return logical;
    const int left = static_cast<int>(std::floor(logical.x() * ratio));
    const int top = static_cast<int>(std::floor(logical.y() * ratio));
    const int right = static_cast<int>(std::ceil((logical.x() + logical.width()) * ratio));
    const int bottom = static_cast<int>(std::ceil((logical.y() + logical.height()) * ratio));
    return QRect(left, top, right - left, bottom - top);
}

void drawPart(QPainter& painter, QPoint target, const QImage& image, const QRect& source) {
    const qreal ratio = image.devicePixelRatio();
    if (ratio == 1.0) {
        painter.drawImage(target, image, source);
        return;
    }
    painter.drawImage(QRectF(QPointF(target), QSizeF(source.size())), image, QRectF(toDevice(source, ratio)));
}

QImage copyPart(const QImage& image, const QRect& logical) {
    const qreal ratio = image.devicePixelRatio();
    if (ratio == 1.0) return image.copy(logical);
    QImage part = image.copy(toDevice(logical, ratio));
    part.setDevicePixelRatio(ratio);
    return part;
}

QRgb pixelAt(const QImage& image, QPoint logical) {
    const qreal ratio = image.devicePixelRatio();
    const QPoint device = ratio == 1.0 ? logical
                                       : QPoint(static_cast<int>((logical.x() + 0.5) * ratio),
                                                static_cast<int>((logical.y() + 0.5) * ratio));
    if (logical.x() < 0 || logical.y() < 0 || !image.valid(device)) return 0;
    return image.pixel(device);
}

}  // namespace vamu::toolkit::surface
