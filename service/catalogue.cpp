#include "catalogue.h"

#include <algorithm>

namespace vamu::service {
namespace {

template <typename T>
std::vector<T> pageOf(const std::vector<T>& items, int page, int pageSize) {
    if (page < 1 || pageSize < 1) return {};
    const auto first = static_cast<std::size_t>(page - 1) * static_cast<std::size_t>(pageSize);
    if (first >= items.size()) return {};
    const auto last = std::min(items.size(), first + static_cast<std::size_t>(pageSize));
    return {items.begin() + static_cast<std::ptrdiff_t>(first), items.begin() + static_cast<std::ptrdiff_t>(last)};
}

std::string asciiLower(std::string_view text) {
    std::string lower(text);
    for (auto& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

template <typename T>
std::unordered_map<Id, std::size_t> indexById(const std::vector<T>& items) {
    std::unordered_map<Id, std::size_t> index;
    for (std::size_t i = 0; i < items.size(); ++i) index.emplace(items[i].id, i);
    return index;
}

}  // namespace

Catalogue::Catalogue(CatalogueData data) : m_data(std::move(data)) {
    m_songIndex = indexById(m_data.songs);
    m_userIndex = indexById(m_data.users);
    m_channelIndex = indexById(m_data.channels);

    for (const auto& channel : m_data.channels) m_channelsByHot.push_back(&channel);
    std::stable_sort(m_channelsByHot.begin(), m_channelsByHot.end(),
                     [](const Channel* a, const Channel* b) { return a->hot > b->hot; });

    for (const auto& song : m_data.songs) {
        m_songsByPlays.push_back(&song);
        m_songsByUser[song.userId].push_back(&song);
    }
    std::stable_sort(m_songsByPlays.begin(), m_songsByPlays.end(),
                     [](const Song* a, const Song* b) { return a->plays > b->plays; });
    // Milliseconds and seconds both occur in createTime; compare instants in seconds.
    const auto seconds = [](const Song* s) {
        return s->createTime > 9'999'999'999 ? s->createTime / 1000 : s->createTime;
    };
    for (auto& [user, songs] : m_songsByUser) {
        std::stable_sort(songs.begin(), songs.end(),
                         [&](const Song* a, const Song* b) { return seconds(a) > seconds(b); });
    }
}

const Song* Catalogue::song(Id id) const {
    const auto it = m_songIndex.find(id);
    return it == m_songIndex.end() ? nullptr : &m_data.songs[it->second];
}

const User* Catalogue::user(Id id) const {
    const auto it = m_userIndex.find(id);
    return it == m_userIndex.end() ? nullptr : &m_data.users[it->second];
}

const Channel* Catalogue::channel(Id id) const {
    const auto it = m_channelIndex.find(id);
    return it == m_channelIndex.end() ? nullptr : &m_data.channels[it->second];
}

std::vector<const Channel*> Catalogue::channelPage(int page) const {
    return pageOf(m_channelsByHot, page, kChannelsPerPage);
}

std::vector<const Song*> Catalogue::hotPage(int page) const {
    // The hot list always offers kHotPageCount full pages; a catalogue smaller than that
    // comes round again in the same order, as a ranking that keeps being refreshed would.
    std::vector<const Song*> songs;
    if (page < 1 || page > kHotPageCount || m_songsByPlays.empty()) return songs;
    const auto first = static_cast<std::size_t>(page - 1) * kHotPageSize;
    for (std::size_t i = first; i < first + kHotPageSize; ++i)
        songs.push_back(m_songsByPlays[i % m_songsByPlays.size()]);
    return songs;
}

std::vector<const Song*> Catalogue::channelSongs(const Channel& channel, int page, int limit) const {
    std::vector<const Song*> songs;
    for (const Id id : pageOf(channel.songIds, page, limit)) {
        if (const auto* s = song(id)) songs.push_back(s);
    }
    return songs;
}

std::vector<const Song*> Catalogue::userSongs(Id userId, int page) const {
    const auto it = m_songsByUser.find(userId);
    if (it == m_songsByUser.end()) return {};
    return pageOf(it->second, page, kUserSongsPageSize);
}

std::vector<const Song*> Catalogue::search(std::string_view keyword, int page) const {
    const auto needle = asciiLower(keyword);
    std::vector<const Song*> matches;
    for (const Song* s : m_songsByPlays) {
        const auto* uploader = user(s->userId);
        if (asciiLower(s->name).find(needle) != std::string::npos ||
            (uploader && asciiLower(uploader->name).find(needle) != std::string::npos)) {
            matches.push_back(s);
        }
    }
    return pageOf(matches, page, kSearchPageSize);
}

std::string_view catalogueSizeName(CatalogueSize size) { return size == CatalogueSize::Small ? "small" : "demo"; }

std::optional<CatalogueSize> catalogueSizeFromName(std::string_view name) {
    if (name == "demo") return CatalogueSize::Demo;
    if (name == "small") return CatalogueSize::Small;
    return std::nullopt;
}

}  // namespace vamu::service
