#include "app/program.h"

#include "app/backgrounds.h"
#include "app/comment_strip_window.h"
#include "app/main_window.h"
#include "app/main_window_keys.h"
#include "app/main_window_layout.h"
#include "app/now_playing_window.h"
#include "app/program_menus.h"
#include "app/resume_record.h"
#include "app/song_list_binder.h"
#include "app/song_link.h"
#include "app/window_scheduler.h"
#include "app/window_settings.h"
#include "account/account_controller.h"
#include "catalogue/details_controller.h"
#include "catalogue/radio_controller.h"
#include "catalogue/search_controller.h"
#include "comments/comment_settings_window.h"
#include "comments/comments_controller.h"
#include "companion/companion_controller.h"
#include "companion/first_run_launcher.h"
#include "library/library_controller.h"
#include "core/random_source.h"
#include "core/settings.h"
#include "core/settings_keys.h"
#include "core/user_dirs.h"
#include "desktop/cover_cache.h"
#include "desktop/desktop_bus.h"
#include "library/download_controller.h"
#include "platform/pointer_probe.h"
#include "platform/desktop.h"
#include "platform/native_window.h"
#include "platform/single_instance.h"
#include "platform/messages.h"
#include "platform/system.h"
#include "platform/workers.h"
#include "playback/audio_engine.h"
#include "playback/player_controller.h"
#include "playback/song_cache.h"
#include "toolkit/toolkit.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>

#include <filesystem>

namespace vamu::app {
namespace {

// How long a second start tries to reach the running instance.
constexpr std::chrono::milliseconds kHandOverTime{3000};
// The exit command's pause between the shutdown and the end of the event loop.
constexpr std::chrono::milliseconds kExitDelay{500};
// How long the end of the program waits for its workers.
constexpr std::chrono::milliseconds kWorkerJoinTime{2000};
// Where the comments' settings window opens, from the main window's top-left corner.
constexpr QPoint kCommentSettingsOffset{40, 60};

// Restores, shows and raises a window of this process; a handle that names none (the
// stored handle of an instance that has ended) does nothing.
void bringWindowToFront(platform::WindowHandle handle) {
    platform::NativeWindow* window = platform::NativeWindow::find(handle);
    if (!window) return;
    window->restore();
    window->show();
    window->raise();
    window->activate();
}

// The icon as the comments' avatar placeholder: encoded once at avatar size, so no
// comment decodes and scales the full icon.
QByteArray avatarPlaceholder() {
    const QImage icon = programIcon().scaled(comments::kAvatarSize, comments::kAvatarSize, Qt::IgnoreAspectRatio,
                                             Qt::SmoothTransformation);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    icon.save(&buffer, "PNG");
    return bytes;
}

}  // namespace

Program::Program(ProgramOptions options) : m_options(std::move(options)) {
    if (!m_options.openAddress) {
        m_options.openAddress = [](const std::string& address) {
            (void)platform::openAddress(QString::fromStdString(address));
        };
    }
}

Program::~Program() {
    shutdown();
    // A song start may still be opening its stream on a worker with the engine in hand:
    // it must end before the engine goes (tests make and drop programs mid-start).
    (void)platform::joinWorkers(kWorkerJoinTime);
}

Program::StartResult Program::start() {
    if (handedOverToRunningInstance()) return StartResult::HandedOver;  // silently, with exit code 0
    // Writes killed midway (a crash, a power cut) leave their temporary files behind.
    (void)core::removeStaleSettingsFiles();
    m_context =
        std::make_unique<net::ServiceContext>(net::serviceContextFromSettings(std::make_shared<net::ServiceSession>()));
    m_switches = std::make_unique<Switches>();
    if (!createMainWindow()) return StartResult::Failed;
    bindMainWindowKeys();
    createEngine();
    // Features in the order the window needs them; each wires only what it hands out.
    createRadio();
    createPlayer();
    createLists();
    createDetails();
    createDownload();
    createCompanion();
    createDesktopBus();
    m_commentStrip = std::make_unique<CommentStripWindow>(m_switches->comments());
    createComments();
    createMenus();
    resumeLastSong();
    // The first requests: the collection file and the automatic login, then the channels.
    m_library->loadCollection();
    m_account->autoLogin();
    m_radio->loadChannelPage();
    m_mainWindow->show();
    m_nowPlaying = std::make_unique<NowPlayingWindow>(nowPlayingTopSetting(), [](int top) { storeNowPlayingTop(top); });
    if (!m_options.songId.empty()) playLinkedSong(m_options.songId);
    return StartResult::Started;
}

bool Program::handedOverToRunningInstance() {
    // The stored handle is honoured as before; in a new process it names no window, and
    // the raise of a running instance goes through the single-instance channel instead.
    bringWindowToFront(
        platform::WindowHandle{static_cast<std::uint32_t>(core::readSettingInt(core::setting::kWindowHandle))});
    m_instance = std::make_unique<platform::SingleInstance>(
        QFileInfo(QString::fromStdString(core::settingsPath())).absolutePath());
    if (m_instance->role() == platform::SingleInstance::Role::Secondary) {
        (void)m_instance->sendToPrimary(handOverRequest(), kHandOverTime);  // whether it answered or not
        return true;
    }
    m_instance->onRequest([this](const QString& request) { handleInstanceRequest(request); });
    return false;
}

bool Program::createMainWindow() {
    toolkit::toolkitStartup();
    MainWindowSetup setup;
    setup.background = backgroundSetting();
    setup.volume = m_switches->volume();
    setup.loggedIn = [session = m_context->session] { return session->loggedIn(); };
    m_mainWindow = std::make_unique<MainWindow>(setup);
    if (!m_mainWindow->valid()) return false;
    core::writeSetting(core::setting::kWindowHandle, std::to_string(m_mainWindow->handle().value));
    m_titlePrefix = m_mainWindow->host().title();
    m_scheduler = m_options.scheduler;
    if (!m_scheduler) {
        m_windowScheduler = std::make_unique<WindowScheduler>(m_mainWindow->handle());
        m_scheduler = m_windowScheduler.get();
    }
    return true;
}

void Program::bindMainWindowKeys() {
    KeyActions actions;
    actions.togglePause = [this] { m_player->togglePause(); };
    actions.nextSong = [this] { m_player->nextSong(); };
    actions.previousSong = [this] { m_player->previousSong(); };
    actions.changeVolume = [this](int delta) { m_player->stepVolume(delta); };
    actions.search = [this] { m_mainWindow->showSearch(); };
    actions.download = [this] { m_download->downloadSong(); };
    actions.collect = [this] { m_library->collectPlaying(); };
    bindKeys(*m_mainWindow, std::move(actions));
}

void Program::resumeLastSong() {
    std::optional<ResumeRecord> record = loadResume();
    if (!record) return;
    m_radio->setPlayingChannel(record->channel);
    m_player->showResumed(std::move(record->point));
}

void Program::createEngine() {
    m_engine = std::make_unique<playback::AudioEngine>();
    if (m_options.makeOutput) {
        m_engine->init(m_options.makeOutput());
    } else {
        m_engine->init(m_options.silentOutput ? playback::OutputChoice::Silent : playback::OutputChoice::Automatic);
    }
}

void Program::createRadio() {
    catalogue::RadioHooks hooks;
    hooks.switchCatalogue = [this](int channel, std::string name, QByteArray picture) {
        m_player->switchCatalogue(channel, {std::move(name), std::move(picture)});
    };
    hooks.showNotice = [this](const QString& title, const QString& line) { m_player->showNotice(title, line); };
    hooks.noticeOver = [this] { m_player->showSongOrIdle(); };
    hooks.growWindow = [this] { m_mainWindow->growForChannels(); };
    m_radio = std::make_unique<catalogue::RadioController>(m_mainWindow->radioPanel(), *m_context, *m_scheduler,
                                                           core::systemRandomSource(), std::move(hooks));
}

void Program::createPlayer() {
    playback::PlayerHooks hooks;
    hooks.coverShown = [this](const QByteArray& picture) { m_details->showCover(picture); };
    hooks.songStarting = [this](const net::SongEntry& song) {
        m_library->setPlayingSong(song);
        m_details->songStarting(song);
        m_download->songStarting();
        if (m_desktop) m_desktop->songStarting();
    };
    hooks.startedWhileHidden = [this](const QString& title) {
        m_nowPlaying->slideIn(title);
        if (m_desktop) m_desktop->notifySongStarted();
    };
    hooks.volumeChanged = [this](int value) { m_switches->setVolume(value); };
    hooks.songPlaying = [this] { m_comments->startComments(); };
    // The pages come straight from the radio.
    m_player = std::make_unique<playback::PlayerController>(
        *m_engine, m_mainWindow->playerPanel(), *m_scheduler, m_titlePrefix,
        std::bind_front(&catalogue::RadioController::loadCataloguePage, m_radio.get()), std::move(hooks));
    m_player->setHoldAfter(m_options.holdNextAfter);
    m_songCache = std::make_unique<playback::SongCache>(playback::songCacheFolder(), m_switches->songCacheLimit());
    m_player->setSongCache(m_songCache.get());
}

// The song-list view's features: the library with the collection and the likes, the
// search and the account, their menus and the list views' binders.
void Program::createLists() {
    library::LibraryHooks libraryHooks;
    libraryHooks.likesPageShown = [this] { m_search->disableNextPage(); };
    libraryHooks.message = [this](const toolkit::MessageRequest& request) { return showMessage(request); };
    m_library =
        std::make_unique<library::LibraryController>(m_mainWindow->libraryPanel(), m_player->songList(), *m_context,
                                                     *m_scheduler, library::collectionPath(), std::move(libraryHooks));
    m_player->setLibraryLists(&m_library->collection(), &m_library->likes());
    catalogue::SearchHooks searchHooks;
    searchHooks.resultsShown = [this](std::optional<std::vector<net::SongEntry>> songs) {
        m_library->showSearchResults(std::move(songs));
    };
    searchHooks.message = [this](const toolkit::MessageRequest& request) { return showMessage(request); };
    m_search =
        std::make_unique<catalogue::SearchController>(m_mainWindow->searchPanel(), *m_context, std::move(searchHooks));
    account::AccountHooks accountHooks;
    accountHooks.loggedIn = [this] { m_library->refreshLikes(); };
    accountHooks.loggedOut = [this] {
        m_library->stopLikes();
        m_search->cancel();
    };
    accountHooks.message = [this](const toolkit::MessageRequest& request) { return showMessage(request); };
    m_account = std::make_unique<account::AccountController>(m_mainWindow->loginPanel(), *m_context, *m_scheduler,
                                                             std::move(accountHooks));
    wireListMenus();
    const panel::SongLists& views = m_mainWindow->views().lists;
    m_binders.push_back(std::make_unique<SongListBinder>(m_player->songList(), *views.songs));
    m_binders.push_back(std::make_unique<SongListBinder>(m_library->collection(), *views.collection));
    m_binders.push_back(std::make_unique<SongListBinder>(m_library->likes(), *views.likes));
}

void Program::createComments() {
    comments::CommentsSetup setup;
    setup.strip = &m_commentStrip->host();
    setup.on = m_switches->comments() && CommentStripWindow::supported();
    setup.placeholder = avatarPlaceholder();
    setup.random = core::systemRandomSource();
    setup.settings = m_switches->commentSettings();
    comments::CommentsHooks hooks;
    hooks.player = [this] { return m_player->snapshot(); };
    hooks.showStrip = [this](bool shown) { m_commentStrip->setShown(shown); };
    hooks.ctrlPointer = m_options.ctrlPointer;
    if (!hooks.ctrlPointer) {
        m_pointerProbe = std::make_unique<platform::PointerProbe>();
        hooks.ctrlPointer = [this]() -> std::optional<QPoint> {
            const std::optional<platform::PointerProbe::Reading> pointer = m_pointerProbe->read();
            if (!pointer || !(pointer->modifiers & platform::modifier::kControl)) return std::nullopt;
            return pointer->position - m_commentStrip->host().geometry().topLeft();
        };
    }
    hooks.setStripInput = [this](const QRegion& region) { m_commentStrip->setInput(region); };
    hooks.settingsChanged = [this](const comments::CommentSettings& settings) {
        m_switches->setCommentSettings(settings);
        if (comments::CommentSettingsWindow* window = commentSettingsWindow()) window->setSettings(settings);
    };
    m_comments =
        std::make_unique<comments::CommentsController>(std::move(setup), *m_context, *m_scheduler, std::move(hooks));
}

void Program::createMenus() {
    ShellActions actions;
    actions.nextSong = [this] { m_player->nextSong(); };
    actions.previousSong = [this] { m_player->previousSong(); };
    actions.togglePause = [this] { m_player->togglePause(); };
    actions.showMainWindow = [this] { raiseMainWindow(); };
    actions.exitProgram = [this] { exitProgram(); };
    actions.setComments = [this](bool on) { m_comments->setOn(on); };
    actions.openCommentSettings = [this] { openCommentSettings(); };
    actions.clearSongCache = [this] { m_songCache->clear(); };
    actions.trayPresent = m_options.trayPresent;
    if (!CommentStripWindow::supported())
        actions.commentsUnavailable = QString::fromUtf8(CommentStripWindow::kUnsupportedTips.data(),
                                                        static_cast<qsizetype>(CommentStripWindow::kUnsupportedTips.size()));
    m_menus = std::make_unique<ProgramMenus>(*m_mainWindow, *m_switches, std::move(actions));
}

void Program::openCommentSettings() {
    if (m_commentSettings && !m_commentSettings->closed()) {
        m_commentSettings->bringToFront();
        return;
    }
    m_commentSettings.reset();
    const QPoint at = m_mainWindow->host().geometry().topLeft() + kCommentSettingsOffset;
    m_commentSettings = std::make_unique<comments::CommentSettingsWindow>(
        m_mainWindow->handle(), at, m_switches->commentSettings(), [this](const comments::CommentSettings& settings) {
            m_switches->setCommentSettings(settings);
            if (m_comments) m_comments->setSettings(settings);
        });
}

comments::CommentSettingsWindow* Program::commentSettingsWindow() const {
    return m_commentSettings && !m_commentSettings->closed() ? m_commentSettings.get() : nullptr;
}

void Program::wireListMenus() {
    using playback::PlaySource;
    const library::LibraryPanel& lists = m_mainWindow->libraryPanel();
    panel::setMenuAction(*lists.collectionMenu, panel::collection_menu::kPlay,
                         [this] { m_player->playSelectedRow(PlaySource::Collection); });
    panel::setMenuAction(*lists.collectionMenu, panel::collection_menu::kSync, [this] { m_library->syncLikes(); });
    panel::setMenuAction(*lists.collectionMenu, panel::collection_menu::kDelete,
                         [this] { m_library->deleteFromCollection(); });
    panel::setMenuAction(*lists.likesMenu, panel::likes_menu::kCollect, [this] { m_library->collectFromLikes(); });
    panel::setMenuAction(*lists.likesMenu, panel::likes_menu::kReload, [this] { m_library->refreshLikes(); });
    panel::setMenuAction(*lists.likesMenu, panel::likes_menu::kDelete, [this] { m_library->unlike(); });
    panel::setMenuAction(*lists.likesMenu, panel::likes_menu::kSync, [this] { m_library->syncLikes(); });
    panel::setMenuAction(*lists.likesMenu, panel::likes_menu::kLogout, [this] { m_account->logout(); });
    panel::setMenuAction(*m_mainWindow->detailsPanel().songMenu, panel::song_menu::kCollect,
                         [this] { m_library->collectFromSongList(); });
    m_mainWindow->setMenuGate(panel::ListTab::Collection, [this] { return m_library->prepareCollectionMenu(); });
    m_mainWindow->setMenuGate(panel::ListTab::Likes, [this] { return m_library->prepareLikesMenu(); });
}

int Program::showMessage(const toolkit::MessageRequest& request) {
    if (m_options.messages) return m_options.messages(request);
    return toolkit::showMessageBox(m_mainWindow ? &m_mainWindow->host() : nullptr, request);
}

void Program::createDetails() {
    catalogue::DetailsHooks hooks;
    hooks.detailsLearnt = [this](const std::string& line, const std::string& uploader, const std::string& cover) {
        m_player->detailsArrived({line, uploader, cover});
    };
    hooks.playRepeating = [this](const net::SongEntry& song) { m_player->playRepeating(song); };
    hooks.setUploaderView = [this](bool shown) { m_player->setSongListShown(shown); };
    hooks.uploaderViewShown = [this] { return m_player->model().otherSongsShown(); };
    hooks.addUploaderSongs = [this](const std::vector<net::SongEntry>& songs) { m_player->addToSongList(songs); };
    hooks.reloadCatalogue = [this] { m_player->reloadCatalogue(); };
    hooks.message = [this](const toolkit::MessageRequest& request) { return showMessage(request); };
    m_details = std::make_unique<catalogue::DetailsController>(
        m_mainWindow->detailsPanel(), m_player->songList(), core::readSetting(core::setting::kCompanion), *m_context,
        *m_scheduler, core::systemRandomSource(), std::move(hooks));
    m_mainWindow->setMenuGate(panel::ListTab::Songs, [this] { return m_details->prepareSongMenu(); });
}

void Program::createDownload() {
    library::DownloadHooks hooks;
    hooks.player = [this] { return m_player->snapshot(); };
    hooks.keptFile = [this](const net::SongEntry& song) { return m_songCache->fileToCopy(song.id, song.source); };
    hooks.muteSong = [this](bool muted) { m_player->muteSong(muted); };
    hooks.toneWanted = [this] { return m_switches->downloadToneOn(); };
    hooks.message = [this](const toolkit::MessageRequest& request) { return showMessage(request); };
    hooks.ended = [this](library::DownloadOutcome outcome, const std::string& target) {
        if (m_desktop) m_desktop->notifyDownloadEnded(outcome == library::DownloadOutcome::Finished, target);
    };
    m_download = std::make_unique<library::DownloadController>(*m_mainWindow->libraryPanel().download, *m_engine,
                                                               *m_scheduler, std::move(hooks));
}

void Program::createCompanion() {
    companion::CompanionHooks hooks;
    hooks.message = [this](const toolkit::MessageRequest& request) { return showMessage(request); };
    hooks.openAddress = m_options.openAddress;
    hooks.setStatistics = [this](const std::string& statistics) { m_mainWindow->showStatistics(statistics); };
    hooks.exitProgram = [this] { exitProgram(); };
    m_companion = std::make_unique<companion::CompanionController>(core::readSetting(core::setting::kCompanion),
                                                                   *m_scheduler, std::move(hooks), m_options.heartbeat);
    m_companion->start();

    if (!m_options.firstRunLauncher) return;
    companion::LauncherPlaces places;
    places.program = QFileInfo(QCoreApplication::applicationFilePath()).absoluteFilePath().toStdString();
    places.installedEntry = companion::installedDesktopEntry(places.program).value_or(std::string());
    const std::string data = core::dataHome();
    places.dataFolder = data + "/vamu";
    places.desktop = core::userDir("DESKTOP", "Desktop");
    places.iconFolder = data + "/icons/hicolor/128x128/apps";
    const QByteArray icon = programIconBytes();
    places.iconBytes.assign(icon.constData(), static_cast<std::size_t>(icon.size()));
    (void)companion::makeFirstRunLauncher(places);
}

void Program::createDesktopBus() {
    desktop::MediaHooks hooks;
    hooks.player = [this] { return m_player->snapshot(); };
    hooks.seekTo = [this](double seconds) { return m_player->seekToSeconds(seconds); };
    hooks.setVolume = [this](int value) { m_player->setVolume(value); };
    hooks.notificationsOn = [this] { return m_switches->notificationsOn(); };
    hooks.nextSong = [this] { m_player->nextSong(); };
    hooks.previousSong = [this] { m_player->previousSong(); };
    hooks.togglePause = [this] { m_player->togglePause(); };
    hooks.raise = [this] { raiseMainWindow(); };
    hooks.quit = [this] { exitProgram(); };
    m_desktop = desktop::DesktopBus::connectSession(std::move(hooks), desktop::coverFolder());
    if (!m_desktop) return;
    m_scheduler->startTimer(desktop::DesktopBus::kRefreshTimer, desktop::DesktopBus::kRefreshInterval,
                            [this] { m_desktop->refresh(); });
}

// --- vamu: links and the single-instance channel -------------------------------------

QString Program::handOverRequest() const {
    if (const std::optional<std::string> request = playIdRequest(m_options.songId)) {
        return QString::fromStdString(*request);
    }
    return QString::fromLatin1(platform::SingleInstance::kRaiseRequest);
}

// The channel is open to every process of the user: anything but the two known
// requests is ignored.
void Program::handleInstanceRequest(const QString& request) {
    if (request == QLatin1String(platform::SingleInstance::kRaiseRequest)) {
        raiseMainWindow();
        return;
    }
    const std::optional<std::string> songId = songIdFromRequest(request.toStdString());
    if (!songId) return;
    raiseMainWindow();
    playLinkedSong(*songId);
}

// The get button's play by id, as if the user had typed the id into the box. While the
// button waits for an earlier id the link is dropped, as a click then would be, and the
// box keeps the id that is being fetched.
void Program::playLinkedSong(const std::string& songId) {
    if (m_shutDown || !m_details || !m_mainWindow || m_details->waitingForId()) return;
    m_mainWindow->detailsPanel().songIdBox->setText(QString::fromStdString(songId));
    m_details->playById();
}

void Program::raiseMainWindow() {
    if (m_mainWindow) bringWindowToFront(m_mainWindow->handle());
}

void Program::exitProgram() {
    shutdown();
    QTimer::singleShot(kExitDelay, [] { QCoreApplication::exit(0); });
}

void Program::shutdown() {
    if (m_shutDown) return;
    m_shutDown = true;
    if (m_menus) m_menus->removeTray();
    if (m_desktop) {
        m_scheduler->stopTimer(desktop::DesktopBus::kRefreshTimer);
        m_desktop->stop();
    }
    // The comments go before their strip: their page lives in it; their settings window first.
    m_commentSettings.reset();
    if (m_comments) m_comments->stopAll();
    m_comments.reset();
    if (m_account) m_account->stopAll();
    if (m_search) m_search->stopAll();
    if (m_library) m_library->stopAll();
    if (m_companion) m_companion->stopAll();
    if (m_download) m_download->stopAll();
    if (m_details) m_details->stopAll();
    if (m_radio) m_radio->stopAll();
    // Where playing stood, for the next start (before the player lets its song go).
    if (m_player && m_radio) storeResume({m_player->resumePoint(), m_radio->playingChannel()});
    if (m_player) m_player->stopAll();
    m_commentStrip.reset();
    m_nowPlaying.reset();
    if (m_engine) m_engine->free();
}

}  // namespace vamu::app
