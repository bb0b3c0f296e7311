#pragma once
// One page of the radio: the hot list's or a channel's songs, the random page choice and
// the shuffled play order.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/random_source.h"
#include "net/song_entry.h"

namespace vamu::net {
class JsonDocument;
}

namespace vamu::catalogue {

using core::RandomSource;
using core::seededRandomSource;
using core::systemRandomSource;

// `currentChannel` 1..10 names a channel tile of the grid; 11 is the hot list.
inline constexpr int kHotChannel = 11;
inline constexpr int kHotPageCount = 50;         // hot pages are drawn from 1..50
inline constexpr int kMaxChannelSongPages = 30;  // channel pages from 1..min(page count, 30)

enum class CatalogueKind { Hot, Channel };

[[nodiscard]] constexpr CatalogueKind kindOfChannel(int channel) {
    return channel == kHotChannel ? CatalogueKind::Hot : CatalogueKind::Channel;
}

// Page number of the next hot-list request, 1..50.
[[nodiscard]] int hotPageNumber(const RandomSource& random);
// Page number of the next request for a channel of `pageCount` pages: 1..min(pageCount, 30);
// a page count below 1 counts as 1.
[[nodiscard]] int channelSongsPageNumber(int pageCount, const RandomSource& random);

struct CataloguePage {
    std::vector<net::SongEntry> songs;  // in the reply's order, playable entries only
    std::vector<std::size_t> queue;     // play order: indexes into `songs`, from 0

    // False means "no songs": the load failed, the reply held none, or none had a URL.
    [[nodiscard]] bool hasSongs() const { return !queue.empty(); }
    // The songs in play order: row j of the song list (from 1) is element j - 1.
    [[nodiscard]] std::vector<net::SongEntry> inPlayOrder() const;
};

// The songs of a catalogue reply with a uniformly shuffled queue. Hot list songs are read
// from "result.data", a channel's from "result.data.sounds". `reply` is null when the
// request failed or the reply was not JSON. A reply whose "result.data" is empty, or whose
// song array is empty ("sounds": []) or missing, gives "no songs".
[[nodiscard]] CataloguePage readCataloguePage(const net::JsonDocument* reply, CatalogueKind kind,
                                              const RandomSource& random);

// 0..count-1 in a uniformly random order (Fisher-Yates): every order is equally likely.
[[nodiscard]] std::vector<std::size_t> shuffledOrder(std::size_t count, const RandomSource& random);

}  // namespace vamu::catalogue
