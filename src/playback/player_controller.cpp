#include "playback/player_controller.h"

#include "core/settings.h"
#include "platform/workers.h"
#include "playback/stream_time.h"

namespace vamu::playback {
namespace {

// One-shot timers of the player, beside the clock.
constexpr std::string_view kPauseTimer = "播放器等待";   // a step that waits first
constexpr std::string_view kNextLockTimer = "换歌按钮";  // the change-song button's lock
constexpr std::string_view kRowGuardTimer = "列表播放";  // the play-from-list guard
constexpr std::string_view kCommentsTimer = "弹幕启动";  // 2 s after a song's start

QString qText(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

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
                                   QString titlePrefix, PlayerHooks hooks)
    : m_engine(engine),
      m_panel(panel),
      m_scheduler(scheduler),
      m_titlePrefix(std::move(titlePrefix)),
      m_hooks(std::move(hooks)) {
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
    m_songStart.stop();
    for (const std::string_view timer : {kClockTimer, kPauseTimer, kNextLockTimer, kRowGuardTimer, kCommentsTimer}) {
        m_scheduler.stopTimer(timer);
    }
    freeStream();
}

// --- the catalogue -----------------------------------------------------------------

void PlayerController::switchCatalogue(int channel) {
    // The old song stops even when a switch is already loading (the user asked for
    // something else); the new switch then does not start. A step waiting for its pause
    // (a song played by id that waits for its next try) waits no more.
    stopSong();
    carryOut(m_model.switchCatalogue(channel));
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
    const net::SongEntry entry = *song;
    m_panel.collect->setDisabled(true);
    m_panel.play->setDisabled(true);
    m_panel.play->setText(qText(kPlayingStateText));
    showSong(entry);
    if (m_hooks.catalogueItemStarting) m_hooks.catalogueItemStarting(entry, m_model.currentChannel());
    m_model.songStarting(entry);
    if (m_hooks.songStarting) m_hooks.songStarting(entry);
    startSong();
}

// --- the lists -----------------------------------------------------------------------

void PlayerController::playSelectedRow(PlaySource list) {
    panel::ListView* view = viewOf(list);
    if (!view) return;
    const PlayerStep step = m_model.playSelectedRow(list, view->selectedRow(), rowCountOf(list));
    if (step.action == PlayerAction::None) return;
    carryOut(step);
    // The guard keeps a burst of double clicks from starting a song per click.
    m_scheduler.once(kRowGuardTimer, kRowGuardHold, [this] { m_model.releaseRowGuard(); });
}

void PlayerController::playListRow(PlaySource list, int row) { carryOut(m_model.startList(list, row)); }

void PlayerController::setSongListShown(bool otherSongs) {
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
    stopSong();
    m_model.playRepeating(song);
    m_panel.collect->setDisabled(true);
    m_panel.play->setDisabled(true);
    m_panel.play->setText(qText(kPlayingStateText));
    showSong(song);
    if (m_hooks.songStarting) m_hooks.songStarting(song);
    startSong();
}

void PlayerController::playListItem(PlaySource list, int row) {
    stopSong();
    const net::SongList* songs = listOf(list);
    const net::SongRow* playing = songs ? songs->row(row) : nullptr;
    if (!playing) return;
    m_panel.play->setDisabled(true);
    m_panel.collect->setDisabled(true);
    m_panel.play->setText(qText(kPlayingStateText));
    const net::SongEntry song = playing->song;
    showSong(song);
    m_panel.window->setTitle(m_titlePrefix + qText(kTitleSeparator) + qText(song.name));
    m_model.songStarting(song);
    if (m_hooks.songStarting) m_hooks.songStarting(song);
    startSong();
}

// --- commands ------------------------------------------------------------------------

void PlayerController::nextSong() {
    stopSong();
    const int rows = rowCountOf(m_model.playSource());
    const PlayerStep step = m_model.next(rows);
    if (step.action == PlayerAction::None) return;  // a switch loads: playback stays stopped
    m_panel.changeSong->setDisabled(true);
    carryOut(step);
    m_scheduler.once(kNextLockTimer, kNextButtonLock, [this] { m_panel.changeSong->setDisabled(false); });
}

void PlayerController::togglePause() {
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

void PlayerController::changeVolume(int value) {
    m_engine.setAttribute(m_stream, static_cast<float>(value) / 100.0f);
    core::writeSetting(core::setting::kVolume, std::to_string(value), core::CreateFolder::Yes);
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
        if (m_hooks.loadCataloguePage) m_hooks.loadCataloguePage(m_model.currentChannel());
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
    if (!mainWindowVisible() && m_hooks.startedWhileHidden) m_hooks.startedWhileHidden(m_panel.title->text());
    m_panel.download->setDisabled(false);
    m_panel.play->setText(qText(kPlayingStateText));
    StreamSource source;
    source.url = m_model.currentUrl();
    AudioEngine* engine = &m_engine;
    m_songStart.start(
        [engine, source](std::stop_token stop) {
            return std::make_unique<OpenedStream>(*engine, engine->createStream(source, stop));
        },
        [this](std::unique_ptr<OpenedStream> opened) { streamOpened(opened->release()); });
}

void PlayerController::streamOpened(StreamHandle handle) {
    // A stream that could not be opened (handle 0) still starts the clock: its length
    // stays unknown, so the buffering ticks give it up and move on.
    m_stream = handle;
    m_engine.setAttribute(m_stream, static_cast<float>(m_panel.volume->pos()) / 100.0f);
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
}

void PlayerController::updateTitle() {
    const auto title = m_windowTitle.tick(windowStateOf(*m_panel.window), m_engine.isActive(m_stream),
                                          m_titlePrefix.toStdString(), m_panel.title->text().toStdString());
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
    m_songStart.stop();
    m_scheduler.stopTimer(kClockTimer);
    m_scheduler.stopTimer(kPauseTimer);
    freeStream();
}

void PlayerController::freeStream() {
    m_scheduler.stopTimer(kCommentsTimer);
    if (m_stream != 0) m_engine.freeStream(std::exchange(m_stream, 0));
}

bool PlayerController::showCurrentSong() {
    if (m_model.currentSongId().empty()) return false;
    m_panel.title->setText(m_songTitle);
    m_panel.title->setTips(m_songTitle);
    setSecondLine(QString::fromStdString(m_model.detailLine()));
    return true;
}

void PlayerController::showSong(const net::SongEntry& song) {
    const QString name = QString::fromStdString(song.name);
    m_songTitle = name;
    const QString uploader = QString::fromStdString(song.uploader);
    m_panel.title->setText(name);
    m_panel.title->setTips(name);
    setSecondLine(uploader);
}

void PlayerController::setSecondLine(const QString& text) {
    if (m_panel.subtitle->text() == text) return;
    m_panel.subtitle->setText(text);
    m_panel.subtitle->setTips(text);
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
