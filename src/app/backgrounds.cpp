#include "app/backgrounds.h"

#include <QBuffer>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <embedded/vamu_app_pictures.h>

#include <array>
#include <span>

namespace vamu::app {
namespace {

QByteArray bytesOf(std::span<const std::byte> data) {
    return QByteArray::fromRawData(reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size()));
}

}  // namespace

QImage backgroundPicture(int index) {
    using namespace resources;
    static const std::array<std::span<const std::byte> (*)(), kBackgroundCount> kPictures{
        background0, background1, background2, background3, background4};
    if (index < 0 || index >= kBackgroundCount) return {};
    return QImage::fromData(bytesOf(kPictures[static_cast<std::size_t>(index)]()), "JPEG");
}

QByteArray programIconBytes() { return bytesOf(resources::icon()); }

QImage programIcon() { return QImage::fromData(programIconBytes(), "PNG"); }

QByteArray pagingArrowBytes(PagingArrow arrow) {
    constexpr int kSize = 120;  // twice the tile, so the round cut stays smooth
    QImage picture(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient disc(0, 0, kSize, kSize);
    disc.setColorAt(0.0, QColor(0x8E, 0xC5, 0xFF));
    disc.setColorAt(1.0, QColor(0x3D, 0x7B, 0xE0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(disc);
    painter.drawEllipse(QRectF(0, 0, kSize, kSize));
    QPen stroke(Qt::white, kSize * 0.09, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(stroke);
    painter.setBrush(Qt::NoBrush);
    const double direction = arrow == PagingArrow::Next ? 1.0 : -1.0;
    const QPointF centre(kSize / 2.0 + direction * kSize * 0.04, kSize / 2.0);
    const double reach = kSize * 0.14;
    QPainterPath chevron;
    chevron.moveTo(centre + QPointF(-direction * reach, -reach * 1.6));
    chevron.lineTo(centre + QPointF(direction * reach, 0));
    chevron.lineTo(centre + QPointF(-direction * reach, reach * 1.6));
    painter.drawPath(chevron);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return bytes;
}

}  // namespace vamu::app
