// The SQLite stores with a clock the tests set: sessions and their rotation and expiry,
// registration codes, likes, and the companion's clients and statistics.

#include "account_store.h"
#include "companion_store.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vamu::service {
namespace {

constexpr std::int64_t kMonday = 1'700'000'000;  // 2023-11-15 06:13:20 at UTC+8
const DemoAccount kDemo{"13800138000", "secret&1", 10000, {20001, 20002, 20003}};

class ServiceStore : public ::testing::Test {
protected:
    void SetUp() override {
        m_file =
            std::filesystem::temp_directory_path() / ("vamu-store-test-" + std::to_string(::getpid()) + "-" +
                                                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove(m_file);
        open();
    }
    void TearDown() override {
        m_accounts.reset();
        m_companion.reset();
        m_db.reset();
        for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(m_file.string() + suffix);
    }
    // Opens the file again, as a restart of the service does.
    void open(AccountRules rules = {}) {
        m_accounts.reset();
        m_companion.reset();
        m_db.reset();
        std::string error;
        m_db = Database::open(m_file, error);
        ASSERT_TRUE(m_db) << error;
        m_accounts = std::make_unique<AccountStore>(*m_db, rules);
        m_companion = std::make_unique<CompanionStore>(*m_db);
        ASSERT_TRUE(m_accounts->initialise(kDemo, "demo", kMonday, error)) << error;
        ASSERT_TRUE(m_companion->initialise(error)) << error;
    }

    std::filesystem::path m_file;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<AccountStore> m_accounts;
    std::unique_ptr<CompanionStore> m_companion;
};

TEST_F(ServiceStore, LoginKnowsWrongPasswordsUnknownPhonesAndExpiry) {
    EXPECT_EQ(m_accounts->login("13800138000", "secret", kMonday).outcome, LoginOutcome::WrongPassword);
    EXPECT_EQ(m_accounts->login("13800138001", "secret&1", kMonday).outcome, LoginOutcome::UnknownAccount);
    const auto login = m_accounts->login("13800138000", "secret&1", kMonday);
    ASSERT_EQ(login.outcome, LoginOutcome::LoggedIn);
    EXPECT_EQ(login.account.userId, 10000);
    EXPECT_EQ(login.token.size(), 32u);

    const auto lifetime = AccountRules{}.sessionLifetime;
    EXPECT_EQ(m_accounts->checkSession(login.token, kMonday + lifetime).state, SessionState::Valid);
    EXPECT_EQ(m_accounts->checkSession(login.token, kMonday + lifetime + 1).state, SessionState::Expired);
    EXPECT_EQ(m_accounts->checkSession("0123456789abcdef0123456789abcdef", kMonday).state, SessionState::Unknown);
    EXPECT_EQ(m_accounts->checkSession("", kMonday).state, SessionState::Unknown);
}

TEST_F(ServiceStore, SessionsRotateEveryNthRequestAndOldValuesLastTheGrace) {
    open({.rotateEvery = 3, .rotationGrace = 60});
    const auto login = m_accounts->login("13800138000", "secret&1", kMonday);
    EXPECT_FALSE(m_accounts->checkSession(login.token, kMonday).newToken);
    EXPECT_FALSE(m_accounts->checkSession(login.token, kMonday).newToken);
    const auto rotated = m_accounts->checkSession(login.token, kMonday + 1);
    ASSERT_TRUE(rotated.newToken);
    EXPECT_NE(*rotated.newToken, login.token);
    EXPECT_EQ(rotated.expires, login.expires);  // rotation does not extend the login

    // A client that lost the new value is told it again while the old one lasts.
    const auto stale = m_accounts->checkSession(login.token, kMonday + 30);
    EXPECT_EQ(stale.state, SessionState::Valid);
    EXPECT_EQ(stale.newToken, rotated.newToken);
    EXPECT_EQ(m_accounts->checkSession(login.token, kMonday + 62).state, SessionState::Expired);
    EXPECT_EQ(m_accounts->checkSession(*rotated.newToken, kMonday + 62).state, SessionState::Valid);

    // Sessions survive a restart.
    open({.rotateEvery = 3, .rotationGrace = 60});
    EXPECT_EQ(m_accounts->checkSession(*rotated.newToken, kMonday + 63).userId, 10000);
}

TEST_F(ServiceStore, RegistrationNeedsTheRightCodeForTheRightPhoneInTime) {
    EXPECT_EQ(m_accounts->requestCode("1390000000", kMonday).outcome, CodeOutcome::BadPhone);
    EXPECT_EQ(m_accounts->requestCode("abcdefghijk", kMonday).outcome, CodeOutcome::BadPhone);
    EXPECT_EQ(m_accounts->requestCode("13800138000", kMonday).outcome, CodeOutcome::PhoneTaken);
    const auto code = m_accounts->requestCode("13900000001", kMonday);
    ASSERT_EQ(code.outcome, CodeOutcome::Sent);
    EXPECT_EQ(code.code.size(), 6u);
    EXPECT_EQ(m_accounts->requestCode("13900000001", kMonday + 5).outcome, CodeOutcome::TooSoon);

    const auto attempt = [&](std::string token, std::string phone, std::string digits, std::string password,
                             std::int64_t at) {
        return m_accounts
            ->registerAccount({std::move(token), std::move(phone), std::move(digits), std::move(password)}, at)
            .outcome;
    };
    const std::string wrong = code.code == "000000" ? "111111" : "000000";
    EXPECT_EQ(attempt("", "13900000001", code.code, "pw", kMonday), RegisterOutcome::NoCode);
    EXPECT_EQ(attempt(code.token, "13900000001", code.code, "", kMonday), RegisterOutcome::PasswordMissing);
    EXPECT_EQ(attempt(code.token, "13900000001", code.code, std::string(65, 'x'), kMonday),
              RegisterOutcome::PasswordTooLong);
    EXPECT_EQ(attempt(code.token, "13900000002", code.code, "pw", kMonday), RegisterOutcome::WrongCode);
    EXPECT_EQ(attempt(code.token, "13900000001", wrong, "pw", kMonday), RegisterOutcome::WrongCode);
    EXPECT_EQ(attempt(code.token, "13900000001", code.code, "pw", kMonday + 601), RegisterOutcome::CodeExpired);
    EXPECT_EQ(attempt(code.token, "13900000001", code.code, "p&w 中", kMonday + 1), RegisterOutcome::Registered);
    EXPECT_EQ(attempt(code.token, "13900000001", code.code, "p&w 中", kMonday + 2), RegisterOutcome::NoCode);  // used

    const auto login = m_accounts->login("13900000001", "p&w 中", kMonday + 3);
    ASSERT_EQ(login.outcome, LoginOutcome::LoggedIn);
    EXPECT_GE(login.account.userId, 200001);
    EXPECT_EQ(login.account.name, "用户0001");
    EXPECT_EQ(m_accounts->requestCode("13900000001", kMonday + 100).outcome, CodeOutcome::PhoneTaken);
}

TEST_F(ServiceStore, TooManyWrongCodesSpendTheCode) {
    const auto code = m_accounts->requestCode("13900000003", kMonday);
    const std::string wrong = code.code == "000000" ? "111111" : "000000";
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(m_accounts->registerAccount({code.token, "13900000003", wrong, "pw"}, kMonday).outcome,
                  RegisterOutcome::WrongCode);
    }
    EXPECT_EQ(m_accounts->registerAccount({code.token, "13900000003", wrong, "pw"}, kMonday).outcome,
              RegisterOutcome::TooManyTries);
    EXPECT_EQ(m_accounts->registerAccount({code.token, "13900000003", code.code, "pw"}, kMonday).outcome,
              RegisterOutcome::TooManyTries);
}

TEST_F(ServiceStore, LikesAreNewestFirstPagedIdempotentAndKept) {
    EXPECT_EQ(m_accounts->likes(10000, 1, 20), (std::vector<Id>{20003, 20002, 20001}));
    ASSERT_TRUE(m_accounts->setLiked(10000, 20009, true, kMonday));
    ASSERT_TRUE(m_accounts->setLiked(10000, 20002, true, kMonday));  // already liked: keeps its place
    ASSERT_TRUE(m_accounts->setLiked(10000, 20001, false, kMonday));
    ASSERT_TRUE(m_accounts->setLiked(10000, 20001, false, kMonday));
    EXPECT_EQ(m_accounts->likes(10000, 1, 2), (std::vector<Id>{20009, 20003}));
    EXPECT_EQ(m_accounts->likes(10000, 2, 2), (std::vector<Id>{20002}));
    EXPECT_TRUE(m_accounts->likes(10000, 3, 2).empty());
    EXPECT_TRUE(m_accounts->likes(10000, 0, 2).empty());
    EXPECT_TRUE(m_accounts->likes(555, 1, 20).empty());
    open();
    EXPECT_EQ(m_accounts->likes(10000, 1, 20), (std::vector<Id>{20009, 20003, 20002}));
}

TEST_F(ServiceStore, StatisticsCountOnlineClientsPeaksAndDays) {
    const auto first = m_companion->newClient(kMonday);
    const auto second = m_companion->newClient(kMonday + 10);
    ASSERT_FALSE(first.empty());
    EXPECT_NE(first, second);
    m_companion->clientStarted(first, kMonday + 20);
    m_companion->clientStarted("no-such-client", kMonday + 20);

    auto stats = m_companion->report(first, kMonday + 30);
    EXPECT_EQ(stats.online, 2);
    EXPECT_EQ(stats.starts, 3);
    EXPECT_EQ(stats.clients, 2);
    EXPECT_EQ(stats.todayPeak, 2);
    EXPECT_EQ(stats.yesterdayPeak, 0);
    EXPECT_EQ(stats.todayTotal, 2);

    // Ten minutes on only the reporting client is online; the peak stays.
    stats = m_companion->report(first, kMonday + 600);
    EXPECT_EQ(stats.online, 1);
    EXPECT_EQ(stats.todayPeak, 2);

    // The next day starts at midnight UTC+8: today's figures begin again, yesterday's peak remains.
    const auto nextDay = (CompanionStore::dayOf(kMonday) + 1) * 86400 - 8 * 3600 + 60;
    ASSERT_EQ(CompanionStore::dayOf(nextDay), CompanionStore::dayOf(kMonday) + 1);
    stats = m_companion->report(second, nextDay);
    EXPECT_EQ(stats.online, 1);
    EXPECT_EQ(stats.todayPeak, 1);
    EXPECT_EQ(stats.yesterdayPeak, 2);
    EXPECT_EQ(stats.todayTotal, 1);
    EXPECT_EQ(m_companion->report("", nextDay).todayTotal, 1);  // an unknown id counts nothing

    open();
    EXPECT_EQ(m_companion->report(second, nextDay + 1).clients, 2);
}

TEST_F(ServiceStore, OffersAndNoticesPersistAndDeliveriesAreCounted) {
    EXPECT_FALSE(m_companion->updateOffer());
    m_companion->setUpdateOffer(UpdateOffer{"2.40", "http://x/u", "fixes"});
    m_companion->setNotice(Notice{"2", "7", "hello"});
    EXPECT_EQ(m_companion->noticeSent("7", kMonday), 1);
    EXPECT_EQ(m_companion->noticeSent("7", kMonday), 2);
    open();
    ASSERT_TRUE(m_companion->updateOffer());
    EXPECT_EQ(m_companion->updateOffer()->url, "http://x/u");
    EXPECT_EQ(m_companion->notice()->text, "hello");
    m_companion->setNotice(std::nullopt);
    EXPECT_FALSE(m_companion->notice());
}

TEST(ServiceVersionCompare, ComparesDottedNumbers) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"2.40", "2.36", true},   {"2.36", "2.36", false},   {"2.4", "2.36", false}, {"3", "2.36", true},
        {"2.36.1", "2.36", true}, {"2.36.0", "2.36", false}, {"2.36", "", true},     {"", "2.36", false},
    };
    for (const auto& [offered, current, newer] : cases)
        EXPECT_EQ(versionIsNewer(offered, current), newer) << offered << " vs " << current;
}

}  // namespace
}  // namespace vamu::service
