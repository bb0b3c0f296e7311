#include "http_cookies.h"

#include "service_names.h"

#include <ctime>

namespace vamu::service {

std::optional<std::string> requestCookie(const httplib::Request& request, std::string_view name) {
    const auto count = request.get_header_value_count("Cookie");
    for (std::size_t i = 0; i < count; ++i) {
        const std::string line = request.get_header_value("Cookie", i);
        std::string_view header = line;
        while (!header.empty()) {
            const auto end = header.find(';');
            auto pair = header.substr(0, end);
            header = end == std::string_view::npos ? std::string_view() : header.substr(end + 1);
            while (!pair.empty() && pair.front() == ' ') pair.remove_prefix(1);
            const auto equals = pair.find('=');
            if (equals == std::string_view::npos || pair.substr(0, equals) != name) continue;
            auto value = pair.substr(equals + 1);
            while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
            return std::string(value);
        }
    }
    return std::nullopt;
}

std::string httpDate(std::int64_t unixSeconds) {
    // Fixed English names: the C library's follow the locale.
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t time = static_cast<std::time_t>(unixSeconds);
    std::tm parts{};
    gmtime_r(&time, &parts);
    char text[40];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[parts.tm_wday], parts.tm_mday,
                  kMonths[parts.tm_mon], parts.tm_year + 1900, parts.tm_hour, parts.tm_min, parts.tm_sec);
    return text;
}

void setCookie(httplib::Response& response, std::string_view name, std::string_view value, std::int64_t expires,
               std::int64_t now) {
    std::string header(name);
    header += "=";
    header += value;
    header += "; Expires=" + httpDate(expires) +
              "; Max-Age=" + std::to_string(std::max<std::int64_t>(0, expires - now)) + "; Path=/; HttpOnly";
    response.headers.emplace("Set-Cookie", std::move(header));
}

void deleteCookie(httplib::Response& response, std::string_view name) {
    std::string header(name);
    header += "=";
    header += cookie::kDeletedValue;
    header += "; Expires=Thu, 01 Jan 1970 00:00:01 GMT; Max-Age=0; Path=/";
    response.headers.emplace("Set-Cookie", std::move(header));
}

}  // namespace vamu::service
