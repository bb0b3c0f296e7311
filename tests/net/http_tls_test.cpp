// HTTPS: certificate and host verification, the no-downgrade rule for redirects, and
// tunnelling through a proxy. The server's certificate is made by the test itself.

#include "net/http_request.h"

#include <gtest/gtest.h>

#include <string>

#include "support/raw_http_server.h"
#include "support/tls_identity.h"

namespace vamu::net {
namespace {

using test::RawHttpServer;

class HttpsTest : public testing::Test {
protected:
    HttpRequestArgs argsFor(std::string url, bool trusted = true) const {
        HttpRequestArgs args;
        args.url = std::move(url);
        args.cookies = "";
        args.idleTimeout = std::chrono::seconds(5);
        if (trusted) {
            args.caFile = m_identity.certificateFile();
        }
        return args;
    }

    test::TlsIdentity m_identity;
};

TEST_F(HttpsTest, ATrustedServerGetsTheSameRequestAsOverPlainHttp) {
    RawHttpServer server(
        [](const std::string&, std::size_t) { return RawHttpServer::reply("secret", "Set-Cookie: s=1; Secure\r\n"); },
        m_identity.serverContext());
    const auto args = argsFor(server.url("/secure?x=1"));
    ASSERT_TRUE(args.url.starts_with("https://"));

    const HttpReply result = httpRequest(args);

    EXPECT_EQ(result.outcome, HttpOutcome::Completed);
    EXPECT_EQ(result.body, "secret");
    EXPECT_EQ(result.responseCookies, "s=1");
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0],
              "GET /secure?x=1 HTTP/1.1\r\n"
              "Host: " +
                  server.hostAndPort() +
                  "\r\n"
                  "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)\r\n"
                  "Accept: */*\r\n"
                  "Referer: " +
                  args.url +
                  "\r\n"
                  "Accept-Language: zh-cn\r\n"
                  "Content-Type: application/x-www-form-urlencoded\r\n\r\n");
}

TEST_F(HttpsTest, AnUntrustedCertificateOrAnotherHostNameFails) {
    RawHttpServer server([](const std::string&, std::size_t) { return RawHttpServer::reply("secret"); },
                         m_identity.serverContext());

    const HttpReply untrusted = httpRequest(argsFor(server.url("/"), false));
    EXPECT_EQ(untrusted.outcome, HttpOutcome::TransportFailed);
    EXPECT_EQ(untrusted.body, "");

    // The certificate names 127.0.0.1 only.
    const HttpReply otherName = httpRequest(argsFor("https://localhost:" + std::to_string(server.port()) + "/"));
    EXPECT_EQ(otherName.outcome, HttpOutcome::TransportFailed);
    EXPECT_EQ(otherName.body, "");
    EXPECT_TRUE(server.requests().empty());

    // The same name passes once the certificate carries it.
    test::TlsIdentity named("IP:127.0.0.1,DNS:localhost");
    RawHttpServer namedServer([](const std::string&, std::size_t) { return RawHttpServer::reply("named"); },
                              named.serverContext());
    auto args = argsFor("https://localhost:" + std::to_string(namedServer.port()) + "/");
    args.caFile = named.certificateFile();
    EXPECT_EQ(httpRequest(args).body, "named");
}

TEST_F(HttpsTest, ASecureRequestNeverContinuesOverPlainHttp) {
    RawHttpServer plain([](const std::string&, std::size_t) { return RawHttpServer::reply("leaked"); });
    const std::string plainUrl = plain.url("/landing");
    RawHttpServer secure([&](const std::string&,
                             std::size_t) { return RawHttpServer::reply("", "Location: " + plainUrl + "\r\n", 302); },
                         m_identity.serverContext());

    const HttpReply result = httpRequest(argsFor(secure.url("/start")));

    EXPECT_EQ(result.outcome, HttpOutcome::TransportFailed);
    EXPECT_EQ(result.body, "");
    EXPECT_EQ(secure.requests().size(), 1u);
    EXPECT_TRUE(plain.requests().empty());
}

TEST_F(HttpsTest, APlainRequestMayBeRedirectedToHttps) {
    RawHttpServer secure([](const std::string&, std::size_t) { return RawHttpServer::reply("upgraded"); },
                         m_identity.serverContext());
    const std::string secureUrl = secure.url("/landing");
    RawHttpServer plain([&](const std::string&, std::size_t) {
        return RawHttpServer::reply("", "Location: " + secureUrl + "\r\n", 302);
    });

    const HttpReply result = httpRequest(argsFor(plain.url("/start")));

    EXPECT_EQ(result.outcome, HttpOutcome::Completed);
    EXPECT_EQ(result.body, "upgraded");
}

TEST_F(HttpsTest, SecureRequestsTunnelThroughTheProxyAndCarryTheAgent) {
    RawHttpServer proxy([](const std::string&, std::size_t) {
        return RawHttpServer::Response{RawHttpServer::Action::Close,
                                       "HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\n\r\n"};
    });
    auto args = argsFor("https://music.example.invalid/index/login");
    args.proxy = proxy.hostAndPort();
    args.extraHeaders = "User-Agent: X/1.0";

    const HttpReply result = httpRequest(args);

    EXPECT_EQ(result.outcome, HttpOutcome::TransportFailed);
    ASSERT_EQ(proxy.requests().size(), 1u);
    EXPECT_TRUE(proxy.requests()[0].starts_with("CONNECT music.example.invalid:443 HTTP/1.1\r\n"))
        << proxy.requests()[0];
    EXPECT_NE(proxy.requests()[0].find("\r\nUser-Agent: X/1.0\r\n"), std::string::npos) << proxy.requests()[0];
}

}  // namespace
}  // namespace vamu::net
