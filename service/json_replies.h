#pragma once
// The JSON shapes of the music service's replies and the media addresses inside them.

#include "catalogue.h"
#include "http_server.h"

#include <nlohmann/json.hpp>

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace vamu::service {

// Members keep the order they are written in, so replies read as they were built.
using Json = nlohmann::ordered_json;

// Absolute media addresses under one base ("http://127.0.0.1:8960").
class MediaUrls {
public:
    explicit MediaUrls(std::string base) : m_base(std::move(base)) {}
    [[nodiscard]] std::string cover(Id song) const;
    [[nodiscard]] std::string channelPicture(Id channel) const;
    [[nodiscard]] std::string avatar(Id user) const;
    [[nodiscard]] std::string sound(Id song) const;

private:
    std::string m_base;
};

[[nodiscard]] Json userJson(Id id, std::string_view name, const MediaUrls& urls);
// An uploader that is not in the catalogue (a registered account) gets the default avatar.
[[nodiscard]] Json songJson(const Song& song, const Catalogue& catalogue, const MediaUrls& urls);
[[nodiscard]] Json channelJson(const Channel& channel, const MediaUrls& urls);

// Envelopes: {"state":1,"result":...}; {"state":0,"message":...}; {"state":0,"error":{"message":...}}.
[[nodiscard]] Json succeeded(Json result, std::string_view message = {});
[[nodiscard]] Json refused(std::string_view message);
[[nodiscard]] Json refusedWithError(std::string_view message);

// How a fault rule rewrites the "state" of a reply: as text ("1", "0"), or left out.
enum class StateForm { Text, Missing };
// The reply text `body` with its top-level "state" rewritten; nullopt when the body is
// not a JSON object holding a "state" (plain-text and media replies stay as they are).
[[nodiscard]] std::optional<std::string> withStateAs(std::string_view body, StateForm form);

// The reply text `body` without any "source" member, at any depth: the songs of a service
// that lists songs it holds no stream for. nullopt when the body is not JSON.
[[nodiscard]] std::optional<std::string> withoutSources(std::string_view body);

// UTF-8 text of a document; invalid sequences in strings become U+FFFD.
[[nodiscard]] std::string jsonText(const Json& document);
void replyJson(Response& response, const Json& document, int status = 200);
void replyJsonText(Response& response, std::string text);

// A request value of the admin routes, already percent-decoded; "" when missing. Tools
// may put it in the query or the form body.
[[nodiscard]] std::string parameter(const Request& request, std::string_view name);

// A whole-number value of a request, as RequestValues::number reads it.
struct NumberValue {
    std::string_view name;
    bool present = false;
    std::optional<std::int64_t> value;  // nullopt when missing or not a whole number within range
};

// The values a route of the two servers reads, already percent-decoded: a GET request's
// query string; a POST request's form body and never its query string, as the real
// service reads them, so a client that puts a value in the wrong place finds out.
class RequestValues {
public:
    explicit RequestValues(const Request& request);
    RequestValues(const RequestValues&) = delete;  // may point into itself
    RequestValues& operator=(const RequestValues&) = delete;

    [[nodiscard]] bool has(std::string_view name) const;
    // "" when missing.
    [[nodiscard]] std::string text(std::string_view name) const;
    // A value the client sends as the GB18030 bytes of its text (account names, passwords,
    // codes), as UTF-8. ASCII is the same in both.
    [[nodiscard]] std::string legacyText(std::string_view name) const;
    // A value that must be there, a whole number within [low, high].
    [[nodiscard]] NumberValue number(std::string_view name, std::int64_t low, std::int64_t high) const;

private:
    httplib::Params m_form;  // a POST request's body
    const httplib::Params* m_values = nullptr;
};

// When one of `values` is missing or not acceptable, answers HTTP 400 with a refusal that
// says which ("缺少参数:page", or "参数错误") and returns true.
[[nodiscard]] bool refuseBadValues(Response& response, std::initializer_list<NumberValue> values);
// Answers HTTP 400 with {"state":0,"message":"参数错误"}.
void replyBadParameter(Response& response);

}  // namespace vamu::service
