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

bool unreserved(unsigned char byte) {
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
           byte == '-' || byte == '_' || byte == '.' || byte == '~';
}

std::string percentEncoded(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (unreserved(byte)) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        }
    }
    return encoded;
}

}  // namespace

int hotPageNumber(const RandomSource& random) { return random(1, kHotPageCount); }

int channelSongsPageNumber(int pageCount, const RandomSource& random) {
    return random(1, std::clamp(pageCount, 1, kMaxChannelSongPages));
}

std::string hotPagePath(int page) {
    const auto& endpoint = net::endpoint::kHotList;
    return std::string(endpoint.path) + "?" + std::string(endpoint.pieces[0]) + std::to_string(page);
}

std::string channelSongsPath(std::string_view channelId, int page) {
    const auto& endpoint = net::endpoint::kChannelSongs;
    return std::string(endpoint.path) + "?" + std::string(endpoint.pieces[0]) + percentEncoded(channelId) +
           std::string(endpoint.pieces[1]) + std::to_string(page);
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
