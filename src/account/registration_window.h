#pragma once
// The registration window "账号注册" (200 x 170): phone, SMS code and password, a
// button that asks the service for the code and then counts ten seconds down before
// it may ask again, and "提交注册", which a successful code request enables. The code
// request and the registration share the session's registration cookies, so a code
// asked for in one window serves every window. Registering does not log in.
//
// Requests run in tasks (registrations one after another, each to its end); the countdown runs on the scheduler's named
// timer "注册倒计时<serial>". Message boxes are owned by this window. UI thread only.

#include "net/service_call.h"
#include "platform/scheduler.h"
#include "platform/task_queue.h"
#include "platform/task_slot.h"
#include "toolkit/message_request.h"
#include "panel/panel_types.h"

#include <QPoint>

#include <memory>
#include <string>

namespace vamu::account {

class RegistrationWindow {
public:
    static constexpr int kWidth = 200;
    static constexpr int kHeight = 170;
    static constexpr int kCountdownSeconds = 10;
    static constexpr std::chrono::milliseconds kCountdownStep{1000};

    // `message` shows the window's message boxes, which it owns.
    RegistrationWindow(QPoint topLeft, net::ServiceContext context, platform::Scheduler& scheduler, int serial,
                       toolkit::MessageFunction message);
    ~RegistrationWindow();
    RegistrationWindow(const RegistrationWindow&) = delete;
    RegistrationWindow& operator=(const RegistrationWindow&) = delete;

    [[nodiscard]] bool valid() const;
    // The user closed the window; the object may go.
    [[nodiscard]] bool closed() const;

    void requestCode();         // "发送验证码"
    void submitRegistration();  // "提交注册"
    void stopAll();

    // The controls, for tests and the screenshots.
    [[nodiscard]] toolkit::HostWindow& host() { return *m_host; }
    [[nodiscard]] panel::Edit* phone() const { return m_phone; }
    [[nodiscard]] panel::Edit* code() const { return m_code; }
    [[nodiscard]] panel::Edit* password() const { return m_password; }
    [[nodiscard]] panel::Button* sendCode() const { return m_sendCode; }
    [[nodiscard]] panel::Button* submit() const { return m_submit; }
    [[nodiscard]] bool busy() const { return m_codeRequest.running() || m_registrations.busy(); }

private:
    struct Reply {
        net::ServiceOutcome outcome = net::ServiceOutcome::TransportFailed;
        std::string refusalText;
    };
    void build();
    void codeAnswered(Reply reply);
    void registrationAnswered(Reply reply);
    void countdownTick();
    void showMessage(std::string_view title, std::string_view text, int width);

    std::unique_ptr<toolkit::HostWindow> m_host;
    net::ServiceContext m_context;
    platform::Scheduler& m_scheduler;
    std::string m_timerName;
    toolkit::MessageFunction m_message;
    int m_remaining = 0;  // seconds of the countdown still to show
    bool m_closed = false;
    panel::Edit* m_phone = nullptr;
    panel::Edit* m_code = nullptr;
    panel::Edit* m_password = nullptr;
    panel::Button* m_sendCode = nullptr;
    panel::Button* m_submit = nullptr;
    platform::TaskSlot<Reply> m_codeRequest;
    // A second "提交注册" waits for the first and shows its own outcome.
    platform::TaskQueue<Reply> m_registrations;
};

}  // namespace vamu::account
