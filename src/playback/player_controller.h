#pragma once
// The player on the UI thread: it owns the one current stream, carries out what the
// player model decides (playback/player_model.h), runs the 500 ms clock "时钟", and is the
// one writer of the player panel (cover, both lines, time, buttons), the main window's
// title and the song lists' selection. Other features hand it what they learn.
//
// Slow work never runs here: a song's stream is opened by a task (TaskSlot) whose late
// result is dropped, and so freed, when another song has started meanwhile. What the
// player needs of other features reaches it through PlayerHooks, which the program
// wires; the player never calls a feature itself.
//
// UI thread only. The engine, the panel's controls and the scheduler outlive it.

#include "net/song_entry.h"
#include "net/song_list.h"
#include "platform/scheduler.h"
#include "platform/task_slot.h"
#include "playback/audio_engine.h"
#include "playback/player_model.h"
#include "playback/player_panel.h"
#include "playback/player_snapshot.h"
#include "playback/window_title.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace vamu::playback {

class SongCache;

// Where catalogue pages come from: a random page of `channel` (1..10 a tile, 11 the hot
// list), handed to `done` with its songs in play order, none when it failed. Called on the
// UI thread; `done` runs there later, unless a newer request dropped it.
using CataloguePages =
    std::function<void(int channel, std::function<void(std::vector<net::SongEntry> songs)> done)>;

struct PlayerHooks {
    // The panel's cover shows another picture (the details view shows the same).
    std::function<void(const QByteArray& picture)> coverShown;
    // Any song is about to start (its details).
    std::function<void(const net::SongEntry& song)> songStarting;
    // The volume bar was moved to 0..100 (the program stores it as 音量).
    std::function<void(int value)> volumeChanged;
    // The song still plays 2 s after its start (the comments).
    std::function<void()> songPlaying;
    // A song starts while the main window is hidden (the now-playing window).
    std::function<void(const QString& title)> startedWhileHidden;
};

// Where playing stood, kept over an exit: the song, how far it had played, and where it
// came from, so that its end goes on with that source.
struct ResumePoint {
    net::SongEntry song;  // empty id: nothing to resume
    double positionSeconds = 0;
    double lengthSeconds = -1;  // -1 unknown
    PlaySource source = PlaySource::Catalogue;
    PlayMode mode = PlayMode::Advance;
    int index = 1;    // its queue position or list row
    int channel = 0;  // 1..10 a tile, 11 the hot list, for a catalogue song
    QByteArray cover;
};

class PlayerController {
public:
    // The clock and the player's own one-shot timers.
    static constexpr std::string_view kClockTimer = "时钟";
    static constexpr std::chrono::milliseconds kCommentsDelay{2000};

    PlayerController(AudioEngine& engine, const PlayerPanel& panel, platform::Scheduler& scheduler, QString titlePrefix,
                     CataloguePages pages, PlayerHooks hooks);
    ~PlayerController();
    PlayerController(const PlayerController&) = delete;
    PlayerController& operator=(const PlayerController&) = delete;

    // How a channel tile shows while its page loads: its name and picture.
    struct ChannelLook {
        std::string name;
        QByteArray picture;
    };
    // Makes `channel` the source and starts its first song; nothing while a switch loads.
    // A tile's look is kept for the loading panel of every later page of that channel.
    void switchCatalogue(int channel, ChannelLook look = {});
    // "刷新": a new page of the channel or hot list the song list came from; nothing before
    // the first page.
    void reloadCatalogue();
    // The page a switch asked for (songs in play order; empty: the load failed).
    void finishSwitch(std::vector<net::SongEntry> songsInPlayOrder);

    void nextSong();                // "我要换歌" and the tray's " 下一首 "
    void previousSong();            // "上一首": the song before, from its start
    void togglePause();             // the play button and the tray's "播放暂停"
    void seek(double sliderValue);  // the progress slider released, 0.0..100.0
    void changeVolume(int value);   // the volume bar released, 0..100
    // The desktop's seek: to `seconds` within the known length; false (nothing changes)
    // while the length is unknown or outside it.
    bool seekToSeconds(double seconds);
    // The desktop's volume: the bar moves there, then as changeVolume().
    void setVolume(int value);
    // How long a song plays before the next one is opened ahead (10 s; tests shorten it).
    void setHoldAfter(std::chrono::milliseconds after) { m_holdAfter = after; }
    // The volume keys: the bar moves by `delta` within 0..100.
    void stepVolume(int delta) { setVolume(m_panel.volume->pos() + delta); }
    // The download's tone: the song is silent meanwhile, then back at the bar's volume.
    void muteSong(bool muted);
    void playSelectedRow(PlaySource list);  // a double click on a row of that list
    // Another feature plays row `row` of a list, or one song repeating.
    void playListRow(PlaySource list, int row);
    void playRepeating(const net::SongEntry& song);
    // The song list shows another feature's songs (list C; it starts empty, and
    // addToSongList() fills it) or the catalogue's again.
    void setSongListShown(bool otherSongs);
    // Songs for the song list while it shows another feature's songs; dropped otherwise
    // (a catalogue page ended that view meanwhile).
    void addToSongList(const std::vector<net::SongEntry>& songs);
    // The models of the collection and the likes lists, which the library owns; set once
    // after the library is made, before anything plays from them.
    void setLibraryLists(const net::SongList* collection, const net::SongList* likes);
    // Where songs are kept once fully received and played from next time; null (the
    // default): every song comes from the network. The cache outlives the player.
    void setSongCache(SongCache* cache) { m_songCache = cache; }

    // Where playing stands now (at the exit); a song shown by showResumed() and never played
    // stands where it was.
    [[nodiscard]] ResumePoint resumePoint() const;
    // At start: the panel shows the song paused at its place, and nothing is asked of the
    // service until "播放" plays it from there.
    void showResumed(ResumePoint point);

    // What the details feature learnt of the playing song: the detail line, the uploader's
    // name and the cover's address. A song of the collection or the likes shows that
    // uploader and cover, which their rows do not hold.
    struct SongFacts {
        std::string detailLine;
        std::string uploader;
        std::string coverUrl;
    };
    void detailsArrived(const SongFacts& facts);

    // One clock tick; public so tests drive ticks without waiting.
    void tick();

    // The panel's two lines say something else than the song (the channel grid failed),
    // until a song starts or showSongOrIdle().
    void showNotice(const QString& title, const QString& secondLine);
    // The panel's two lines show the current song again (its title and detail line), or
    // the idle texts before the first song.
    void showSongOrIdle();

    // Stops the clock and every task, frees the stream (shutdown); the commands change
    // nothing afterwards.
    void stopAll();

    [[nodiscard]] const PlayerModel& model() const { return m_model; }
    [[nodiscard]] PlayerSnapshot snapshot() const;
    // The song list's model: the catalogue queue in play order, or another feature's songs.
    [[nodiscard]] const net::SongList& songList() const { return m_songList; }
    [[nodiscard]] StreamHandle stream() const { return m_stream; }
    [[nodiscard]] bool startingSong() const { return m_songStart.running(); }
    // The next song's stream is open and held (0: none).
    [[nodiscard]] bool holdingNext() const { return m_held.has_value(); }
    [[nodiscard]] StreamHandle heldStream() const { return m_held ? m_held->handle : 0; }
    // The model with the details' line (the details feature sets it).
    void setDetailLine(std::string text) { m_model.setDetailLine(std::move(text)); }

private:
    struct OpenedStream;

    void carryOut(const PlayerStep& step);
    void playCatalogueItem(int position);
    void playListItem(PlaySource list, int row);
    void playHistoryEntry(int position);
    void lockChangeSong();
    void playResumed();
    void adoptResumedSource();
    [[nodiscard]] static SongOrigin originOf(const ResumePoint& point);
    void startSong();
    // How `song` is opened: its kept file when the cache has it for that id and address,
    // else its address, with the cache's writer as the sink so that it is kept once whole.
    // The song start and the song held ahead both open through it.
    [[nodiscard]] StreamSource sourceFor(const net::SongEntry& song) const;
    void streamOpened(StreamHandle handle);
    void holdNextSong();
    [[nodiscard]] StreamHandle takeHeld(const net::SongEntry& song);
    void dropHeld();
    void armSongEnd();
    void stopSong();  // cancels the start, stops the clock, frees the stream
    void freeStream();
    enum class MissingCover { Clears, Keeps };  // what a cover that cannot be fetched does
    void beginSong(net::SongEntry song, SongOrigin origin);
    void showSong(const net::SongEntry& song, SongOrigin origin);
    void showLoading();
    void setTitleLine(const QString& text);
    void setSecondLine(const QString& text, const QString& tips = {});
    void setCover(const QByteArray& picture);
    void fetchCover(const std::string& url, MissingCover missing);
    void updateTitle();
    void updatePanel();
    [[nodiscard]] panel::ListView* viewOf(PlaySource source) const;
    [[nodiscard]] const net::SongList* listOf(PlaySource source) const;
    [[nodiscard]] int rowCountOf(PlaySource source) const;
    [[nodiscard]] bool mainWindowVisible() const;

    AudioEngine& m_engine;
    PlayerPanel m_panel;
    platform::Scheduler& m_scheduler;
    QString m_titlePrefix;
    CataloguePages m_pages;
    PlayerHooks m_hooks;
    PlayerModel m_model;
    net::SongList m_songList;
    const net::SongList* m_collection = nullptr;  // the library's
    const net::SongList* m_likes = nullptr;
    SongCache* m_songCache = nullptr;
    WindowTitle m_windowTitle;
    StreamHandle m_stream = 0;
    bool m_stopped = false;  // stopAll() ran
    ChannelLook m_channelLook;  // of the channel a switch loads
    QByteArray m_cover;         // what the panel's cover shows
    platform::TaskSlot<std::unique_ptr<OpenedStream>> m_songStart;
    // The next song's stream, opened ahead once the current one has played 10 s and held
    // paused, chained to start the moment the current one ends. At most one.
    struct HeldSong {
        net::SongEntry song;
        StreamHandle handle = 0;
    };
    std::optional<HeldSong> m_held;
    std::optional<ResumePoint> m_resume;  // shown at start, not played yet
    double m_startAtSeconds = 0;          // where the next stream opened starts
    std::chrono::milliseconds m_holdAfter{10000};
    platform::TaskSlot<std::unique_ptr<OpenedStream>> m_heldStart;
    platform::TaskSlot<QByteArray> m_coverFetch;
};

}  // namespace vamu::playback
