#pragma once
// Splitting a request URL into the host, port and path that the exchange connects to.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vamu::net {

struct UrlParts {
    bool https = false;       // the URL starts with "https://", in any case
    std::string host;         // ASCII lower-case, without the port
    std::uint16_t port = 80;  // 443 for HTTPS when the URL names none
    std::string path;         // from the first "/" after the host to the end, query included; "/" when none
};

// Splits `url`. A URL without "http://" or "https://" is taken as plain HTTP. Returns
// nullopt when no usable host or port can be found (empty host, a host holding
// characters that no host name has, a port that is not a number in 1..65535).
[[nodiscard]] std::optional<UrlParts> splitUrl(std::string_view url);

// The absolute URL handed to the transfer: scheme, host, explicit port and the path with
// the bytes that may not travel raw in a request line (controls, space, '#', bytes
// >= 0x80) percent-encoded, so the server receives exactly the path it was given.
[[nodiscard]] std::string transferUrl(const UrlParts& parts);

}  // namespace vamu::net
