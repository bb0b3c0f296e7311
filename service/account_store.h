#pragma once
// Accounts, login sessions, registration codes and likes, kept in SQLite so they survive
// restarts. Every method takes the current time in Unix seconds (tests pass their own)
// and may be called from any thread.

#include "catalogue.h"
#include "sqlite_database.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vamu::service {

struct AccountRules {
    std::int64_t sessionLifetime = 30LL * 86400;  // seconds from login
    int rotateEvery = 20;                         // new session value every N-th checked request; 0 never
    std::int64_t rotationGrace = 600;             // an old value stays valid this long after rotation
    std::int64_t codeInterval = 10;               // seconds between two codes for one phone
    std::int64_t codeLifetime = 600;
    int maxCodeAttempts = 5;
};

struct Account {
    Id userId = 0;
    std::string phone;
    std::string name;
};

enum class LoginOutcome { LoggedIn, UnknownAccount, WrongPassword, Failed };
struct LoginResult {
    LoginOutcome outcome = LoginOutcome::Failed;
    Account account;
    std::string token;
    std::int64_t expires = 0;
};

enum class SessionState { Valid, Expired, Unknown };
struct SessionCheck {
    SessionState state = SessionState::Unknown;
    Id userId = 0;
    // When set, the client holds an old value (or it was just rotated): send this one.
    std::optional<std::string> newToken;
    std::int64_t expires = 0;
};

enum class CodeOutcome { Sent, BadPhone, PhoneTaken, TooSoon, Failed };
struct CodeResult {
    CodeOutcome outcome = CodeOutcome::Failed;
    std::string code;   // six digits, for the log: there is no SMS
    std::string token;  // the registration cookie's value
    std::int64_t expires = 0;
};

enum class RegisterOutcome {
    Registered,
    NoCode,
    WrongCode,
    CodeExpired,
    TooManyTries,
    PhoneTaken,
    PasswordMissing,
    PasswordTooLong,
    Failed
};

struct RegisterResult {
    RegisterOutcome outcome = RegisterOutcome::Failed;
    Id userId = 0;  // of the new account
};

struct RegistrationForm {
    std::string token;  // from the registration cookie
    std::string phone;
    std::string code;
    std::string password;
};

inline constexpr std::size_t kMaxPasswordBytes = 64;

class AccountStore {
public:
    AccountStore(Database& db, AccountRules rules) : m_db(db), m_rules(rules) {}

    // Creates the tables, and the demo account with its likes when its phone is not yet known.
    [[nodiscard]] bool initialise(const DemoAccount& demo, std::string_view demoName, std::int64_t now,
                                  std::string& error);

    [[nodiscard]] LoginResult login(std::string_view phone, std::string_view password, std::int64_t now);
    // Counts one request of the session, which may rotate its value.
    [[nodiscard]] SessionCheck checkSession(std::string_view token, std::int64_t now);
    [[nodiscard]] std::optional<Account> account(Id userId);

    [[nodiscard]] CodeResult requestCode(std::string_view phone, std::int64_t now);
    [[nodiscard]] RegisterResult registerAccount(const RegistrationForm& form, std::int64_t now);

    // Liking a liked song or unliking one that is not liked succeeds and changes nothing.
    [[nodiscard]] bool setLiked(Id userId, Id songId, bool liked, std::int64_t now);
    // Newest like first; pages count from 1.
    [[nodiscard]] std::vector<Id> likes(Id userId, int page, int pageSize);

    [[nodiscard]] static bool validPhone(std::string_view phone);

private:
    std::optional<Account> accountByPhone(std::string_view phone);
    Database& m_db;
    AccountRules m_rules;
};

}  // namespace vamu::service
