#include "png_writer.h"

#include <zlib.h>

#include <array>
#include <string_view>

namespace vamu::service {
namespace {

void appendBigEndian(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void appendChunk(std::string& out, std::string_view type, std::string_view data) {
    appendBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const auto start = out.size();
    out.append(type);
    out.append(data);
    const auto* crcBytes = reinterpret_cast<const Bytef*>(out.data() + start);
    appendBigEndian(out, static_cast<std::uint32_t>(crc32(0, crcBytes, static_cast<uInt>(out.size() - start))));
}

}  // namespace

std::string encodePng(const RgbaImage& image) {
    const auto rowBytes = static_cast<std::size_t>(image.width) * 4;
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != rowBytes * static_cast<std::size_t>(image.height)) {
        return {};
    }
    // Each row is prefixed with its filter type; "Sub" (1) suits the smooth gradients drawn here.
    std::string raw;
    raw.reserve((rowBytes + 1) * static_cast<std::size_t>(image.height));
    for (int y = 0; y < image.height; ++y) {
        const auto* row = image.pixels.data() + rowBytes * static_cast<std::size_t>(y);
        raw.push_back(1);
        for (std::size_t i = 0; i < rowBytes; ++i) {
            const std::uint8_t left = i >= 4 ? row[i - 4] : 0;
            raw.push_back(static_cast<char>(static_cast<std::uint8_t>(row[i] - left)));
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(packedSize, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(raw.data()),
                  static_cast<uLong>(raw.size()), Z_DEFAULT_COMPRESSION) != Z_OK) {
        return {};
    }
    packed.resize(packedSize);

    std::string header;
    appendBigEndian(header, static_cast<std::uint32_t>(image.width));
    appendBigEndian(header, static_cast<std::uint32_t>(image.height));
    header += std::string_view("\x08\x06\x00\x00\x00", 5);  // 8 bits, RGBA, deflate, adaptive filters, no interlace

    std::string png("\x89PNG\r\n\x1a\n", 8);
    appendChunk(png, "IHDR", header);
    appendChunk(png, "IDAT", packed);
    appendChunk(png, "IEND", {});
    return png;
}

}  // namespace vamu::service
