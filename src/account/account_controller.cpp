#include "account/account_controller.h"
#include "toolkit/qt_text.h"

#include "account/account_texts.h"
#include "account/credentials.h"
#include "account/keyring.h"
#include "core/settings.h"
#include "toolkit/message_box.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <set>

namespace vamu::account {
namespace {

using toolkit::qText;

// Where a registration window opens, from the main window's top-left corner.
constexpr QPoint kRegistrationOffset{90, 120};

LoginResult resultOf(const net::ServiceReply& reply) { return {reply.outcome, reply.refusalText}; }

bool gotReply(const net::ServiceReply& reply) {
    return reply.outcome != net::ServiceOutcome::TransportFailed && reply.outcome != net::ServiceOutcome::Cancelled;
}

void logNoKeyring(const KeyringResult& result, const char* consequence) {
    std::fprintf(stderr, "vamu: no keyring (%s): %s\n", result.reason.c_str(), consequence);
}

// The tasks that write the keyring take turns in the order the UI thread started them: a
// logout's deletion that waits for the keyring to be unlocked must not delete the item of
// a login that came after it, and "登陆" stays usable meanwhile. Any thread.
class KeyringTurns {
public:
    class Turn {
    public:
        Turn(std::shared_ptr<KeyringTurns> turns, std::uint64_t number) : m_turns(std::move(turns)), m_number(number) {}
        ~Turn() { m_turns->leave(m_number); }
        Turn(const Turn&) = delete;
        Turn& operator=(const Turn&) = delete;
        // Until every earlier turn has ended; false when stopped first.
        [[nodiscard]] bool wait(const std::stop_token& stop) const { return m_turns->waitFor(m_number, stop); }

    private:
        std::shared_ptr<KeyringTurns> m_turns;  // kept by every turn: a worker may end after exit()
        std::uint64_t m_number = 0;
    };

    // UI thread: the next turn, given up when the last copy goes.
    static std::shared_ptr<const Turn> take() {
        static const auto all = std::make_shared<KeyringTurns>();
        const std::lock_guard lock(all->m_mutex);
        const std::uint64_t number = all->m_next++;
        all->m_open.insert(number);
        return std::make_shared<const Turn>(all, number);
    }

private:
    bool waitFor(std::uint64_t number, const std::stop_token& stop) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait(lock, stop, [&] { return *m_open.begin() == number; });
    }
    void leave(std::uint64_t number) {
        {
            const std::lock_guard lock(m_mutex);
            m_open.erase(number);
        }
        m_changed.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable_any m_changed;
    std::uint64_t m_next = 0;        // guarded by m_mutex
    std::set<std::uint64_t> m_open;  // guarded by m_mutex: turns taken and not yet given up
};
using Turn = std::shared_ptr<const KeyringTurns::Turn>;

// Keeps a login for the next start: in the keyring when there is one, with the settings
// file's copies emptied; otherwise scrambled in the settings file. Nothing when stopped
// (the program ends, or a newer login supersedes this one).
void rememberLogin(const RememberedLogin& login, const Turn& turn, const std::stop_token& stop) {
    if (!turn->wait(stop)) return;
    const KeyringResult kept = rememberInKeyring(login, stop);
    if (stop.stop_requested()) return;
    core::writeSetting(core::setting::kAutoLogin, "1", core::CreateFolder::Yes);
    if (kept.status == KeyringStatus::Done) {
        core::writeSetting(core::setting::kUserData, "", core::CreateFolder::Yes);
        core::writeSetting(core::setting::kCookie, "", core::CreateFolder::Yes);
        return;
    }
    logNoKeyring(kept, "the login is kept scrambled in the settings file");
    core::writeSetting(core::setting::kUserData, storeCredentials({login.account, login.password}),
                       core::CreateFolder::Yes);
    core::writeSetting(core::setting::kCookie, login.cookie, core::CreateFolder::Yes);
}

net::ServiceReply logIn(const net::ServiceContext& context, const Credentials& credentials,
                        const std::stop_token& stop) {
    return net::callService(context, net::endpoint::kLogin,
                            {net::ParamValue::text(credentials.password), net::ParamValue::text(credentials.account)},
                            stop);
}

// The automatic login from the settings file's cookie and scrambled credentials (an
// earlier version's file, or one written without a keyring). Once it has logged in, the
// login moves into the keyring when there is one.
LoginResult autoLoginFromFile(const net::ServiceContext& context, const std::string& cookie, const Turn& turn,
                              const std::stop_token& stop) {
    if (cookie.empty()) return {};
    const auto credentials = readCredentials(core::readSetting(core::setting::kUserData));
    context.session->setSessionCookies(cookie);
    const net::ServiceReply info = net::callService(context, net::endpoint::kUserInfo, {}, stop);
    if (info.outcome == net::ServiceOutcome::Succeeded && credentials) {
        rememberLogin({credentials->account, credentials->password, context.session->sessionCookies()}, turn, stop);
    }
    if (info.outcome != net::ServiceOutcome::Refused) return resultOf(info);
    if (!credentials) return {};
    const net::ServiceReply login = logIn(context, *credentials, stop);
    if (gotReply(login)) {
        core::writeSetting(core::setting::kCookie, context.session->sessionCookies(), core::CreateFolder::Yes);
    }
    if (login.outcome == net::ServiceOutcome::Succeeded) {
        rememberLogin({credentials->account, credentials->password, context.session->sessionCookies()}, turn, stop);
    }
    return resultOf(login);
}

// The automatic login from the keyring's item, which the keyring may first ask the user
// to unlock. A cookie the service no longer knows is renewed with the stored password,
// and the item keeps the new one.
LoginResult autoLoginFromKeyring(const net::ServiceContext& context, const Turn& turn, const std::stop_token& stop) {
    const KeyringResult recalled = recallFromKeyring(stop);
    if (stop.stop_requested()) return {};
    if (recalled.status == KeyringStatus::Empty) {
        std::fprintf(stderr, "vamu: the keyring holds no login: no automatic login\n");
        return {};
    }
    if (recalled.status != KeyringStatus::Done) {
        logNoKeyring(recalled, "no automatic login");
        return {};
    }
    RememberedLogin login = *recalled.login;
    if (login.cookie.empty()) return {};
    context.session->setSessionCookies(login.cookie);
    const net::ServiceReply info = net::callService(context, net::endpoint::kUserInfo, {}, stop);
    if (info.outcome != net::ServiceOutcome::Refused) return resultOf(info);
    const net::ServiceReply reply = logIn(context, {login.account, login.password}, stop);
    if (gotReply(reply)) {
        login.cookie = context.session->sessionCookies();
        rememberLogin(login, turn, stop);
    }
    return resultOf(reply);
}

// The automatic login on its worker: "userdata" or "cookie" in the settings file mean the
// login is kept there; with both empty it is in the keyring.
LoginResult autoLoginRoutine(const net::ServiceContext& context, const Turn& turn, const std::stop_token& stop) {
    if (core::readSetting(core::setting::kAutoLogin) != "1" || !context.session) return {};
    const std::string cookie = core::readSetting(core::setting::kCookie);
    if (!cookie.empty() || !core::readSetting(core::setting::kUserData).empty()) {
        return autoLoginFromFile(context, cookie, turn, stop);
    }
    return autoLoginFromKeyring(context, turn, stop);
}

}  // namespace

AccountController::AccountController(const LoginPanel& panel, net::ServiceContext context,
                                     platform::Scheduler& scheduler, AccountHooks hooks)
    : m_panel(panel), m_context(std::move(context)), m_scheduler(scheduler), m_hooks(std::move(hooks)) {
    m_panel.login->bindClick([this](const toolkit::Event&) {
        login();
        return false;
    });
    m_panel.registerLink->bindClick([this](const toolkit::Event&) {
        openRegistration();
        return false;
    });
}

AccountController::~AccountController() {
    stopAll();
    closeKeyring();
}

void AccountController::stopAll() {
    m_login.stop();
    m_autoLogin.stop();
    m_forgetting.stop();
    for (auto& window : m_registrations) window->stopAll();
}

void AccountController::showMessage(std::string_view text) {
    if (!m_hooks.message) return;
    toolkit::MessageRequest request;
    request.title = qText(net::kTitleNotice);
    request.text = qText(text);
    request.icon = toolkit::message_icon::kInformation;
    request.width = kMessageWidth;
    (void)m_hooks.message(request);
}

void AccountController::login() {
    const std::string account = m_panel.account->text().toStdString();
    const std::string password = m_panel.password->text().toStdString();
    if (account.empty()) return showMessage(text::kEnterAccount);
    if (password.empty()) return showMessage(text::kEnterPassword);
    if (m_login.running()) return;
    m_panel.login->setDisabled(true);
    // A login by hand supersedes an automatic one still waiting for the keyring or the
    // service: only one of them may store what it logged in with.
    m_autoLogin.stop();
    const bool remember = m_panel.autoLogin->isChecked();
    m_login.start(
        [context = m_context, account, password, remember, turn = KeyringTurns::take()](std::stop_token stop) {
            const net::ServiceReply reply = logIn(context, {account, password}, stop);
            // Unticked, nothing is written: what an earlier login stored stays.
            if (reply.outcome == net::ServiceOutcome::Succeeded && remember) {
                rememberLogin({account, password, context.session->sessionCookies()}, turn, stop);
            }
            return resultOf(reply);
        },
        [this](LoginResult result) {
            m_panel.login->setDisabled(false);
            if (result.outcome == net::ServiceOutcome::Refused) return showMessage(result.refusalText);
            if (result.outcome == net::ServiceOutcome::Succeeded) showLoggedIn();
        });
}

void AccountController::autoLogin() {
    m_autoLogin.start([context = m_context, turn = KeyringTurns::take()](
                          std::stop_token stop) { return autoLoginRoutine(context, turn, stop); },
                      [this](LoginResult result) {
                          if (result.outcome == net::ServiceOutcome::Refused) return showMessage(result.refusalText);
                          if (result.outcome == net::ServiceOutcome::Succeeded) showLoggedIn();
                      });
}

void AccountController::showLoggedIn() {
    m_context.session->setLoggedIn(true);
    m_panel.panel->setVisible(false);
    // The likes list and the search bar belong to "我喜欢的": shown over another open
    // tab they would cover its list. That tab shows them when it opens.
    if (m_panel.likesTab->isDisabled()) {
        m_panel.likes->setVisible(true);
        m_panel.searchBar->setVisible(true);
    }
    if (m_hooks.loggedIn) m_hooks.loggedIn();
}

void AccountController::logout() {
    m_context.session->setLoggedIn(false);
    if (m_hooks.loggedOut) m_hooks.loggedOut();
    m_panel.searchBar->setVisible(false);
    m_panel.likes->setVisible(false);
    if (m_panel.likesTab->isDisabled()) m_panel.panel->setVisible(true);
    core::writeSetting(core::setting::kAutoLogin, "0", core::CreateFolder::Yes);
    core::writeSetting(core::setting::kUserData, "", core::CreateFolder::Yes);
    core::writeSetting(core::setting::kCookie, "", core::CreateFolder::Yes);
    // On a worker: the keyring may ask to be unlocked first.
    m_forgetting.start(
        [turn = KeyringTurns::take()](std::stop_token stop) {
            if (!turn->wait(stop)) return false;
            const KeyringResult forgotten = forgetInKeyring(stop);
            if (forgotten.status == KeyringStatus::Unavailable && !stop.stop_requested()) {
                logNoKeyring(forgotten, "no login deleted there");
            }
            return forgotten.status == KeyringStatus::Done;
        },
        {});
}

RegistrationWindow* AccountController::openRegistration() {
    // Windows the user closed go now, never from inside their own close.
    std::erase_if(m_registrations, [](const auto& window) { return window->closed(); });
    const QPoint at = m_panel.window->geometry().topLeft() + kRegistrationOffset;
    auto window =
        std::make_unique<RegistrationWindow>(at, m_context, m_scheduler, ++m_registrationSerial, m_hooks.message);
    if (!window->valid()) return nullptr;
    m_registrations.push_back(std::move(window));
    return m_registrations.back().get();
}

}  // namespace vamu::account
