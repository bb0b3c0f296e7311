#pragma once
// One page of the channel grid: ten tiles read from a "/channel/get" reply.

#include <array>
#include <optional>
#include <string>

namespace vamu::net {
class JsonDocument;
}

namespace vamu::catalogue {

inline constexpr int kTilesPerPage = 10;
inline constexpr int kSongsPerChannelPage = 20;  // the "limit" of a channel's song page
// Upper bound of a page count, so a wild `sound_count` cannot overflow the arithmetic.
inline constexpr int kMaxPageCount = 1'000'000;

struct ChannelTile {
    std::string pictureUrl;  // `pic_100`; empty for a missing channel
    std::string name;        // `name`
    std::string id;          // `id` as text; empty for a missing channel
    int pageCount = 1;       // pages of 20 songs that hold songs: sound_count / 20 rounded up, at least 1
};

// Tiles 1..10 are elements 0..9.
using ChannelPage = std::array<ChannelTile, kTilesPerPage>;

// sound_count / 20 rounded up, at least 1: 0 -> 1, 20 -> 1, 21 -> 2, 40 -> 2, 41 -> 3. A
// negative count counts as 0; the result is capped at kMaxPageCount.
[[nodiscard]] int channelPageCount(double soundCount);

// Ten tiles from the first ten elements of "result.data"; a reply with fewer channels
// leaves the remaining tiles empty with a page count of 1. nullopt when "result.data" is
// not an array (an error reply): the grid counts that as a failed fetch and retries.
[[nodiscard]] std::optional<ChannelPage> readChannelPage(const net::JsonDocument& reply);

}  // namespace vamu::catalogue
