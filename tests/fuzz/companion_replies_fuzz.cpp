// Input: a reply of the companion server's script. Every reader takes the whole input; for
// the shown-notices check the input splits at its first newline into the ids kept in the
// settings and the notice's id. Checks what each reader promises of what it gives back,
// and that a reply with the parts a use needs is never ignored.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "companion/companion_replies.h"

namespace {

namespace companion = vamu::companion;

void require(bool condition) {
    if (!condition) std::abort();
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

void checkTrimmed(std::string_view input) {
    const std::string text = companion::trimmed(input);
    require(text.empty() || (!isSpace(text.front()) && !isSpace(text.back())));
    require(contains(input, text));
    require(companion::trimmed(text) == text);
    std::size_t kept = 0;
    for (const char c : input) kept += isSpace(c) ? 0 : 1;
    require(text.size() >= kept);
}

void checkUpdateOffer(std::string_view input) {
    const std::string text = companion::trimmed(input);
    const auto offer = companion::readUpdateOffer(input);
    // An offer needs a non-empty version and a non-empty address before and after the first comma.
    const std::size_t comma = text.find(',');
    const std::size_t second = comma == std::string::npos ? std::string::npos : text.find(',', comma + 1);
    const bool offered = text != "1" && comma != std::string::npos && comma > 0 && comma + 1 < text.size() &&
                         second != comma + 1;
    require(offer.has_value() == offered);
    if (!offer) return;
    require(!offer->version.empty() && !offer->address.empty());
    require(!contains(offer->version, ",") && !contains(offer->address, ",") && !contains(offer->notes, ","));
    const std::string head = offer->version + "," + offer->address;
    require(text.starts_with(head));
    if (text.size() > head.size()) require(text.compare(head.size() + 1, offer->notes.size(), offer->notes) == 0);

    const std::string shown = companion::updateText(*offer);
    require(shown.starts_with("当前版本:" + std::string(companion::kProgramVersion) + "\n"));
    require(contains(shown, "\n最新版本:" + offer->version + "\n"));
    require(shown.ends_with("更新内容:\n" + offer->notes));
}

void checkStatistics(std::string_view input) {
    const std::string text = companion::trimmed(input);
    std::size_t commas = 0;
    for (const char c : text) commas += c == ',' ? 1 : 0;
    const auto forUser = companion::readStatistics(input, false);
    const auto forAdministrator = companion::readStatistics(input, true);
    require(forUser.has_value() == (commas >= 1));
    require(forAdministrator.has_value() == (commas >= 5));

    if (forUser) {
        require(text.starts_with(forUser->online + "," + forUser->starts));
        require(!contains(forUser->online, ",") && !contains(forUser->starts, ","));
    }
    if (forAdministrator) {
        const auto& s = *forAdministrator;
        const std::string six = s.online + "," + s.starts + "," + s.users + "," + s.todayPeak + "," +
                                s.yesterdayPeak + "," + s.todayTotal;
        require(text.starts_with(six));
        require(!contains(s.todayTotal, ","));
        // The same reply read for anyone gives the same first two values.
        require(forUser && forUser->online == s.online && forUser->starts == s.starts);
    }

    for (const bool administrator : {false, true}) {
        const auto& statistics = administrator ? forAdministrator : forUser;
        const std::string shown = companion::statisticsText(statistics, administrator);
        require(!shown.empty());
        require(shown.starts_with("在线人数:"));
        require(contains(shown, "\n启动次数:"));
        if (!statistics) {
            require(contains(shown, "获取失败"));
        } else {
            require(contains(shown, "在线人数:" + statistics->online + "\n"));
            require(contains(shown, "启动次数:" + statistics->starts));
            if (administrator) require(contains(shown, "\n总用户数:" + statistics->users));
        }
    }
}

void checkNotice(std::string_view input) {
    const std::string text = companion::trimmed(input);
    const std::string_view delimiter = companion::kNoticeDelimiter;
    const auto notice = companion::readNotice(input);
    const std::size_t first = text.find(delimiter);
    const std::size_t second = first == std::string::npos ? std::string::npos : text.find(delimiter, first + delimiter.size());
    const bool whole = second != std::string::npos && second > first + delimiter.size();
    require(notice.has_value() == whole);
    if (!notice) return;
    require(!notice->id.empty());
    require(!contains(notice->kind, delimiter) && !contains(notice->id, delimiter) &&
            !contains(notice->text, delimiter));
    const std::string joined = notice->kind + std::string(delimiter) + notice->id + std::string(delimiter) + notice->text;
    require(text.starts_with(joined));
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = lower(c);
    return out;
}

std::string flippedCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

void checkShownNotices(std::string_view input) {
    const std::size_t newline = input.find('\n');
    const std::string_view shown = input.substr(0, newline);
    const std::string_view id = newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);
    const bool found = companion::noticeAlreadyShown(shown, id);
    require(found == contains(lowered(shown), lowered(id) + ","));
    // Once the program has added the id, it is shown, whatever the case it was written in.
    const std::string added = std::string(shown) + std::string(id) + ",";
    require(companion::noticeAlreadyShown(added, id));
    require(companion::noticeAlreadyShown(added, flippedCase(id)));
}

void checkAdministrator(std::string_view input) {
    // The integer the setting starts with (after spaces; leading zeros allowed) is the code.
    const std::string text = companion::trimmed(input);
    std::size_t at = 0;
    while (at < text.size() && text[at] == '0') ++at;
    const std::string code = std::to_string(companion::kAdministratorCode);
    const bool isCode = text.compare(at, code.size(), code) == 0 &&
                        (at + code.size() == text.size() || text[at + code.size()] < '0' || text[at + code.size()] > '9');
    require(companion::isAdministrator(input) == isCode);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    checkTrimmed(input);
    checkUpdateOffer(input);
    checkStatistics(input);
    checkNotice(input);
    checkShownNotices(input);
    checkAdministrator(input);
    return 0;
}
