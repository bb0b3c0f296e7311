#pragma once
// The request header block: the caller's extra lines completed with the defaults that
// every request of the program carries.

#include <string>
#include <string_view>
#include <vector>

namespace vamu::net {

inline constexpr std::string_view kDefaultUserAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

// The agent named by a User-Agent line of `extraHeaders` (the name found in any case; the
// value trimmed, never reaching past its own line), or the default agent when no line
// names one.
[[nodiscard]] std::string userAgentFor(std::string_view extraHeaders);

// `extraHeaders` completed, in this order and each only when the block lacks it (names
// compared in exact case): "Accept: */*", "Referer: " + url, "Accept-Language: zh-cn",
// "Content-Type: application/x-www-form-urlencoded"; then "Cookie: " + cookies when
// `cookies` is non-empty. Lines are joined by CR LF, without a final CR LF.
[[nodiscard]] std::string completeHeaderBlock(std::string_view extraHeaders, std::string_view url,
                                              std::string_view cookies);

// The non-empty lines of a header block, split at CR LF and at any lone CR or LF, so that
// no line handed on can smuggle a line break.
[[nodiscard]] std::vector<std::string> headerLines(std::string_view block);

}  // namespace vamu::net
