#include "playback/play_history.h"

namespace vamu::playback {

void PlayHistory::played(HistoryEntry entry) {
    m_entries.push_back(std::move(entry));
    if (m_entries.size() > kLength) m_entries.pop_front();
    m_cursor = 0;
}

std::size_t PlayHistory::back() {
    if (!canGoBack()) return 0;
    m_cursor = cursor() - 1;
    return m_cursor;
}

std::size_t PlayHistory::forward() {
    if (!walking()) return 0;
    ++m_cursor;
    const std::size_t position = m_cursor;
    if (m_cursor == m_entries.size()) m_cursor = 0;  // back at the newest: the walk is over
    return position;
}

const HistoryEntry* PlayHistory::entry(std::size_t position) const {
    if (position < 1 || position > m_entries.size()) return nullptr;
    return &m_entries[position - 1];
}

}  // namespace vamu::playback
