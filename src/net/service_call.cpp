#include "net/service_call.h"

#include "net/percent_encoding.h"

#include <cassert>
#include <utility>

#include "core/settings.h"
#include "core/text_encoding.h"

namespace vamu::net {
namespace {

// The text read the way C's atoi reads it: leading white space, an optional sign, then
// decimal digits up to the first other character; 0 when there are none. Saturates
// instead of overflowing.
long long leadingInteger(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    constexpr long long kLimit = 1'000'000'000'000'000LL;
    long long value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = value >= kLimit / 10 ? kLimit : value * 10 + (text[at] - '0');
    }
    return negative ? -value : value;
}

ServiceOutcome judged(const JsonDocument& document, StateReading reading) {
    const std::string state = document.getText("state");
    if (reading == StateReading::Integer) {
        const long long value = leadingInteger(state);
        return value == 1   ? ServiceOutcome::Succeeded
               : value == 0 ? ServiceOutcome::Refused
                            : ServiceOutcome::UnknownState;
    }
    if (state == "1") {
        return ServiceOutcome::Succeeded;
    }
    if (state == "0") {
        return ServiceOutcome::Refused;
    }
    return ServiceOutcome::UnknownState;
}

HttpRequestArgs requestFor(const ServiceContext& context, const ServiceEndpoint& endpoint, std::string parameters,
                           std::stop_token stop) {
    HttpRequestArgs args;
    args.url = context.baseUrl + std::string(endpoint.path);
    if (endpoint.method == ServiceMethod::Get) {
        args.method = 0;
        if (!parameters.empty()) {
            args.url += '?' + parameters;
        }
    } else {
        args.method = 1;
        args.body = std::move(parameters);
    }
    const ServiceSession* session = context.session.get();
    if (session && endpoint.cookies == CookieUse::SendSession) {
        args.cookies = session->sessionCookies();
    } else if (session && endpoint.cookies == CookieUse::SendRegistration) {
        args.cookies = session->registrationCookies();
    }
    args.stop = std::move(stop);
    return args;
}

void updateCookies(const ServiceEndpoint& endpoint, const HttpReply& reply, ServiceSession& session) {
    if (!reply.responseCookies) {
        return;  // the exchange never opened: the held texts stay as they were
    }
    switch (endpoint.cookies) {
    case CookieUse::None:
        break;
    case CookieUse::SendSession:
        session.mergeSessionCookies(*reply.responseCookies);
        break;
    case CookieUse::ReplaceSession:
        session.setSessionCookies(*reply.responseCookies);
        break;
    case CookieUse::SendRegistration:
        session.mergeRegistrationCookies(*reply.responseCookies);
        break;
    case CookieUse::ReplaceRegistration:
        session.setRegistrationCookies(*reply.responseCookies);
        break;
    }
}

}  // namespace

std::string ServiceSession::sessionCookies() const {
    const std::lock_guard lock(m_mutex);
    return m_sessionCookies;
}

void ServiceSession::setSessionCookies(std::string cookies) {
    const std::lock_guard lock(m_mutex);
    m_sessionCookies = std::move(cookies);
}

std::string ServiceSession::registrationCookies() const {
    const std::lock_guard lock(m_mutex);
    return m_registrationCookies;
}

void ServiceSession::setRegistrationCookies(std::string cookies) {
    const std::lock_guard lock(m_mutex);
    m_registrationCookies = std::move(cookies);
}

void ServiceSession::mergeSessionCookies(std::string_view replyCookies) {
    const std::lock_guard lock(m_mutex);
    m_sessionCookies = mergeCookies(m_sessionCookies, std::string(replyCookies));
}

void ServiceSession::mergeRegistrationCookies(std::string_view replyCookies) {
    const std::lock_guard lock(m_mutex);
    m_registrationCookies = mergeCookies(m_registrationCookies, std::string(replyCookies));
}

ParamValue ParamValue::text(std::string_view text) {
    ParamValue value;
    value.m_encoded = percentEncoded(core::utf8ToGb18030(text), PercentKeep::Unreserved);
    return value;
}

ParamValue ParamValue::keyword(std::string_view text) {
    ParamValue value;
    value.m_encoded = percentEncoded(text, PercentKeep::Nothing);
    return value;
}

ParamValue ParamValue::number(long long number) {
    ParamValue value;
    value.m_encoded = std::to_string(number);
    return value;
}

std::string serviceParameters(const ServiceEndpoint& endpoint, std::initializer_list<ParamValue> values) {
    assert(values.size() == endpoint.valueCount);
    std::string text;
    const ParamValue* value = values.begin();
    for (std::size_t i = 0; i < endpoint.pieces.size(); ++i) {
        text += endpoint.pieces[i];
        if (i < endpoint.valueCount && value != values.end()) {
            text += value->encoded();
            ++value;
        }
    }
    return text;
}

std::string serviceBaseUrl(std::string_view server) {
    std::string base(server);
    while (!base.empty() && (base.back() == '/' || base.back() == ' ')) {
        base.pop_back();
    }
    if (base.find("://") == std::string::npos) {
        base.insert(0, "http://");
    }
    return base;
}

ServiceContext serviceContextFromSettings(std::shared_ptr<ServiceSession> session) {
    return ServiceContext{serviceBaseUrl(core::readSetting(core::setting::kServer)), std::move(session)};
}

ServiceReply callService(const ServiceContext& context, const ServiceEndpoint& endpoint,
                         std::initializer_list<ParamValue> values, std::stop_token stop) {
    const HttpReply reply =
        httpRequest(requestFor(context, endpoint, serviceParameters(endpoint, values), std::move(stop)));
    ServiceReply result;
    result.httpStatus = reply.status;
    if (reply.outcome == HttpOutcome::Cancelled) {
        // A superseded call changes nothing, not even the cookies: the call that replaced
        // it may already have stored newer ones.
        result.outcome = ServiceOutcome::Cancelled;
        return result;
    }
    if (context.session) {
        updateCookies(endpoint, reply, *context.session);
    }
    if (reply.outcome != HttpOutcome::Completed) {
        result.outcome = ServiceOutcome::TransportFailed;
        return result;
    }
    JsonDocument document;
    if (!document.load(core::replyBodyToText(reply.body))) {
        result.outcome = ServiceOutcome::Unparsable;
        return result;
    }
    result.outcome = judged(document, endpoint.state);
    if (result.outcome == ServiceOutcome::Refused && !endpoint.refusalPath.empty()) {
        result.refusalText = document.getText(endpoint.refusalPath);
    }
    result.document = std::move(document);
    return result;
}

}  // namespace vamu::net
