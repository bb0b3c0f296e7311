#pragma once
// The one set of rules every libcurl transfer of the program follows: the HTTP routine
// (service calls, pictures), the stream reader (songs) and the song download.
//
// - Redirects: followed up to kMaxRedirects times, only to http and https; a transfer
//   that began over HTTPS never continues over plain HTTP.
// - Time-outs: kConnectTimeout to connect; a transfer that receives nothing for
//   kIdleTimeout is dropped. Replies that are read whole (service calls, pictures) also
//   have an overall deadline, kCallDeadline, so a server that trickles a few bytes a
//   second cannot keep a call reading for hours; songs and downloads, which may rightly
//   take long, have only the no-data rule.
// - TLS: the peer's certificate and host name are always verified.
// - Cancellation: a stop request wakes the transfer's wait at once (runTransfer).

#include <chrono>
#include <string>
#include <string_view>

namespace vamu::net {

// The time-outs of a classic system HTTP stack.
inline constexpr std::chrono::milliseconds kConnectTimeout{60'000};
inline constexpr std::chrono::seconds kIdleTimeout{30};
// Longest a reply that is read whole may take from start to end.
inline constexpr std::chrono::milliseconds kCallDeadline{60'000};
inline constexpr long kMaxRedirects = 10;

struct TransferPolicy {
    bool secure = false;  // the first request goes over HTTPS (see startsSecure)
    bool followRedirects = true;
    std::chrono::milliseconds connectTimeout = kConnectTimeout;
    std::chrono::seconds idleTimeout = kIdleTimeout;  // at least 1 s is used
    std::chrono::milliseconds deadline{0};            // whole transfer; 0: none
    std::string caFile;  // PEM file of the certificates trusted for HTTPS; empty: the system's
};

// Whether a URL is requested over HTTPS: its first five characters are "https" in any
// case. A URL without a scheme is plain HTTP.
[[nodiscard]] bool startsSecure(std::string_view url);

}  // namespace vamu::net
