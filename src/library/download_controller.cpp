#include "library/download_controller.h"
#include "toolkit/qt_text.h"

#include "library/download_target.h"
#include "library/download_tone.h"

#include <filesystem>
#include <system_error>

namespace vamu::library {
namespace {

constexpr std::string_view kIdleCaption = "下载";
constexpr std::string_view kBusyCaption = "下载中";
constexpr std::string_view kExistsText = "歌曲已经存在!";
constexpr std::string_view kNoticeTitle = "提示";
constexpr std::string_view kFailedTips = "下载失败，请再试一次";
constexpr int kExistsWidth = 160;

using toolkit::qText;

}  // namespace

DownloadController::DownloadController(panel::ThunderButton& button, playback::AudioEngine& engine,
                                       platform::Scheduler& scheduler, DownloadHooks hooks, net::TransferPolicy policy)
    : m_button(button),
      m_engine(engine),
      m_scheduler(scheduler),
      m_hooks(std::move(hooks)),
      m_transfer(std::make_unique<SongTransfer>(std::move(policy))),
      m_tips(button.tips()) {
    m_button.bindClick([this](const toolkit::Event&) {
        downloadSong();
        return false;
    });
}

DownloadController::~DownloadController() { stopAll(); }

void DownloadController::stopAll() {
    m_scheduler.stopTimer(kTickTimer);
    if (m_tone != 0) endTone();
    m_transfer->stop();
}

void DownloadController::songStarting() {
    if (m_done) m_button.setDisabled(false);
}

void DownloadController::downloadSong() {
    if (!m_done) return;  // one download at a time: the button is disabled meanwhile
    const playback::PlayerSnapshot now = m_hooks.player ? m_hooks.player() : playback::PlayerSnapshot{};
    const std::string& url = now.song.source;
    const QString title = QString::fromStdString(now.song.name);
    if (url.empty() || cleanTitle(title.toStdString()).empty()) return;
    const std::string folder = m_hooks.folder ? m_hooks.folder() : songFolder();
    std::error_code error;
    std::filesystem::create_directories(folder, error);  // a failure shows as a failed transfer
    const std::string target = songPath(folder, title.toStdString());
    if (std::filesystem::exists(target, error)) {
        if (m_hooks.message) {
            toolkit::MessageRequest request;
            request.title = qText(kNoticeTitle);
            request.text = qText(kExistsText);
            request.width = kExistsWidth;
            m_hooks.message(request);
        }
        return;
    }
    m_target = target;
    m_button.setText(qText(kBusyCaption));
    m_button.setTips(m_tips);
    m_button.setDisabled(true);
    if (const std::optional<std::string> kept = m_hooks.keptFile ? m_hooks.keptFile(now.song) : std::nullopt) {
        m_transfer->copy(*kept, target);
    } else {
        m_transfer->start(url, target);
    }
    m_done = false;
    m_scheduler.startTimer(kTickTimer, kTickInterval, [this] { tick(); });
}

void DownloadController::tick() {
    if (m_done) return;
    const TransferStatus status = m_transfer->status();
    if (status.state == TransferState::Finished || status.state == TransferState::Failed) {
        m_done = true;
        m_scheduler.stopTimer(kTickTimer);
        m_button.setText(qText(kIdleCaption));
        m_button.setDisabled(false);
        if (m_hooks.ended) {
            m_hooks.ended(status.state == TransferState::Finished ? DownloadOutcome::Finished : DownloadOutcome::Failed,
                          m_target);
        }
        if (status.state == TransferState::Failed) {
            m_button.setTips(qText(kFailedTips));
            return;
        }
        if (!(m_hooks.toneWanted && m_hooks.toneWanted())) return;
        if (m_tone != 0) endTone();
        if (m_hooks.muteSong) m_hooks.muteSong(true);
        m_tone = playDownloadTone(m_engine);
        m_scheduler.once(kToneTimer, kToneMute, [this] { endTone(); });
        return;
    }
    m_button.setText(QString::fromStdString(progressCaption(status)));
}

void DownloadController::endTone() {
    m_scheduler.stopTimer(kToneTimer);
    if (m_tone != 0) m_engine.freeStream(std::exchange(m_tone, 0));
    // The song may have changed meanwhile; the volume goes to whatever plays now.
    if (m_hooks.muteSong) m_hooks.muteSong(false);
}

}  // namespace vamu::library
