#include "account/account_controller.h"
#include "toolkit/qt_text.h"

#include "account/account_texts.h"
#include "account/credentials.h"
#include "core/settings.h"
#include "toolkit/message_box.h"

#include <algorithm>

namespace vamu::account {
namespace {

using toolkit::qText;

// Where a registration window opens, from the main window's top-left corner.
constexpr QPoint kRegistrationOffset{90, 120};

LoginResult resultOf(const net::ServiceReply& reply) { return {reply.outcome, reply.refusalText}; }

// The automatic login on its worker: the stored cookie, or the stored credentials when
// the service no longer knows the cookie.
LoginResult autoLoginRoutine(const net::ServiceContext& context, std::stop_token stop) {
    if (core::readSetting(core::setting::kAutoLogin) != "1") return {};
    const std::string cookie = core::readSetting(core::setting::kCookie);
    if (cookie.empty() || !context.session) return {};
    context.session->setSessionCookies(cookie);
    const net::ServiceReply info = net::callService(context, net::endpoint::kUserInfo, {}, stop);
    if (info.outcome != net::ServiceOutcome::Refused) return resultOf(info);
    const auto credentials = readCredentials(core::readSetting(core::setting::kUserData));
    if (!credentials) return {};
    net::ServiceReply login = net::callService(
        context, net::endpoint::kLogin,
        {net::ParamValue::text(credentials->password), net::ParamValue::text(credentials->account)}, stop);
    if (login.outcome != net::ServiceOutcome::TransportFailed && login.outcome != net::ServiceOutcome::Cancelled) {
        core::writeSetting(core::setting::kCookie, context.session->sessionCookies(), core::CreateFolder::Yes);
    }
    return resultOf(login);
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

AccountController::~AccountController() { stopAll(); }

void AccountController::stopAll() {
    m_login.stop();
    m_autoLogin.stop();
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
    const bool remember = m_panel.autoLogin->isChecked();
    m_login.start(
        [context = m_context, account, password, remember](std::stop_token stop) {
            const net::ServiceReply reply =
                net::callService(context, net::endpoint::kLogin,
                                 {net::ParamValue::text(password), net::ParamValue::text(account)}, stop);
            // Unticked, nothing is written: what an earlier login stored stays.
            if (reply.outcome == net::ServiceOutcome::Succeeded && remember) {
                core::writeSetting(core::setting::kAutoLogin, "1", core::CreateFolder::Yes);
                core::writeSetting(core::setting::kUserData, storeCredentials({account, password}),
                                   core::CreateFolder::Yes);
                core::writeSetting(core::setting::kCookie, context.session->sessionCookies(), core::CreateFolder::Yes);
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
    m_autoLogin.start([context = m_context](std::stop_token stop) { return autoLoginRoutine(context, stop); },
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
