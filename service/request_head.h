#pragma once
// The head of an HTTP request, checked before the server library reads it: the library
// takes an impossible or doubled Content-Length and turns a malformed Range into an
// error, where a server must refuse the one at once and ignore the other.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vamu::service {

// Every Range header reaches the handlers under this name, so the library never acts on
// one itself; handlers that serve parts of a resource read it through resolveRange.
inline constexpr std::string_view kRangeHeader = "X-Vamu-Range";

struct RequestHeadLimits {
    std::size_t maxHeadBytes = 64 * 1024;
    std::int64_t maxBodyBytes = 1 << 20;
};

struct RequestHead {
    int refusal = 0;             // 0, or the status the request is refused with (400, 413)
    std::string head;            // the head to pass on: as received, with Range renamed
    std::int64_t bodyBytes = 0;  // Content-Length; 0 without one
    // Chunked, or the client waits for "100 Continue" before it sends the body: the
    // request is served once its head is there and the body is read as it comes.
    bool bodyStreamed = false;
};

// The length of the request head at the start of `bytes`, its empty line included;
// std::string_view::npos while the empty line has not come.
[[nodiscard]] std::size_t requestHeadLength(std::string_view bytes);

// Checks a whole head (request line, header lines, empty line).
[[nodiscard]] RequestHead checkRequestHead(std::string_view head, const RequestHeadLimits& limits);

}  // namespace vamu::service
