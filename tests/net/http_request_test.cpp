// The exchange against a loopback server that records the exact request bytes.

#include "net/http_request.h"

#include <gtest/gtest.h>

#include <string>

#include "net/http_test_args.h"
#include "support/raw_http_server.h"

namespace vamu::net {
namespace {

using test::argsFor;
using test::RawHttpServer;

constexpr const char* kDefaultAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

RawHttpServer::Handler always(std::string_view body, std::string_view headerLines = "") {
    return [body = std::string(body), lines = std::string(headerLines)](const std::string&, std::size_t) {
        return RawHttpServer::reply(body, lines);
    };
}

// The head that every request of the program carries after its request line.
std::string standardHead(const RawHttpServer& server, const std::string& url, std::string_view agentLine = "") {
    return "Host: " + server.hostAndPort() + "\r\n" +
           (agentLine.empty() ? std::string("User-Agent: ") + kDefaultAgent : std::string(agentLine)) + "\r\n" +
           "Accept: */*\r\n"
           "Referer: " +
           url +
           "\r\n"
           "Accept-Language: zh-cn\r\n"
           "Content-Type: application/x-www-form-urlencoded\r\n";
}

TEST(HttpRequest, GetSendsExactlyTheCompletedHeaderBlock) {
    RawHttpServer server(always("{\"state\":1}", "X-Test: yes\r\n"));
    auto args = argsFor(server.url("/sound/hot?page=1"));
    args.cookies = "";

    const HttpReply result = httpRequest(args);

    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0], "GET /sound/hot?page=1 HTTP/1.1\r\n" + standardHead(server, args.url) + "\r\n");
    EXPECT_EQ(result.outcome, HttpOutcome::Completed);
    EXPECT_EQ(result.status, 200);
    EXPECT_EQ(result.body, "{\"state\":1}");
    EXPECT_EQ(result.responseHeaders, "HTTP/1.1 200 OK\r\nX-Test: yes\r\nContent-Length: 11\r\n\r\n");
    EXPECT_EQ(result.responseCookies, "");
    EXPECT_EQ(result.cookies, "");
}

TEST(HttpRequest, UrlWithoutSchemeIsPlainHttpAndTheRefererIsTheUrlAsGiven) {
    RawHttpServer server(always("ok"));
    auto args = argsFor(server.hostAndPort() + "/vamu.php");
    args.cookies = "";
    const HttpReply result = httpRequest(args);
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0], "GET /vamu.php HTTP/1.1\r\n" + standardHead(server, args.url) + "\r\n");
    EXPECT_EQ(result.body, "ok");
}

TEST(HttpRequest, PostSendsTheBodyAndTheCookieLineLast) {
    RawHttpServer server(always("ok"));
    auto args = argsFor(server.url("/index/code"));
    args.method = 1;
    args.body = "phone=13800000000&type=0&v=9";
    args.cookies = "a=1; b=2";

    const HttpReply result = httpRequest(args);

    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0], "POST /index/code HTTP/1.1\r\n" + standardHead(server, args.url) +
                                        "Cookie: a=1; b=2\r\n"
                                        "Content-Length: 28\r\n\r\n"
                                        "phone=13800000000&type=0&v=9");
    EXPECT_EQ(result.cookies, "a=1; b=2");
}

TEST(HttpRequest, PostBodyBytesWinOverBodyAndAnEmptyBodyIsSentAsSuch) {
    RawHttpServer server(always("ok"));
    auto args = argsFor(server.url("/p"));
    args.method = 1;
    args.cookies = "";
    args.body = "text";
    args.bodyBytes = std::string("b\0\xFF", 3);
    ASSERT_EQ(httpRequest(args).outcome, HttpOutcome::Completed);
    const std::string sentBytes = args.bodyBytes;

    args.body.clear();
    args.bodyBytes.clear();
    ASSERT_EQ(httpRequest(args).outcome, HttpOutcome::Completed);

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_TRUE(requests[0].ends_with("Content-Length: 3\r\n\r\n" + sentBytes)) << requests[0];
    EXPECT_TRUE(requests[1].ends_with("Content-Type: application/x-www-form-urlencoded\r\nContent-Length: 0\r\n\r\n"))
        << requests[1];
}

TEST(HttpRequest, HeadSendsItsBodyAndReadsNoReplyBody) {
    // The reply announces a body that a HEAD response never carries; waiting for it
    // would run into the idle time-out.
    RawHttpServer server([](const std::string&, std::size_t) {
        return RawHttpServer::Response{RawHttpServer::Action::Reply, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n"};
    });
    auto args = argsFor(server.url("/h"));
    args.method = 2;
    args.cookies = "";
    args.body = "abc";
    const auto started = std::chrono::steady_clock::now();
    const HttpReply withBody = httpRequest(args);
    args.body.clear();
    const HttpReply withoutBody = httpRequest(args);

    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(4));
    EXPECT_EQ(withBody.outcome, HttpOutcome::Completed);
    EXPECT_EQ(withBody.body, "");
    EXPECT_EQ(withoutBody.outcome, HttpOutcome::Completed);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0], "HEAD /h HTTP/1.1\r\n" + standardHead(server, args.url) + "Content-Length: 3\r\n\r\nabc");
    EXPECT_EQ(requests[1], "HEAD /h HTTP/1.1\r\n" + standardHead(server, args.url) + "\r\n");
}

TEST(HttpRequest, MethodsOutsideTheRangeAreGetAndGetSendsNoBody) {
    RawHttpServer server(always("ok"));
    for (const int method : {5, -1, 3}) {
        auto args = argsFor(server.url("/m"));
        args.method = method;
        args.cookies = "";
        args.body = "ignored";
        EXPECT_EQ(httpRequest(args).outcome, HttpOutcome::Completed);
    }
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    for (const auto& request : requests) {
        EXPECT_EQ(request, "GET /m HTTP/1.1\r\n" + standardHead(server, server.url("/m")) + "\r\n");
    }
}

TEST(HttpRequest, AnAgentLineOfTheCallerIsTheOnlyUserAgentLine) {
    RawHttpServer server(always("ok"));
    auto args = argsFor(server.url("/u"));
    args.cookies = "";
    args.extraHeaders = "User-Agent: X/1.0";
    ASSERT_EQ(httpRequest(args).outcome, HttpOutcome::Completed);

    args.extraHeaders = "X-First: 1\r\nuser-agent: lower/2";
    ASSERT_EQ(httpRequest(args).outcome, HttpOutcome::Completed);

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0], "GET /u HTTP/1.1\r\nHost: " + server.hostAndPort() +
                               "\r\n"
                               "User-Agent: X/1.0\r\n"
                               "Accept: */*\r\n"
                               "Referer: " +
                               args.url +
                               "\r\n"
                               "Accept-Language: zh-cn\r\n"
                               "Content-Type: application/x-www-form-urlencoded\r\n\r\n");
    EXPECT_EQ(requests[1], "GET /u HTTP/1.1\r\nHost: " + server.hostAndPort() +
                               "\r\n"
                               "X-First: 1\r\n"
                               "user-agent: lower/2\r\n"
                               "Accept: */*\r\n"
                               "Referer: " +
                               args.url +
                               "\r\n"
                               "Accept-Language: zh-cn\r\n"
                               "Content-Type: application/x-www-form-urlencoded\r\n\r\n");
}

TEST(HttpRequest, CookieLineOnlyWhenTheTextIsNonEmpty) {
    RawHttpServer server(always("ok"));
    auto args = argsFor(server.url("/c"));
    args.cookies = "";
    ASSERT_EQ(httpRequest(args).outcome, HttpOutcome::Completed);
    args.cookies = "sid=1";
    ASSERT_EQ(httpRequest(args).outcome, HttpOutcome::Completed);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].find("Cookie:"), std::string::npos);
    EXPECT_TRUE(requests[1].ends_with("Content-Type: application/x-www-form-urlencoded\r\nCookie: sid=1\r\n\r\n"));
}

TEST(HttpRequest, SetCookieLinesInAnyFormAreCollectedAndMergedIntoTheSuppliedText) {
    RawHttpServer server(always("ok",
                                "Set-Cookie: a=1; path=/\r\n"
                                "set-cookie: b=2\r\n"
                                "SET-COOKIE:c=3;HttpOnly\r\n"
                                "Set-Cookie: z=deleted; expires=Thu, 01 Jan 1970 00:00:00 GMT\r\n"
                                "X-Set-Cookie-Note: n=1\r\n"));
    auto args = argsFor(server.url("/login"));
    args.cookies = " b=old; y=9;z=8 ";

    const HttpReply result = httpRequest(args);

    EXPECT_EQ(result.responseCookies, "a=1; b=2; c=3; z=deleted");
    EXPECT_EQ(result.cookies, "a=1; b=2; c=3; y=9");
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_NE(server.requests()[0].find("\r\nCookie:  b=old; y=9;z=8 \r\n"), std::string::npos);
}

TEST(HttpRequest, CookiesOfAHeaderBlockFarBeyondFiveThousandBytesAreCollected) {
    std::string lines;
    for (int i = 0; i < 80; ++i) {
        lines += "X-Filler-" + std::to_string(i) + ": " + std::string(100, 'f') + "\r\n";
    }
    lines += "Set-Cookie: late=1; path=/\r\n";
    RawHttpServer server(always("ok", lines));
    auto args = argsFor(server.url("/big"));
    args.cookies = "";

    const HttpReply result = httpRequest(args);

    ASSERT_TRUE(result.responseHeaders.has_value());
    EXPECT_GT(result.responseHeaders->size(), 8000u);
    EXPECT_EQ(result.responseCookies, "late=1");
    EXPECT_EQ(result.cookies, "late=1");
}

TEST(HttpRequest, RedirectsAreFollowedUnlessTheCallerSaysNo) {
    RawHttpServer server([](const std::string& request, std::size_t) {
        if (request.starts_with("POST /start ") || request.starts_with("GET /start ")) {
            return RawHttpServer::reply("moved", "Location: /end\r\nSet-Cookie: hop=1\r\n", 302);
        }
        return RawHttpServer::reply("final", "Set-Cookie: end=2\r\n");
    });
    auto args = argsFor(server.url("/start"));
    args.method = 1;
    args.body = "a=1";
    args.cookies = "";

    const HttpReply followed = httpRequest(args);
    EXPECT_EQ(followed.outcome, HttpOutcome::Completed);
    EXPECT_EQ(followed.status, 200);
    EXPECT_EQ(followed.body, "final");
    EXPECT_TRUE(followed.responseHeaders->starts_with("HTTP/1.1 200 OK\r\n")) << *followed.responseHeaders;
    EXPECT_EQ(followed.responseCookies, "end=2");
    // A POST answered by 302 continues as a GET without a body.
    auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_TRUE(requests[0].starts_with("POST /start HTTP/1.1\r\n"));
    EXPECT_TRUE(requests[1].starts_with("GET /end HTTP/1.1\r\n")) << requests[1];
    EXPECT_EQ(requests[1].find("Content-Length"), std::string::npos);

    args.noRedirect = true;
    args.method = 0;
    const HttpReply unfollowed = httpRequest(args);
    EXPECT_EQ(unfollowed.outcome, HttpOutcome::Completed);
    EXPECT_EQ(unfollowed.status, 302);
    EXPECT_EQ(unfollowed.body, "moved");
    EXPECT_EQ(unfollowed.responseCookies, "hop=1");
    EXPECT_EQ(server.requests().size(), 3u);
}

TEST(HttpRequest, ErrorStatusesStillReturnTheirBody) {
    RawHttpServer server(
        [](const std::string&, std::size_t) { return RawHttpServer::reply("<html>gone</html>", "", 404); });
    const HttpReply result = httpRequest(argsFor(server.url("/missing")));
    EXPECT_EQ(result.outcome, HttpOutcome::Completed);
    EXPECT_EQ(result.status, 404);
    EXPECT_EQ(result.body, "<html>gone</html>");
}

TEST(HttpRequest, ChunkedBodiesAreJoinedAndTrailersStayOutOfTheHeaderBlock) {
    RawHttpServer server([](const std::string&, std::size_t) {
        return RawHttpServer::Response{RawHttpServer::Action::Reply,
                                       "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nTrailer: X-T\r\n\r\n"
                                       "5\r\nhello\r\n6\r\n world\r\n0\r\nX-T: 1\r\n\r\n"};
    });
    const HttpReply result = httpRequest(argsFor(server.url("/chunked")));
    EXPECT_EQ(result.outcome, HttpOutcome::Completed);
    EXPECT_EQ(result.body, "hello world");
    EXPECT_EQ(result.responseHeaders, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nTrailer: X-T\r\n\r\n");
}

TEST(HttpRequest, PlainRequestsThroughAProxyUseTheAbsoluteForm) {
    RawHttpServer proxy(always("via proxy"));
    auto args = argsFor("http://music.example.invalid:8960/sound/hot?page=2");
    args.cookies = "";
    args.proxy = proxy.hostAndPort();
    const HttpReply result = httpRequest(args);
    EXPECT_EQ(result.body, "via proxy");
    ASSERT_EQ(proxy.requests().size(), 1u);
    EXPECT_TRUE(
        proxy.requests()[0].starts_with("GET http://music.example.invalid:8960/sound/hot?page=2 HTTP/1.1\r\n"
                                        "Host: music.example.invalid:8960\r\n"))
        << proxy.requests()[0];
}

TEST(HttpRequest, PathBytesThatCannotTravelRawArriveEncoded) {
    RawHttpServer server(always("ok"));
    auto args = argsFor(server.url("/sound/search?keyword=a b&x=\xE6\xAD\x8C#frag"));
    args.cookies = "";
    ASSERT_EQ(httpRequest(args).outcome, HttpOutcome::Completed);
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_TRUE(server.requests()[0].starts_with("GET /sound/search?keyword=a%20b&x=%E6%AD%8C%23frag HTTP/1.1\r\n"))
        << server.requests()[0];
}

}  // namespace
}  // namespace vamu::net
