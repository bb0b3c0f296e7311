#include <chrono>
#include <memory>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "core/settings.h"
#include "core/settings_fixture.h"
#include "fake_service.h"
#include "net/service_call.h"

namespace vamu::net {
namespace {

class ServiceCallThreadsTest : public core::SettingsTest {
protected:
    void SetUp() override {
        core::SettingsTest::SetUp();
        ASSERT_TRUE(core::writeSetting(core::setting::kServer, "http://127.0.0.1:" + std::to_string(m_service.port()),
                                       core::CreateFolder::Yes));
    }

    FakeService m_service;
    std::shared_ptr<ServiceSession> m_session = std::make_shared<ServiceSession>();
};

TEST_F(ServiceCallThreadsTest, StopRequestEndsAWaitingCallAndChangesNothing) {
    m_session->setSessionCookies("sid=keep");
    m_service.answer("/index/login", {.setCookies = {"sid=late"}, .silent = true});
    std::stop_source stop;
    std::jthread stopper([&stop] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        stop.request_stop();
    });
    const auto start = std::chrono::steady_clock::now();
    const ServiceContext context = serviceContextFromSettings(m_session);
    const ServiceReply reply =
        callService(context, endpoint::kLogin, {ParamValue::text("pw"), ParamValue::text("user")}, stop.get_token());
    EXPECT_EQ(reply.outcome, ServiceOutcome::Cancelled);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(m_session->sessionCookies(), "sid=keep");  // a superseded login leaves the session alone
    EXPECT_TRUE(reply.refusalText.empty());
}

TEST_F(ServiceCallThreadsTest, ConcurrentCallsShareTheSessionSafely) {
    m_session->setSessionCookies("keep=1; n=0");
    m_service.answer("/user/info", {.setCookies = {"n=9"}});
    const ServiceContext context = serviceContextFromSettings(m_session);  // one for every thread
    std::vector<std::jthread> workers;
    for (int i = 0; i < 4; ++i) {
        workers.emplace_back([this, &context] {
            for (int k = 0; k < 10; ++k) {
                EXPECT_EQ(callService(context, endpoint::kUserInfo, {}).outcome, ServiceOutcome::Succeeded);
                m_session->setLoggedIn(!m_session->loggedIn());
            }
        });
    }
    workers.emplace_back([this] {
        for (int k = 0; k < 200; ++k) {
            const std::string text = m_session->sessionCookies();
            EXPECT_NE(text.find("keep=1"), std::string::npos) << text;
        }
    });
    workers.clear();
    EXPECT_EQ(m_session->sessionCookies(), "n=9; keep=1");
    for (const FakeService::Request& request : m_service.requests()) {
        EXPECT_NE(request.cookie.find("keep=1"), std::string::npos) << request.cookie;
    }
}

}  // namespace
}  // namespace vamu::net
