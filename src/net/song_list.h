#pragma once
// The songs one list of the main window holds (the song list, the collection, the likes
// or search results), as a model: rows of songs with their marks, without Qt. The
// feature that fills a list owns its model and is its only writer; the list view on
// screen shows it through a binder in app/, which is told of every change.
//
// Rows count from 1, as the list views count them. UI thread only.

#include "net/song_entry.h"

#include <functional>
#include <string_view>
#include <vector>

namespace vamu::net {

struct SongRow {
    SongEntry song;      // the uploader's id rides in song.uploaderId
    bool liked = false;  // collection rows known to be liked on the account
};

class SongList {
public:
    enum class Change {
        Reset,     // every row may differ (assign, clear)
        Appended,  // one row at the end
        Removed,   // one row; the rows after it moved up by one
        Updated,   // one row's fields or mark
    };
    // `row` is the row concerned (0 for Reset); for Removed, where the row was.
    using Observer = std::function<void(Change change, int row)>;

    [[nodiscard]] int rowCount() const { return static_cast<int>(m_rows.size()); }
    [[nodiscard]] bool empty() const { return m_rows.empty(); }
    // Row 1..rowCount(); null outside.
    [[nodiscard]] const SongRow* row(int row) const;
    [[nodiscard]] const std::vector<SongRow>& rows() const { return m_rows; }
    // The first row holding the song id, 0 when none does.
    [[nodiscard]] int findId(std::string_view id) const;

    void assign(std::vector<SongRow> rows);
    void assignSongs(const std::vector<SongEntry>& songs);  // every mark cleared
    void append(SongRow row);
    bool remove(int row);
    bool setLiked(int row, bool liked);
    void clear();

    // The one observer (the list's binder); changes are told after they are made. Callable
    // on a read-only list: watching changes nothing.
    void setObserver(Observer observer) const { m_observer = std::move(observer); }

private:
    void tell(Change change, int row) const;

    std::vector<SongRow> m_rows;
    mutable Observer m_observer;
};

}  // namespace vamu::net
