// The remembered login in a real keyring: gnome-keyring-daemon on the test's private
// session bus, made and unlocked with a known password, read back with secret-tool by
// attribute alone. Skips where the bus or the daemon cannot be started.
#include "integration/account_fixture.h"
#include "integration/private_session_bus.h"

#include "account/credentials.h"
#include "account/keyring.h"
#include "core/settings.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace vamu::test {
namespace {

using namespace std::chrono_literals;
using namespace ::testing;
using namespace account;
namespace setting = core::setting;

class KeyringTest : public AccountFixture {
protected:
    void SetUp() override { startService(); }
    ~KeyringTest() override {
        m_program.reset();  // before its keyring goes
        stopKeyring();
    }
    void stopKeyring() {
        if (m_daemon > 0 && ::kill(m_daemon, SIGTERM) == 0) ::waitpid(m_daemon, nullptr, 0);
    }
    // The daemon with its files in the test's home; "" once it answers. Unlocked: with a
    // password on its standard input, as a desktop's login does. Locked: the files of an
    // earlier run, as when the user refused to unlock them.
    std::string startKeyring(bool unlocked = true) {
        if (!PrivateSessionBus::instance().running()) return "no session bus: " + PrivateSessionBus::instance().error();
        const std::string script =
            "exec gnome-keyring-daemon --foreground --components=secrets "
            "--control-directory=\"$0\" >/dev/null 2>&1 " +
            std::string(unlocked ? "--unlock <<E\nknown password\nE" : "</dev/null");
        const std::string control = (m_home / "keyring").string();
        const char* argv[] = {"sh", "-c", script.c_str(), control.c_str(), nullptr};
        if (::posix_spawnp(&m_daemon, "sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) m_daemon = 0;
        const auto answers = [&] {
            return unlocked ? recallFromKeyring({}).status == KeyringStatus::Empty
                            : items().find('[') != std::string::npos;
        };
        if (m_daemon > 0 && UiDriver::pumpUntil(answers, 10s)) return "";
        return "gnome-keyring-daemon did not answer (install the packages gnome-keyring and libsecret-tools)";
    }
    // secret-tool's lines ("[path]", "label = ", "secret = ", ...) of every item of application "vamu".
    static std::string items() {
        std::string text(4096, '\0');
        FILE* tool = ::popen("secret-tool search --all application vamu 2>&1", "r");
        text.resize(tool ? std::fread(text.data(), 1, text.size(), tool) : 0);
        if (tool) ::pclose(tool);
        return text;
    }
    static RememberedLogin secretOf(const std::string& items) {
        const std::size_t at = items.find("secret = ") + 9;
        return readKeyringSecret(items.substr(at, items.find('\n', at) - at)).value_or(RememberedLogin{});
    }
    bool startLoggedIn() {
        return restartProgram() &&
               UiDriver::pumpUntil([&] { return m_program->serviceContext().session->loggedIn(); }, 15s) &&
               waitForLikes(45);
    }
    static std::string demoUserdata() { return storeCredentials({"13800138000", "vamu1234"}); }
    void expectFileKeysEmpty() {
        EXPECT_EQ(readSetting(setting::kAutoLogin.name), "1");
        EXPECT_EQ(readSetting(setting::kUserData.name, "unset"), "");
        EXPECT_EQ(readSetting(setting::kCookie.name, "unset"), "");
    }

    pid_t m_daemon = 0;
};

// A ticked login replaces another account's item; logout deletes its own.
TEST_F(KeyringTest, ATickedLoginGoesIntoTheKeyringAndTheNextStartsLogInFromIt) {
    if (const std::string why = startKeyring(); !why.empty()) GTEST_SKIP() << why;
    ASSERT_EQ(rememberInKeyring({"13900000031", "other", "vamu_session=x"}, {}).status, KeyringStatus::Done);
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(loginAndWait(kDemoPhone, kDemoPassword, true, 45));
    const std::string found = items();
    ASSERT_EQ(std::ranges::count(found, '['), 1) << found;
    EXPECT_THAT(found, HasSubstr("label = vamu: 13800138000\n"));
    EXPECT_THAT(found, HasSubstr("attribute.account = 13800138000\n"));
    const RememberedLogin secret = secretOf(found);
    EXPECT_EQ(secret.password, kDemoPassword);
    ASSERT_TRUE(secret.cookie.starts_with("vamu_session=")) << found;
    std::ifstream file(core::settingsPath(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), {}};
    for (const std::string& text : {std::string(kDemoPassword), secret.cookie.substr(13), demoUserdata()}) {
        EXPECT_EQ(bytes.find(text), std::string::npos) << text << " in " << bytes;
    }
    expectFileKeysEmpty();
    ASSERT_TRUE(startLoggedIn());
    EXPECT_EQ(requests("/index/login"), 1) << "resumed with the item's cookie";

    // An expired cookie: the item's password logs in, and the item keeps the new cookie.
    ASSERT_EQ(rememberInKeyring({"13800138000", "vamu1234", "vamu_session=gone"}, {}).status, KeyringStatus::Done);
    ASSERT_TRUE(startLoggedIn());
    EXPECT_EQ(requests("/index/login"), 2);
    EXPECT_THAT(secretOf(items()).cookie, AllOf(StartsWith("vamu_session="), Not(EndsWith("gone"))));
    expectFileKeysEmpty();

    libraryPanel().likesMenu->item(panel::likes_menu::kLogout)->handler();
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return UiDriver::enabled(*loginPanel().login); }, 10s));
    EXPECT_EQ(std::ranges::count(items(), '['), 0) << items();
}

TEST_F(KeyringTest, AnEarlierVersionsFileMovesIntoTheKeyringOnceItsLoginSucceeds) {
    if (const std::string why = startKeyring(); !why.empty()) GTEST_SKIP() << why;
    // First an expired cookie, whose password logs in again, then the valid one that gave.
    std::string cookie = "vamu_session=expired";
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(cookie);
        writeSetting(setting::kAutoLogin.name, "1");
        writeSetting(setting::kUserData.name, demoUserdata());
        writeSetting(setting::kCookie.name, cookie);
        ASSERT_TRUE(startLoggedIn());
        EXPECT_EQ(requests("/index/login"), 1);
        EXPECT_THAT(items(), HasSubstr("attribute.account = 13800138000\n"));
        EXPECT_EQ(secretOf(items()).password, kDemoPassword);
        expectFileKeysEmpty();
        cookie = secretOf(items()).cookie;
        ASSERT_THAT(cookie, AllOf(StartsWith("vamu_session="), Not(EndsWith("expired"))));
        ASSERT_EQ(forgetInKeyring({}).status, KeyringStatus::Done);
    }
}

// With no Secret Service on the bus, then with the keyring locked and its unlock refused
// (no prompter runs on this bus): the login stays scrambled in the file, as before, and an
// earlier login's item is found, out of reach.
TEST_F(KeyringTest, WithoutAUsableKeyringTheFileKeepsTheScrambledLogin) {
    for (const bool locked : {false, true}) {
        SCOPED_TRACE(locked ? "locked keyring" : "no Secret Service");
        if (locked) {
            if (const std::string why = startKeyring(); !why.empty()) GTEST_SKIP() << why;
            ASSERT_EQ(rememberInKeyring({"13900000031", "other", "vamu_session=x"}, {}).status, KeyringStatus::Done);
            stopKeyring();
            ASSERT_EQ(startKeyring(false), "");
        }
        writeSetting(setting::kAutoLogin.name, "0");
        ASSERT_TRUE(restartProgram());
        ASSERT_TRUE(loginAndWait(kDemoPhone, kDemoPassword, true, 45));
        EXPECT_EQ(readSetting(setting::kUserData.name), demoUserdata());
        ASSERT_TRUE(startLoggedIn());
        EXPECT_EQ(requests("/index/login"), locked ? 2 : 1) << "resumed with the file's cookie";
        EXPECT_EQ(readSetting(setting::kUserData.name), demoUserdata()) << "nothing moved";
        EXPECT_EQ(recallFromKeyring({}).status, KeyringStatus::Unavailable) << "not Empty: the item is there";
    }
    EXPECT_EQ(std::ranges::count(items(), '['), 1) << items();
}

}  // namespace
}  // namespace vamu::test
