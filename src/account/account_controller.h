#pragma once
// The account on the UI thread: the login panel's "登陆", the automatic login at start,
// the logout, and the registration windows that "注册账号" opens.
//
// Every request runs in a task, the login included, so the window keeps answering
// while the service thinks; "登陆" is off while a login runs so it cannot go twice.
// A ticked login is remembered in the desktop's keyring, or scrambled in the settings
// file where there is none (keyring.h); the keyring is only ever used in tasks, since it
// may ask the user to unlock it first.
// Whether an account is logged in is the session's flag (net::ServiceSession), which
// the workers of other features read. UI thread only; the panel's controls and the
// scheduler outlive it.

#include "account/login_panel.h"
#include "account/registration_window.h"
#include "net/service_call.h"
#include "platform/scheduler.h"
#include "platform/task_slot.h"
#include "toolkit/message_request.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vamu::account {

struct AccountHooks {
    // An account was logged in (by hand or automatically): load its likes.
    std::function<void()> loggedIn;
    // The account was logged out: stop loading its likes.
    std::function<void()> loggedOut;
    // The account's and the registration windows' message boxes.
    toolkit::MessageFunction message;
};

// How a login attempt ended, for the UI thread.
struct LoginResult {
    net::ServiceOutcome outcome = net::ServiceOutcome::TransportFailed;
    std::string refusalText;  // Refused: the service's "message"
};

class AccountController {
public:
    static constexpr int kMessageWidth = 200;

    AccountController(const LoginPanel& panel, net::ServiceContext context, platform::Scheduler& scheduler,
                      AccountHooks hooks = {});
    ~AccountController();
    AccountController(const AccountController&) = delete;
    AccountController& operator=(const AccountController&) = delete;

    void login();      // "登陆"
    void autoLogin();  // once at start
    void logout();     // the likes menu's "注销"
    // "注册账号": a new registration window each time.
    RegistrationWindow* openRegistration();

    void stopAll();

    [[nodiscard]] bool loggingIn() const { return m_login.running() || m_autoLogin.running(); }
    [[nodiscard]] const std::vector<std::unique_ptr<RegistrationWindow>>& registrationWindows() const {
        return m_registrations;
    }

private:
    void showLoggedIn();
    void showMessage(std::string_view text);

    LoginPanel m_panel;
    net::ServiceContext m_context;
    platform::Scheduler& m_scheduler;
    AccountHooks m_hooks;
    int m_registrationSerial = 0;
    std::vector<std::unique_ptr<RegistrationWindow>> m_registrations;

    platform::TaskSlot<LoginResult> m_login;
    platform::TaskSlot<LoginResult> m_autoLogin;
    platform::TaskSlot<bool> m_forgetting;  // the logout's deletion of the keyring's item
};

}  // namespace vamu::account
