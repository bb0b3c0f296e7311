#include "playback/player_model.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace vamu::playback {

namespace {

bool isList(PlaySource source) { return source != PlaySource::Catalogue; }

}  // namespace

const net::SongEntry* PlayerModel::catalogueSong(int position) const {
    if (position < 1 || position > queueLength()) {
        return nullptr;
    }
    return &m_catalogue[static_cast<std::size_t>(position - 1)];
}

PlayerStep PlayerModel::switchCatalogue(int channel) {
    if (m_switching || channel < 1 || channel > kHotChannel) {
        return {};
    }
    m_switching = true;
    m_currentChannel = channel;
    m_currentIndex = 1;
    return {.action = PlayerAction::SwitchCatalogue};
}

PlayerStep PlayerModel::finishSwitch(std::vector<net::SongEntry> songsInPlayOrder) {
    if (!m_switching) {
        return {};
    }
    m_switching = false;
    if (songsInPlayOrder.empty()) {
        // The list view keeps the previous page; the player no longer plays from it.
        m_listLoaded = false;
        return {.action = PlayerAction::RetrySwitch, .pause = kSwitchRetryPause};
    }
    m_catalogue = std::move(songsInPlayOrder);
    m_listLoaded = true;
    m_mode = PlayMode::Advance;
    m_source = PlaySource::Catalogue;
    m_currentIndex = 1;
    return {.action = PlayerAction::PlayCatalogueItem, .position = 1};
}

void PlayerModel::songStarting(const net::SongEntry& song, SongOrigin origin) {
    becomeCurrent(song);
    m_history.played({song, m_mode, origin});
}

void PlayerModel::replayStarting(const net::SongEntry& song) { becomeCurrent(song); }

void PlayerModel::becomeCurrent(const net::SongEntry& song) {
    m_currentSong = song;
    m_detailLine = song.uploader;
    // A song picked while the previous one was still buffering gets its own 13 ticks.
    m_bufferTicks = 0;
    m_repeatPause = {};
}

void PlayerModel::setDetailLine(std::string text) { m_detailLine = std::move(text); }

PlayerStep PlayerModel::catalogueStep(int position, std::chrono::milliseconds pause) {
    if (!m_listLoaded || position > queueLength()) {
        // Nothing to play at that position: a new page of the same source.
        PlayerStep step = switchCatalogue(m_currentChannel);
        step.pause = step.action == PlayerAction::None ? std::chrono::milliseconds{0} : pause;
        return step;
    }
    return {.action = PlayerAction::PlayCatalogueItem, .position = position, .pause = pause};
}

std::optional<std::string> PlayerModel::bufferingTick() {
    ++m_bufferTicks;
    return std::string(m_bufferTicks >= kBufferingFailedTick ? kBufferingFailedText : kBufferingText);
}

TickResult PlayerModel::catalogueTick(const StreamStatus& status) {
    if (queueLength() < m_currentIndex) {
        return {.step = switchCatalogue(m_currentChannel)};
    }
    TickResult result;
    if (status.lengthBytes < 0) {
        result.secondLine = bufferingTick();
        if (m_bufferTicks >= kGiveUpTick) {
            ++m_currentIndex;
            m_bufferTicks = 0;
            result.step = catalogueStep(m_currentIndex, kCatalogueGiveUpPause);
        }
        return result;
    }
    result.secondLine = m_detailLine;
    m_bufferTicks = 0;
    if (status.activity == ActivityState::Stopped) {
        const bool more = queueLength() > m_currentIndex;
        ++m_currentIndex;
        // At the end of the queue the next tick asks for a new page.
        if (more) {
            result.step = catalogueStep(m_currentIndex, {});
        }
    }
    return result;
}

TickResult PlayerModel::listTick(const StreamStatus& status, int listRowCount) {
    if (listRowCount < m_currentIndex) {
        m_currentIndex = 0;  // past the end: the row after this one is row 1
    }
    TickResult result;
    if (status.lengthBytes < 0) {
        result.secondLine = bufferingTick();
        if (m_bufferTicks >= kGiveUpTick) {
            m_bufferTicks = 0;
            // The failed song may be the last row: carry on with row 1, not past the end.
            m_currentIndex = m_currentIndex < listRowCount ? m_currentIndex + 1 : 1;
            if (listRowCount > 0) {
                result.step = {.action = PlayerAction::PlayListRow, .position = m_currentIndex};
            }
        }
        return result;
    }
    result.secondLine = m_detailLine;
    m_bufferTicks = 0;
    if (status.activity == ActivityState::Stopped) {
        const bool more = listRowCount > m_currentIndex;
        ++m_currentIndex;
        if (more) {
            result.step = {.action = PlayerAction::PlayListRow, .position = m_currentIndex};
        }
    }
    return result;
}

TickResult PlayerModel::tick(const StreamStatus& status, int listRowCount) {
    if (m_switching) {
        return {};  // the switch has stopped the song; its result decides what plays
    }
    switch (m_mode) {
    case PlayMode::None:
        return {};
    case PlayMode::RepeatOne:
        return m_history.walking() ? historyTick(status) : repeatTick(status);
    case PlayMode::Advance:
        break;
    }
    if (m_history.walking()) return historyTick(status);
    return isList(m_source) ? listTick(status, listRowCount) : catalogueTick(status);
}

// A song of the history plays: it repeats if it was played by id, and otherwise the
// walk goes forward at its end (or once it failed to start).
TickResult PlayerModel::historyTick(const StreamStatus& status) {
    const HistoryEntry* playing = m_history.current();
    if (playing && playing->mode == PlayMode::RepeatOne) return repeatTick(status);
    TickResult result;
    if (status.lengthBytes < 0) {
        result.secondLine = bufferingTick();
        if (m_bufferTicks >= kGiveUpTick) {
            m_bufferTicks = 0;
            result.step = {.action = PlayerAction::PlayHistory, .position = static_cast<int>(m_history.forward())};
        }
        return result;
    }
    result.secondLine = m_detailLine;
    m_bufferTicks = 0;
    if (status.activity == ActivityState::Stopped) {
        result.step = {.action = PlayerAction::PlayHistory, .position = static_cast<int>(m_history.forward())};
    }
    return result;
}

std::optional<int> PlayerModel::upcomingPosition(int listRowCount) const {
    if (m_switching || m_mode != PlayMode::Advance || m_history.walking()) return std::nullopt;
    if (!isList(m_source)) {
        if (!m_listLoaded || m_currentIndex >= queueLength()) return std::nullopt;
        return m_currentIndex + 1;
    }
    if (listRowCount < 1) return std::nullopt;
    return m_currentIndex < listRowCount ? m_currentIndex + 1 : 1;
}

PlayerStep PlayerModel::previous() {
    if (m_switching) return {};
    const std::size_t position = m_history.back();
    if (position == 0) return {};
    return {.action = PlayerAction::PlayHistory, .position = static_cast<int>(position)};
}

TickResult PlayerModel::repeatTick(const StreamStatus& status) {
    TickResult result;
    if (status.lengthBytes < 0) {
        if (m_repeatPause.count() == 0) {
            result.secondLine = bufferingTick();
        } else {
            ++m_bufferTicks;  // a try after a pause: the failure stays shown
            result.secondLine = std::string(kBufferingFailedText);
        }
        if (m_bufferTicks >= kGiveUpTick) result.step = retryRepeating();
        return result;
    }
    result.secondLine = m_detailLine;
    m_bufferTicks = 0;
    m_repeatPause = {};
    // A song that ended starts again at once.
    if (status.activity == ActivityState::Stopped) result.step = {.action = PlayerAction::RestartSong};
    return result;
}

PlayerStep PlayerModel::retryRepeating() {
    m_bufferTicks = 0;
    m_repeatPause = m_repeatPause.count() == 0 ? kRepeatFirstPause : std::min(m_repeatPause * 2, kRepeatLongestPause);
    return {.action = PlayerAction::RestartSong, .pause = m_repeatPause};
}

PlayerStep PlayerModel::streamFailed() {
    // Only a try after a pause moves on at once; the first one counts its ticks.
    if (m_mode != PlayMode::RepeatOne || m_repeatPause.count() == 0) return {};
    return retryRepeating();
}

PlayerStep PlayerModel::next(int listRowCount) {
    if (m_switching) {
        return {};
    }
    if (m_history.walking()) {
        return {.action = PlayerAction::PlayHistory, .position = static_cast<int>(m_history.forward())};
    }
    if (m_mode != PlayMode::Advance) {
        return switchCatalogue(kHotChannel);
    }
    if (!isList(m_source)) {
        if (queueLength() > m_currentIndex) {
            ++m_currentIndex;
            return catalogueStep(m_currentIndex, {});
        }
        return switchCatalogue(m_currentChannel);
    }
    if (listRowCount < 1) {
        return {};
    }
    m_currentIndex = listRowCount > m_currentIndex ? m_currentIndex + 1 : 1;
    return {.action = PlayerAction::PlayListRow, .position = m_currentIndex};
}

PlayerStep PlayerModel::playSelectedRow(PlaySource list, int row, int listRowCount) {
    if (m_rowGuard || !isList(list) || row < 1 || row > listRowCount) {
        return {};
    }
    PlayerStep step;
    if (list == PlaySource::SongList) {
        // The song list plays as itself only when it is the source; otherwise it shows the
        // catalogue, whose queue position equals the row. The mode stays as it was.
        const PlaySource source = m_source == PlaySource::SongList ? PlaySource::SongList : PlaySource::Catalogue;
        if (source == PlaySource::Catalogue && m_switching) {
            return {};  // the queue is about to be replaced
        }
        m_source = source;
        m_currentIndex = row;
        step = source == PlaySource::SongList ? PlayerStep{.action = PlayerAction::PlayListRow, .position = row}
                                              : catalogueStep(row, {});
    } else {
        step = startList(list, row);
    }
    // The guard is held only while a start it let through is under way.
    m_rowGuard = step.action != PlayerAction::None;
    return step;
}

void PlayerModel::releaseRowGuard() { m_rowGuard = false; }

PlayerStep PlayerModel::startList(PlaySource list, int row) {
    if (!isList(list) || row < 1) {
        return {};
    }
    m_source = list;
    m_mode = PlayMode::Advance;
    m_currentIndex = row;
    return {.action = PlayerAction::PlayListRow, .position = row};
}

void PlayerModel::resumeAt(PlaySource source, PlayMode mode, int index, int channel) {
    // The uploader's songs are not kept over an exit: a song of theirs goes on with the
    // catalogue channel played before it.
    if (source == PlaySource::SongList) source = PlaySource::Catalogue;
    if (source == PlaySource::Catalogue && (channel < 1 || channel > kHotChannel)) channel = kHotChannel;
    m_source = source;
    m_mode = mode == PlayMode::RepeatOne ? PlayMode::RepeatOne : PlayMode::Advance;
    if (channel >= 1 && channel <= kHotChannel) m_currentChannel = channel;
    if (source == PlaySource::Catalogue) {
        m_listLoaded = false;
        m_catalogue.clear();
        m_currentIndex = 0;  // past the (empty) queue once it ends: the next tick reloads
    } else {
        m_currentIndex = std::max(index, 1);
    }
}

void PlayerModel::playRepeating(const net::SongEntry& song) {
    m_mode = PlayMode::RepeatOne;
    songStarting(song, SongOrigin::ById);
}

void PlayerModel::setSongListShown(bool otherSongs) {
    m_source = otherSongs ? PlaySource::SongList : PlaySource::Catalogue;
    m_currentIndex = 1;
}

int progressPercent(std::int64_t positionBytes, std::int64_t lengthBytes) {
    const std::int64_t hundredth = lengthBytes / 100;
    if (hundredth <= 0 || positionBytes <= 0) {
        return 0;
    }
    const std::int64_t percent = positionBytes / hundredth;
    return percent > 100 ? 100 : static_cast<int>(percent);
}

std::optional<std::int64_t> seekPosition(double sliderValue, std::int64_t lengthBytes) {
    if (lengthBytes < 0) {
        return std::nullopt;
    }
    // The fraction counts: a whole step of the slider is 1/102 of the song.
    const long double value = !(sliderValue > 0) ? 0.0L : (sliderValue > 100 ? 100.0L : sliderValue);
    // Split so that value x length cannot overflow or round for any stream length.
    const auto whole = static_cast<std::int64_t>(std::floor(static_cast<long double>(lengthBytes / 102) * value));
    const auto rest = static_cast<std::int64_t>(std::floor(static_cast<long double>(lengthBytes % 102) * value / 102));
    return whole + rest;
}

PauseAction togglePause(ActivityState activity) {
    switch (activity) {
    case ActivityState::Playing:
        return PauseAction::Pause;
    case ActivityState::Paused:
        return PauseAction::Resume;
    case ActivityState::Stopped:
    case ActivityState::Stalled:
        return PauseAction::None;
    }
    return PauseAction::None;
}

}  // namespace vamu::playback
