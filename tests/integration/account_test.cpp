// Login, automatic login, logout and registration as a user meets them, against the
// program's own vamu-service. Message boxes are read and closed by a watcher.
#include "integration/account_fixture.h"

#include "account/credentials.h"
#include "core/settings_keys.h"

namespace vamu::test {
namespace {

using namespace std::chrono_literals;
namespace setting = core::setting;

class AccountTest : public AccountFixture {};

bool loggedIn(app::Program& program) { return program.serviceContext().session->loggedIn(); }

TEST_F(AccountTest, EmptyBoxesAndWrongPasswordsShowMessagesAndKeepThePanel) {
    startService();
    ASSERT_TRUE(startProgram());
    clickLogin("", "", false);
    ASSERT_TRUE(m_messages.waitFor(1));
    clickLogin("13800138000", "", false);
    ASSERT_TRUE(m_messages.waitFor(2));
    EXPECT_EQ(requests("/index/login"), 0) << "no request without both boxes filled";

    clickLogin(kDemoPhone, "wrong-password", false);
    EXPECT_FALSE(UiDriver::enabled(*loginPanel().login)) << "the button is off while the login runs";
    ASSERT_TRUE(m_messages.waitFor(3));
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return UiDriver::enabled(*loginPanel().login); }));

    const auto& seen = m_messages.seen();
    EXPECT_EQ(seen[0].text, "请输入账号");
    EXPECT_EQ(seen[1].text, "请输入密码");
    EXPECT_FALSE(seen[2].text.isEmpty());
    EXPECT_NE(seen[2].text, "请输入密码") << "the service's own text";
    for (const SeenMessage& message : seen) {
        EXPECT_EQ(message.title, "提示");
        EXPECT_EQ(message.width, 200);
    }
    EXPECT_EQ(requests("/index/login"), 1);
    EXPECT_FALSE(loggedIn(*m_program));
    EXPECT_TRUE(UiDriver::visible(*loginPanel().panel));
    EXPECT_FALSE(UiDriver::visible(likes()));
}

TEST_F(AccountTest, ALoginShowsAllLikesInFourRequestsAndRemembersTheAccount) {
    startService();
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(loginAndWait(kDemoPhone, kDemoPassword, true, 45));
    EXPECT_EQ(requests("POST /player/likes"), 4) << "pages of 20, 20, 5 and an empty one";
    UiDriver::pump(300ms);
    EXPECT_EQ(likes().rowCount(), 45) << "the chain ended at the empty page";
    EXPECT_EQ(requests("POST /player/likes"), 4);
    const auto numbers = column(likes(), panel::song_column::kNumber);
    EXPECT_EQ(numbers.front(), "1");
    EXPECT_EQ(numbers.back(), "45");

    EXPECT_FALSE(UiDriver::visible(*loginPanel().panel));
    EXPECT_TRUE(UiDriver::visible(likes()));
    EXPECT_TRUE(UiDriver::visible(*searchPanel().bar));
    EXPECT_FALSE(UiDriver::enabled(*searchPanel().nextPage));

    EXPECT_EQ(readSetting(setting::kAutoLogin.name), "1");
    EXPECT_NE(readSetting(setting::kCookie.name).find("vamu_session="), std::string::npos);
    const auto stored = account::readCredentials(readSetting(setting::kUserData.name));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->account, kDemoPhone);
    EXPECT_EQ(stored->password, kDemoPassword);
}

TEST_F(AccountTest, AnUntickedLoginLeavesWhatAnEarlierOneStored) {
    startService();
    writeSetting(setting::kAutoLogin.name, "1");
    writeSetting(setting::kUserData.name, "EARLIER");
    writeSetting(setting::kCookie.name, "");  // no automatic login at this start
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(loginAndWait(kDemoPhone, kDemoPassword, false, 45));
    EXPECT_EQ(readSetting(setting::kAutoLogin.name), "1");
    EXPECT_EQ(readSetting(setting::kUserData.name), "EARLIER");
    EXPECT_EQ(readSetting(setting::kCookie.name), "");
    EXPECT_EQ(requests("/user/info"), 0) << "an empty cookie makes no request at start";
}

TEST_F(AccountTest, TheNextStartResumesFromTheCookieAndAfterExpiryFromTheCredentials) {
    startService();
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(loginAndWait(kDemoPhone, kDemoPassword, true, 45));
    ASSERT_EQ(requests("/index/login"), 1);

    // Resumed with the stored cookie: no login request, the likes load.
    ASSERT_TRUE(restartProgram());
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return loggedIn(*m_program); }, 15s));
    EXPECT_EQ(requests("/user/info"), 1);
    EXPECT_EQ(requests("/index/login"), 1);
    ASSERT_TRUE(waitForLikes(45));
    // Started on the song list, the likes show once their tab opens.
    EXPECT_FALSE(UiDriver::visible(likes()));
    openTab(panel::ListTab::Likes);
    EXPECT_TRUE(UiDriver::visible(likes()));
    EXPECT_FALSE(UiDriver::visible(*loginPanel().panel));

    // A cookie the service no longer knows: the stored credentials log in again and
    // the new cookie is stored.
    const std::string expired = "vamu_session=expired-long-ago";
    writeSetting(setting::kCookie.name, expired);
    ASSERT_TRUE(restartProgram());
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return loggedIn(*m_program); }, 15s));
    EXPECT_EQ(requests("/index/login"), 2);
    ASSERT_TRUE(waitForLikes(45));
    const std::string renewed = readSetting(setting::kCookie.name);
    EXPECT_NE(renewed, expired);
    EXPECT_NE(renewed.find("vamu_session="), std::string::npos);
    EXPECT_EQ(m_messages.count(), 0u);

    // Expired again and no credentials: nothing more is tried.
    writeSetting(setting::kCookie.name, expired);
    writeSetting(setting::kUserData.name, "");
    ASSERT_TRUE(restartProgram());
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return !account().loggingIn(); }, 15s));
    EXPECT_FALSE(loggedIn(*m_program));
    EXPECT_EQ(requests("/index/login"), 2);
}

TEST_F(AccountTest, LogoutForgetsTheAccountAndShowsTheLoginPanel) {
    startService();
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(loginAndWait(kDemoPhone, kDemoPassword, true, 45));
    const toolkit::MenuEntry* logout = libraryPanel().likesMenu->item(panel::likes_menu::kLogout);
    ASSERT_TRUE(logout && logout->handler);
    logout->handler();
    EXPECT_FALSE(loggedIn(*m_program));
    EXPECT_TRUE(UiDriver::visible(*loginPanel().panel));
    EXPECT_FALSE(UiDriver::visible(likes()));
    EXPECT_FALSE(UiDriver::visible(*searchPanel().bar));
    EXPECT_EQ(readSetting(setting::kAutoLogin.name), "0");
    EXPECT_EQ(readSetting(setting::kUserData.name, "unset"), "");
    EXPECT_EQ(readSetting(setting::kCookie.name, "unset"), "");
    // The next start stays logged out.
    ASSERT_TRUE(restartProgram());
    UiDriver::pump(300ms);
    EXPECT_FALSE(loggedIn(*m_program));
    EXPECT_EQ(requests("/user/info"), 0);
}

// --- registration --------------------------------------------------------------------

class RegistrationTest : public AccountFixture {
protected:
    account::RegistrationWindow& openWindow() {
        openTab(panel::ListTab::Likes);
        EXPECT_TRUE(UiDriver::click(*loginPanel().registerLink));
        EXPECT_FALSE(account().registrationWindows().empty());
        return *account().registrationWindows().back();
    }
};

TEST_F(RegistrationTest, TheWindowAndTheChecksBeforeAnyRequest) {
    startService();
    ASSERT_TRUE(startProgram());
    account::RegistrationWindow& window = openWindow();
    EXPECT_EQ(window.host().title(), "账号注册");
    EXPECT_EQ(window.host().geometry().size(), QSize(200, 170));
    EXPECT_EQ(window.host().geometry().topLeft(), host().geometry().topLeft() + QPoint(90, 120));
    EXPECT_FALSE(UiDriver::enabled(*window.submit()));

    ASSERT_TRUE(UiDriver::click(*window.sendCode()));  // empty phone
    window.phone()->setText("1390000000");             // ten digits
    ASSERT_TRUE(UiDriver::click(*window.sendCode()));
    window.phone()->setText("139000000001");  // twelve
    ASSERT_TRUE(UiDriver::click(*window.sendCode()));
    ASSERT_TRUE(m_messages.waitFor(3));
    const auto& seen = m_messages.seen();
    EXPECT_EQ(seen[0].text, "请输入手机号码");
    EXPECT_EQ(seen[0].width, 220);
    EXPECT_EQ(seen[1].text, "请输入正确的手机号");
    EXPECT_EQ(seen[1].width, 240);
    EXPECT_EQ(seen[2].text, "请输入正确的手机号");
    for (const SeenMessage& message : seen) EXPECT_EQ(message.title, "错误");
    EXPECT_EQ(requests("/index/code"), 0);
    EXPECT_TRUE(UiDriver::enabled(*window.sendCode()));

    // Eleven letters pass the check and go out; the service judges them.
    window.phone()->setText("abcdefghijk");
    ASSERT_TRUE(UiDriver::click(*window.sendCode()));
    ASSERT_TRUE(m_messages.waitFor(4));
    EXPECT_EQ(requests("POST /index/code"), 1);
    EXPECT_EQ(m_messages.seen()[3].title, "错误");
    EXPECT_TRUE(UiDriver::enabled(*window.sendCode())) << "a refusal gives the button back";
    EXPECT_FALSE(UiDriver::enabled(*window.submit()));

    // Each click opens a window of its own; closed ones go at the next opening.
    openWindow();
    EXPECT_EQ(account().registrationWindows().size(), 2u);
    account().registrationWindows().front()->host().close();
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return account().registrationWindows().front()->closed(); }));
    openWindow();
    EXPECT_EQ(account().registrationWindows().size(), 2u);
}

TEST_F(RegistrationTest, ClosingTheWindowEndsItsCountdown) {
    startService();
    ASSERT_TRUE(startProgram());
    account::RegistrationWindow& window = openWindow();
    window.phone()->setText("13900000021");
    ASSERT_TRUE(UiDriver::click(*window.sendCode()));
    ASSERT_TRUE(m_messages.waitFor(1));
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return UiDriver::enabled(*window.submit()); }));
    m_scheduler.advance(1000ms);
    EXPECT_EQ(UiDriver::text(*window.sendCode()), "9秒");
    window.host().close();
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return window.closed(); }));
    m_scheduler.advance(3000ms);
    EXPECT_EQ(UiDriver::text(*window.sendCode()), "9秒") << "no tick after the close";
}

TEST_F(RegistrationTest, ARegisteredAccountWithAnAmpersandInItsPasswordLogsIn) {
    startService();
    ASSERT_TRUE(startProgram());
    account::RegistrationWindow& window = openWindow();
    const std::string phone = "13900000001";
    window.phone()->setText(QString::fromStdString(phone));
    ASSERT_TRUE(UiDriver::click(*window.sendCode()));
    EXPECT_FALSE(UiDriver::enabled(*window.sendCode()));
    ASSERT_TRUE(m_messages.waitFor(1));
    EXPECT_EQ(m_messages.seen()[0].text, "发送成功");
    EXPECT_EQ(m_messages.seen()[0].title, "提示");
    EXPECT_EQ(m_messages.seen()[0].width, 180);
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return UiDriver::enabled(*window.submit()); }));

    // The countdown: 9 秒 a second later, the button back ten seconds after the box.
    EXPECT_EQ(UiDriver::text(*window.sendCode()), "发送验证码");
    m_scheduler.advance(1000ms);
    EXPECT_EQ(UiDriver::text(*window.sendCode()), "9秒");
    m_scheduler.advance(8000ms);
    EXPECT_EQ(UiDriver::text(*window.sendCode()), "1秒");
    EXPECT_FALSE(UiDriver::enabled(*window.sendCode()));
    m_scheduler.advance(1000ms);
    EXPECT_EQ(UiDriver::text(*window.sendCode()), "发送验证码");
    EXPECT_TRUE(UiDriver::enabled(*window.sendCode()));

    // A wrong code is refused and "提交注册" goes off until a new code.
    window.code()->setText("000000");
    window.password()->setText("p&ss=1 ok");
    ASSERT_TRUE(UiDriver::click(*window.submit()));
    ASSERT_TRUE(m_messages.waitFor(2));
    EXPECT_EQ(m_messages.seen()[1].title, "错误");
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return !window.busy(); }));
    EXPECT_FALSE(UiDriver::enabled(*window.submit()));

    // A second window asks for a code of its own (the service allows one code a phone
    // every ten seconds) and registers with it.
    account::RegistrationWindow& second = openWindow();
    const std::string secondPhone = "13900000002";
    const std::size_t before = m_service->logLineCount();
    second.phone()->setText(QString::fromStdString(secondPhone));
    ASSERT_TRUE(UiDriver::click(*second.sendCode()));
    ASSERT_TRUE(m_messages.waitFor(3));
    ASSERT_EQ(m_messages.seen()[2].text, "发送成功") << m_messages.seen()[2].text.toStdString();
    const auto sms = m_service->waitForSmsCode(secondPhone, before);
    ASSERT_TRUE(sms);
    second.code()->setText(QString::fromStdString(*sms));
    second.password()->setText("p&ss=1 ok");
    ASSERT_TRUE(UiDriver::click(*second.submit()));
    ASSERT_TRUE(m_messages.waitFor(4));
    EXPECT_EQ(m_messages.seen()[3].text, "注册成功");
    EXPECT_EQ(m_messages.seen()[3].width, 180);
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return !second.busy(); }));
    EXPECT_TRUE(second.phone()->text().isEmpty());
    EXPECT_TRUE(second.code()->text().isEmpty());
    EXPECT_TRUE(second.password()->text().isEmpty());
    EXPECT_FALSE(UiDriver::enabled(*second.submit()));
    EXPECT_FALSE(m_program->serviceContext().session->loggedIn()) << "registering does not log in";

    // The new account logs in with its "&" and "=" intact; it has no likes yet.
    ASSERT_TRUE(loginAndWait(secondPhone, "p&ss=1 ok", false, 0));
    EXPECT_EQ(requests("POST /player/likes"), 1);
    EXPECT_FALSE(UiDriver::enabled(*searchPanel().nextPage));
}

}  // namespace
}  // namespace vamu::test
