#include "net/url_parts.h"

#include "net/percent_encoding.h"

#include "net/ascii.h"

namespace vamu::net {
namespace {

constexpr std::string_view kHttps = "https://";
constexpr std::string_view kHttp = "http://";

bool isHostByte(unsigned char c) {
    // Letters, digits, '-', '.', '_' and the bytes of international names.
    return isAsciiAlnum(c) || c == '-' || c == '.' || c == '_' || c >= 0x80;
}

std::optional<std::uint16_t> parsePort(std::string_view text, bool https) {
    if (text.empty()) {
        return https ? 443 : 80;
    }
    if (text.size() > 5) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value == 0 || value > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

}  // namespace

std::optional<UrlParts> splitUrl(std::string_view url) {
    UrlParts parts;
    // Only a real "https://" scheme makes the request secure; a host name that happens to
    // start with "https" does not.
    parts.https = url.size() >= kHttps.size() && equalsIgnoringCase(url.substr(0, kHttps.size()), kHttps);

    // The host is read from a lower-cased copy that always ends in "/". Lower-casing keeps
    // every byte position, so positions in the copy map back to `url` (less the seven
    // bytes of a "http://" put in front).
    std::string lower = asciiLower(url);
    if (lower.empty() || lower.back() != '/') {
        lower += '/';
    }
    std::size_t hostStart = 0;
    std::size_t prefixAdded = 0;
    if (lower.starts_with(kHttps)) {
        hostStart = kHttps.size();
    } else if (const auto at = lower.find(kHttp); at != std::string::npos) {
        hostStart = at + kHttp.size();
    } else {
        lower.insert(0, kHttp);
        hostStart = kHttp.size();
        prefixAdded = kHttp.size();
    }
    const std::size_t hostEnd = lower.find('/', hostStart);
    const std::string_view hostAndPort = std::string_view(lower).substr(hostStart, hostEnd - hostStart);

    parts.host = std::string(hostAndPort.substr(0, hostAndPort.find(':')));
    if (parts.host.empty()) {
        return std::nullopt;
    }
    for (char c : parts.host) {
        if (!isHostByte(static_cast<unsigned char>(c))) {
            return std::nullopt;
        }
    }

    const auto lastColon = hostAndPort.rfind(':');
    const auto port = parsePort(
        lastColon == std::string_view::npos ? std::string_view{} : hostAndPort.substr(lastColon + 1), parts.https);
    if (!port) {
        return std::nullopt;
    }
    parts.port = *port;

    // The path starts at the first "/" after the host. (Searching the host's text from the
    // start of the URL instead would find hosts such as "h" or "s" inside the scheme.)
    const std::size_t slash = url.find('/', hostStart - prefixAdded);
    parts.path = slash == std::string_view::npos ? std::string("/") : std::string(url.substr(slash));
    return parts;
}

std::string transferUrl(const UrlParts& parts) {
    std::string out = parts.https ? std::string(kHttps) : std::string(kHttp);
    out += parts.host;
    out += ':';
    out += std::to_string(parts.port);
    out += percentEncoded(parts.path, PercentKeep::UrlText);
    return out;
}

}  // namespace vamu::net
