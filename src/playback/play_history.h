#pragma once
// The songs that played, newest last, and a walk back and forth through them: "上一首"
// steps back, "next" after stepping back steps forward again, and once the walk is back
// at the newest song the source goes on. Qt-free; the player model owns one.
//
// Positions count from 1 (the oldest kept song).

#include "net/song_entry.h"
#include "playback/window_title.h"

#include <cstddef>
#include <deque>

namespace vamu::playback {

enum class PlayMode { None = 0, Advance = 1, RepeatOne = 2 };

struct HistoryEntry {
    net::SongEntry song;
    PlayMode mode = PlayMode::Advance;    // as it was played: a song by id repeats again
    SongOrigin origin = SongOrigin::List;  // its window title
};

class PlayHistory {
public:
    static constexpr std::size_t kLength = 100;

    // A song started that the history does not play itself: it becomes the newest, and a
    // walk ends. The oldest goes beyond kLength.
    void played(HistoryEntry entry);

    [[nodiscard]] bool canGoBack() const { return cursor() > 1; }
    [[nodiscard]] bool walking() const { return m_cursor != 0 && m_cursor < m_entries.size(); }
    // One step back or forward: the position of the song to play; 0 (nothing changes) when
    // there is none. Forward from the newest is 0: the source goes on.
    std::size_t back();
    std::size_t forward();

    [[nodiscard]] const HistoryEntry* entry(std::size_t position) const;
    [[nodiscard]] const HistoryEntry* current() const { return entry(cursor()); }
    [[nodiscard]] std::size_t size() const { return m_entries.size(); }

private:
    [[nodiscard]] std::size_t cursor() const { return m_cursor == 0 ? m_entries.size() : m_cursor; }

    std::deque<HistoryEntry> m_entries;
    std::size_t m_cursor = 0;  // the song playing from the history; 0: the newest (no walk)
};

}  // namespace vamu::playback
