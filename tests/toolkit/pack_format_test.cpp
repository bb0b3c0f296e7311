#include "toolkit/pack_format.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>
#include <vector>

namespace vamu::toolkit {
namespace {

std::vector<std::byte> deflateBytes(std::string_view data) {
    std::vector<std::byte> out(compressBound(static_cast<uLong>(data.size())));
    uLongf size = static_cast<uLongf>(out.size());
    EXPECT_EQ(compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                        static_cast<uLong>(data.size()), 6),
              Z_OK);
    out.resize(size);
    return out;
}

std::string le32(std::uint32_t value) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i) out[static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

std::string payload(std::string_view description, std::string_view picture) {
    return le32(static_cast<std::uint32_t>(description.size())) + std::string(description) +
           le32(static_cast<std::uint32_t>(picture.size())) + std::string(picture);
}

TEST(PackFormat, RoundTripsContentsAndChecksThePassword) {
    const std::string description = "<root a=\"\xC4\xE3\"/>";
    const std::string picture("\x89PNG\0\x01\x02", 7);
    for (const std::string_view password : {"", "secret"}) {
        const auto stored = writePack(description, picture, password);
        ASSERT_EQ(std::memcmp(stored.data(), "VTPK", 4), 0);
        const PackReadResult read = readPack(stored, password);
        ASSERT_TRUE(read.ok()) << password;
        EXPECT_EQ(read.contents.description, description);
        EXPECT_EQ(read.contents.picture, picture);
    }
    EXPECT_EQ(readPack(writePack(description, picture, "secret"), "").error, PackError::Password);
    EXPECT_EQ(readPack(writePack(description, picture, ""), "secret").error, PackError::Password);
    EXPECT_EQ(readPack(writePack(description, picture, "secret"), "Secret").error, PackError::Password);
}

TEST(PackFormat, EmptyBlocksAreAllowed) {
    const PackReadResult read = readPack(writePack("", ""), "");
    ASSERT_TRUE(read.ok());
    EXPECT_TRUE(read.contents.description.empty());
    EXPECT_TRUE(read.contents.picture.empty());
}

TEST(PackFormat, DamagedPacksAreRefusedByKind) {
    const std::vector<std::byte> good = writePack("<x/>", "picture bytes");
    const auto deflated = deflateBytes(payload("<x/>", "pic"));
    auto edited = [&good](auto change) {
        std::vector<std::byte> copy = good;
        change(copy);
        return copy;
    };
    struct Case {
        const char* name;
        std::vector<std::byte> stored;
        PackError expected;
    };
    const std::vector<Case> cases = {
        {"empty", {}, PackError::Header},
        {"header only, short", std::vector<std::byte>(good.begin(), good.begin() + 20), PackError::Header},
        {"wrong magic", edited([](auto& b) { b[0] = std::byte{'X'}; }), PackError::Header},
        {"wrong version", edited([](auto& b) { b[4] = std::byte{2}; }), PackError::Header},
        {"truncated", std::vector<std::byte>(good.begin(), good.end() - 1), PackError::Header},
        {"trailing bytes", edited([](auto& b) { b.push_back(std::byte{0}); }), PackError::Header},
        {"stream length too large", edited([](auto& b) { b[8] = std::byte{0x7F}; }), PackError::Header},
        {"password check damaged", edited([](auto& b) { b[20] ^= std::byte{1}; }), PackError::Password},
        {"stream byte flipped", edited([](auto& b) { b[30] ^= std::byte{0x10}; }), PackError::Stream},
        {"not zlib", wrapPackStream(std::as_bytes(std::span("not a zlib stream at all"))), PackError::Stream},
        {"zlib cut short", wrapPackStream(std::span(deflated).first(deflated.size() / 2)), PackError::Stream},
        {"bytes after the zlib stream",
         [&] {
             auto stream = deflated;
             stream.push_back(std::byte{0});
             return wrapPackStream(stream);
         }(),
         PackError::Stream},
        {"inflates to nothing", wrapPackStream(deflateBytes("")), PackError::Lengths},
        {"description longer than the data", wrapPackStream(deflateBytes(le32(100) + "abc")), PackError::Lengths},
        {"picture length missing", wrapPackStream(deflateBytes(le32(3) + "abc")), PackError::Lengths},
        {"picture longer than the data", wrapPackStream(deflateBytes(le32(1) + "a" + le32(9) + "b")),
         PackError::Lengths},
        {"data after the picture", wrapPackStream(deflateBytes(payload("a", "b") + "extra")), PackError::Lengths},
        {"description over its bound",
         wrapPackStream(deflateBytes(payload(std::string(kMaxPackDescriptionSize + 1, ' '), ""))), PackError::Lengths},
    };
    for (const Case& c : cases) {
        const PackReadResult read = readPack(c.stored, "");
        EXPECT_EQ(read.error, c.expected) << c.name;
        EXPECT_TRUE(read.contents.description.empty() && read.contents.picture.empty()) << c.name;
    }
}

TEST(PackFormat, InflationStopsAtItsBound) {
    // 40 MiB of zeros deflate to a few tens of KiB: a bomb must be refused, not inflated.
    const std::string zeros(40u << 20, '\0');
    const PackReadResult read = readPack(wrapPackStream(deflateBytes(zeros)), "");
    EXPECT_EQ(read.error, PackError::Lengths);
}

}  // namespace
}  // namespace vamu::toolkit
