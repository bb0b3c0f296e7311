#include "playback/player_controller.h"
#include "toolkit/qt_text.h"

#include "net/http_request.h"
#include "platform/workers.h"
#include "playback/song_cache.h"
#include "playback/stream_time.h"

namespace vamu::playback {
namespace {

// One-shot timers of the player, beside the clock.
constexpr std::string_view kPauseTimer = "播放器等待";   // a step that waits first
constexpr std::string_view kNextLockTimer = "换歌按钮";  // the change-song button's lock
constexpr std::string_view kRowGuardTimer = "列表播放";  // the play-from-list guard
constexpr std::string_view kCommentsTimer = "弹幕启动";  // 2 s after a song's start
constexpr std::string_view kSongEndTimer = "歌曲结束";   // right after a song with one held after it ends
// A tick this soon after the current song's end takes the held one over promptly.
constexpr std::chrono::milliseconds kEndTickMargin{20};
constexpr std::chrono::milliseconds kEndTickWithin{600};

using toolkit::qText;

WindowState windowStateOf(const toolkit::HostWindow& window) {
    switch (window.showState()) {
    case 1:
        return WindowState::Minimized;
    case 2:
        return WindowState::Maximized;
    default:
        return WindowState::Normal;
    }
}

}  // namespace

// A stream handle that frees itself unless the player took it: a song start whose
// result is dropped (another song started meanwhile) leaves nothing behind.
struct PlayerController::OpenedStream {
    OpenedStream(AudioEngine& engine, StreamHandle handle) : engine(engine), handle(handle) {}
    ~OpenedStream() {
        if (handle != 0) engine.freeStream(handle);
    }
    OpenedStream(const OpenedStream&) = delete;
    OpenedStream& operator=(const OpenedStream&) = delete;
    StreamHandle release() { return std::exchange(handle, 0); }

    AudioEngine& engine;
    StreamHandle handle = 0;
};

PlayerController::PlayerController(AudioEngine& engine, const PlayerPanel& panel, platform::Scheduler& scheduler,
                                   QString titlePrefix, CataloguePages pages, PlayerHooks hooks)
    : m_engine(engine),
      m_panel(panel),
      m_scheduler(scheduler),
      m_titlePrefix(std::move(titlePrefix)),
      m_pages(std::move(pages)),
      m_hooks(std::move(hooks)),
      m_cover(m_panel.cover->pictureBytes()) {
    m_panel.play->bindClick([this](const toolkit::Event&) {
        togglePause();
        return false;
    });
    m_panel.changeSong->bindClick([this](const toolkit::Event&) {
        nextSong();
        return false;
    });
    // A click on the track seeks there, as users of players expect.
    m_panel.progress->setJumpToClick(true);
    m_panel.progress->bindLeftUp([this](const toolkit::Event&) {
        seek(m_panel.progress->position());
        return false;
    });
    m_panel.volume->bindLeftUp([this](const toolkit::Event&) {
        changeVolume(m_panel.volume->pos());
        return false;
    });
    const auto bindRows = [this](panel::ListView* list, PlaySource source) {
        if (!list) return;
        list->bindDoubleClick([this, source](const toolkit::Event&) {
            playSelectedRow(source);
            return false;
        });
    };
    bindRows(m_panel.lists.collection, PlaySource::Collection);
    bindRows(m_panel.lists.likes, PlaySource::Likes);
    bindRows(m_panel.lists.songs, PlaySource::SongList);
}

PlayerController::~PlayerController() { stopAll(); }

void PlayerController::stopAll() {
    m_stopped = true;
    m_songStart.stop();
    m_coverFetch.stop();
    for (const std::string_view timer :
         {kClockTimer, kPauseTimer, kNextLockTimer, kRowGuardTimer, kCommentsTimer, kSongEndTimer}) {
        m_scheduler.stopTimer(timer);
    }
    dropHeld();
    freeStream();
}

// --- the catalogue -----------------------------------------------------------------

void PlayerController::switchCatalogue(int channel, ChannelLook look) {
    if (m_stopped) return;
    // The old song stops even when a switch is already loading (the user asked for
    // something else); the new switch then does not start. A step waiting for its pause
    // (a song played by id that waits for its next try) waits no more, and the clock stands
    // still until the page has come.
    stopSong();
    dropHeld();  // the source changes
    const PlayerStep step = m_model.switchCatalogue(channel);
    if (step.action == PlayerAction::SwitchCatalogue && (!look.name.empty() || !look.picture.isEmpty())) {
        m_channelLook = std::move(look);
    }
    carryOut(step);
}

void PlayerController::reloadCatalogue() {
    if (m_model.currentChannel() != 0) switchCatalogue(m_model.currentChannel());
}

void PlayerController::finishSwitch(std::vector<net::SongEntry> songsInPlayOrder) {
    const PlayerStep step = m_model.finishSwitch(std::move(songsInPlayOrder));
    // A page with songs: the song list shows it, in play order (an empty one changes nothing).
    if (step.action == PlayerAction::PlayCatalogueItem) m_songList.assignSongs(m_model.queue());
    carryOut(step);
}

void PlayerController::playCatalogueItem(int position) {
    stopSong();
    const net::SongEntry* song = m_model.catalogueSong(position);
    if (!song) return;  // the model only names positions of its queue
    const SongOrigin origin = m_model.currentChannel() == kHotChannel ? SongOrigin::HotList : SongOrigin::Channel;
    m_model.songStarting(*song, origin);
    beginSong(m_model.currentSong(), origin);
}

// The model knows the song already; the panel, the other features and the stream follow.
void PlayerController::beginSong(net::SongEntry song, SongOrigin origin) {
    m_panel.collect->setDisabled(true);
    m_panel.play->setDisabled(true);
    m_panel.play->setText(qText(kPlayingStateText));
    showSong(song, origin);
    if (m_hooks.songStarting) m_hooks.songStarting(song);
    startSong();
}

void PlayerController::playHistoryEntry(int position) {
    stopSong();
    const HistoryEntry* entry = m_model.history().entry(static_cast<std::size_t>(position));
    if (!entry) return;
    const HistoryEntry replay = *entry;
    m_model.replayStarting(replay.song);
    beginSong(replay.song, replay.origin);
}

// --- the lists -----------------------------------------------------------------------

void PlayerController::playSelectedRow(PlaySource list) {
    if (m_stopped) return;
    panel::ListView* view = viewOf(list);
    if (!view) return;
    const PlayerStep step = m_model.playSelectedRow(list, view->selectedRow(), rowCountOf(list));
    if (step.action == PlayerAction::None) return;
    carryOut(step);
    // The guard keeps a burst of double clicks from starting a song per click.
    m_scheduler.once(kRowGuardTimer, kRowGuardHold, [this] { m_model.releaseRowGuard(); });
}

void PlayerController::playListRow(PlaySource list, int row) {
    if (!m_stopped) carryOut(m_model.startList(list, row));
}

void PlayerController::setSongListShown(bool otherSongs) {
    dropHeld();  // the source changes
    m_model.setSongListShown(otherSongs);
    if (otherSongs) {
        m_songList.clear();
    } else {
        m_songList.assignSongs(m_model.queue());
    }
}

void PlayerController::addToSongList(const std::vector<net::SongEntry>& songs) {
    if (m_model.playSource() != PlaySource::SongList) return;
    for (const net::SongEntry& song : songs) m_songList.append({song, false});
}

void PlayerController::setLibraryLists(const net::SongList* collection, const net::SongList* likes) {
    m_collection = collection;
    m_likes = likes;
}

void PlayerController::playRepeating(const net::SongEntry& song) {
    if (m_stopped) return;
    stopSong();
    m_model.playRepeating(song);
    beginSong(song, SongOrigin::ById);
}

void PlayerController::playListItem(PlaySource list, int row) {
    stopSong();
    const net::SongList* songs = listOf(list);
    const net::SongRow* playing = songs ? songs->row(row) : nullptr;
    if (!playing) return;
    const net::SongEntry song = playing->song;
    m_model.songStarting(song, SongOrigin::List);
    beginSong(song, SongOrigin::List);
}

// --- commands ------------------------------------------------------------------------

void PlayerController::nextSong() {
    if (m_stopped) return;  // the shutdown: the menus and the bus may still call
    adoptResumedSource();  // a song shown at start: "next" goes on from its source
    stopSong();
    const int rows = rowCountOf(m_model.playSource());
    const PlayerStep step = m_model.next(rows);
    if (step.action == PlayerAction::None) return;  // a switch loads: playback stays stopped
    lockChangeSong();
    carryOut(step);
}

void PlayerController::previousSong() {
    // Without a song before this one nothing stops: the user meant to go somewhere.
    if (m_stopped || !m_model.canGoPrevious()) return;
    stopSong();
    const PlayerStep step = m_model.previous();
    lockChangeSong();
    carryOut(step);
}

ResumePoint PlayerController::resumePoint() const {
    if (m_resume) return *m_resume;
    ResumePoint point;
    if (m_model.currentSongId().empty()) return point;
    const PlayerSnapshot now = snapshot();
    point.song = now.song;
    point.positionSeconds = std::max(0.0, now.positionSeconds);
    point.lengthSeconds = now.lengthSeconds;
    point.source = m_model.playSource();
    point.mode = m_model.mode();
    point.index = m_model.currentIndex();
    point.channel = m_model.currentChannel();
    point.cover = m_cover;
    return point;
}

void PlayerController::showResumed(ResumePoint point) {
    if (point.song.id.empty()) return;
    const SongOrigin origin = originOf(point);
    setTitleLine(QString::fromStdString(point.song.name));
    setSecondLine(QString::fromStdString(point.song.uploader));
    setCover(point.cover);
    m_panel.window->setTitle(QString::fromStdString(songWindowTitle(m_titlePrefix.toStdString(), origin, point.song.name)));
    const auto clock = [](double seconds) { return QString::fromStdString(minutesSecondsText(seconds)); };
    m_panel.time->setText(clock(point.positionSeconds) + QLatin1Char('/') + clock(point.lengthSeconds));
    if (point.lengthSeconds > 0) m_panel.progress->setPosition(100.0 * point.positionSeconds / point.lengthSeconds);
    m_panel.play->setText(qText(kPausedStateText));
    m_panel.play->setDisabled(false);
    m_resume = std::move(point);
}

// "播放" on a song shown at start: it plays from where it stood, and its end goes on
// with the source it came from.
void PlayerController::playResumed() {
    const ResumePoint point = *m_resume;
    adoptResumedSource();
    stopSong();
    const SongOrigin origin = originOf(point);
    m_model.songStarting(point.song, origin);
    m_startAtSeconds = point.positionSeconds;
    beginSong(point.song, origin);
}

void PlayerController::adoptResumedSource() {
    if (!m_resume) return;
    m_model.resumeAt(m_resume->source, m_resume->mode, m_resume->index, m_resume->channel);
    m_resume.reset();
}

SongOrigin PlayerController::originOf(const ResumePoint& point) {
    if (point.mode == PlayMode::RepeatOne) return SongOrigin::ById;
    if (point.source != PlaySource::Catalogue) return SongOrigin::List;
    return point.channel == kHotChannel ? SongOrigin::HotList : SongOrigin::Channel;
}

// The change-song button's 1500 ms lock, which previous and next share.
void PlayerController::lockChangeSong() {
    m_panel.changeSong->setDisabled(true);
    m_scheduler.once(kNextLockTimer, kNextButtonLock, [this] { m_panel.changeSong->setDisabled(false); });
}

void PlayerController::togglePause() {
    if (m_stopped) return;
    if (m_resume) {
        playResumed();
        return;
    }
    switch (playback::togglePause(m_engine.isActive(m_stream))) {
    case PauseAction::Pause:
        m_panel.play->setText(qText(kPausedStateText));
        m_engine.pause(m_stream);
        break;
    case PauseAction::Resume:
        m_panel.play->setText(qText(kPlayingStateText));
        m_engine.play(m_stream, Restart::No);
        break;
    case PauseAction::None:
        break;
    }
}

void PlayerController::seek(double sliderValue) {
    if (const auto position = seekPosition(sliderValue, m_engine.getLength(m_stream))) {
        m_engine.setPosition(m_stream, *position);
    }
}

bool PlayerController::seekToSeconds(double seconds) {
    const std::int64_t bytes = m_engine.secondsToBytes(m_stream, seconds);
    const std::int64_t length = m_engine.getLength(m_stream);
    if (bytes < 0 || length < 0 || bytes > length) return false;
    return m_engine.setPosition(m_stream, bytes);
}

void PlayerController::setVolume(int value) {
    m_panel.volume->setPos(value);
    changeVolume(m_panel.volume->pos());
}

void PlayerController::muteSong(bool muted) {
    m_engine.setAttribute(m_stream, muted ? 0.0F : static_cast<float>(m_panel.volume->pos()) / 100.0F);
}

PlayerSnapshot PlayerController::snapshot() const {
    PlayerSnapshot now;
    now.song = m_model.currentSong();
    now.activity = m_engine.isActive(m_stream);
    now.starting = m_songStart.running();
    now.canGoPrevious = m_model.canGoPrevious();
    const auto seconds = [this](std::int64_t bytes) {
        return bytes < 0 ? -1.0 : m_engine.bytesToSeconds(m_stream, bytes);
    };
    now.positionSeconds = seconds(m_engine.getPosition(m_stream));
    now.lengthSeconds = seconds(m_engine.getLength(m_stream));
    now.volume = m_panel.volume->pos();
    now.cover = m_cover;
    return now;
}

void PlayerController::changeVolume(int value) {
    m_engine.setAttribute(m_stream, static_cast<float>(value) / 100.0F);
    if (m_held) m_engine.setAttribute(m_held->handle, static_cast<float>(value) / 100.0F);
    if (m_hooks.volumeChanged) m_hooks.volumeChanged(value);
}

// --- the song ------------------------------------------------------------------------

void PlayerController::carryOut(const PlayerStep& step) {
    if (step.pause.count() > 0) {
        m_scheduler.stopTimer(kClockTimer);
        PlayerStep later = step;
        later.pause = {};
        m_scheduler.once(kPauseTimer, step.pause, [this, later] { carryOut(later); });
        return;
    }
    switch (step.action) {
    case PlayerAction::None:
        break;
    case PlayerAction::SwitchCatalogue:
        showLoading();
        if (m_pages) {
            m_pages(m_model.currentChannel(),
                    [this](std::vector<net::SongEntry> songs) { finishSwitch(std::move(songs)); });
        }
        break;
    case PlayerAction::RetrySwitch:
        carryOut(m_model.switchCatalogue(m_model.currentChannel()));
        break;
    case PlayerAction::PlayCatalogueItem:
        playCatalogueItem(step.position);
        break;
    case PlayerAction::PlayListRow:
        playListItem(m_model.playSource(), step.position);
        break;
    case PlayerAction::PlayHistory:
        playHistoryEntry(step.position);
        break;
    case PlayerAction::RestartSong:
        // A stream still being opened reads as stopped; restarting it at every tick
        // would cancel each start before its first sound. A try after a pause is meant
        // to start over.
        if (!m_songStart.running() || m_model.repeatPause().count() > 0) startSong();
        break;
    }
}

void PlayerController::startSong() {
    m_songStart.stop();
    freeStream();
    platform::trimWorkingSet();
    if (!mainWindowVisible() && m_hooks.startedWhileHidden) {
        m_hooks.startedWhileHidden(QString::fromStdString(m_model.currentSong().name));
    }
    m_panel.play->setText(qText(kPlayingStateText));
    // The song opened ahead is taken as it is (playing already when its predecessor ended).
    if (const StreamHandle held = takeHeld(m_model.currentSong()); held != 0) {
        streamOpened(held);
        return;
    }
    AudioEngine* engine = &m_engine;
    m_songStart.start(
        [engine, source = sourceFor(m_model.currentSong())](std::stop_token stop) {
            return std::make_unique<OpenedStream>(*engine, engine->createStream(source, stop));
        },
        [this](std::unique_ptr<OpenedStream> opened) { streamOpened(opened->release()); });
}

StreamSource PlayerController::sourceFor(const net::SongEntry& song) const {
    StreamSource source;
    source.url = song.source;
    if (!m_songCache || song.id.empty() || song.source.empty()) return source;
    // The address stays beside the file: should the file go before the stream opens it
    // (evicted meanwhile), the engine falls back to the network.
    if (std::optional<std::string> file = m_songCache->fileToPlay(song.id, song.source)) {
        source.file = std::move(*file);
    } else {
        source.sink = m_songCache->writer(song.id, song.source);
    }
    return source;
}

// --- the next song, held ahead ------------------------------------------------------

void PlayerController::holdNextSong() {
    if (m_stopped || m_held || m_heldStart.running() || m_stream == 0) return;
    if (m_engine.isActive(m_stream) != ActivityState::Playing) return;
    if (m_engine.bytesToSeconds(m_stream, m_engine.getPosition(m_stream)) * 1000 < static_cast<double>(m_holdAfter.count())) {
        return;
    }
    const PlaySource source = m_model.playSource();
    const std::optional<int> position = m_model.upcomingPosition(rowCountOf(source));
    if (!position) return;
    const net::SongEntry* next = nullptr;
    if (source == PlaySource::Catalogue) {
        next = m_model.catalogueSong(*position);
    } else if (const net::SongList* list = listOf(source); list && list->row(*position)) {
        next = &list->row(*position)->song;
    }
    if (!next || next->source.empty()) return;
    AudioEngine* engine = &m_engine;
    m_heldStart.start(
        [engine, source = sourceFor(*next)](std::stop_token stop) {
            return std::make_unique<OpenedStream>(*engine, engine->createStream(source, stop));
        },
        [this, song = *next](std::unique_ptr<OpenedStream> opened) {
            const StreamHandle handle = opened->release();
            if (handle == 0) return;  // no second try ahead: the song opens when it comes
            m_held = HeldSong{song, handle};
            m_engine.setAttribute(handle, static_cast<float>(m_panel.volume->pos()) / 100.0F);
            m_engine.playAfter(m_stream, handle);
            // The current song ended while this one was being opened, so nothing chains it
            // any more: it starts now rather than at the next tick, and the player takes it
            // over right after (a chained start that came first makes this a no-op).
            if (m_engine.isActive(m_stream) == ActivityState::Stopped) m_engine.play(handle, Restart::No);
            armSongEnd();
        });
}

StreamHandle PlayerController::takeHeld(const net::SongEntry& song) {
    if (!m_held || m_held->song.id != song.id || m_held->song.source != song.source) {
        dropHeld();
        return 0;
    }
    const StreamHandle handle = m_held->handle;
    m_held.reset();
    return handle;
}

void PlayerController::dropHeld() {
    m_heldStart.stop();
    m_scheduler.stopTimer(kSongEndTimer);
    if (!m_held) return;
    m_engine.freeStream(m_held->handle);
    m_held.reset();
}

// With a song held after the current one, the tick right after the current one's end
// takes it over, instead of the clock's next tick up to 500 ms later.
void PlayerController::armSongEnd() {
    if (!m_held) return;
    const std::int64_t left = m_engine.getLength(m_stream) - m_engine.getPosition(m_stream);
    if (left < 0) return;
    const auto milliseconds =
        std::chrono::milliseconds(static_cast<std::int64_t>(m_engine.bytesToSeconds(m_stream, left) * 1000));
    if (milliseconds < kEndTickWithin) m_scheduler.once(kSongEndTimer, milliseconds + kEndTickMargin, [this] { tick(); });
}

void PlayerController::streamOpened(StreamHandle handle) {
    // A stream that could not be opened (handle 0) still starts the clock: its length
    // stays unknown, so the buffering ticks give it up and move on.
    m_stream = handle;
    m_engine.setAttribute(m_stream, static_cast<float>(m_panel.volume->pos()) / 100.0f);
    if (const double startAt = std::exchange(m_startAtSeconds, 0.0); startAt > 0 && handle != 0) {
        // A resumed song: its place, before the first sound.
        m_engine.setPosition(m_stream, m_engine.secondsToBytes(m_stream, startAt));
    }
    m_engine.play(m_stream, Restart::No);
    m_panel.progress->setPosition(0);
    if (panel::ListView* list = viewOf(m_model.playSource())) {
        list->setSelectedRow(m_model.currentIndex());
        list->ensureVisible(m_model.currentIndex());
    }
    m_scheduler.startTimer(kClockTimer, kTickInterval, [this] { tick(); });
    m_scheduler.once(kCommentsTimer, kCommentsDelay, [this] {
        if (m_engine.isActive(m_stream) == ActivityState::Playing && m_hooks.songPlaying) m_hooks.songPlaying();
    });
    if (handle == 0) carryOut(m_model.streamFailed());
}

void PlayerController::tick() {
    const StreamStatus status{m_engine.getLength(m_stream), m_engine.isActive(m_stream)};
    const TickResult result = m_model.tick(status, rowCountOf(m_model.playSource()));
    if (result.secondLine) setSecondLine(QString::fromStdString(*result.secondLine));
    updateTitle();
    platform::trimWorkingSet();
    updatePanel();
    carryOut(result.step);
    holdNextSong();
    armSongEnd();
}

void PlayerController::updateTitle() {
    const auto title = m_windowTitle.tick(windowStateOf(*m_panel.window), m_engine.isActive(m_stream),
                                          m_titlePrefix.toStdString(), m_model.currentSong().name);
    if (title) m_panel.window->setTitle(QString::fromStdString(*title));
}

void PlayerController::updatePanel() {
    if (m_engine.isActive(m_stream) != ActivityState::Stopped) {
        m_panel.play->setDisabled(false);
        m_panel.collect->setDisabled(false);
    }
    const QString time = QString::fromStdString(positionText(m_engine, m_stream)) + QLatin1Char('/') +
                         QString::fromStdString(lengthText(m_engine, m_stream));
    if (m_panel.time->text() != time) m_panel.time->setText(time);
    if (!m_panel.progress->dragging()) {
        m_panel.progress->setPosition(progressPercent(m_engine.getPosition(m_stream), m_engine.getLength(m_stream)));
    }
}

void PlayerController::stopSong() {
    m_resume.reset();  // another song or source was asked for
    m_songStart.stop();
    m_scheduler.stopTimer(kClockTimer);
    m_scheduler.stopTimer(kPauseTimer);
    freeStream();
}

void PlayerController::freeStream() {
    m_scheduler.stopTimer(kCommentsTimer);
    if (m_stream != 0) m_engine.freeStream(std::exchange(m_stream, 0));
}

void PlayerController::showNotice(const QString& title, const QString& secondLine) {
    setTitleLine(title);
    setSecondLine(secondLine);
}

void PlayerController::showSongOrIdle() {
    if (m_resume) {
        setTitleLine(QString::fromStdString(m_resume->song.name));
        setSecondLine(QString::fromStdString(m_resume->song.uploader));
        return;
    }
    if (m_model.currentSongId().empty()) {
        showNotice(qText(kIdleTitleLine), qText(kIdleSecondLine));
        return;
    }
    setTitleLine(QString::fromStdString(m_model.currentSong().name));
    setSecondLine(QString::fromStdString(m_model.detailLine()));
}

void PlayerController::detailsArrived(const SongFacts& facts) {
    m_model.setDetailLine(facts.detailLine);
    const PlaySource source = m_model.playSource();
    if (source != PlaySource::Collection && source != PlaySource::Likes) {
        setSecondLine(QString::fromStdString(facts.detailLine), QString::fromStdString(facts.uploader));
        return;
    }
    // A collection or likes row holds neither the cover nor, for a search result, the uploader.
    setSecondLine(QString::fromStdString(facts.uploader));
    fetchCover(facts.coverUrl, MissingCover::Keeps);
}

void PlayerController::showSong(const net::SongEntry& song, SongOrigin origin) {
    setTitleLine(QString::fromStdString(song.name));
    setSecondLine(QString::fromStdString(song.uploader));
    m_panel.window->setTitle(QString::fromStdString(songWindowTitle(m_titlePrefix.toStdString(), origin, song.name)));
    // A list's row has no cover: the last one stays until the song's details bring one.
    if (origin == SongOrigin::HotList || origin == SongOrigin::Channel) fetchCover(song.coverUrl, MissingCover::Clears);
    if (origin == SongOrigin::ById) fetchCover(song.coverUrl, MissingCover::Keeps);
}

void PlayerController::showLoading() {
    const bool hot = m_model.currentChannel() == kHotChannel;
    m_panel.window->setTitle(QString::fromStdString(
        loadingWindowTitle(m_titlePrefix.toStdString(), hot ? kHotListName : std::string_view(m_channelLook.name))));
    if (!hot) {
        m_coverFetch.stop();
        setCover(m_channelLook.picture);
        setTitleLine(QString::fromStdString(m_channelLook.name));
    }
    setSecondLine(qText(kLoadingSongsText));
}

void PlayerController::setTitleLine(const QString& text) {
    m_panel.title->setText(text);
    m_panel.title->setTips(text);
}

void PlayerController::setSecondLine(const QString& text, const QString& tips) {
    const QString& tooltip = tips.isNull() ? text : tips;
    if (m_panel.subtitle->text() == text && m_panel.subtitle->tips() == tooltip) return;
    m_panel.subtitle->setText(text);
    m_panel.subtitle->setTips(tooltip);
}

void PlayerController::setCover(const QByteArray& picture) {
    m_cover = picture;
    m_panel.cover->setPicture(picture);
    if (m_hooks.coverShown) m_hooks.coverShown(picture);
}

void PlayerController::fetchCover(const std::string& url, MissingCover missing) {
    m_coverFetch.start(
        [url](std::stop_token stop) {
            const std::string bytes = url.empty() ? std::string() : net::fetchPicture(url, std::move(stop));
            return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
        },
        [this, missing](QByteArray picture) {
            if (!picture.isEmpty() || missing == MissingCover::Clears) setCover(picture);
        });
}

panel::ListView* PlayerController::viewOf(PlaySource source) const {
    switch (source) {
    case PlaySource::Collection:
        return m_panel.lists.collection;
    case PlaySource::Likes:
        return m_panel.lists.likes;
    case PlaySource::Catalogue:
    case PlaySource::SongList:
        return m_panel.lists.songs;
    }
    return nullptr;
}

const net::SongList* PlayerController::listOf(PlaySource source) const {
    switch (source) {
    case PlaySource::Collection:
        return m_collection;
    case PlaySource::Likes:
        return m_likes;
    case PlaySource::Catalogue:
    case PlaySource::SongList:
        return &m_songList;
    }
    return nullptr;
}

int PlayerController::rowCountOf(PlaySource source) const {
    const net::SongList* list = listOf(source);
    return list ? list->rowCount() : 0;
}

bool PlayerController::mainWindowVisible() const {
    const platform::NativeWindow* native = m_panel.window->nativeWindow();
    return native && native->isVisible();
}

}  // namespace vamu::playback
