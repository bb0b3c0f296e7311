#pragma once
// The one HTTP exchange of the program: one call sends one request and reads the
// whole reply, synchronously on the calling (worker) thread.

#include <cstddef>
#include <optional>
#include <stop_token>
#include <string>

namespace vamu::net {

inline constexpr std::size_t kMaxJsonReplyBytes = 16u << 20;
inline constexpr std::size_t kMaxPictureReplyBytes = 8u << 20;

// Arguments of one exchange. Only `url` is required.
struct HttpRequestArgs {
    std::string url;           // "http://" or "https://" may lead; without either, plain HTTP
    int method = 0;            // 0 GET, 1 POST, 2 HEAD; anything else is GET
    std::string body;          // request body for POST and HEAD
    // Supplied (even empty): automatic cookie handling is off for this call, the text is
    // sent as "Cookie:" when non-empty, and the merged text comes back in HttpReply::cookies.
    // Not supplied: the process-wide cookie store sends and stores cookies itself.
    std::optional<std::string> cookies;
    std::string extraHeaders;  // header lines joined by CR LF, no final CR LF
    bool noRedirect = false;   // true: a redirect is returned as it is, not followed
    std::string bodyBytes;     // when non-empty, sent instead of `body` (POST and HEAD)
    std::string proxy;         // "host:port"; empty means a direct connection
    std::stop_token stop;      // a stop request aborts the transfer promptly
    std::size_t maxBodyBytes = kMaxJsonReplyBytes;  // longer replies are cut off and fail
};

// How the exchange ended, for diagnostics and tests; callers of the service judge a
// reply by its body alone.
enum class HttpOutcome {
    Completed,        // a response was read (any status)
    NotOpened,        // failed before a request was opened (bad URL, setup failure)
    TransportFailed,  // refused, unreachable, timed out, reset
    Cancelled,        // the stop token was triggered
    TooLarge,         // the reply exceeded HttpRequestArgs::maxBodyBytes
};

struct HttpReply {
    std::string body;  // every byte of the response body, unconverted
    // Each out-value as the exchange wrote it; nullopt where the caller's own value
    // must stay as it was (the failure paths before a request is opened).
    std::optional<std::string> cookies;          // merged cookie text, only when cookies were supplied
    std::optional<std::string> responseCookies;  // "a=1; b=2" from the Set-Cookie lines
    std::optional<std::string> responseHeaders;  // raw header block, CR LF separated
    HttpOutcome outcome = HttpOutcome::NotOpened;
    long status = 0;  // HTTP status of the last response, 0 when none
};

// Re-entrant: any number of threads may call it at once.
[[nodiscard]] HttpReply httpRequest(const HttpRequestArgs& args);

// Merges the cookies of a reply into a held cookie text: new pairs first, then the old
// pairs whose names the new text does not carry; pairs valued "deleted" and exact
// duplicates are dropped; ASCII and full-width spaces are removed.
[[nodiscard]] std::string mergeCookies(const std::string& oldCookies, const std::string& newCookies);

}  // namespace vamu::net
