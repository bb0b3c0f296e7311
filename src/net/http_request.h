#pragma once
// The one HTTP exchange of the program: one call sends one request and reads the
// whole reply, synchronously on the calling (worker) thread.

#include <chrono>
#include <cstddef>
#include <optional>
#include <stop_token>
#include <string>

#include "net/transfer_policy.h"

namespace vamu::net {

inline constexpr std::size_t kMaxJsonReplyBytes = 16u << 20;
inline constexpr std::size_t kMaxPictureReplyBytes = 8u << 20;
inline constexpr std::size_t kMaxHeaderBlockBytes = 1u << 20;  // one response's header block

// Arguments of one exchange. Only `url` is required.
struct HttpRequestArgs {
    std::string url;   // "http://" or "https://" may lead; without either, plain HTTP
    int method = 0;    // 0 GET, 1 POST, 2 HEAD; anything else is GET
    std::string body;  // request body for POST and HEAD
    // Supplied (even empty): automatic cookie handling is off for this call, the text is
    // sent as "Cookie:" when non-empty, and the merged text comes back in HttpReply::cookies.
    // Not supplied: the process-wide cookie store sends and stores cookies itself.
    std::optional<std::string> cookies;
    std::string extraHeaders;  // header lines joined by CR LF, no final CR LF
    // true: a redirect is returned as it is, not followed. Otherwise redirects are followed
    // (at most 10; a POST continues as GET after 301, 302 and 303; HTTPS never continues
    // over plain HTTP), except for a HEAD that carries a body, whose redirect is returned.
    bool noRedirect = false;
    std::string bodyBytes;                          // when non-empty, sent instead of `body` (POST and HEAD)
    std::string proxy;                              // "host:port"; empty means a direct connection
    std::stop_token stop;                           // a stop request aborts the transfer promptly
    std::size_t maxBodyBytes = kMaxJsonReplyBytes;  // longer replies are cut off and fail
    std::chrono::milliseconds connectTimeout = kConnectTimeout;
    std::chrono::seconds idleTimeout = kIdleTimeout;  // abort after this long without data (at least 1 s)
    // Abort when the whole exchange takes longer; 0 means no limit. Every reply read
    // through this routine is small, so a slow trickle is a fault, not a long song.
    std::chrono::milliseconds deadline = kCallDeadline;
    std::string caFile;  // PEM file of the certificates trusted for HTTPS; empty: the system's
};

// How the exchange ended, for diagnostics and tests; callers of the service judge a
// reply by its body alone.
enum class HttpOutcome {
    Completed,        // a response was read (any status)
    NotOpened,        // failed before a request was opened (bad URL, setup failure)
    TransportFailed,  // refused, unreachable, timed out (deadline included), reset, broken response
    Cancelled,        // the stop token was triggered
    TooLarge,         // the reply exceeded HttpRequestArgs::maxBodyBytes or kMaxHeaderBlockBytes
};

// What each out-value holds:
// - Completed: `body` every byte of the final response's body; `responseHeaders` its raw
//   header block (status line and header lines, each ended by CR LF, then the empty
//   line); `responseCookies` the cookies it sets ("a=1; b=2", empty when none);
//   `cookies` the supplied text merged with them.
// - NotOpened, or Cancelled before a request was opened: every optional stays nullopt
//   (the caller keeps its own values) and `body` is empty.
// - Any failure after the request was opened: `body` empty; `responseCookies` empty;
//   `cookies` the supplied text normalised by mergeCookies with nothing new;
//   `responseHeaders` the header block of the last response when one arrived complete
//   before the failure, otherwise empty.
// `cookies` is nullopt whenever no cookie text was supplied.
struct HttpReply {
    std::string body;  // every byte of the response body, unconverted
    std::optional<std::string> cookies;
    std::optional<std::string> responseCookies;
    std::optional<std::string> responseHeaders;
    HttpOutcome outcome = HttpOutcome::NotOpened;
    long status = 0;  // HTTP status of the last response, 0 when none
};

// Prepares the HTTP library for the process. httpRequest does it on first use; calling it
// from main before any worker starts keeps that first use off the workers' paths (and
// other users of libcurl in the program call it before touching libcurl). False when the
// library cannot be used; every exchange then fails with NotOpened.
bool initializeHttp();

// Re-entrant: any number of threads may call it at once.
[[nodiscard]] HttpReply httpRequest(const HttpRequestArgs& args);

// A picture by GET (covers, channel tiles, avatars): its bytes, capped at
// kMaxPictureReplyBytes; empty when the exchange failed or the status was not 200.
[[nodiscard]] std::string fetchPicture(const std::string& url, std::stop_token stop = {});

// Merges the cookies of a reply into a held cookie text: new pairs first, then the old
// pairs whose names the new text does not carry; pairs valued "deleted", empty pairs and
// exact duplicates are dropped; ASCII and full-width spaces are removed.
[[nodiscard]] std::string mergeCookies(const std::string& oldCookies, const std::string& newCookies);

}  // namespace vamu::net
