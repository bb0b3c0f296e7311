#pragma once
// The download button on the UI thread: it saves the playing song as an MP3 file in the
// music folder (a copy of the song cache's file when it holds the song, else fetched),
// shows the progress as "%NN" from the 500 ms timer "下载时钟", and may sound a tone at the
// end with the song muted meanwhile.
//
// A failed transfer leaves no partial file (SongTransfer deletes it), restores "下载",
// enables the button, stops the timer and says so in the button's tooltip.
//
// UI thread only. The panel's control, the engine and the scheduler outlive it.

#include "library/song_transfer.h"
#include "platform/scheduler.h"
#include "playback/audio_engine.h"
#include "playback/player_snapshot.h"
#include "toolkit/message_request.h"
#include "panel/panel_types.h"

#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace vamu::library {

enum class DownloadOutcome { Finished, Failed };

struct DownloadHooks {
    // The player as it is now: the playing song's title and stream URL.
    std::function<playback::PlayerSnapshot()> player;
    // The song's whole file in the song cache, copied instead of fetched; none: fetch it.
    std::function<std::optional<std::string>(const net::SongEntry& song)> keptFile;
    // The song is silent (true) while the tone sounds, then back at its volume (false).
    std::function<void(bool muted)> muteSong;
    std::function<bool()> toneWanted;     // 下载提示 is 1
    std::function<std::string()> folder;  // where songs go; default songFolder()
    // A download ended, with the file it was for (gone again when it failed).
    std::function<void(DownloadOutcome outcome, const std::string& target)> ended;
    toolkit::MessageFunction message;
};

class DownloadController {
public:
    static constexpr std::string_view kTickTimer = "下载时钟";
    static constexpr std::string_view kToneTimer = "下载提示音";
    static constexpr std::chrono::milliseconds kTickInterval{500};
    static constexpr std::chrono::milliseconds kToneMute{1500};

    DownloadController(panel::ThunderButton& button, playback::AudioEngine& engine, platform::Scheduler& scheduler,
                       DownloadHooks hooks, net::TransferPolicy policy = {});
    ~DownloadController();
    DownloadController(const DownloadController&) = delete;
    DownloadController& operator=(const DownloadController&) = delete;

    void downloadSong();  // the button
    // A song starts: it can be downloaded, unless a download runs.
    void songStarting();
    void tick();          // the timer; public so tests drive it

    void stopAll();

    [[nodiscard]] const SongTransfer& transfer() const { return *m_transfer; }
    [[nodiscard]] bool watching() const { return !m_done; }
    [[nodiscard]] const std::string& target() const { return m_target; }

private:
    void endTone();

    panel::ThunderButton& m_button;
    playback::AudioEngine& m_engine;
    platform::Scheduler& m_scheduler;
    DownloadHooks m_hooks;
    std::unique_ptr<SongTransfer> m_transfer;
    QString m_tips;  // the button's own tooltip, put back when a download starts
    std::string m_target;
    bool m_done = true;
    playback::StreamHandle m_tone = 0;  // the download tone's own stream
};

}  // namespace vamu::library
