#pragma once
// The stored form of a theme pack, below the level of XML and pictures:
//
//   offset size  field
//        0    4  magic "VTPK"
//        4    1  format version, 1
//        5    4  length of the zlib stream in bytes (uint32 LE); the stream ends the pack
//        9    4  CRC-32 of the zlib stream (uint32 LE)
//       13    8  password check (uint64 LE): FNV-1a 64 over the stream's CRC (4 bytes LE)
//                followed by the password's bytes
//       21       zlib stream, inflating to:
//                  uint32 LE  description length
//                  ...        description (XML, GB2312)
//                  uint32 LE  picture length
//                  ...        picture (PNG)
//
// The password check only tells whether the right password was given (packs built into
// the program are written with an empty one); the contents are not secret. Every length
// is bounded, so hostile input costs at most a few tens of MiB and never crashes.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vamu::toolkit {

inline constexpr std::size_t kPackHeaderSize = 21;
inline constexpr std::uint8_t kPackFormatVersion = 1;
inline constexpr std::size_t kMaxPackStreamSize = 16u << 20;
inline constexpr std::size_t kMaxPackDescriptionSize = 1u << 20;
inline constexpr std::size_t kMaxPackPictureSize = 16u << 20;

enum class PackError {
    None,
    Header,    // too short, wrong magic or version, stream length not matching the data
    Password,  // the password check fails
    Stream,    // the zlib stream is damaged, its CRC does not match, or bytes follow it
    Lengths,   // the inflated lengths do not add up or exceed their bounds
};

struct PackContents {
    std::string description;  // as stored: GB2312 XML
    std::string picture;      // as stored: PNG
};

struct PackReadResult {
    PackError error = PackError::None;
    PackContents contents;  // empty unless error is None

    [[nodiscard]] bool ok() const { return error == PackError::None; }
};

[[nodiscard]] PackReadResult readPack(std::span<const std::byte> stored, std::string_view password);

// The stored form of a description and a picture; `description` must already be GB2312.
// Both must lie within their bounds (asserted: only the program's tools write packs).
[[nodiscard]] std::vector<std::byte> writePack(std::string_view description, std::string_view picture,
                                               std::string_view password = {});

// A header for an already deflated stream (whatever it holds); for tools and tests that
// need packs with particular contents.
[[nodiscard]] std::vector<std::byte> wrapPackStream(std::span<const std::byte> stream, std::string_view password = {});

}  // namespace vamu::toolkit
