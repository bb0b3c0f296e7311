// Input: the body of a song details reply. It is read as the program reads it (reply text,
// JSON, the members of a song), and its first line is also taken as an upload time on its
// own. Checks that the members are valid text, that the detail line is built from them,
// and that every date shown is the true calendar day at UTC+8, worked out here without
// the C library's time functions.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "catalogue/song_details.h"
#include "core/text_encoding.h"
#include "net/json_document.h"

namespace {

using vamu::catalogue::SongDetails;
using vamu::catalogue::uploadDateText;

void require(bool condition) {
    if (!condition) std::abort();
}

constexpr long long kMillisecondsAbove = 9999999999LL;
// Years 1 to 9999 at UTC+8: every time in them must give a date.
constexpr long long kFirstReadable = -62135596800LL;
constexpr long long kLastReadable = 253402300799LL - 8 * 3600;

// Optional minus, then decimal digits only, within long long.
std::optional<long long> wholeNumber(std::string_view text) {
    const bool negative = !text.empty() && text.front() == '-';
    if (negative) text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    long long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        const int digit = c - '0';
        if (__builtin_mul_overflow(value, 10, &value) ||
            __builtin_sub_overflow(value, digit, &value)) {  // built negative: reaches LLONG_MIN
            return std::nullopt;
        }
    }
    if (!negative) {
        if (value == std::numeric_limits<long long>::min()) return std::nullopt;
        value = -value;
    }
    return value;
}

struct Day {
    long long year;
    int month;
    int day;
};

// The proleptic Gregorian day `days` after 1970-01-01.
Day civilDay(long long days) {
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long ofEra = days - era * 146097;
    const long long yearOfEra = (ofEra - ofEra / 1460 + ofEra / 36524 - ofEra / 146096) / 365;
    const long long dayOfYear = ofEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long shifted = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * shifted + 2) / 5 + 1);
    const int month = static_cast<int>(shifted < 10 ? shifted + 3 : shifted - 9);
    return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

long long floorDivide(long long a, long long b) { return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0); }

// Reads "Y年MM月dd日" with Y a whole number.
std::optional<Day> readDate(std::string_view text) {
    const std::size_t yearEnd = text.find("年");
    if (yearEnd == std::string_view::npos) return std::nullopt;
    const auto year = wholeNumber(text.substr(0, yearEnd));
    const std::string_view rest = text.substr(yearEnd);
    const auto twoDigits = [](std::string_view digits) -> std::optional<int> {
        if (digits.size() != 2 || digits[0] < '0' || digits[0] > '9' || digits[1] < '0' || digits[1] > '9') {
            return std::nullopt;
        }
        return (digits[0] - '0') * 10 + (digits[1] - '0');
    };
    const std::string_view year_ = "年", month_ = "月", day_ = "日";
    if (!year || rest.size() != year_.size() + 2 + month_.size() + 2 + day_.size()) return std::nullopt;
    if (rest.substr(year_.size() + 2, month_.size()) != month_ || !rest.ends_with(day_)) return std::nullopt;
    const auto month = twoDigits(rest.substr(year_.size(), 2));
    const auto day = twoDigits(rest.substr(year_.size() + 2 + month_.size(), 2));
    if (!month || !day) return std::nullopt;
    return Day{*year, *month, *day};
}

void checkDate(std::string_view time) {
    const std::string shown = uploadDateText(time);
    const auto value = wholeNumber(time);
    if (!value) {
        require(shown.empty());
        return;
    }
    const long long seconds = *value > kMillisecondsAbove ? *value / 1000 : *value;
    if (seconds >= kFirstReadable && seconds <= kLastReadable) require(!shown.empty());
    if (shown.empty()) return;
    const auto date = readDate(shown);
    require(date.has_value());
    const Day expected = civilDay(floorDivide(seconds + 8 * 3600, 86400));
    require(date->year == expected.year && date->month == expected.month && date->day == expected.day);
}

bool validText(std::string_view text) { return vamu::core::toValidUtf8(text) == text; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    vamu::net::JsonDocument reply;
    const bool loaded = reply.load(vamu::core::replyBodyToText(body));
    const SongDetails details = vamu::catalogue::readSongDetails(reply);
    const std::string* members[] = {&details.state,        &details.name,       &details.source,
                                    &details.id,           &details.uploaderName, &details.createTime,
                                    &details.info,         &details.coverUrl};
    for (const std::string* member : members) {
        require(validText(*member));
        if (!loaded) require(member->empty());
    }

    checkDate(details.createTime);
    const std::string line = vamu::catalogue::detailLine(details);
    const std::string head = "用户[" + details.uploaderName + "]于";
    require(line.starts_with(head) && line.ends_with("上传"));
    require(line.substr(head.size(), line.size() - head.size() - std::string_view("上传").size()) ==
            uploadDateText(details.createTime));

    checkDate(body.substr(0, body.find('\n')));
    return 0;
}
