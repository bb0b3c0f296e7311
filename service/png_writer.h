#pragma once
// Pictures as RGBA pixels and their PNG encoding (zlib does the compression).

#include <cstdint>
#include <string>
#include <vector>

namespace vamu::service {

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // 4 bytes a pixel (R, G, B, A), rows from the top
};

// A complete PNG file (8-bit RGBA, not interlaced); empty for an image without pixels
// or whose pixel count does not match its size.
[[nodiscard]] std::string encodePng(const RgbaImage& image);

}  // namespace vamu::service
