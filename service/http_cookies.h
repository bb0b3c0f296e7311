#pragma once
// Cookie headers: reading the Cookie header of a request, writing Set-Cookie lines.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <httplib.h>

namespace vamu::service {

// The value of cookie `name` in the request's Cookie headers; nullopt when absent.
[[nodiscard]] std::optional<std::string> requestCookie(const httplib::Request& request, std::string_view name);

// A date as cookies carry it: "Sun, 06 Nov 1994 08:49:37 GMT".
[[nodiscard]] std::string httpDate(std::int64_t unixSeconds);

// Adds a Set-Cookie header for a cookie on path "/" that lasts until `expires`.
void setCookie(httplib::Response& response, std::string_view name, std::string_view value, std::int64_t expires,
               std::int64_t now);
// Adds a Set-Cookie header that deletes the cookie, with the value "deleted" and a date in the past.
void deleteCookie(httplib::Response& response, std::string_view name);

}  // namespace vamu::service
