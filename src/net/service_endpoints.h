#pragma once
// Every endpoint of the music service with its fixed parameter text, written once. The
// names, paths and parameter orders are the service's own: keep them exactly.

#include <array>
#include <cstddef>
#include <string_view>

namespace vamu::net {

enum class ServiceMethod { Get, Post };

// Which cookie text of the ServiceSession a call carries, and what its reply does to it.
enum class CookieUse {
    None,                 // no text; the process-wide cookie store handles the call
    SendSession,          // sends the session text; the reply's cookies are merged into it
    ReplaceSession,       // sends none; the reply's cookies replace the session text
    SendRegistration,     // sends the registration text; the reply's cookies are merged into it
    ReplaceRegistration,  // sends none; the reply's cookies replace the registration text
};

// How a reply's "state" is judged. Text: exactly "1" succeeds and "0" refuses (a JSON
// number 1 reads as "1"). Integer: the text is read as a C integer would be (leading
// spaces, a sign, the digits up to the first other character; none at all reads 0), so
// "01" and "1.0" succeed and a missing "state" refuses.
enum class StateReading { Text, Integer };

struct ServiceEndpoint {
    ServiceMethod method = ServiceMethod::Get;
    std::string_view path;
    // The query (GET) or form body (POST) is pieces[0] value[0] pieces[1] value[1] ...;
    // the piece after the last value, when there is one, closes the text.
    std::array<std::string_view, 4> pieces{};
    std::size_t valueCount = 0;
    CookieUse cookies = CookieUse::None;
    // Member holding the text of a refusal ("state" 0) and the title it is shown under;
    // empty when the feature shows nothing for a refusal.
    std::string_view refusalPath;
    std::string_view refusalTitle;
    StateReading state = StateReading::Text;
};

inline constexpr std::string_view kTitleNotice = "提示";
inline constexpr std::string_view kTitleError = "错误";

namespace endpoint {

inline constexpr ServiceEndpoint kChannelList{
    .path = "/channel/get", .pieces = {"with_sound=0&order=hot&page="}, .valueCount = 1};
inline constexpr ServiceEndpoint kHotList{.path = "/sound/hot", .pieces = {"page="}, .valueCount = 1};
// Values: channel id, page.
inline constexpr ServiceEndpoint kChannelSongs{
    .path = "/channel/info", .pieces = {"limit=20&id=", "&list_order=hot&page="}, .valueCount = 2};
// Value: song id.
inline constexpr ServiceEndpoint kBulletComments{
    .path = "/bullet/get", .pieces = {"sound_id=", "&limit=120"}, .valueCount = 1};
// Values: keyword (ParamValue::keyword), page.
inline constexpr ServiceEndpoint kSearch{.path = "/sound/search",
                                         .pieces = {"keyword=", "&page="},
                                         .valueCount = 2,
                                         .cookies = CookieUse::SendSession,
                                         .refusalPath = "message",
                                         .refusalTitle = kTitleNotice};
// Values: uploader id, page.
inline constexpr ServiceEndpoint kUploaderSongs{.path = "/user/sound",
                                                .pieces = {"user_id=", "&order=new&page="},
                                                .valueCount = 2,
                                                .cookies = CookieUse::SendSession,
                                                .state = StateReading::Integer};
inline constexpr ServiceEndpoint kUserInfo{.path = "/user/info", .cookies = CookieUse::SendSession};
// Values: password, account.
inline constexpr ServiceEndpoint kLogin{
    .method = ServiceMethod::Post,
    .path = "/index/login",
    .pieces = {"act=login&password=", "&app=index&device_token=0&username=", "&v=9&device_type=ios"},
    .valueCount = 2,
    .cookies = CookieUse::ReplaceSession,
    .refusalPath = "message",
    .refusalTitle = kTitleNotice};
// Value: phone number.
inline constexpr ServiceEndpoint kCodeRequest{.method = ServiceMethod::Post,
                                              .path = "/index/code",
                                              .pieces = {"phone=", "&type=0&v=9"},
                                              .valueCount = 1,
                                              .cookies = CookieUse::ReplaceRegistration,
                                              .refusalPath = "error.message",
                                              .refusalTitle = kTitleError,
                                              .state = StateReading::Integer};
// Values: code, phone number, password.
inline constexpr ServiceEndpoint kRegister{
    .method = ServiceMethod::Post,
    .path = "/index/register",
    .pieces = {"code=", "&phone=", "&password=", "&v=9&device_token=0&device_type=ios"},
    .valueCount = 3,
    .cookies = CookieUse::SendRegistration,
    .refusalPath = "error.message",
    .refusalTitle = kTitleError,
    .state = StateReading::Integer};
// Value: song id.
inline constexpr ServiceEndpoint kLike{.method = ServiceMethod::Post,
                                       .path = "/sound/like",
                                       .pieces = {"type=1&v=9&sound_id="},
                                       .valueCount = 1,
                                       .cookies = CookieUse::SendSession};
inline constexpr ServiceEndpoint kUnlike{.method = ServiceMethod::Post,
                                         .path = "/sound/like",
                                         .pieces = {"type=0&v=9&sound_id="},
                                         .valueCount = 1,
                                         .cookies = CookieUse::SendSession};
// Value: page.
inline constexpr ServiceEndpoint kLikesPage{.method = ServiceMethod::Post,
                                            .path = "/player/likes",
                                            .pieces = {"limit=20&v=9&page="},
                                            .valueCount = 1,
                                            .cookies = CookieUse::SendSession};

inline constexpr const ServiceEndpoint* kAll[] = {
    &kChannelList, &kHotList,     &kChannelSongs, &kBulletComments, &kSearch, &kUploaderSongs, &kUserInfo,
    &kLogin,       &kCodeRequest, &kRegister,     &kLike,           &kUnlike, &kLikesPage,
};

}  // namespace endpoint
}  // namespace vamu::net
