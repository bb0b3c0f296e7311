#include "companion_store.h"

#include "whole_number.h"

#include <charconv>
#include <vector>

namespace vamu::service {
namespace {

constexpr std::string_view kSchema = R"sql(
CREATE TABLE IF NOT EXISTS clients(
    id INTEGER PRIMARY KEY AUTOINCREMENT, created INTEGER NOT NULL, last_seen INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS client_days(day INTEGER NOT NULL, client_id INTEGER NOT NULL, PRIMARY KEY(day, client_id));
CREATE TABLE IF NOT EXISTS daily_peaks(day INTEGER PRIMARY KEY, peak INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS settings(key TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS notice_deliveries(notice_id TEXT PRIMARY KEY, count INTEGER NOT NULL, last_sent INTEGER NOT NULL);
INSERT INTO sqlite_sequence(name, seq)
    SELECT 'clients', 100000 WHERE NOT EXISTS(SELECT 1 FROM sqlite_sequence WHERE name = 'clients');
)sql";

constexpr std::int64_t kChinaOffset = 8 * 3600;

std::optional<std::int64_t> clientNumber(std::string_view id) { return wholeNumber(id, 1); }

std::vector<long> versionParts(std::string_view version) {
    std::vector<long> parts;
    while (!version.empty()) {
        const auto dot = version.find('.');
        const auto piece = version.substr(0, dot);
        long value = 0;
        std::from_chars(piece.data(), piece.data() + piece.size(), value);
        parts.push_back(value);
        if (dot == std::string_view::npos) break;
        version.remove_prefix(dot + 1);
    }
    return parts;
}

}  // namespace

bool versionIsNewer(std::string_view offered, std::string_view current) {
    auto a = versionParts(offered);
    auto b = versionParts(current);
    a.resize(std::max(a.size(), b.size()));
    b.resize(a.size());
    return a > b;
}

std::int64_t CompanionStore::dayOf(std::int64_t now) {
    const auto shifted = now + kChinaOffset;
    return shifted >= 0 ? shifted / 86400 : (shifted - 86399) / 86400;
}

bool CompanionStore::initialise(std::string& error) {
    std::lock_guard lock(m_db.mutex());
    // sqlite_sequence exists only once a table uses AUTOINCREMENT, so the schema's tables come first.
    return m_db.execute(kSchema, error);
}

void CompanionStore::markSeen(std::string_view id, std::int64_t now) {
    const auto number = clientNumber(id);
    if (!number) return;
    auto update = m_db.prepare("UPDATE clients SET last_seen = MAX(last_seen, ?2) WHERE id = ?1");
    if (!update.bind(1, *number).bind(2, now).run() || m_db.changes() == 0) return;
    m_db.prepare("INSERT OR IGNORE INTO client_days(day, client_id) VALUES(?1, ?2)")
        .bind(1, dayOf(now))
        .bind(2, *number)
        .run();
    auto online = m_db.prepare("SELECT COUNT(*) FROM clients WHERE last_seen >= ?1");
    const auto count = online.bind(1, now - kOnlineWindowSeconds).step() ? online.integer(0) : 0;
    m_db.prepare(
            "INSERT INTO daily_peaks(day, peak) VALUES(?1, ?2) "
            "ON CONFLICT(day) DO UPDATE SET peak = MAX(peak, excluded.peak)")
        .bind(1, dayOf(now))
        .bind(2, count)
        .run();
}

void CompanionStore::addStart() {
    m_db.execute(
        "INSERT INTO settings(key, value) VALUES('starts', '1') "
        "ON CONFLICT(key) DO UPDATE SET value = CAST(value AS INTEGER) + 1");
}

std::string CompanionStore::newClient(std::int64_t now) {
    std::lock_guard lock(m_db.mutex());
    if (!m_db.prepare("INSERT INTO clients(created, last_seen) VALUES(?1, ?1)").bind(1, now).run()) return {};
    const auto id = std::to_string(m_db.lastInsertId());
    addStart();
    markSeen(id, now);
    return id;
}

void CompanionStore::clientStarted(std::string_view id, std::int64_t now) {
    std::lock_guard lock(m_db.mutex());
    const auto number = clientNumber(id);
    auto known = m_db.prepare("SELECT 1 FROM clients WHERE id = ?1");
    if (!number || !known.bind(1, *number).step()) return;
    addStart();
    markSeen(id, now);
}

CompanionStats CompanionStore::report(std::string_view id, std::int64_t now) {
    std::lock_guard lock(m_db.mutex());
    markSeen(id, now);
    const auto number = [&](std::string_view sql, std::int64_t argument) -> std::int64_t {
        auto query = m_db.prepare(sql);
        query.bind(1, argument);
        return query.step() ? query.integer(0) : 0;
    };
    const auto today = dayOf(now);
    CompanionStats stats;
    stats.online = number("SELECT COUNT(*) FROM clients WHERE last_seen >= ?1", now - kOnlineWindowSeconds);
    stats.clients = number("SELECT COUNT(*) FROM clients WHERE id > ?1", 0);
    stats.todayPeak = number("SELECT peak FROM daily_peaks WHERE day = ?1", today);
    stats.yesterdayPeak = number("SELECT peak FROM daily_peaks WHERE day = ?1", today - 1);
    stats.todayTotal = number("SELECT COUNT(*) FROM client_days WHERE day = ?1", today);
    stats.starts = wholeNumber(setting("starts")).value_or(0);
    return stats;
}

std::string CompanionStore::setting(std::string_view key) {
    auto query = m_db.prepare("SELECT value FROM settings WHERE key = ?1");
    return query.bind(1, key).step() ? query.text(0) : std::string();
}

void CompanionStore::setSetting(std::string_view key, std::string_view value) {
    m_db.prepare(
            "INSERT INTO settings(key, value) VALUES(?1, ?2) ON CONFLICT(key) DO UPDATE SET value = excluded.value")
        .bind(1, key)
        .bind(2, value)
        .run();
}

std::optional<UpdateOffer> CompanionStore::updateOffer() {
    std::lock_guard lock(m_db.mutex());
    UpdateOffer offer{setting("update.version"), setting("update.url"), setting("update.notes")};
    if (offer.version.empty()) return std::nullopt;
    return offer;
}

void CompanionStore::setUpdateOffer(const std::optional<UpdateOffer>& offer) {
    std::lock_guard lock(m_db.mutex());
    setSetting("update.version", offer ? offer->version : "");
    setSetting("update.url", offer ? offer->url : "");
    setSetting("update.notes", offer ? offer->notes : "");
}

std::optional<Notice> CompanionStore::notice() {
    std::lock_guard lock(m_db.mutex());
    Notice notice{setting("notice.kind"), setting("notice.id"), setting("notice.text")};
    if (notice.kind.empty()) return std::nullopt;
    return notice;
}

void CompanionStore::setNotice(const std::optional<Notice>& notice) {
    std::lock_guard lock(m_db.mutex());
    setSetting("notice.kind", notice ? notice->kind : "");
    setSetting("notice.id", notice ? notice->id : "");
    setSetting("notice.text", notice ? notice->text : "");
}

std::int64_t CompanionStore::noticeSent(std::string_view noticeId, std::int64_t now) {
    std::lock_guard lock(m_db.mutex());
    m_db.prepare(
            "INSERT INTO notice_deliveries(notice_id, count, last_sent) VALUES(?1, 1, ?2) "
            "ON CONFLICT(notice_id) DO UPDATE SET count = count + 1, last_sent = excluded.last_sent")
        .bind(1, noticeId)
        .bind(2, now)
        .run();
    auto query = m_db.prepare("SELECT count FROM notice_deliveries WHERE notice_id = ?1");
    return query.bind(1, noticeId).step() ? query.integer(0) : 0;
}

}  // namespace vamu::service
