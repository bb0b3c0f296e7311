#include "net/service_call.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "core/settings.h"
#include "core/settings_fixture.h"
#include "core/text_encoding.h"
#include "fake_service.h"
#include "support/raw_http_server.h"

namespace vamu::net {
namespace {

struct Message {
    std::string title;
    std::string text;
    bool operator==(const Message&) const = default;
};

class ServiceCallTest : public core::SettingsTest {
protected:
    void SetUp() override {
        core::SettingsTest::SetUp();
        // No scheme, as a user might write it: "http://" is assumed.
        ASSERT_TRUE(core::writeSetting(core::setting::kServer, "127.0.0.1:" + std::to_string(m_service.port()) + "/",
                                       core::CreateFolder::Yes));
        m_context = serviceContextFromSettings(m_session);
    }

    // A refusal with its text is what a feature shows, under the endpoint's title.
    ServiceReply call(const ServiceEndpoint& endpoint, std::initializer_list<ParamValue> values) {
        ServiceReply reply = callService(m_context, endpoint, values);
        if (reply.outcome == ServiceOutcome::Refused && !endpoint.refusalPath.empty()) {
            m_messages.push_back({std::string(endpoint.refusalTitle), reply.refusalText});
        }
        return reply;
    }
    // Any endpoint with placeholder values.
    ServiceReply callWithPlaceholders(const ServiceEndpoint& endpoint) {
        const ParamValue v = ParamValue::text("1");
        switch (endpoint.valueCount) {
        case 0:
            return call(endpoint, {});
        case 1:
            return call(endpoint, {v});
        case 2:
            return call(endpoint, {v, v});
        default:
            return call(endpoint, {v, v, v});
        }
    }

    FakeService m_service;
    std::shared_ptr<ServiceSession> m_session = std::make_shared<ServiceSession>();
    ServiceContext m_context;
    std::vector<Message> m_messages;
};

TEST_F(ServiceCallTest, JudgesTheReplyEnvelope) {
    struct Case {
        std::string_view body;
        ServiceOutcome outcome;
    };
    const Case cases[] = {
        {"<html><body>502 Bad Gateway</body></html>", ServiceOutcome::Unparsable},
        {"", ServiceOutcome::Unparsable},
        {R"({"state":1,"result":{"data":[]}})", ServiceOutcome::Succeeded},
        {R"({"state":"1"})", ServiceOutcome::Succeeded},
        {R"({"state":2,"message":"ignored"})", ServiceOutcome::UnknownState},
        {R"({"result":{}})", ServiceOutcome::UnknownState},
        {R"({"state":0})", ServiceOutcome::Refused},  // /user/info shows nothing for a refusal
    };
    for (const Case& c : cases) {
        m_service.answer("/user/info", {.body = std::string(c.body)});
        const ServiceReply reply = call(endpoint::kUserInfo, {});
        EXPECT_EQ(reply.outcome, c.outcome) << c.body;
        EXPECT_EQ(reply.document.has_value(), c.outcome != ServiceOutcome::Unparsable) << c.body;
    }
    EXPECT_TRUE(m_messages.empty());

    m_service.answer("/sound/hot", {.body = R"({"state":1,"result":{"data":[]}})"});
    const ServiceReply empty = call(endpoint::kHotList, {ParamValue::number(3)});
    ASSERT_EQ(empty.outcome, ServiceOutcome::Succeeded);
    EXPECT_EQ(empty.document->countMembers("result.data"), 0);
    EXPECT_EQ(empty.document->typeOf("result.data"), JsonKind::Array);
    EXPECT_EQ(m_service.lastRequest().target, "/sound/hot?page=3");
}

// Most endpoints compare "state" as text; registration and the uploader's songs read it
// as an integer, the way C's atoi would.
TEST_F(ServiceCallTest, StateIsComparedAsTextOrReadAsAnIntegerPerEndpoint) {
    struct Case {
        std::string_view body;
        ServiceOutcome asText;
        ServiceOutcome asInteger;
    };
    constexpr auto S = ServiceOutcome::Succeeded;
    constexpr auto R = ServiceOutcome::Refused;
    constexpr auto U = ServiceOutcome::UnknownState;
    const Case cases[] = {
        {R"({"state":1})", S, S},    {R"({"state":"1"})", S, S},   {R"({"state":"01"})", U, S},
        {R"({"state":" 1"})", U, S}, {R"({"state":"1ok"})", U, S}, {R"({"state":"+1"})", U, S},
        {R"({"state":0})", R, R},    {R"({"state":"0"})", R, R},   {R"({"state":"-0"})", U, R},
        {R"({"state":"x"})", U, R},  {R"({"result":{}})", U, R},   {R"({"state":true})", U, R},
        {R"({"state":2})", U, U},    {R"({"state":"-1"})", U, U},  {R"({"state":"99999999999999999999999"})", U, U},
    };
    for (const Case& c : cases) {
        m_service.answer("/user/info", {.body = std::string(c.body)});
        m_service.answer("/user/sound", {.body = std::string(c.body)});
        EXPECT_EQ(call(endpoint::kUserInfo, {}).outcome, c.asText) << c.body;
        EXPECT_EQ(call(endpoint::kUploaderSongs, {ParamValue::number(7), ParamValue::number(1)}).outcome, c.asInteger)
            << c.body;
    }
    EXPECT_TRUE(m_messages.empty());  // neither endpoint shows a refusal

    // Registration reads it as an integer too, and shows its refusal text.
    m_service.answer("/index/register", {.body = R"({"state":"01"})"});
    const ParamValue v = ParamValue::text("1");
    EXPECT_EQ(call(endpoint::kRegister, {v, v, v}).outcome, ServiceOutcome::Succeeded);
    m_service.answer("/index/register", {.body = R"({"state":"0 ","error":{"message":"验证码错误"}})"});
    EXPECT_EQ(call(endpoint::kRegister, {v, v, v}).outcome, ServiceOutcome::Refused);
    EXPECT_EQ(m_messages, (std::vector<Message>{{"错误", "验证码错误"}}));
    for (const ServiceEndpoint* integerReading :
         {&endpoint::kCodeRequest, &endpoint::kRegister, &endpoint::kUploaderSongs}) {
        EXPECT_EQ(integerReading->state, StateReading::Integer) << integerReading->path;
    }
}

TEST_F(ServiceCallTest, RefusalsCarryTheirTextForTheEndpointsTitle) {
    m_service.answer("/index/login", {.body = R"({"state":0,"message":"密码错误"})"});
    EXPECT_EQ(call(endpoint::kLogin, {ParamValue::text("pw"), ParamValue::text("13800138000")}).outcome,
              ServiceOutcome::Refused);
    m_service.answer("/index/code", {.body = R"({"state":0,"error":{"message":"手机号已注册"}})"});
    const ServiceReply code = call(endpoint::kCodeRequest, {ParamValue::text("13800138000")});
    EXPECT_EQ(code.outcome, ServiceOutcome::Refused);
    EXPECT_EQ(code.refusalText, "手机号已注册");
    m_service.answer("/sound/search", {.body = R"({"state":2,"message":"not shown"})"});
    EXPECT_EQ(call(endpoint::kSearch, {ParamValue::keyword("x"), ParamValue::number(1)}).outcome,
              ServiceOutcome::UnknownState);
    EXPECT_EQ(m_messages, (std::vector<Message>{{"提示", "密码错误"}, {"错误", "手机号已注册"}}));
}

TEST_F(ServiceCallTest, FormValuesArriveIntact) {
    const std::string password = "p&w=1+2 %41;中";
    m_service.answer("/index/login", {.body = R"({"state":1})"});
    ASSERT_EQ(call(endpoint::kLogin, {ParamValue::text(password), ParamValue::text("user&name")}).outcome,
              ServiceOutcome::Succeeded);
    const FakeService::Request request = m_service.lastRequest();
    EXPECT_EQ(request.method, "POST");
    EXPECT_EQ(request.body,
              "act=login&password=p%26w%3D1%2B2%20%2541%3B%D6%D0&app=index&device_token=0&username=user%26name"
              "&v=9&device_type=ios");
    const auto value = [&](const char* name) {
        const auto found = request.params.find(name);
        return found == request.params.end() ? std::string("<missing>") : found->second;
    };
    EXPECT_EQ(value("password"), core::utf8ToGb18030(password));  // the bytes the service has always had
    EXPECT_EQ(value("username"), "user&name");
    EXPECT_EQ(value("act"), "login");
    EXPECT_EQ(request.params.size(), 7u);
}

TEST_F(ServiceCallTest, QueriesAndTheSearchKeyword) {
    ASSERT_EQ(call(endpoint::kChannelSongs, {ParamValue::number(7), ParamValue::number(2)}).outcome,
              ServiceOutcome::Succeeded);
    EXPECT_EQ(m_service.lastRequest().target, "/channel/info?limit=20&id=7&list_order=hot&page=2");
    EXPECT_EQ(m_service.lastRequest().method, "GET");
    ASSERT_EQ(call(endpoint::kSearch, {ParamValue::keyword("中ab"), ParamValue::number(1)}).outcome,
              ServiceOutcome::Succeeded);
    EXPECT_EQ(m_service.lastRequest().target, "/sound/search?keyword=%E4%B8%AD%61%62&page=1");
    ASSERT_EQ(call(endpoint::kSearch, {ParamValue::keyword(""), ParamValue::number(2)}).outcome,
              ServiceOutcome::Succeeded);
    EXPECT_EQ(m_service.lastRequest().target, "/sound/search?keyword=&page=2");
    ASSERT_EQ(call(endpoint::kUserInfo, {}).outcome, ServiceOutcome::Succeeded);
    EXPECT_EQ(m_service.lastRequest().target, "/user/info");
}

TEST_F(ServiceCallTest, RotatedCookiesReplaceTheHeldOnes) {
    m_session->setSessionCookies("sid=1; keep=2");
    m_service.answer("/user/info", {.setCookies = {"sid=2; Path=/; HttpOnly"}});
    ASSERT_EQ(call(endpoint::kUserInfo, {}).outcome, ServiceOutcome::Succeeded);
    EXPECT_EQ(m_service.lastRequest().cookie, "sid=1; keep=2");
    EXPECT_EQ(m_session->sessionCookies(), "sid=2; keep=2");
    ASSERT_EQ(call(endpoint::kLike, {ParamValue::number(5)}).outcome, ServiceOutcome::Succeeded);
    EXPECT_EQ(m_service.lastRequest().cookie, "sid=2; keep=2");

    // A login replaces the text with the reply's cookies, even with none.
    m_service.answer("/index/login", {.body = R"({"state":0,"message":"x"})", .setCookies = {"sid=new"}});
    (void)call(endpoint::kLogin, {ParamValue::text("a"), ParamValue::text("b")});
    EXPECT_EQ(m_session->sessionCookies(), "sid=new");
    m_service.answer("/index/login", {});
    (void)call(endpoint::kLogin, {ParamValue::text("a"), ParamValue::text("b")});
    EXPECT_EQ(m_session->sessionCookies(), "");

    m_service.answer("/index/code", {.setCookies = {"reg=abc"}});
    (void)call(endpoint::kCodeRequest, {ParamValue::text("13800138000")});
    EXPECT_EQ(m_session->registrationCookies(), "reg=abc");
    m_service.answer("/index/register", {.setCookies = {"reg=deleted", "done=1"}});
    (void)call(endpoint::kRegister, {ParamValue::text("1234"), ParamValue::text("138"), ParamValue::text("pw")});
    EXPECT_EQ(m_service.lastRequest().cookie, "reg=abc");
    EXPECT_EQ(m_session->registrationCookies(), "done=1");
}

TEST_F(ServiceCallTest, CookieTextsGoOnlyToTheirEndpoints) {
    for (const ServiceEndpoint* endpoint : endpoint::kAll) {
        m_session->setSessionCookies("sess=abc");
        m_session->setRegistrationCookies("reg=xyz");
        (void)callWithPlaceholders(*endpoint);
        const FakeService::Request request = m_service.lastRequest();
        ASSERT_EQ(request.path, endpoint->path);
        EXPECT_EQ(request.method, endpoint->method == ServiceMethod::Get ? "GET" : "POST") << endpoint->path;
        if (endpoint->cookies == CookieUse::SendSession) {
            EXPECT_EQ(request.cookie, "sess=abc") << endpoint->path;
        } else if (endpoint->cookies == CookieUse::SendRegistration) {
            EXPECT_EQ(request.cookie, "reg=xyz") << endpoint->path;
        } else {
            // The process-wide store may send cookies of its own, never the held texts.
            EXPECT_EQ(request.cookie.find("sess=abc"), std::string::npos) << endpoint->path;
            EXPECT_EQ(request.cookie.find("reg=xyz"), std::string::npos) << endpoint->path;
        }
    }
}

TEST_F(ServiceCallTest, TheServerIsReadOnceAndAnUnreachableOneIsSilent) {
    const test::RefusingPort refusing;
    ASSERT_TRUE(core::writeSetting(core::setting::kServer, "http://127.0.0.1:" + std::to_string(refusing.port())));
    // The context made at start keeps the address it read.
    EXPECT_EQ(call(endpoint::kUserInfo, {}).outcome, ServiceOutcome::Succeeded);

    m_context = serviceContextFromSettings(m_session);
    m_session->setSessionCookies("sid=1");
    const ServiceReply reply = call(endpoint::kSearch, {ParamValue::keyword("a"), ParamValue::number(1)});
    EXPECT_EQ(reply.outcome, ServiceOutcome::TransportFailed);
    EXPECT_FALSE(reply.document);
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(m_session->sessionCookies(), "sid=1");
}

TEST_F(ServiceCallTest, AContextWithoutASessionSendsAndKeepsNoCookieText) {
    m_session->setSessionCookies("sid=held");
    m_service.answer("/user/info", {.setCookies = {"sid=new"}});
    const ServiceContext bare{m_context.baseUrl, nullptr};
    EXPECT_EQ(callService(bare, endpoint::kUserInfo, {}).outcome, ServiceOutcome::Succeeded);
    EXPECT_EQ(m_service.lastRequest().cookie.find("sid=held"), std::string::npos);
    EXPECT_EQ(m_session->sessionCookies(), "sid=held");
}

TEST(ServiceBaseUrl, SchemeAddedAndFinalSlashesDropped) {
    EXPECT_EQ(serviceBaseUrl("127.0.0.1:8960/"), "http://127.0.0.1:8960");
    EXPECT_EQ(serviceBaseUrl("https://music.example// "), "https://music.example");
    EXPECT_EQ(serviceBaseUrl("http://10.0.0.2:80/api"), "http://10.0.0.2:80/api");
}

TEST(ServiceParameters, PiecesAndValuesInterleave) {
    EXPECT_EQ(serviceParameters(endpoint::kRegister,
                                {ParamValue::text("12"), ParamValue::text("138"), ParamValue::text("a b")}),
              "code=12&phone=138&password=a%20b&v=9&device_token=0&device_type=ios");
    EXPECT_EQ(serviceParameters(endpoint::kBulletComments, {ParamValue::number(-3)}), "sound_id=-3&limit=120");
    EXPECT_EQ(serviceParameters(endpoint::kUserInfo, {}), "");
    EXPECT_EQ(ParamValue::text("AZaz09-_.~").encoded(), "AZaz09-_.~");
    EXPECT_EQ(ParamValue::keyword("AZ~").encoded(), "%41%5A%7E");
}

}  // namespace
}  // namespace vamu::net
