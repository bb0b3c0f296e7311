#pragma once
// The player's state and decisions, without the engine, the window or any thread: the play
// source, the position, the catalogue queue, the buffering ticks and the switch flag. The
// UI-thread controller owns one model, feeds it what the engine reports and carries out
// the PlayerStep it answers. Every member is used from the UI thread only.
//
// Counting: positions (currentIndex, rows, queue positions) count from 1.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/song_entry.h"
#include "playback/activity_state.h"
#include "playback/play_history.h"

namespace vamu::playback {

enum class PlaySource {
    Catalogue,   // the radio queue (hot list or a channel page); the default
    Collection,  // list A, the collection list
    Likes,       // list B, the likes list (also search results)
    SongList,    // list C, the song list, when another feature put its own songs there
};


inline constexpr int kHotChannel = 11;           // currentChannel of the hot list; 1..10 are tiles
inline constexpr int kBufferingFailedTick = 11;  // from this tick the failure text shows
inline constexpr int kGiveUpTick = 13;           // this tick moves on (6.5 s at 500 ms)
inline constexpr std::chrono::milliseconds kTickInterval{500};
inline constexpr std::chrono::milliseconds kCatalogueGiveUpPause{2000};
inline constexpr std::chrono::milliseconds kSwitchRetryPause{500};
inline constexpr std::chrono::milliseconds kNextButtonLock{1500};
inline constexpr std::chrono::milliseconds kRowGuardHold{1000};
// A song played by itself (mode 2) that does not start is tried again after a pause that
// doubles from try to try, so a failing server is not asked twice a second.
inline constexpr std::chrono::milliseconds kRepeatFirstPause{2000};
inline constexpr std::chrono::milliseconds kRepeatLongestPause{60000};

inline constexpr std::string_view kLoadingSongsText = "歌曲加载中..";  // second line while a page loads
inline constexpr std::string_view kIdleTitleLine = "「vamu」";         // before the first song
inline constexpr std::string_view kIdleSecondLine = "颠覆你的听觉体验";
inline constexpr std::string_view kBufferingText = "歌曲缓冲中...";
inline constexpr std::string_view kBufferingFailedText = "缓冲失败,切换下一首";
inline constexpr std::string_view kPlayingStateText = "播放";  // play/pause state text
inline constexpr std::string_view kPausedStateText = "暂停";

// What the engine says about the current stream at a tick (no stream: the defaults).
struct StreamStatus {
    std::int64_t lengthBytes = -1;  // -1 while the length is not known
    ActivityState activity = ActivityState::Stopped;
};

enum class PlayerAction {
    None,
    // A switch of currentChannel() has begun (busy() is true): fetch a random page of it
    // and hand the songs to finishSwitch().
    SwitchCatalogue,
    // Wait `pause`, then call switchCatalogue(currentChannel()) and carry out its step.
    RetrySwitch,
    PlayCatalogueItem,  // play catalogueSong(position)
    PlayListRow,        // play row `position` of the list that playSource() names
    RestartSong,        // start currentUrl() again from its beginning (after `pause`)
    PlayHistory,        // play history entry `position` again, from its start
};

struct PlayerStep {
    PlayerAction action = PlayerAction::None;
    int position = 0;                    // PlayCatalogueItem, PlayListRow: from 1
    std::chrono::milliseconds pause{0};  // wait this long first, with the clock stopped

    friend bool operator==(const PlayerStep&, const PlayerStep&) = default;
};

struct TickResult {
    PlayerStep step;
    std::optional<std::string> secondLine;  // the second line's new text; nullopt: unchanged
};

class PlayerModel {
public:
    [[nodiscard]] PlaySource playSource() const { return m_source; }
    [[nodiscard]] PlayMode mode() const { return m_mode; }
    [[nodiscard]] int currentIndex() const { return m_currentIndex; }
    [[nodiscard]] int currentChannel() const { return m_currentChannel; }
    [[nodiscard]] bool busy() const { return m_switching; }  // a catalogue switch is loading
    // The song list shows another feature's songs (list C), not the catalogue.
    [[nodiscard]] bool otherSongsShown() const { return m_source == PlaySource::SongList; }
    [[nodiscard]] bool listLoaded() const { return m_listLoaded; }
    [[nodiscard]] int bufferTicks() const { return m_bufferTicks; }
    // The song that plays or starts (empty before the first one): title, id, address, uploader.
    [[nodiscard]] const net::SongEntry& currentSong() const { return m_currentSong; }
    [[nodiscard]] const std::string& currentUrl() const { return m_currentSong.source; }
    [[nodiscard]] const std::string& currentSongId() const { return m_currentSong.id; }  // "" before any song
    [[nodiscard]] const std::string& detailLine() const { return m_detailLine; }
    [[nodiscard]] int queueLength() const { return static_cast<int>(m_catalogue.size()); }
    [[nodiscard]] const std::vector<net::SongEntry>& queue() const { return m_catalogue; }  // in play order
    // The song at queue position 1..queueLength() (= row of the song list); null outside.
    [[nodiscard]] const net::SongEntry* catalogueSong(int position) const;

    // Starts a switch to `channel` (1..10 a tile, 11 the hot list): position 1, busy.
    // SwitchCatalogue, or None while another switch loads (nothing changes then) or for a
    // channel outside 1..11.
    PlayerStep switchCatalogue(int channel);
    // The loaded page, in play order. Songs: the catalogue becomes the source in mode 1 and
    // position 1 plays. No songs (failure, empty page): the old queue stays but counts as
    // not loaded, and RetrySwitch follows. None when no switch was loading (a late result).
    PlayerStep finishSwitch(std::vector<net::SongEntry> songsInPlayOrder);

    // A song starts (catalogue item, list row, song by id): it becomes current and the
    // newest of the history, the buffering count starts over, the detail line becomes the
    // uploader's name. `origin` is how its window title reads.
    void songStarting(const net::SongEntry& song, SongOrigin origin);
    // A song of the history starts again: current, but not a new entry.
    void replayStarting(const net::SongEntry& song);
    // Where the song after the current one comes from when nothing else is asked for: the
    // next position of the catalogue page (none after its last) or of the list (row 1 after
    // the last); none in mode 2, while a switch loads, or on a walk through the history.
    [[nodiscard]] std::optional<int> upcomingPosition(int listRowCount) const;
    // "上一首": the song before the one that plays. None while there is none or a switch loads.
    PlayerStep previous();
    [[nodiscard]] bool canGoPrevious() const { return !m_switching && m_history.canGoBack(); }
    [[nodiscard]] const PlayHistory& history() const { return m_history; }
    void setDetailLine(std::string text);  // the song details arrived

    // The 500 ms clock. `listRowCount`: rows of the list that playSource() names (unused
    // for the catalogue). Answers nothing at all before the first song and while a switch
    // loads. In mode 1 the second line follows the buffering count (ticks 1..10, 11..13) or
    // shows the detail line once the length is known; the 13th tick without a length moves
    // on, an ended song plays the next one, a position past the list wraps to row 1 within
    // the tick, a position past the queue starts a new page at the next tick.
    TickResult tick(const StreamStatus& status, int listRowCount);
    // "我要换歌": always moves on; after "上一首" it walks forward through the history first.
    // None, changing nothing, while a switch loads.
    PlayerStep next(int listRowCount);
    // A double click on row `row` of `list` (Collection, Likes or SongList) holding
    // `listRowCount` rows. Takes the row guard; None while the guard is held, for a row
    // outside the list, or for a catalogue row while a switch loads.
    PlayerStep playSelectedRow(PlaySource list, int row, int listRowCount);
    void releaseRowGuard();  // kRowGuardHold after playSelectedRow answered a step
    // Another feature plays row `row` of a list source: that source, mode 1.
    PlayerStep startList(PlaySource list, int row);
    // A song of an earlier run plays on from where it stood: its source, mode and place come
    // back. A catalogue song comes back without its page: at its end a new page of its
    // channel (the hot list when none is known) is asked for. The uploader's songs are not
    // kept, so one of theirs goes on with the catalogue.
    void resumeAt(PlaySource source, PlayMode mode, int index, int channel);
    // Another feature plays one song by itself (mode 2): it starts over whenever it ends,
    // until a list or the catalogue plays. The controller then starts `song`. A song that
    // does not start counts its 13 buffering ticks as in mode 1, then is tried again after
    // kRepeatFirstPause, doubling up to kRepeatLongestPause between tries.
    void playRepeating(const net::SongEntry& song);
    // The stream of the current song could not be opened. In mode 2, once the first try has
    // given up, the next try follows after the next pause; otherwise None (the buffering
    // ticks decide).
    PlayerStep streamFailed();
    // The pause before the next try of a mode 2 song that does not start; 0 while none waits.
    [[nodiscard]] std::chrono::milliseconds repeatPause() const { return m_repeatPause; }
    // The song list shows another feature's songs (list C, true) or the catalogue's again
    // (false). The playing song plays on; the next one is counted from row 1.
    void setSongListShown(bool otherSongs);

private:
    PlayerStep catalogueStep(int position, std::chrono::milliseconds pause);
    TickResult catalogueTick(const StreamStatus& status);
    TickResult listTick(const StreamStatus& status, int listRowCount);
    TickResult repeatTick(const StreamStatus& status);
    TickResult historyTick(const StreamStatus& status);
    void becomeCurrent(const net::SongEntry& song);
    PlayerStep retryRepeating();
    std::optional<std::string> bufferingTick();

    PlaySource m_source = PlaySource::Catalogue;
    PlayMode m_mode = PlayMode::None;
    int m_currentIndex = 1;
    int m_currentChannel = 0;  // 0 until the first switch
    bool m_switching = false;
    bool m_listLoaded = false;
    bool m_rowGuard = false;
    int m_bufferTicks = 0;
    std::chrono::milliseconds m_repeatPause{0};  // mode 2: the last pause between tries
    std::vector<net::SongEntry> m_catalogue;     // the queue: songs in play order
    net::SongEntry m_currentSong;
    PlayHistory m_history;
    std::string m_detailLine;
};

// The progress slider, 0..100: position / (length / 100); 0 while the length is unknown.
[[nodiscard]] int progressPercent(std::int64_t positionBytes, std::int64_t lengthBytes);
// The byte position for slider value 0.0..100.0: value x length / 102 (the slider's end
// is 100/102 of the song); nullopt while the length is unknown.
[[nodiscard]] std::optional<std::int64_t> seekPosition(double sliderValue, std::int64_t lengthBytes);

enum class PauseAction { None, Pause, Resume };
// Pause a playing stream (state text "暂停"), resume a paused one ("播放"), else nothing.
[[nodiscard]] PauseAction togglePause(ActivityState activity);

}  // namespace vamu::playback
