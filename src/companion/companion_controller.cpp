#include "companion/companion_controller.h"
#include "toolkit/qt_text.h"

#include "core/settings.h"
#include "core/settings_keys.h"
#include "core/text_encoding.h"
#include "net/http_request.h"

namespace vamu::companion {
namespace {

constexpr std::string_view kUpdateTitle = "检测到新版本";
constexpr std::string_view kLaterText = "下次再说";
constexpr std::string_view kUpdateText = "更新版本";
constexpr std::string_view kStopTitle = "sorry!!";
constexpr std::string_view kNoticeTitle = "公告";
constexpr int kInformationIcon = 64;
// Companion replies are a few words; anything longer is not one.
constexpr std::size_t kMaxReplyBytes = 64 * 1024;

using toolkit::qText;

}  // namespace

std::string companionRequest(const std::string& host, const std::string& body, std::stop_token stop) {
    net::HttpRequestArgs args;
    args.url = "http://" + host + std::string(kScriptPath);
    if (host.starts_with("http://")) args.url = host + std::string(kScriptPath);
    args.method = 1;
    args.body = body;
    args.stop = std::move(stop);
    args.maxBodyBytes = kMaxReplyBytes;
    const net::HttpReply reply = net::httpRequest(args);
    if (reply.outcome != net::HttpOutcome::Completed || reply.status != 200) return {};
    return core::replyBodyToText(reply.body);
}

CompanionController::CompanionController(std::string host, platform::Scheduler& scheduler, CompanionHooks hooks,
                                         std::chrono::milliseconds heartbeat)
    : m_host(std::move(host)), m_scheduler(scheduler), m_hooks(std::move(hooks)), m_heartbeat(heartbeat) {}

CompanionController::~CompanionController() { stopAll(); }

void CompanionController::stopAll() {
    m_scheduler.stopTimer(kHeartbeatTimer);
    m_scheduler.stopTimer(kHeartbeatDelayTimer);
    m_startTask.stop();
    m_reportTask.stop();
}

void CompanionController::start() {
    m_administrator = isAdministrator(core::readSetting(core::setting::kAdministrator));
    const std::string id = core::readSetting(core::setting::kClientId);
    m_startTask.start(
        [host = m_host, id](std::stop_token stop) {
            StartReplies replies;
            replies.update = companionRequest(host, updateCheckBody(), stop);
            if (!id.empty()) {
                (void)companionRequest(host, clientStartBody(id), stop);
            } else {
                replies.newId = trimmed(companionRequest(host, newClientBody(), stop));
            }
            return replies;
        },
        [this](StartReplies replies) { started(std::move(replies)); });
}

void CompanionController::started(StartReplies replies) {
    if (replies.newId) {
        // An empty id (the request failed) is written too, so the next start asks again.
        core::writeSetting(core::setting::kClientId, *replies.newId, core::CreateFolder::Yes);
    }
    m_clientId = core::readSetting(core::setting::kClientId);
    report();
    m_scheduler.once(kHeartbeatDelayTimer, kHeartbeatDelay,
                     [this] { m_scheduler.startTimer(kHeartbeatTimer, m_heartbeat, [this] { report(); }); });

    const std::optional<UpdateOffer> offer = readUpdateOffer(replies.update);
    if (!offer || !m_hooks.message) return;
    toolkit::MessageRequest request;
    request.title = qText(kUpdateTitle);
    request.text = QString::fromStdString(updateText(*offer));
    request.icon = kInformationIcon;
    request.buttons = toolkit::MessageButtons::OkCancel;
    request.buttonTexts = {qText(kLaterText), qText(kUpdateText)};
    if (m_hooks.message(request) == toolkit::message_result::kOk && m_hooks.openAddress) {
        m_hooks.openAddress(offer->address);
    }
}

void CompanionController::report() {
    m_reportTask.start(
        [host = m_host, id = m_clientId](std::stop_token stop) {
            ReportReplies replies;
            replies.statistics = companionRequest(host, reportBody(id), stop);
            replies.notice = companionRequest(host, noticeBody(), stop);
            return replies;
        },
        [this](ReportReplies replies) { reported(replies); });
}

void CompanionController::reported(const ReportReplies& replies) {
    ++m_reportsAnswered;
    if (m_hooks.setStatistics) {
        m_hooks.setStatistics(statisticsText(readStatistics(replies.statistics, m_administrator), m_administrator));
    }
    if (const std::optional<Notice> notice = readNotice(replies.notice)) showNotice(*notice);
}

void CompanionController::showNotice(const Notice& notice) {
    toolkit::MessageRequest request;
    request.text = QString::fromStdString(notice.text);
    if (notice.kind == "0") {
        request.title = qText(kStopTitle);
        stopAll();  // no further report while the box is up
        if (m_hooks.message) m_hooks.message(request);
        if (m_hooks.exitProgram) m_hooks.exitProgram();
        return;
    }
    if (notice.kind != "2") return;
    const std::string shown = core::readSetting(core::setting::kShownNotices);
    if (noticeAlreadyShown(shown, notice.id)) return;
    // Remembered before the box shows, so a report during the box does not show it again.
    core::writeSetting(core::setting::kShownNotices, shown + notice.id + ",", core::CreateFolder::Yes);
    request.title = qText(kNoticeTitle);
    if (m_hooks.message) m_hooks.message(request);
}

}  // namespace vamu::companion
