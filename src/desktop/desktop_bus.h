#pragma once
// The program on the desktop's session bus: the media-player interfaces that panels,
// lock screens and media keys use to show and drive the player, and the desktop's
// notifications. What they read and do reaches the player through MediaHooks, which
// the program fills; this folder never includes a feature.
//
// Without a session bus nothing of this exists: connectSession() says so once on
// standard error and gives nothing, and the program runs as before.
//
// UI thread only: the bus delivers calls and property reads to this thread, and every
// hook is called on it.

#include "desktop/media_state.h"
#include "desktop/notification_slot.h"
#include "playback/player_snapshot.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace vamu::desktop {

inline constexpr std::string_view kServiceName = "org.mpris.MediaPlayer2.vamu";
inline constexpr std::string_view kObjectPath = "/org/mpris/MediaPlayer2";
inline constexpr std::string_view kIdentity = "vamu";
inline constexpr std::string_view kDesktopEntry = "vamu";
inline constexpr std::string_view kIconName = "vamu";

// The notifications' headlines (a song's shows its title, its uploader below).
namespace notification_text {
inline constexpr std::string_view kDownloadFinished = "下载完成";
inline constexpr std::string_view kDownloadFailed = "下载失败";
}  // namespace notification_text

struct MediaHooks {
    std::function<playback::PlayerSnapshot()> player;  // the player as it is now
    std::function<bool()> notificationsOn;             // the notifications switch (通知 is 1)
    std::function<bool(double seconds)> seekTo;        // inside the known length; false: nothing changed
    std::function<void(int slider)> setVolume;         // moves the slider and stores it as the panel does
    std::function<void()> nextSong;
    std::function<void()> previousSong;
    std::function<void()> togglePause;
    std::function<void()> raise;  // show the main window
    std::function<void()> quit;   // the exit command; called after the reply went out
};

class DesktopBus {
public:
    // The program's poll of what changes without telling (a stream that ends or runs
    // dry, a cover that arrives, the slider dragged).
    static constexpr std::string_view kRefreshTimer = "桌面媒体";
    static constexpr std::chrono::milliseconds kRefreshInterval{500};

    // Joins the session bus under kServiceName (another instance holding it: the name
    // with ".instance<pid>"). Nothing when no session bus answers.
    [[nodiscard]] static std::unique_ptr<DesktopBus> connectSession(MediaHooks hooks,
                                                                    std::filesystem::path coverFolder);
    ~DesktopBus();
    DesktopBus(const DesktopBus&) = delete;
    DesktopBus& operator=(const DesktopBus&) = delete;

    // A song starts: the track changes at once, before its stream opens.
    void songStarting();
    // Takes a new snapshot and announces what changed (PropertiesChanged).
    void refresh();
    // Shows `notification` in place of the one shown before, while notifications are on.
    void notify(Notification notification);
    // A song started while the main window was hidden: its title, its uploader below.
    void notifySongStarted();
    // A download ended, finished or failed, for the file `target`.
    void notifyDownloadEnded(bool finished, const std::string& target);
    // Leaves the bus (name and object); later calls change nothing (the shutdown).
    void stop();

    [[nodiscard]] QString serviceName() const;
    [[nodiscard]] const MediaState& published() const;

private:
    struct Private;
    explicit DesktopBus(std::unique_ptr<Private> d);
    std::unique_ptr<Private> d;
};

}  // namespace vamu::desktop
