#include "companion/companion_replies.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <vector>

namespace vamu::companion {
namespace {

// At most `parts` pieces; the last piece ends at a further delimiter, if any.
std::vector<std::string> split(std::string_view text, std::string_view delimiter, std::size_t parts) {
    std::vector<std::string> pieces;
    while (pieces.size() < parts) {
        const std::size_t at = text.find(delimiter);
        pieces.emplace_back(text.substr(0, at));
        if (at == std::string_view::npos) break;
        text.remove_prefix(at + delimiter.size());
    }
    return pieces;
}

}  // namespace

std::string updateCheckBody() { return "do=gx&bbh=" + std::string(kProgramVersion); }
std::string newClientBody() { return "do=new"; }
std::string clientStartBody(std::string_view id) { return "do=dl&id=" + std::string(id); }
std::string reportBody(std::string_view id) { return "do=xt&id=" + std::string(id); }
std::string noticeBody() { return "do=zt&bbh=" + std::string(kProgramVersion); }

std::string trimmed(std::string_view text) {
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && space(text.front())) text.remove_prefix(1);
    while (!text.empty() && space(text.back())) text.remove_suffix(1);
    return std::string(text);
}

std::optional<UpdateOffer> readUpdateOffer(std::string_view reply) {
    const std::string text = trimmed(reply);
    if (text.empty() || text == "1") return std::nullopt;
    const std::vector<std::string> parts = split(text, ",", 3);
    if (parts.size() < 2 || parts[0].empty() || parts[1].empty()) return std::nullopt;
    return UpdateOffer{parts[0], parts[1], parts.size() > 2 ? parts[2] : std::string()};
}

std::string updateText(const UpdateOffer& offer) {
    return "当前版本:" + std::string(kProgramVersion) + "\n最新版本:" + offer.version + "\n更新内容:\n" + offer.notes;
}

std::optional<Statistics> readStatistics(std::string_view reply, bool administrator) {
    const std::string text = trimmed(reply);
    if (text.empty()) return std::nullopt;
    const std::vector<std::string> parts = split(text, ",", 6);
    if (parts.size() < (administrator ? 6u : 2u)) return std::nullopt;
    Statistics statistics;
    std::string* fields[] = {&statistics.online,    &statistics.starts,        &statistics.users,
                             &statistics.todayPeak, &statistics.yesterdayPeak, &statistics.todayTotal};
    for (std::size_t i = 0; i < parts.size(); ++i) *fields[i] = parts[i];
    return statistics;
}

std::string statisticsText(const std::optional<Statistics>& statistics, bool administrator) {
    if (!statistics) return "在线人数:获取失败\n启动次数:获取失败";
    const Statistics& s = *statistics;
    if (!administrator) return "在线人数:" + s.online + "\n启动次数:" + s.starts;
    return "在线人数:" + s.online + "\n今日最高:" + s.todayPeak + "\n昨日最高:" + s.yesterdayPeak +
           "\n今日总量:" + s.todayTotal + "\n启动次数:" + s.starts + "\n总用户数:" + s.users;
}

std::optional<Notice> readNotice(std::string_view reply) {
    const std::string text = trimmed(reply);
    if (text.empty()) return std::nullopt;
    const std::vector<std::string> parts = split(text, kNoticeDelimiter, 3);
    if (parts.size() < 3 || parts[1].empty()) return std::nullopt;
    return Notice{parts[0], parts[1], parts[2]};
}

bool noticeAlreadyShown(std::string_view shownIds, std::string_view id) {
    const std::string needle = std::string(id) + ",";
    const auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
    const auto found = std::search(shownIds.begin(), shownIds.end(), needle.begin(), needle.end(),
                                   [&](char a, char b) { return lower(a) == lower(b); });
    return found != shownIds.end();
}

bool isAdministrator(std::string_view setting) {
    const std::string text = trimmed(setting);
    long long value = 0;
    const auto [last, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    (void)last;
    return error == std::errc{} && value == kAdministratorCode;
}

}  // namespace vamu::companion
