#include "net/song_list.h"

namespace vamu::net {

const SongRow* SongList::row(int row) const {
    if (row < 1 || row > rowCount()) return nullptr;
    return &m_rows[static_cast<std::size_t>(row - 1)];
}

int SongList::findId(std::string_view id) const {
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].song.id == id) return static_cast<int>(i) + 1;
    }
    return 0;
}

void SongList::assign(std::vector<SongRow> rows) {
    m_rows = std::move(rows);
    tell(Change::Reset, 0);
}

void SongList::assignSongs(const std::vector<SongEntry>& songs) {
    std::vector<SongRow> rows;
    rows.reserve(songs.size());
    for (const SongEntry& song : songs) rows.push_back({song, false});
    assign(std::move(rows));
}

void SongList::append(SongRow row) {
    m_rows.push_back(std::move(row));
    tell(Change::Appended, rowCount());
}

bool SongList::remove(int row) {
    if (row < 1 || row > rowCount()) return false;
    m_rows.erase(m_rows.begin() + (row - 1));
    tell(Change::Removed, row);
    return true;
}

bool SongList::setLiked(int row, bool liked) {
    if (row < 1 || row > rowCount()) return false;
    SongRow& target = m_rows[static_cast<std::size_t>(row - 1)];
    if (target.liked == liked) return true;
    target.liked = liked;
    tell(Change::Updated, row);
    return true;
}

void SongList::clear() {
    if (m_rows.empty()) return;
    m_rows.clear();
    tell(Change::Reset, 0);
}

void SongList::tell(Change change, int row) const {
    if (m_observer) m_observer(change, row);
}

}  // namespace vamu::net
