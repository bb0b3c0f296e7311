#include "atlas_paint.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace vamu::tools {

namespace {

std::vector<double> gaussianKernel(qreal sigma) {
    const int radius = std::max(1, static_cast<int>(std::ceil(sigma * 3)));
    std::vector<double> kernel(2 * radius + 1);
    double sum = 0;
    for (int i = -radius; i <= radius; ++i) {
        kernel[i + radius] = std::exp(-(i * i) / (2 * sigma * sigma));
        sum += kernel[i + radius];
    }
    for (double& k : kernel) k /= sum;
    return kernel;
}

// Blurs the alpha of a single-colour mask in place, horizontally then vertically.
void blurAlpha(std::vector<double>& alpha, int width, int height, qreal sigma) {
    const std::vector<double> kernel = gaussianKernel(sigma);
    const int radius = static_cast<int>(kernel.size() / 2);
    std::vector<double> pass(alpha.size());
    auto sample = [&](const std::vector<double>& from, int x, int y) {
        return (x < 0 || y < 0 || x >= width || y >= height) ? 0.0 : from[static_cast<std::size_t>(y * width + x)];
    };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            double sum = 0;
            for (int k = -radius; k <= radius; ++k) sum += kernel[k + radius] * sample(alpha, x + k, y);
            pass[static_cast<std::size_t>(y * width + x)] = sum;
        }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            double sum = 0;
            for (int k = -radius; k <= radius; ++k) sum += kernel[k + radius] * sample(pass, x, y + k);
            alpha[static_cast<std::size_t>(y * width + x)] = sum;
        }
}

}  // namespace

QColor withAlpha(QColor colour, int alpha) {
    colour.setAlpha(alpha);
    return colour;
}

QLinearGradient verticalGradient(const QRectF& rect, const QColor& top, const QColor& bottom) {
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    return gradient;
}

void paintFramedBox(QPainter& painter, const QRect& cells, qreal radius, const QBrush& fill, const QColor& outline) {
    const QRectF line = QRectF(cells).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(line, radius, radius);
    if (outline.alpha() > 0) {
        painter.setPen(QPen(outline, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(line, radius, radius);
    }
}

void strokePolyline(QPainter& painter, std::initializer_list<QPointF> points, const QColor& colour, qreal width) {
    QPainterPath path;
    bool first = true;
    for (const QPointF& point : points) {
        if (first)
            path.moveTo(point);
        else
            path.lineTo(point);
        first = false;
    }
    painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(path);
}

void paintSoftShadow(QPainter& target, QPoint origin, QSize size, const std::function<void(QPainter&)>& shape,
                     qreal sigma, const QColor& colour) {
    const qreal scale = target.device() ? target.device()->devicePixelRatio() : 1.0;
    size = size * scale;
    QImage mask(size, QImage::Format_ARGB32_Premultiplied);
    mask.setDevicePixelRatio(scale);
    mask.fill(Qt::transparent);
    {
        QPainter painter(&mask);
        painter.setRenderHint(QPainter::Antialiasing);
        shape(painter);
    }
    sigma *= scale;
    std::vector<double> alpha(static_cast<std::size_t>(size.width() * size.height()));
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            alpha[static_cast<std::size_t>(y * size.width() + x)] = qAlpha(mask.pixel(x, y)) / 255.0;
    blurAlpha(alpha, size.width(), size.height(), sigma);

    QImage shadow(size, QImage::Format_ARGB32);
    shadow.setDevicePixelRatio(scale);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const double a = alpha[static_cast<std::size_t>(y * size.width() + x)] * colour.alphaF();
            shadow.setPixel(x, y,
                            qRgba(colour.red(), colour.green(), colour.blue(),
                                  std::clamp(static_cast<int>(std::lround(a * 255)), 0, 255)));
        }
    target.drawImage(origin, shadow);
}

void paintInRegion(QImage& atlas, const QRect& region, const std::function<void(QPainter&, QSize)>& paint) {
    QPainter painter(&atlas);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipRect(region);
    painter.translate(region.topLeft());
    paint(painter, region.size());
}

}  // namespace vamu::tools
