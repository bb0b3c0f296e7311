// Account endpoints of the music service: login, the login check, the SMS code and
// registration, likes.

#include "http_cookies.h"
#include "service_log.h"
#include "service_names.h"
#include "service_routes.h"

namespace vamu::service {
namespace {

constexpr int kMaxLikesLimit = 100;

Json accountJson(const Account& account, const ServiceContext& context) {
    Json user = userJson(account.userId, account.name, context.urls);
    if (!context.catalogue.user(account.userId)) user[member::kAvatar50] = context.urls.avatar(kDefaultAvatarId);
    // Shown masked, as services do: 138****8000.
    user[member::kPhone] =
        account.phone.size() == 11 ? account.phone.substr(0, 3) + "****" + account.phone.substr(7) : "";
    return user;
}

void login(ServiceContext& context, const Request& request, Response& response) {
    const RequestValues values(request);
    const auto phone = values.legacyText(param::kUsername);
    const auto password = values.legacyText(param::kPassword);
    if (phone.empty() || password.empty()) return replyJson(response, refused(text::kLoginMissing));
    const auto now = context.now();
    const auto result = context.accounts.login(phone, password, now);
    switch (result.outcome) {
    case LoginOutcome::UnknownAccount:
        return replyJson(response, refused(text::kUnknownAccount));
    case LoginOutcome::WrongPassword:
        return replyJson(response, refused(text::kWrongPassword));
    case LoginOutcome::Failed:
        return replyJson(response, refused(text::kBadParameter), 500);
    case LoginOutcome::LoggedIn:
        break;
    }
    setCookie(response, cookie::kSession, result.token, result.expires, now);
    setCookie(response, cookie::kUserId, std::to_string(result.account.userId), result.expires, now);
    // A registration in progress ends with the login.
    deleteCookie(response, cookie::kRegistration);
    replyJson(response, succeeded({{member::kUser, accountJson(result.account, context)}}, text::kLoginOk));
}

void userInfo(ServiceContext& context, const Request& request, Response& response) {
    const auto session = checkRequestSession(context, request, response);
    if (session.state != SessionState::Valid) return refuseSession(session, response);
    const auto account = context.accounts.account(session.userId);
    if (!account) return replyJson(response, refused(text::kNotLoggedIn));
    replyJson(response, succeeded({{member::kUser, accountJson(*account, context)}}));
}

void requestCode(ServiceContext& context, const Request& request, Response& response) {
    const auto phone = RequestValues(request).legacyText(param::kPhone);
    const auto now = context.now();
    const auto result = context.accounts.requestCode(phone, now);
    switch (result.outcome) {
    case CodeOutcome::BadPhone:
        return replyJson(response, refusedWithError(text::kBadPhone));
    case CodeOutcome::PhoneTaken:
        return replyJson(response, refusedWithError(text::kPhoneTaken));
    case CodeOutcome::TooSoon:
        return replyJson(response, refusedWithError(text::kCodeTooSoon));
    case CodeOutcome::Failed:
        return replyJson(response, refusedWithError(text::kBadParameter), 500);
    case CodeOutcome::Sent:
        break;
    }
    // There is no SMS: the log stands in for the phone.
    logLine("sms code " + result.code + " for " + phone);
    setCookie(response, cookie::kRegistration, result.token, result.expires, now);
    replyJson(response, succeeded({{member::kExpire, result.expires - now}}, text::kCodeSent));
}

std::string_view registrationRefusal(RegisterOutcome outcome) {
    switch (outcome) {
    case RegisterOutcome::NoCode:
        return text::kCodeMissing;
    case RegisterOutcome::WrongCode:
        return text::kCodeWrong;
    case RegisterOutcome::CodeExpired:
        return text::kCodeExpired;
    case RegisterOutcome::TooManyTries:
        return text::kCodeTooManyTries;
    case RegisterOutcome::PhoneTaken:
        return text::kPhoneTaken;
    case RegisterOutcome::PasswordMissing:
        return text::kPasswordMissing;
    case RegisterOutcome::PasswordTooLong:
        return text::kPasswordTooLong;
    case RegisterOutcome::Failed:
    case RegisterOutcome::Registered:
        break;
    }
    return text::kBadParameter;
}

void registerAccount(ServiceContext& context, const Request& request, Response& response) {
    const RequestValues values(request);
    RegistrationForm form{requestCookie(request, cookie::kRegistration).value_or(""), values.legacyText(param::kPhone),
                          values.legacyText(param::kCode), values.legacyText(param::kPassword)};
    const auto result = context.accounts.registerAccount(form, context.now());
    if (result.outcome != RegisterOutcome::Registered) {
        const int status = result.outcome == RegisterOutcome::Failed ? 500 : 200;
        return replyJson(response, refusedWithError(registrationRefusal(result.outcome)), status);
    }
    deleteCookie(response, cookie::kRegistration);
    replyJson(response, succeeded({{member::kUserId, result.userId}}, text::kRegistered));
}

void like(ServiceContext& context, const Request& request, Response& response) {
    const auto session = checkRequestSession(context, request, response);
    if (session.state != SessionState::Valid) return refuseSession(session, response);
    const RequestValues values(request);
    const auto type = values.number(param::kType, 0, 1);
    const auto songId = values.number(param::kSoundId, INT64_MIN, INT64_MAX);
    if (refuseBadValues(response, {type, songId})) return;
    const bool liked = *type.value == 1;
    if (!context.catalogue.song(*songId.value)) return replyJson(response, refused(text::kNoSuchSong));
    if (!context.accounts.setLiked(session.userId, *songId.value, liked, context.now())) {
        return replyJson(response, refused(text::kBadParameter), 500);
    }
    replyJson(response, succeeded({{member::kLiked, liked}, {member::kId, *songId.value}}, text::kDone));
}

void likes(ServiceContext& context, const Request& request, Response& response) {
    const auto session = checkRequestSession(context, request, response);
    if (session.state != SessionState::Valid) return refuseSession(session, response);
    const RequestValues values(request);
    const auto page = values.number(param::kPage, -1'000'000'000, 1'000'000'000);
    const auto limit = values.number(param::kLimit, 1, kMaxLikesLimit);
    if (refuseBadValues(response, {page, limit})) return;
    Json sounds = Json::array();
    for (const Id id :
         context.accounts.likes(session.userId, static_cast<int>(*page.value), static_cast<int>(*limit.value))) {
        if (const Song* song = context.catalogue.song(id))
            sounds.push_back(songJson(*song, context.catalogue, context.urls));
    }
    replyJson(response, succeeded({{member::kSounds, std::move(sounds)}, {member::kPage, *page.value}}));
}

}  // namespace

void refuseSession(const SessionCheck& session, Response& response) {
    replyJson(response, refused(session.state == SessionState::Expired ? text::kSessionExpired : text::kNotLoggedIn));
}

SessionCheck checkRequestSession(ServiceContext& context, const Request& request, Response& response) {
    const auto token = requestCookie(request, cookie::kSession);
    if (!token) return {};
    const auto now = context.now();
    auto session = context.accounts.checkSession(*token, now);
    if (session.newToken) setCookie(response, cookie::kSession, *session.newToken, session.expires, now);
    return session;
}

void addAccountRoutes(HttpServer& api, ServiceContext& context) {
    api.route(Method::Post, path::kIndexLogin, withContext(context, login));
    api.route(Method::Get, path::kUserInfo, withContext(context, userInfo));
    api.route(Method::Post, path::kIndexCode, withContext(context, requestCode));
    api.route(Method::Post, path::kIndexRegister, withContext(context, registerAccount));
    api.route(Method::Post, path::kSoundLike, withContext(context, like));
    api.route(Method::Post, path::kPlayerLikes, withContext(context, likes));
}

}  // namespace vamu::service
