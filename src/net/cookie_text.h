#pragma once
// Cookie texts: name=value pairs joined by "; ", the form in which the program holds and
// sends the service's cookies. mergeCookies is declared with the exchange in http_request.h.

#include <string>
#include <string_view>

namespace vamu::net {

// The cookies that a response header block sets, as "a=1; b=2": from every line whose
// header name is Set-Cookie (in any case) the first pair, up to the first ";", trimmed.
// Attributes (path, domain, expiry) are dropped, and so are empty pairs. Empty text when
// the block sets none.
[[nodiscard]] std::string collectResponseCookies(std::string_view headerBlock);

}  // namespace vamu::net
