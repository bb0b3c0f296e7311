#pragma once
// One call to the music service, the way every feature makes it: the request formed from
// an endpoint of service_endpoints.h and encoded values, the account's cookie text sent
// and updated, the reply decoded, parsed and judged by its "state", and a refusal's text
// handed to the caller's message sink. Runs synchronously on the calling worker thread.
// Where the service is, the session and the message sink come in a ServiceContext that
// the program makes once at start.

#include <atomic>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

#include "net/http_request.h"
#include "net/json_document.h"
#include "net/service_endpoints.h"

namespace vamu::net {

// The cookie texts of the account (SessionCookies) and of a registration in progress
// (RegistrationCookies), and whether an account is logged in. One instance lives for the
// whole run: the application shell creates it and lends it to the features. The account
// feature sets and clears the texts and the flag; service calls merge their replies'
// cookies into the texts. Every member may be called from any thread; each text is read
// and replaced whole.
class ServiceSession {
public:
    [[nodiscard]] std::string sessionCookies() const;
    void setSessionCookies(std::string cookies);
    [[nodiscard]] std::string registrationCookies() const;
    void setRegistrationCookies(std::string cookies);
    [[nodiscard]] bool loggedIn() const { return m_loggedIn.load(); }
    void setLoggedIn(bool loggedIn) { m_loggedIn.store(loggedIn); }

    // Merges the cookies a reply set into the text as it is now (not as it was when the
    // request left), so a call that ends late never undoes another call's newer cookie.
    void mergeSessionCookies(std::string_view replyCookies);
    void mergeRegistrationCookies(std::string_view replyCookies);

private:
    mutable std::mutex m_mutex;
    std::string m_sessionCookies;       // guarded by m_mutex
    std::string m_registrationCookies;  // guarded by m_mutex
    std::atomic<bool> m_loggedIn{false};
};

// One value of a query or form, encoded when it is made.
class ParamValue {
public:
    // The text's GB18030 bytes (the bytes the service has always received), every byte
    // outside A-Z a-z 0-9 - _ . ~ as %XX, so "&", "=" and "+" arrive as typed.
    [[nodiscard]] static ParamValue text(std::string_view text);
    // The search keyword: its UTF-8 bytes, every one as %XX, letters and digits included.
    [[nodiscard]] static ParamValue keyword(std::string_view text);
    [[nodiscard]] static ParamValue number(long long value);

    [[nodiscard]] const std::string& encoded() const { return m_encoded; }

private:
    std::string m_encoded;
};

enum class ServiceOutcome {
    TransportFailed,  // no complete reply: refused, unreachable, timed out, too large
    Cancelled,        // the stop token was triggered; the session was left as it was
    Unparsable,       // a reply that is not JSON: empty, an HTML error page, broken text
    Refused,          // "state" 0 (as the endpoint's StateReading judges it)
    UnknownState,     // JSON whose "state" is neither 1 nor 0 (for Text endpoints also: missing)
    Succeeded,        // "state" 1
};

struct ServiceReply {
    ServiceOutcome outcome = ServiceOutcome::TransportFailed;
    // Refused: the text the service gave under the endpoint's refusal member.
    std::string refusalText;
    // The parsed reply whenever it was JSON (Refused, UnknownState, Succeeded).
    std::optional<JsonDocument> document;
    long httpStatus = 0;  // for diagnostics; replies are judged by their body
};

// The query or form text of `endpoint` with `values` (endpoint.valueCount of them).
[[nodiscard]] std::string serviceParameters(const ServiceEndpoint& endpoint, std::initializer_list<ParamValue> values);

// What every call needs for the whole run. Made once at start and copied into the routines
// that make calls (a copy is cheap and shares the session), so a change of the "server"
// setting takes effect at the next start, as it always has.
struct ServiceContext {
    // "scheme://host[:port]" without a final "/"; endpoint paths are appended to it.
    std::string baseUrl;
    // Shared by every call of the run; without one, calls send and keep no cookie text.
    std::shared_ptr<ServiceSession> session;
};

// Base address of the service from the text of the "server" setting: final "/" and
// spaces dropped, "http://" added when no scheme is given.
[[nodiscard]] std::string serviceBaseUrl(std::string_view server);

// The context of the run: the "server" setting read now, with the session.
[[nodiscard]] ServiceContext serviceContextFromSettings(std::shared_ptr<ServiceSession> session);

// Makes one call.
[[nodiscard]] ServiceReply callService(const ServiceContext& context, const ServiceEndpoint& endpoint,
                                       std::initializer_list<ParamValue> values, std::stop_token stop = {});

}  // namespace vamu::net
