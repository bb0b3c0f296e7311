#pragma once
// Fault injection for tests: rules that make an endpoint misbehave, and rules that slow
// or stall song streams. Set from the command line at start and through the admin
// endpoint at run time; the same text form serves both.
//
//   endpoint rule   KEY=MODE[*COUNT]
//     KEY    a request path ("/sound/hot", "/info.php", "/media/sound/"), "/vamu.php?do=xt"
//            for one companion request, or "*" for every endpoint
//     MODE   html | broken-json | empty | drop | oversized[:BYTES] | delay:MS | status:CODE |
//            state-text | state-missing | no-sources | none
//     COUNT  only the next COUNT requests; without it the rule stays until changed
//   stream rule     SONG=MODE
//     SONG   a song id or "all"
//     MODE   throttle:BYTES_PER_SECOND | throttle:real | stall:BYTES | drop:BYTES | none

#include "catalogue.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vamu::service {

enum class FaultKind {
    HtmlPage,      // a proxy's error page (HTTP 502, text/html)
    BrokenJson,    // the real reply cut in half
    EmptyBody,     // HTTP 200 without a body
    Drop,          // the connection is closed without an answer
    Oversized,     // a reply of `argument` bytes
    Delay,         // `argument` milliseconds, then the real reply
    Status,        // HTTP status `argument` with a short text body
    StateText,     // the real reply with "state" as text ("1", "0") instead of a number
    StateMissing,  // the real reply without its "state" member
    NoSources,     // the real reply without any song's "source" (songs without a stream)
};

inline constexpr std::int64_t kDefaultOversizedBytes = 17LL << 20;  // above any reply a client accepts
inline constexpr std::int64_t kMaxOversizedBytes = 1LL << 30;
inline constexpr std::int64_t kMaxDelayMilliseconds = 600'000;

struct Fault {
    FaultKind kind = FaultKind::EmptyBody;
    std::int64_t argument = 0;
    int remaining = -1;  // requests left; -1 without limit
};

enum class StreamFaultKind {
    Throttle,      // at most `bytes` a second
    ThrottleReal,  // at the song's own byte rate
    Stall,         // send `bytes` bytes, then nothing more
    Drop,          // send `bytes` bytes of each response, then close the connection
};

struct StreamFault {
    StreamFaultKind kind = StreamFaultKind::Throttle;
    std::int64_t bytes = 0;
};

// A parsed rule; a rule without `fault` removes the key's rule.
struct EndpointRule {
    std::string key;
    std::optional<Fault> fault;
};
struct StreamRule {
    Id song = 0;  // 0: every song
    std::optional<StreamFault> fault;
};

// nullopt with `error` set when the text is not a rule.
[[nodiscard]] std::optional<EndpointRule> parseEndpointRule(std::string_view text, std::string& error);
[[nodiscard]] std::optional<StreamRule> parseStreamRule(std::string_view text, std::string& error);

[[nodiscard]] std::string describeFault(const Fault& fault);
[[nodiscard]] std::string describeStreamFault(const StreamFault& fault);

// The rules in force. Thread-safe.
class FaultTable {
public:
    void apply(const EndpointRule& rule);
    void apply(const StreamRule& rule);
    void clear();

    // The fault for a request, trying `keys` in order and then "*"; takes one use of a
    // counted rule, and removes the rule when that was its last.
    [[nodiscard]] std::optional<Fault> take(std::span<const std::string> keys);
    // The song's own rule, else the rule for every song.
    [[nodiscard]] std::optional<StreamFault> stream(Id song) const;

    // Every rule in its text form, one a line.
    [[nodiscard]] std::string describe() const;

private:
    mutable std::mutex m_mutex;
    std::map<std::string, Fault> m_endpoints;
    std::map<Id, StreamFault> m_streams;
};

}  // namespace vamu::service
