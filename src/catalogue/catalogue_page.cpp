#include "catalogue/catalogue_page.h"

#include <algorithm>
#include <utility>

#include "catalogue/catalogue_texts.h"
#include "net/json_document.h"
#include "net/service_endpoints.h"

namespace vamu::catalogue {

namespace {

constexpr std::string_view kHotSongs = "result.data";
constexpr std::string_view kChannelData = "result.data";
constexpr std::string_view kChannelSongs = "result.data.sounds";

}  // namespace

int hotPageNumber(const RandomSource& random) { return random(1, kHotPageCount); }

int channelSongsPageNumber(int pageCount, const RandomSource& random) {
    return random(1, std::clamp(pageCount, 1, kMaxChannelSongPages));
}

std::vector<net::SongEntry> CataloguePage::inPlayOrder() const {
    std::vector<net::SongEntry> ordered;
    ordered.reserve(queue.size());
    for (const std::size_t index : queue) {
        ordered.push_back(songs[index]);
    }
    return ordered;
}

CataloguePage readCataloguePage(const net::JsonDocument* reply, CatalogueKind kind, const RandomSource& random) {
    CataloguePage page;
    if (reply == nullptr) {
        return page;
    }
    if (kind == CatalogueKind::Hot) {
        page.songs = net::readSongEntries(*reply, kHotSongs, net::WithoutStream::Skip);
    } else if (reply->countMembers(kChannelData) > 0) {
        page.songs = net::readSongEntries(*reply, kChannelSongs, net::WithoutStream::Skip);
    }
    page.queue = shuffledOrder(page.songs.size(), random);
    return page;
}

std::vector<std::size_t> shuffledOrder(std::size_t count, const RandomSource& random) {
    std::vector<std::size_t> order(count);
    for (std::size_t i = 0; i < count; ++i) {
        order[i] = i;
    }
    // Fisher-Yates: position i takes one of the count - i elements not yet placed, each
    // with the same chance, so every order has probability 1 / count!.
    for (std::size_t i = 0; i + 1 < count; ++i) {
        const int last = static_cast<int>(count - 1);
        const auto pick = static_cast<std::size_t>(random(static_cast<int>(i), last));
        std::swap(order[i], order[pick]);
    }
    return order;
}

}  // namespace vamu::catalogue
