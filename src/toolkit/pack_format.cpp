#include "toolkit/pack_format.h"

#include <zlib.h>

#include <array>
#include <cassert>
#include <cstring>

namespace vamu::toolkit {

namespace {

constexpr std::array<char, 4> kMagic{'V', 'T', 'P', 'K'};
constexpr std::size_t kLengthsSize = 8;  // the two uint32 lengths inside the stream
constexpr std::size_t kMaxInflatedSize = kLengthsSize + kMaxPackDescriptionSize + kMaxPackPictureSize;

std::uint32_t readU32(const std::byte* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint64_t readU64(const std::byte* p) {
    return static_cast<std::uint64_t>(readU32(p)) | static_cast<std::uint64_t>(readU32(p + 4)) << 32;
}

template <typename Bytes>
void appendLe(Bytes& out, std::uint64_t value, int size) {
    for (int i = 0; i < size; ++i) out.push_back(static_cast<typename Bytes::value_type>((value >> (8 * i)) & 0xFF));
}

std::uint64_t passwordCheck(std::uint32_t streamCrc, std::string_view password) {
    std::uint64_t hash = 14695981039346656037ull;
    auto mix = [&hash](unsigned char byte) {
        hash ^= byte;
        hash *= 1099511628211ull;
    };
    for (int i = 0; i < 4; ++i) mix(static_cast<unsigned char>((streamCrc >> (8 * i)) & 0xFF));
    for (char c : password) mix(static_cast<unsigned char>(c));
    return hash;
}

std::uint32_t crcOf(std::span<const std::byte> data) {
    return static_cast<std::uint32_t>(
        crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

enum class InflateResult { Ok, Damaged, TooLarge };

// Inflates one whole zlib stream that must use up `input` exactly.
InflateResult inflateBounded(std::span<const std::byte> input, std::string& output) {
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return InflateResult::Damaged;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<std::byte*>(input.data()));
    stream.avail_in = static_cast<uInt>(input.size());

    std::array<char, 64 * 1024> chunk{};
    int status = Z_OK;
    InflateResult result = InflateResult::Ok;
    while (status == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef*>(chunk.data());
        stream.avail_out = static_cast<uInt>(chunk.size());
        status = inflate(&stream, Z_NO_FLUSH);
        const std::size_t produced = chunk.size() - stream.avail_out;
        if (output.size() + produced > kMaxInflatedSize) {
            result = InflateResult::TooLarge;
            break;
        }
        output.append(chunk.data(), produced);
    }
    if (result == InflateResult::Ok && (status != Z_STREAM_END || stream.avail_in != 0))
        result = InflateResult::Damaged;
    inflateEnd(&stream);
    return result;
}

PackError splitContents(const std::string& inflated, PackContents& contents) {
    std::string_view rest(inflated);
    auto takeBlock = [&rest](std::size_t bound, std::string& into) {
        if (rest.size() < 4) return false;
        const std::uint32_t length = readU32(reinterpret_cast<const std::byte*>(rest.data()));
        rest.remove_prefix(4);
        if (length > bound || length > rest.size()) return false;
        into.assign(rest.substr(0, length));
        rest.remove_prefix(length);
        return true;
    };
    if (!takeBlock(kMaxPackDescriptionSize, contents.description) ||
        !takeBlock(kMaxPackPictureSize, contents.picture) || !rest.empty())
        return PackError::Lengths;
    return PackError::None;
}

}  // namespace

PackReadResult readPack(std::span<const std::byte> stored, std::string_view password) {
    PackReadResult result;
    auto fail = [&result](PackError error) {
        result.error = error;
        result.contents = {};
        return result;
    };
    if (stored.size() < kPackHeaderSize || std::memcmp(stored.data(), kMagic.data(), kMagic.size()) != 0 ||
        static_cast<std::uint8_t>(stored[4]) != kPackFormatVersion)
        return fail(PackError::Header);
    const std::uint32_t streamLength = readU32(&stored[5]);
    if (streamLength > kMaxPackStreamSize || streamLength != stored.size() - kPackHeaderSize)
        return fail(PackError::Header);
    const auto stream = stored.subspan(kPackHeaderSize);
    const std::uint32_t crc = crcOf(stream);
    // The password is checked against the CRC the header claims, so a wrong password
    // is reported as such even when the stream is damaged too.
    if (readU64(&stored[13]) != passwordCheck(readU32(&stored[9]), password)) return fail(PackError::Password);
    if (crc != readU32(&stored[9])) return fail(PackError::Stream);

    std::string inflated;
    switch (inflateBounded(stream, inflated)) {
    case InflateResult::Ok:
        break;
    case InflateResult::Damaged:
        return fail(PackError::Stream);
    case InflateResult::TooLarge:
        return fail(PackError::Lengths);
    }
    if (const PackError error = splitContents(inflated, result.contents); error != PackError::None) return fail(error);
    return result;
}

std::vector<std::byte> wrapPackStream(std::span<const std::byte> stream, std::string_view password) {
    assert(stream.size() <= kMaxPackStreamSize);
    const std::uint32_t crc = crcOf(stream);
    std::vector<std::byte> out;
    out.reserve(kPackHeaderSize + stream.size());
    for (char c : kMagic) out.push_back(static_cast<std::byte>(c));
    out.push_back(static_cast<std::byte>(kPackFormatVersion));
    appendLe(out, stream.size(), 4);
    appendLe(out, crc, 4);
    appendLe(out, passwordCheck(crc, password), 8);
    out.insert(out.end(), stream.begin(), stream.end());
    return out;
}

std::vector<std::byte> writePack(std::string_view description, std::string_view picture, std::string_view password) {
    assert(description.size() <= kMaxPackDescriptionSize && picture.size() <= kMaxPackPictureSize);
    std::string payload;
    appendLe(payload, description.size(), 4);
    payload.append(description);
    appendLe(payload, picture.size(), 4);
    payload.append(picture);

    std::vector<std::byte> stream(compressBound(static_cast<uLong>(payload.size())));
    uLongf streamSize = static_cast<uLongf>(stream.size());
    [[maybe_unused]] const int status =
        compress2(reinterpret_cast<Bytef*>(stream.data()), &streamSize, reinterpret_cast<const Bytef*>(payload.data()),
                  static_cast<uLong>(payload.size()), 9);
    assert(status == Z_OK);
    stream.resize(streamSize);
    return wrapPackStream(stream, password);
}

}  // namespace vamu::toolkit
