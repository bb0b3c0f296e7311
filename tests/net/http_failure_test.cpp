// How the exchange ends when the other side misbehaves, when the caller cancels, and
// how it behaves under many threads and with the process-wide cookie store.

#include "net/http_request.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "net/http_test_args.h"
#include "support/raw_http_server.h"

namespace vamu::net {
namespace {

using namespace std::chrono_literals;
using test::argsFor;
using test::RawHttpServer;
using Clock = std::chrono::steady_clock;

RawHttpServer::Response silent() { return {RawHttpServer::Action::Silent, ""}; }

void expectNothingWritten(const HttpReply& result) {
    EXPECT_EQ(result.body, "");
    EXPECT_FALSE(result.cookies.has_value());
    EXPECT_FALSE(result.responseCookies.has_value());
    EXPECT_FALSE(result.responseHeaders.has_value());
}

TEST(HttpFailure, UnusableUrlsFailBeforeOpeningAndWriteNothing) {
    for (const char* url : {"", "http://", "http://host:99999/", "http://bad host/"}) {
        auto args = argsFor(url);
        args.cookies = " a=1 ; a=1";
        const HttpReply result = httpRequest(args);
        EXPECT_EQ(result.outcome, HttpOutcome::NotOpened) << url;
        expectNothingWritten(result);
    }
}

TEST(HttpFailure, ARefusedConnectionStillNormalisesTheSuppliedCookies) {
    test::RefusingPort port;
    auto args = argsFor("http://127.0.0.1:" + std::to_string(port.port()) + "/x");
    args.cookies =
        " a=1 ; a=1;b=deleted;\xE3\x80\x80"
        "c=3";

    const auto started = Clock::now();
    const HttpReply result = httpRequest(args);

    EXPECT_LT(Clock::now() - started, 10s);
    EXPECT_EQ(result.outcome, HttpOutcome::TransportFailed);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.body, "");
    EXPECT_EQ(result.responseCookies, "");
    EXPECT_EQ(result.responseHeaders, "");
    EXPECT_EQ(result.cookies, "a=1; c=3");
}

TEST(HttpFailure, ASilentServerRunsIntoTheIdleTimeOut) {
    RawHttpServer server([](const std::string&, std::size_t) { return silent(); });
    auto args = argsFor(server.url("/quiet"));
    args.idleTimeout = 1s;

    const auto started = Clock::now();
    const HttpReply result = httpRequest(args);
    const auto elapsed = Clock::now() - started;

    EXPECT_EQ(result.outcome, HttpOutcome::TransportFailed);
    EXPECT_GE(elapsed, 900ms);
    EXPECT_LT(elapsed, 10s);
    EXPECT_EQ(result.body, "");
    EXPECT_EQ(result.responseHeaders, "");
    EXPECT_FALSE(result.cookies.has_value());
}

// Bytes keep coming, so the no-data rule never fires: only the overall deadline ends the call.
TEST(HttpFailure, ATricklingServerRunsIntoTheOverallDeadline) {
    const std::string body(100'000, 'x');
    RawHttpServer server([&](const std::string&, std::size_t) {
        return RawHttpServer::Response{RawHttpServer::Action::Reply, RawHttpServer::response(200, "", body), 5ms};
    });
    auto args = argsFor(server.url("/trickle"));
    // The idle rule is given room so a machine busy enough to pause the trickle for a
    // second cannot end the exchange before the deadline does.
    args.idleTimeout = 2s;
    args.deadline = 3s;

    const auto started = Clock::now();
    const HttpReply result = httpRequest(args);
    const auto elapsed = Clock::now() - started;

    EXPECT_EQ(result.outcome, HttpOutcome::TransportFailed);
    EXPECT_GE(elapsed, 2900ms);  // longer than the idle time-out: the trickle kept it alive
    EXPECT_LT(elapsed, 10s);
    EXPECT_EQ(result.body, "");
    EXPECT_EQ(result.status, 200);
}

TEST(HttpFailure, TheProductionTimeOutsAreThoseOfASystemStack) {
    const HttpRequestArgs defaults;
    EXPECT_EQ(defaults.connectTimeout, 60s);
    EXPECT_EQ(defaults.idleTimeout, 30s);
    EXPECT_EQ(defaults.deadline, 60s);
    EXPECT_EQ(defaults.maxBodyBytes, 16u << 20);
}

TEST(HttpFailure, AStopRequestEndsAWaitingExchangePromptly) {
    RawHttpServer server([](const std::string&, std::size_t) { return silent(); });
    std::stop_source stop;
    auto args = argsFor(server.url("/wait"));
    args.idleTimeout = 60s;
    args.stop = stop.get_token();
    args.cookies = "k=v";

    auto pending = std::async(std::launch::async, [&args] { return httpRequest(args); });
    ASSERT_TRUE(server.waitForConnections(1, 10s));
    std::this_thread::sleep_for(100ms);  // let the request reach its wait for the reply
    const auto stoppedAt = Clock::now();
    stop.request_stop();
    ASSERT_EQ(pending.wait_for(10s), std::future_status::ready);
    const auto latency = Clock::now() - stoppedAt;
    const HttpReply result = pending.get();

    EXPECT_EQ(result.outcome, HttpOutcome::Cancelled);
    EXPECT_LT(latency, 500ms);
    EXPECT_EQ(result.body, "");
    EXPECT_EQ(result.responseCookies, "");
    EXPECT_EQ(result.cookies, "k=v");
}

TEST(HttpFailure, AStopRequestedBeforehandOpensNothing) {
    RawHttpServer server([](const std::string&, std::size_t) { return RawHttpServer::reply("ok"); });
    std::stop_source stop;
    stop.request_stop();
    auto args = argsFor(server.url("/never"));
    args.stop = stop.get_token();
    args.cookies = "k=v";
    const HttpReply result = httpRequest(args);
    EXPECT_EQ(result.outcome, HttpOutcome::Cancelled);
    expectNothingWritten(result);
    EXPECT_EQ(server.connectionCount(), 0u);
}

TEST(HttpFailure, RepliesBeyondTheCapFailAndRepliesAtTheCapPass) {
    RawHttpServer server([](const std::string& request, std::size_t) {
        return RawHttpServer::reply(std::string(request.starts_with("GET /big ") ? 300'000 : 1000, 'x'));
    });
    auto args = argsFor(server.url("/big"));
    args.maxBodyBytes = 100'000;
    const HttpReply tooLarge = httpRequest(args);
    EXPECT_EQ(tooLarge.outcome, HttpOutcome::TooLarge);
    EXPECT_EQ(tooLarge.body, "");

    args.url = server.url("/exact");
    args.maxBodyBytes = 1000;
    const HttpReply exact = httpRequest(args);
    EXPECT_EQ(exact.outcome, HttpOutcome::Completed);
    EXPECT_EQ(exact.body.size(), 1000u);
}

TEST(HttpFailure, AServerThatHangsUpEarlyYieldsNoBodyButItsHeaders) {
    RawHttpServer server([](const std::string& request, std::size_t) {
        if (request.starts_with("GET /mid ")) {
            return RawHttpServer::Response{RawHttpServer::Action::Close,
                                           "HTTP/1.1 200 OK\r\nSet-Cookie: s=1\r\nContent-Length: 100\r\n\r\npartial"};
        }
        return RawHttpServer::Response{RawHttpServer::Action::Close, ""};
    });
    auto args = argsFor(server.url("/mid"));
    args.cookies = "";
    const HttpReply midBody = httpRequest(args);
    EXPECT_EQ(midBody.outcome, HttpOutcome::TransportFailed);
    EXPECT_EQ(midBody.status, 200);
    EXPECT_EQ(midBody.body, "");
    EXPECT_EQ(midBody.responseHeaders, "HTTP/1.1 200 OK\r\nSet-Cookie: s=1\r\nContent-Length: 100\r\n\r\n");
    EXPECT_EQ(midBody.responseCookies, "");
    EXPECT_EQ(midBody.cookies, "");

    args.url = server.url("/none");
    const HttpReply nothing = httpRequest(args);
    EXPECT_EQ(nothing.outcome, HttpOutcome::TransportFailed);
    EXPECT_EQ(nothing.responseHeaders, "");
}

TEST(HttpCookieStore, CallsWithoutCookieTextShareOneStoreThatSuppliedTextBypasses) {
    // The store lives as long as the process: every run scopes its cookies to a fresh path.
    static std::atomic<int> runs{0};
    const std::string scope = "/store" + std::to_string(runs++);
    RawHttpServer server([scope](const std::string& request, std::size_t) {
        if (request.starts_with("GET " + scope + "/set ")) {
            return RawHttpServer::reply("set", "Set-Cookie: sid=abc; Path=" + scope + "\r\n");
        }
        if (request.starts_with("GET " + scope + "/private ")) {
            return RawHttpServer::reply("set", "Set-Cookie: private=1; Path=" + scope + "\r\n");
        }
        return RawHttpServer::reply("ok");
    });
    const auto call = [&](const std::string& path, std::optional<std::string> cookies) {
        auto args = argsFor(server.url(scope + path));
        args.cookies = std::move(cookies);
        return httpRequest(args);
    };

    EXPECT_EQ(call("/set", std::nullopt).outcome, HttpOutcome::Completed);
    // Cookies set in reply to a call with its own text stay out of the store.
    EXPECT_EQ(call("/private", std::string()).responseCookies, "private=1");
    EXPECT_EQ(call("/check", std::nullopt).outcome, HttpOutcome::Completed);
    EXPECT_EQ(call("/check", std::string()).outcome, HttpOutcome::Completed);
    EXPECT_EQ(call("/check", std::string("k=v")).outcome, HttpOutcome::Completed);

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 5u);
    EXPECT_EQ(requests[0].find("Cookie:"), std::string::npos);
    EXPECT_NE(requests[2].find("\r\nCookie: sid=abc\r\n"), std::string::npos) << requests[2];
    EXPECT_EQ(requests[2].find("private"), std::string::npos) << requests[2];
    EXPECT_EQ(requests[3].find("Cookie:"), std::string::npos) << requests[3];
    EXPECT_EQ(requests[4].find("sid=abc"), std::string::npos) << requests[4];
    EXPECT_NE(requests[4].find("\r\nCookie: k=v\r\n"), std::string::npos) << requests[4];
}

TEST(HttpConcurrency, ManyThreadsExchangeAtOnceAndEachGetsItsOwnReply) {
    RawHttpServer server([](const std::string& request, std::size_t) {
        const auto pathStart = request.find(' ') + 1;
        const std::string path = request.substr(pathStart, request.find(' ', pathStart) - pathStart);
        // Every reply sets a cookie; the calls without a text all write to the shared store.
        return RawHttpServer::reply(path,
                                    "Set-Cookie: " + path.substr(8, path.find('/', 8) - 8) + "=1; Path=/shared\r\n");
    });
    constexpr int kThreads = 8;
    constexpr int kCalls = 20;
    std::atomic<int> wrong{0};
    std::atomic<int> completed{0};
    std::vector<std::jthread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kCalls; ++i) {
                const std::string path = "/shared/t" + std::to_string(t) + "/" + std::to_string(i);
                auto args = argsFor(server.url(path));
                if (i % 2 == 0) {
                    args.cookies = "thread=" + std::to_string(t);
                }
                const HttpReply result = httpRequest(args);
                completed += result.outcome == HttpOutcome::Completed ? 1 : 0;
                const std::string expectedCookies = "t" + std::to_string(t) + "=1; thread=" + std::to_string(t);
                if (result.body != path || (args.cookies && result.cookies != expectedCookies)) {
                    ++wrong;
                }
            }
        });
    }
    threads.clear();
    EXPECT_EQ(completed.load(), kThreads * kCalls);
    EXPECT_EQ(wrong.load(), 0);
    // Late calls without a text carried cookies from the shared store.
    std::size_t withStoredCookies = 0;
    for (const auto& request : server.requests()) {
        withStoredCookies += request.find("\r\nCookie: t") != std::string::npos ? 1 : 0;
    }
    EXPECT_GT(withStoredCookies, 0u);
}

}  // namespace
}  // namespace vamu::net
