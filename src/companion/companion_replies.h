#pragma once
// The companion server's plain-text replies and the texts the program makes of them.
// Qt-free. A reply that does not have the parts its use needs is ignored (nullopt).

#include <optional>
#include <string>
#include <string_view>

namespace vamu::companion {

inline constexpr std::string_view kProgramVersion = "2.36";
inline constexpr std::string_view kScriptPath = "/vamu.php";
inline constexpr std::string_view kNoticeDelimiter = "!@#qnmlgb";
inline constexpr long long kAdministratorCode = 73051864;

// Request bodies.
[[nodiscard]] std::string updateCheckBody();                     // "do=gx&bbh=2.36"
[[nodiscard]] std::string newClientBody();                       // "do=new"
[[nodiscard]] std::string clientStartBody(std::string_view id);  // "do=dl&id=" + id
[[nodiscard]] std::string reportBody(std::string_view id);       // "do=xt&id=" + id
[[nodiscard]] std::string noticeBody();                          // "do=zt&bbh=2.36"

struct UpdateOffer {
    std::string version;
    std::string address;
    std::string notes;  // up to a further comma
};
// "1" or empty: no offer; otherwise version,address,notes. Without a version and an
// address there is nothing to offer.
[[nodiscard]] std::optional<UpdateOffer> readUpdateOffer(std::string_view reply);
// "当前版本:2.36\n最新版本:V\n更新内容:\nNOTES".
[[nodiscard]] std::string updateText(const UpdateOffer& offer);

struct Statistics {
    std::string online, starts, users, todayPeak, yesterdayPeak, todayTotal;
};
// Six comma-separated values (anything after a sixth comma dropped); an administrator
// needs all six, anyone else the first two. nullopt when they are not there.
[[nodiscard]] std::optional<Statistics> readStatistics(std::string_view reply, bool administrator);
// The statistics lines of the report button's tooltip, lines joined by "\n"; nullopt
// (the reply did not have what the mode shows) gives the "获取失败" lines.
[[nodiscard]] std::string statisticsText(const std::optional<Statistics>& statistics, bool administrator);

struct Notice {
    std::string kind;  // "0" stop the program, "2" show once; others are ignored
    std::string id;
    std::string text;  // up to a further delimiter
};
[[nodiscard]] std::optional<Notice> readNotice(std::string_view reply);
// Whether `shownIds` ("7,12,") holds id + "," anywhere, ignoring ASCII case.
[[nodiscard]] bool noticeAlreadyShown(std::string_view shownIds, std::string_view id);

// The administrator setting's integer value is the code.
[[nodiscard]] bool isAdministrator(std::string_view setting);
// A reply taken as text: spaces and line ends around it removed.
[[nodiscard]] std::string trimmed(std::string_view text);

}  // namespace vamu::companion
