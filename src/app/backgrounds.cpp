#include "app/backgrounds.h"

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

}  // namespace vamu::app
