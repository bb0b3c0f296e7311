#pragma once
// What the companion server remembers, in SQLite: client ids, starts, who was seen when
// (for the usage statistics), the update offer and the notice with how often it was sent.
// Times are Unix seconds; days run from midnight to midnight at UTC+8. Any thread may call.

#include "sqlite_database.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vamu::service {

inline constexpr std::int64_t kOnlineWindowSeconds = 300;  // a client reports every 120 s

struct CompanionStats {
    std::int64_t online = 0;     // clients heard from within the online window
    std::int64_t starts = 0;     // every start ever reported
    std::int64_t clients = 0;    // client ids handed out
    std::int64_t todayPeak = 0;  // most clients online at once today
    std::int64_t yesterdayPeak = 0;
    std::int64_t todayTotal = 0;  // distinct clients heard from today
};

struct UpdateOffer {
    std::string version;  // offered to clients whose version is lower
    std::string url;
    std::string notes;
};

struct Notice {
    std::string kind;  // "0" stops the program, "2" is shown once per id
    std::string id;
    std::string text;
};

class CompanionStore {
public:
    explicit CompanionStore(Database& db) : m_db(db) {}

    [[nodiscard]] bool initialise(std::string& error);

    // A new client id (decimal text); empty on failure. Counts as a start.
    [[nodiscard]] std::string newClient(std::int64_t now);
    // A start of a known client; unknown ids are ignored.
    void clientStarted(std::string_view id, std::int64_t now);
    // A report: marks a known client as heard from, then answers the statistics.
    [[nodiscard]] CompanionStats report(std::string_view id, std::int64_t now);

    [[nodiscard]] std::optional<UpdateOffer> updateOffer();
    void setUpdateOffer(const std::optional<UpdateOffer>& offer);
    [[nodiscard]] std::optional<Notice> notice();
    void setNotice(const std::optional<Notice>& notice);
    // Counts one delivery of the current notice; answers the count so far.
    std::int64_t noticeSent(std::string_view noticeId, std::int64_t now);

    [[nodiscard]] static std::int64_t dayOf(std::int64_t now);

private:
    void markSeen(std::string_view id, std::int64_t now);
    void addStart();
    [[nodiscard]] std::string setting(std::string_view key);
    void setSetting(std::string_view key, std::string_view value);

    Database& m_db;
};

// True when dotted version `offered` is above `current` ("2.40" > "2.36", "2.4" = "2.4.0").
[[nodiscard]] bool versionIsNewer(std::string_view offered, std::string_view current);

}  // namespace vamu::service
