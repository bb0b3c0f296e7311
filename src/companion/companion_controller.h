#pragma once
// The companion server on the UI thread: the update check and the client id at start
// (CompanionStart), then a report right away and on every tick of "心跳" (CompanionReport)
// that refreshes the statistics and may bring a notice.
//
// Requests run in tasks (TaskSlot); a report still waiting when the next one starts is
// dropped. Settings are read and written on the UI thread only.
//
// UI thread only; the scheduler outlives the controller.

#include "companion/companion_replies.h"
#include "platform/scheduler.h"
#include "platform/task_slot.h"
#include "toolkit/message_request.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace vamu::companion {

struct CompanionHooks {
    toolkit::MessageFunction message;
    // Opens an address with the desktop's default handler.
    std::function<void(const std::string& address)> openAddress;
    // The report button's tooltip: the fixed lines, "\n", these statistics lines.
    std::function<void(const std::string& statistics)> setStatistics;
    std::function<void()> exitProgram;
};

class CompanionController {
public:
    static constexpr std::string_view kHeartbeatTimer = "心跳";
    static constexpr std::string_view kHeartbeatDelayTimer = "心跳开始";
    static constexpr std::chrono::milliseconds kHeartbeatInterval{120000};
    static constexpr std::chrono::milliseconds kHeartbeatDelay{500};

    // `host`: host[:port] of the companion server; `heartbeat`: the report interval.
    CompanionController(std::string host, platform::Scheduler& scheduler, CompanionHooks hooks,
                        std::chrono::milliseconds heartbeat = kHeartbeatInterval);
    ~CompanionController();
    CompanionController(const CompanionController&) = delete;
    CompanionController& operator=(const CompanionController&) = delete;

    void start();   // CompanionStart
    void report();  // CompanionReport

    void stopAll();

    [[nodiscard]] bool starting() const { return m_startTask.running(); }
    [[nodiscard]] bool reporting() const { return m_reportTask.running(); }
    [[nodiscard]] int reportsAnswered() const { return m_reportsAnswered; }

private:
    struct StartReplies {
        std::string update;
        std::optional<std::string> newId;  // set when the server was asked for one
    };
    struct ReportReplies {
        std::string statistics;
        std::string notice;
    };

    void started(StartReplies replies);
    void reported(const ReportReplies& replies);
    void showNotice(const Notice& notice);

    std::string m_host;
    platform::Scheduler& m_scheduler;
    CompanionHooks m_hooks;
    std::chrono::milliseconds m_heartbeat;
    std::string m_clientId;
    bool m_administrator = false;
    int m_reportsAnswered = 0;
    platform::TaskSlot<StartReplies> m_startTask;
    platform::TaskSlot<ReportReplies> m_reportTask;
};

// One POST to host + "/vamu.php" with `body`; the reply's bytes, empty on any failure.
[[nodiscard]] std::string companionRequest(const std::string& host, const std::string& body, std::stop_token stop);

}  // namespace vamu::companion
