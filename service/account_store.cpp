#include "account_store.h"

#include "service_crypto.h"
#include "service_names.h"

#include <algorithm>

namespace vamu::service {
namespace {

constexpr std::string_view kSchema = R"sql(
CREATE TABLE IF NOT EXISTS accounts(
    user_id INTEGER PRIMARY KEY, phone TEXT UNIQUE NOT NULL, name TEXT NOT NULL,
    salt TEXT NOT NULL, password_hash TEXT NOT NULL, created INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS sessions(
    id INTEGER PRIMARY KEY, user_id INTEGER NOT NULL, current_token TEXT NOT NULL,
    expires INTEGER NOT NULL, requests INTEGER NOT NULL DEFAULT 0);
CREATE TABLE IF NOT EXISTS session_tokens(
    token TEXT PRIMARY KEY, session_id INTEGER NOT NULL, valid_until INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS codes(
    token TEXT PRIMARY KEY, phone TEXT NOT NULL, code TEXT NOT NULL, created INTEGER NOT NULL,
    attempts INTEGER NOT NULL DEFAULT 0, used INTEGER NOT NULL DEFAULT 0);
CREATE INDEX IF NOT EXISTS codes_by_phone ON codes(phone, created);
CREATE TABLE IF NOT EXISTS likes(
    user_id INTEGER NOT NULL, song_id INTEGER NOT NULL, seq INTEGER NOT NULL, created INTEGER NOT NULL,
    PRIMARY KEY(user_id, song_id));
CREATE INDEX IF NOT EXISTS likes_by_user ON likes(user_id, seq);
)sql";

// Accounts registered here get ids above the catalogue's.
constexpr Id kFirstRegisteredUserId = 200001;
constexpr std::size_t kTokenBytes = 16;
constexpr std::size_t kCodeDigits = 6;

bool insertLike(Database& db, Id userId, Id songId, std::int64_t now) {
    return db
        .prepare(
            "INSERT OR IGNORE INTO likes(user_id, song_id, seq, created) "
            "VALUES(?1, ?2, (SELECT COALESCE(MAX(seq), 0) + 1 FROM likes), ?3)")
        .bind(1, userId)
        .bind(2, songId)
        .bind(3, now)
        .run();
}

bool insertAccount(Database& db, Id userId, std::string_view phone, std::string_view name, std::string_view password,
                   std::int64_t now) {
    const auto salt = randomHex(kTokenBytes);
    const auto hash = passwordHash(salt, password);
    if (hash.empty()) return false;
    return db
        .prepare(
            "INSERT INTO accounts(user_id, phone, name, salt, password_hash, created) VALUES(?1, ?2, ?3, ?4, ?5, ?6)")
        .bind(1, userId)
        .bind(2, phone)
        .bind(3, name)
        .bind(4, salt)
        .bind(5, hash)
        .bind(6, now)
        .run();
}

}  // namespace

bool AccountStore::validPhone(std::string_view phone) {
    return phone.size() == 11 && phone.front() == '1' &&
           std::all_of(phone.begin(), phone.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool AccountStore::initialise(const DemoAccount& demo, std::string_view demoName, std::int64_t now,
                              std::string& error) {
    std::lock_guard lock(m_db.mutex());
    if (!m_db.execute(kSchema, error)) return false;
    if (accountByPhone(demo.phone)) return true;
    if (!m_db.execute("BEGIN", error)) return false;
    bool ok = insertAccount(m_db, demo.userId, demo.phone, demoName, demo.password, now);
    for (const Id song : demo.likes) ok = ok && insertLike(m_db, demo.userId, song, now);
    if (!ok) {
        m_db.execute("ROLLBACK");
        error = "cannot create the demo account";
        return false;
    }
    return m_db.execute("COMMIT", error);
}

std::optional<Account> AccountStore::accountByPhone(std::string_view phone) {
    auto query = m_db.prepare("SELECT user_id, phone, name FROM accounts WHERE phone = ?1");
    if (!query.bind(1, phone).step()) return std::nullopt;
    return Account{query.integer(0), query.text(1), query.text(2)};
}

std::optional<Account> AccountStore::account(Id userId) {
    std::lock_guard lock(m_db.mutex());
    auto query = m_db.prepare("SELECT user_id, phone, name FROM accounts WHERE user_id = ?1");
    if (!query.bind(1, userId).step()) return std::nullopt;
    return Account{query.integer(0), query.text(1), query.text(2)};
}

LoginResult AccountStore::login(std::string_view phone, std::string_view password, std::int64_t now) {
    std::lock_guard lock(m_db.mutex());
    LoginResult result;
    auto query = m_db.prepare("SELECT user_id, name, salt, password_hash FROM accounts WHERE phone = ?1");
    if (!query.bind(1, phone).step()) {
        result.outcome = LoginOutcome::UnknownAccount;
        return result;
    }
    if (!sameSecret(passwordHash(query.text(2), password), query.text(3))) {
        result.outcome = LoginOutcome::WrongPassword;
        return result;
    }
    result.account = {query.integer(0), std::string(phone), query.text(1)};
    result.token = randomHex(kTokenBytes);
    result.expires = now + m_rules.sessionLifetime;
    // Forget what has run out, so the tables do not grow with every login.
    m_db.prepare("DELETE FROM session_tokens WHERE valid_until < ?1").bind(1, now).run();
    m_db.prepare("DELETE FROM sessions WHERE expires < ?1").bind(1, now).run();
    const bool stored = m_db.prepare("INSERT INTO sessions(user_id, current_token, expires) VALUES(?1, ?2, ?3)")
                            .bind(1, result.account.userId)
                            .bind(2, result.token)
                            .bind(3, result.expires)
                            .run() &&
                        m_db.prepare("INSERT INTO session_tokens(token, session_id, valid_until) VALUES(?1, ?2, ?3)")
                            .bind(1, result.token)
                            .bind(2, m_db.lastInsertId())
                            .bind(3, result.expires)
                            .run();
    result.outcome = stored ? LoginOutcome::LoggedIn : LoginOutcome::Failed;
    return result;
}

SessionCheck AccountStore::checkSession(std::string_view token, std::int64_t now) {
    std::lock_guard lock(m_db.mutex());
    SessionCheck check;
    if (token.empty()) return check;
    auto query = m_db.prepare(
        "SELECT t.session_id, t.valid_until, s.user_id, s.current_token, s.expires, s.requests "
        "FROM session_tokens t JOIN sessions s ON s.id = t.session_id WHERE t.token = ?1");
    if (!query.bind(1, token).step()) return check;
    const Id sessionId = query.integer(0);
    if (query.integer(1) < now) {
        check.state = SessionState::Expired;
        return check;
    }
    check.state = SessionState::Valid;
    check.userId = query.integer(2);
    check.expires = query.integer(4);
    std::string current = query.text(3);
    const auto requests = query.integer(5) + 1;
    m_db.prepare("UPDATE sessions SET requests = ?2 WHERE id = ?1").bind(1, sessionId).bind(2, requests).run();

    if (m_rules.rotateEvery > 0 && requests % m_rules.rotateEvery == 0) {
        auto fresh = randomHex(kTokenBytes);
        const bool rotated =
            m_db.prepare("UPDATE session_tokens SET valid_until = MIN(valid_until, ?2) WHERE token = ?1")
                .bind(1, current)
                .bind(2, now + m_rules.rotationGrace)
                .run() &&
            m_db.prepare("INSERT INTO session_tokens(token, session_id, valid_until) VALUES(?1, ?2, ?3)")
                .bind(1, fresh)
                .bind(2, sessionId)
                .bind(3, check.expires)
                .run() &&
            m_db.prepare("UPDATE sessions SET current_token = ?2 WHERE id = ?1")
                .bind(1, sessionId)
                .bind(2, fresh)
                .run();
        if (rotated) current = std::move(fresh);
    }
    if (current != token) check.newToken = std::move(current);
    return check;
}

CodeResult AccountStore::requestCode(std::string_view phone, std::int64_t now) {
    std::lock_guard lock(m_db.mutex());
    CodeResult result;
    if (!validPhone(phone)) {
        result.outcome = CodeOutcome::BadPhone;
        return result;
    }
    if (accountByPhone(phone)) {
        result.outcome = CodeOutcome::PhoneTaken;
        return result;
    }
    auto recent = m_db.prepare("SELECT 1 FROM codes WHERE phone = ?1 AND created > ?2");
    if (recent.bind(1, phone).bind(2, now - m_rules.codeInterval).step()) {
        result.outcome = CodeOutcome::TooSoon;
        return result;
    }
    m_db.prepare("DELETE FROM codes WHERE created < ?1").bind(1, now - m_rules.codeLifetime).run();
    result.code = randomDigits(kCodeDigits);
    result.token = randomHex(kTokenBytes);
    result.expires = now + m_rules.codeLifetime;
    const bool stored = m_db.prepare("INSERT INTO codes(token, phone, code, created) VALUES(?1, ?2, ?3, ?4)")
                            .bind(1, result.token)
                            .bind(2, phone)
                            .bind(3, result.code)
                            .bind(4, now)
                            .run();
    result.outcome = stored ? CodeOutcome::Sent : CodeOutcome::Failed;
    return result;
}

RegisterResult AccountStore::registerAccount(const RegistrationForm& form, std::int64_t now) {
    if (form.password.empty()) return {RegisterOutcome::PasswordMissing};
    if (form.password.size() > kMaxPasswordBytes) return {RegisterOutcome::PasswordTooLong};
    std::lock_guard lock(m_db.mutex());
    auto query = m_db.prepare("SELECT phone, code, created, attempts, used FROM codes WHERE token = ?1");
    if (form.token.empty() || !query.bind(1, form.token).step() || query.integer(4) != 0)
        return {RegisterOutcome::NoCode};
    if (query.integer(2) + m_rules.codeLifetime < now) return {RegisterOutcome::CodeExpired};
    const auto attempts = query.integer(3);
    if (attempts >= m_rules.maxCodeAttempts) return {RegisterOutcome::TooManyTries};
    if (query.text(0) != form.phone || !sameSecret(query.text(1), form.code)) {
        m_db.prepare("UPDATE codes SET attempts = attempts + 1 WHERE token = ?1").bind(1, form.token).run();
        return {attempts + 1 >= m_rules.maxCodeAttempts ? RegisterOutcome::TooManyTries : RegisterOutcome::WrongCode};
    }
    if (accountByPhone(form.phone)) return {RegisterOutcome::PhoneTaken};

    auto highest = m_db.prepare("SELECT COALESCE(MAX(user_id), 0) FROM accounts");
    const Id userId =
        std::max(kFirstRegisteredUserId, highest.step() ? highest.integer(0) + 1 : kFirstRegisteredUserId);
    const std::string name = std::string(text::kNewUserPrefix) + form.phone.substr(form.phone.size() - 4);
    if (!insertAccount(m_db, userId, form.phone, name, form.password, now)) return {RegisterOutcome::Failed};
    m_db.prepare("UPDATE codes SET used = 1 WHERE token = ?1").bind(1, form.token).run();
    return {RegisterOutcome::Registered, userId};
}

bool AccountStore::setLiked(Id userId, Id songId, bool liked, std::int64_t now) {
    std::lock_guard lock(m_db.mutex());
    if (liked) return insertLike(m_db, userId, songId, now);
    return m_db.prepare("DELETE FROM likes WHERE user_id = ?1 AND song_id = ?2").bind(1, userId).bind(2, songId).run();
}

std::vector<Id> AccountStore::likes(Id userId, int page, int pageSize) {
    std::vector<Id> songs;
    if (page < 1 || pageSize < 1) return songs;
    std::lock_guard lock(m_db.mutex());
    auto query = m_db.prepare("SELECT song_id FROM likes WHERE user_id = ?1 ORDER BY seq DESC LIMIT ?2 OFFSET ?3");
    query.bind(1, userId).bind(2, pageSize).bind(3, static_cast<std::int64_t>(page - 1) * pageSize);
    while (query.step()) songs.push_back(query.integer(0));
    return songs;
}

}  // namespace vamu::service
