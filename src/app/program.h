#pragma once
// The program: everything it is made of, created in start-up order and wired together
// here, the one place where features meet. Members are declared so that the features
// go before the windows and the engine they use.
//
// UI thread only. main() makes one; tests make one per case on the offscreen platform.

#include "net/service_call.h"
#include "toolkit/message_request.h"

#include <QPoint>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vamu::platform {
class PointerProbe;
class Scheduler;
class SingleInstance;
}  // namespace vamu::platform
namespace vamu::playback {
class AudioEngine;
class AudioOutput;
class PlayerController;
class SongCache;
}  // namespace vamu::playback
namespace vamu::catalogue {
class DetailsController;
class RadioController;
class SearchController;
}  // namespace vamu::catalogue
namespace vamu::account {
class AccountController;
}
namespace vamu::library {
class DownloadController;
class LibraryController;
}  // namespace vamu::library
namespace vamu::comments {
class CommentSettingsWindow;
class CommentsController;
}  // namespace vamu::comments
namespace vamu::companion {
class CompanionController;
}
namespace vamu::desktop {
class DesktopBus;
}

namespace vamu::app {

class CommentStripWindow;
class MainWindow;
class NowPlayingWindow;
class ProgramMenus;
class SongListBinder;
class Switches;
class WindowScheduler;

struct ProgramOptions {
    // The sound output: the audio server when one answers (the program), or the silent
    // output that keeps real time (tests).
    bool silentOutput = false;
    // When set, the output the engine plays into instead (the benchmarks' recording one).
    std::function<std::unique_ptr<playback::AudioOutput>()> makeOutput;
    // The controllers' timers: none, the main window's named timers; tests give a
    // scheduler whose clock they move themselves. It must outlive the program.
    platform::Scheduler* scheduler = nullptr;
    // Whether a tray host shows the icon; none: the tray icon is asked. Tests that run
    // without a tray host stand one in.
    std::function<bool()> trayPresent;
    // Where the pointer is over the comment strip (strip coordinates) while Ctrl is held,
    // none otherwise; none set: the window system is asked. Tests stand one in.
    std::function<std::optional<QPoint>()> ctrlPointer;
    // The features' message boxes: the skinned box owned by the main window, or what
    // tests give to see and answer them.
    toolkit::MessageFunction messages;
    // How an update's address is opened: the desktop's default handler, or the tests'.
    std::function<void(const std::string& address)> openAddress;
    // The companion report's interval (tests shorten it).
    std::chrono::milliseconds heartbeat{120000};
    // The desktop launcher at the first start of a version (tests of other features skip it).
    bool firstRunLauncher = true;
    // How long a song plays before the next one is opened ahead (tests shorten it).
    std::chrono::milliseconds holdNextAfter{10000};
    // The song id of a vamu: link given at start (app/song_link.h); empty: none. Played
    // after start-up, or handed to the running instance, which plays it.
    std::string songId;
};

class Program {
public:
    enum class StartResult {
        Started,     // the windows are up; run the event loop
        HandedOver,  // another instance runs and was asked to raise its window (or to play
                     // the linked song): exit 0
        Failed,      // no window could be made
    };

    explicit Program(ProgramOptions options = {});
    ~Program();  // the shutdown order
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    StartResult start();

    // The exit command: shutdown, then the event loop ends half a second later.
    void exitProgram();
    // Stops the clock and every task, frees the stream; the windows stay (shutdown).
    void shutdown();

    // For tests and the benchmarks.
    [[nodiscard]] MainWindow& mainWindow() { return *m_mainWindow; }
    [[nodiscard]] playback::PlayerController& player() { return *m_player; }
    [[nodiscard]] catalogue::RadioController& radio() { return *m_radio; }
    [[nodiscard]] catalogue::SearchController& search() { return *m_search; }
    [[nodiscard]] account::AccountController& account() { return *m_account; }
    [[nodiscard]] library::LibraryController& library() { return *m_library; }
    [[nodiscard]] playback::AudioEngine& engine() { return *m_engine; }
    [[nodiscard]] NowPlayingWindow& nowPlaying() { return *m_nowPlaying; }
    [[nodiscard]] CommentStripWindow& commentStrip() { return *m_commentStrip; }
    [[nodiscard]] comments::CommentsController& comments() { return *m_comments; }
    // The comments' settings window while it is open; null otherwise.
    [[nodiscard]] comments::CommentSettingsWindow* commentSettingsWindow() const;
    [[nodiscard]] ProgramMenus& menus() { return *m_menus; }
    [[nodiscard]] catalogue::DetailsController& details() { return *m_details; }
    [[nodiscard]] library::DownloadController& download() { return *m_download; }
    [[nodiscard]] companion::CompanionController& companion() { return *m_companion; }
    // Nothing without a session bus.
    [[nodiscard]] desktop::DesktopBus* desktopBus() { return m_desktop.get(); }
    [[nodiscard]] const net::ServiceContext& serviceContext() const { return *m_context; }
    [[nodiscard]] bool shutDown() const { return m_shutDown; }

private:
    void raiseMainWindow();
    [[nodiscard]] QString handOverRequest() const;
    void handleInstanceRequest(const QString& request);
    void playLinkedSong(const std::string& songId);
    [[nodiscard]] bool handedOverToRunningInstance();
    [[nodiscard]] bool createMainWindow();
    void bindMainWindowKeys();
    void createEngine();
    void createRadio();
    void createPlayer();
    void createLists();
    void wireListMenus();
    void createDetails();
    void createDownload();
    void createCompanion();
    void createDesktopBus();
    void createComments();
    void createMenus();
    void openCommentSettings();
    void resumeLastSong();
    int showMessage(const toolkit::MessageRequest& request);

    ProgramOptions m_options;
    std::unique_ptr<platform::SingleInstance> m_instance;
    std::unique_ptr<net::ServiceContext> m_context;
    std::unique_ptr<Switches> m_switches;
    std::unique_ptr<playback::AudioEngine> m_engine;
    std::unique_ptr<playback::SongCache> m_songCache;
    std::unique_ptr<MainWindow> m_mainWindow;
    std::unique_ptr<CommentStripWindow> m_commentStrip;
    std::unique_ptr<NowPlayingWindow> m_nowPlaying;
    std::unique_ptr<WindowScheduler> m_windowScheduler;
    platform::Scheduler* m_scheduler = nullptr;  // the options' or m_windowScheduler
    QString m_titlePrefix;                       // the main window's title at start
    // Features last: destroyed first, while the windows and the engine still exist.
    std::unique_ptr<playback::PlayerController> m_player;
    std::unique_ptr<catalogue::RadioController> m_radio;
    std::unique_ptr<platform::PointerProbe> m_pointerProbe;  // read by the comments' ticks
    std::unique_ptr<comments::CommentsController> m_comments;
    std::unique_ptr<comments::CommentSettingsWindow> m_commentSettings;
    std::unique_ptr<ProgramMenus> m_menus;
    std::unique_ptr<library::LibraryController> m_library;
    std::unique_ptr<catalogue::SearchController> m_search;
    std::unique_ptr<account::AccountController> m_account;
    std::unique_ptr<catalogue::DetailsController> m_details;
    std::unique_ptr<library::DownloadController> m_download;
    std::unique_ptr<companion::CompanionController> m_companion;
    std::unique_ptr<desktop::DesktopBus> m_desktop;
    // The list views show the features' song lists: destroyed first, before the models.
    std::vector<std::unique_ptr<SongListBinder>> m_binders;
    bool m_shutDown = false;
};

}  // namespace vamu::app
