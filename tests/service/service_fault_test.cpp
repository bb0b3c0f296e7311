// Fault injection, slow and stalled streams, bad requests, many clients at once and a
// clean stop, against a running vamu-service.

#include "service_client.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace vamu::test {
namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

TEST(ServiceFaults, EveryEndpointModeMisbehavesAsNamed) {
    TestService service;
    ASSERT_SERVICE_RUNNING(service);
    const auto url = service.apiUrl("/sound/hot?page=1");
    const auto normal = get(url).body;
    ASSERT_EQ(parsed(get(url))["state"], 1);

    setFaults(service, {"/sound/hot=html"});
    auto reply = get(url);
    EXPECT_EQ(reply.status, 502);
    EXPECT_TRUE(reply.body.starts_with("<!DOCTYPE html>"));

    setFaults(service, {"/sound/hot=broken-json"});
    reply = get(url);
    EXPECT_EQ(reply.status, 200);
    EXPECT_TRUE(json::parse(reply.body, nullptr, false).is_discarded());
    EXPECT_TRUE(normal.starts_with(reply.body));
    EXPECT_FALSE(reply.body.empty());

    setFaults(service, {"/sound/hot=empty"});
    reply = get(url);
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.outcome, net::HttpOutcome::Completed);
    EXPECT_TRUE(reply.body.empty());

    setFaults(service, {"/sound/hot=drop"});
    EXPECT_EQ(get(url).outcome, net::HttpOutcome::TransportFailed);

    setFaults(service, {"/sound/hot=oversized"});
    EXPECT_EQ(get(url).outcome, net::HttpOutcome::TooLarge);
    setFaults(service, {"/sound/hot=oversized:4000"});
    reply = get(url);
    EXPECT_EQ(reply.body.size(), 4000u);
    EXPECT_FALSE(json::parse(reply.body, nullptr, false).is_discarded());  // only its size is wrong

    setFaults(service, {"/sound/hot=delay:400"});
    auto start = Clock::now();
    reply = get(url);
    EXPECT_GE(secondsSince(start), 0.4);
    EXPECT_EQ(reply.body, normal);

    setFaults(service, {"/sound/hot=status:503"});
    EXPECT_EQ(get(url).status, 503);

    // A counted rule runs out; other endpoints were never touched.
    setFaults(service, {"/sound/hot=html*2"});
    EXPECT_EQ(get(url).status, 502);
    EXPECT_EQ(get(service.apiUrl("/channel/get?page=1")).status, 200);
    EXPECT_EQ(get(url).status, 502);
    EXPECT_EQ(get(url).body, normal);

    const auto bad = adminPost(service.apiUrl("/admin/faults"), "fault=" + formValue("/sound/hot=teapot"));
    EXPECT_EQ(bad.status, 400);
    EXPECT_NE(bad.body.find("teapot"), std::string::npos);
}

TEST(ServiceFaults, StateModesSendStateAsTextOrLeaveItOutAndKeepTheRest) {
    TestService service({.arguments = {"--fault", "/user/info=state-text*1"}});
    ASSERT_SERVICE_RUNNING(service);
    // A refusal from the start-up rule: "0" as text, its message intact.
    const auto refusal = parsed(get(service.apiUrl("/user/info")));
    EXPECT_EQ(refusal["state"], "0");
    EXPECT_EQ(refusal["message"], "请先登录");
    EXPECT_EQ(parsed(get(service.apiUrl("/user/info")))["state"], 0);  // the counted rule is spent

    const auto url = service.apiUrl("/channel/get?with_sound=0&order=hot&page=1");
    const auto normal = parsed(get(url));
    ASSERT_EQ(normal["state"], 1);
    setFaults(service, {"/channel/get=state-text"});
    const auto reply = get(url);
    EXPECT_EQ(reply.body.rfind("{\"state\":\"1\",", 0), 0u) << reply.body.substr(0, 40);  // still the first member
    auto text = parsed(reply);
    EXPECT_EQ(text["state"], "1");
    text["state"] = 1;
    EXPECT_EQ(text, normal);

    setFaults(service, {"/channel/get=state-missing"});
    auto missing = parsed(get(url));
    EXPECT_FALSE(missing.contains("state"));
    missing["state"] = 1;
    EXPECT_EQ(missing, normal);

    // Replies that are not JSON documents with a state pass unchanged.
    setFaults(service, {"*=state-missing"});
    EXPECT_EQ(post(service.companionUrl("/vamu.php"), "do=gx&bbh=2.36").body, "1");
    EXPECT_EQ(adminGet(service.apiUrl("/admin/faults")).body, "fault *=state-missing\n");
}

TEST(ServiceFaults, StartUpRulesAndCompanionKeysApply) {
    TestService service({.arguments = {"--fault", "/vamu.php?do=xt=empty", "--fault", "/info.php=html*1"}});
    ASSERT_SERVICE_RUNNING(service);
    const auto companion = [&](const std::string& body) { return post(service.companionUrl("/vamu.php"), body).body; };
    EXPECT_EQ(companion("do=xt&id=1"), "");
    EXPECT_EQ(companion("do=gx&bbh=2.36"), "1");
    // id + key - 6351 = 20005
    EXPECT_EQ(get(service.companionUrl("/info.php?id=1"), "key=26355").status, 502);
    EXPECT_EQ(parsed(get(service.companionUrl("/info.php?id=1"), "key=26355"))["state"], 1);
}

TEST(ServiceFaults, StreamsThrottleToTheirRateOrStall) {
    TestService service;
    ASSERT_SERVICE_RUNNING(service);
    const auto song = parsed(get(service.apiUrl("/sound/hot?page=1")))["result"]["data"][0];
    net::HttpRequestArgs args;
    args.url = song["source"];
    const auto size = net::httpRequest(args).body.size();  // also makes the file before timing starts
    ASSERT_GT(size, 30000u);

    const long rate = static_cast<long>(size / 2);  // two seconds for the whole song
    setFaults(service, {}, {"all=throttle:" + std::to_string(rate)});
    auto start = Clock::now();
    auto reply = net::httpRequest(args);
    EXPECT_EQ(reply.body.size(), size);
    EXPECT_GE(secondsSince(start), 1.5);
    EXPECT_LE(secondsSince(start), 10.0);

    setFaults(service, {}, {"all=stall:10000"});
    args.idleTimeout = std::chrono::seconds(1);
    start = Clock::now();
    reply = net::httpRequest(args);
    EXPECT_EQ(reply.outcome, net::HttpOutcome::TransportFailed);
    EXPECT_GE(secondsSince(start), 0.9);

    // A drop closes each response short, the resumed ones too: a client that resumes
    // with a Range request still gets the whole song, piece by piece.
    setFaults(service, {}, {"all=drop:10000"});
    args.idleTimeout = std::chrono::seconds(30);
    reply = net::httpRequest(args);
    EXPECT_EQ(reply.outcome, net::HttpOutcome::TransportFailed);
    net::HttpRequestArgs rest = args;
    rest.extraHeaders = "Range: bytes=10000-";
    reply = net::httpRequest(rest);
    EXPECT_EQ(reply.outcome, net::HttpOutcome::TransportFailed);
    EXPECT_EQ(reply.status, 206);
    rest.extraHeaders = "Range: bytes=" + std::to_string(size - 5000) + "-";
    reply = net::httpRequest(rest);
    EXPECT_EQ(reply.outcome, net::HttpOutcome::Completed);
    EXPECT_EQ(reply.body.size(), 5000u);

    // A rule for one song leaves the others at full speed.
    setFaults(service, {}, {std::to_string(song["id"].get<long long>()) + "=stall:0"});
    args.idleTimeout = std::chrono::seconds(30);  // the song is made on this first request
    args.url = parsed(get(service.apiUrl("/sound/hot?page=1")))["result"]["data"][1]["source"];
    EXPECT_EQ(net::httpRequest(args).outcome, net::HttpOutcome::Completed);
}

// Sends `bytes` on a new connection and answers the status line of the reply ("" when
// the connection closes without one).
// A loopback connection that has sent `bytes`; -1 when it cannot connect.
int rawConnection(int port, const std::string& bytes) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval timeout{5, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    (void)::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    return fd;
}

std::string rawStatusLine(int port, const std::string& bytes) {
    const int fd = rawConnection(port, bytes);
    std::string answer;
    if (fd >= 0) {
        char buffer[4096];
        for (ssize_t n; answer.find("\r\n") == std::string::npos && (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) {
            answer.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    return answer.substr(0, answer.find("\r\n"));
}

// An IPv4 address of this machine other than loopback; empty when it has none.
std::string outsideAddress() {
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) return {};
    std::string found;
    for (const ifaddrs* entry = list; entry && found.empty(); entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) continue;
        const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
        if ((ntohl(address->sin_addr.s_addr) >> 24) == 127) continue;
        char text[INET_ADDRSTRLEN] = {};
        if (::inet_ntop(AF_INET, &address->sin_addr, text, sizeof text)) found = text;
    }
    ::freeifaddrs(list);
    return found;
}

TEST(ServiceRobustness, AdministrationAnswersLoopbackClientsOnly) {
    const std::string outside = outsideAddress();
    if (outside.empty()) GTEST_SKIP() << "this machine has no address besides loopback";
    TestService service({.arguments = {"--bind", "0.0.0.0"}});
    ASSERT_SERVICE_RUNNING(service);
    const std::string port = std::to_string(service.apiPort());
    const std::string fromOutside = "http://" + outside + ":" + port;
    if (get(fromOutside + "/sound/hot?page=1").status != 200) {
        GTEST_SKIP() << "the machine's address " << outside << " does not reach its own service";
    }
    EXPECT_EQ(adminGet("http://127.0.0.1:" + port + "/admin/status").status, 200);
    // An outside client is refused even with the admin header and a loopback Host.
    EXPECT_EQ(adminGet(fromOutside + "/admin/status", "Host: 127.0.0.1:" + port).status, 403);
    EXPECT_EQ(
        adminPost(fromOutside + "/admin/faults", "fault=" + formValue("*=html"), "Host: 127.0.0.1:" + port).status,
        403);
    // The refused rule did not take.
    EXPECT_EQ(parsed(get(fromOutside + "/sound/hot?page=1"))["state"], 1);
}

// A page in a browser on this host is a loopback peer too: what it could send is refused.
TEST(ServiceRobustness, AdministrationRefusesWhatAWebPageCouldSend) {
    TestService service;
    ASSERT_SERVICE_RUNNING(service);
    const std::string port = std::to_string(service.apiPort());
    const auto faults = service.apiUrl("/admin/faults");
    const auto status = service.apiUrl("/admin/status");
    const std::string rule = "fault=" + formValue("*=html");

    EXPECT_EQ(post(faults, rule).status, 403) << "a plain form post, without the admin header";
    EXPECT_EQ(get(status).status, 403);
    for (const std::string& origin :
         std::vector<std::string>{"http://example.com", "null", "http://localhost.example.com:" + port,
                                  "http://127.0.0.1.example.com", "file://"}) {
        EXPECT_EQ(adminPost(faults, rule, "Origin: " + origin).status, 403) << origin;
    }
    for (const std::string& host : std::vector<std::string>{"example.com:" + port, "127.0.0.1.example.com",
                                                            "localhost.example.com", "[::2]:" + port}) {
        EXPECT_EQ(adminPost(faults, rule, "Host: " + host).status, 403) << host;
        EXPECT_EQ(adminGet(status, "Host: " + host).status, 403) << host;
    }
    EXPECT_EQ(adminGet(faults).body, "") << "no refused rule took";
    EXPECT_EQ(parsed(get(service.apiUrl("/sound/hot?page=1")))["state"], 1);

    // Loopback names, any port, any letter case, pass.
    for (const std::string& host :
         std::vector<std::string>{"127.0.0.1", "localhost:1", "LocalHost:" + port, "[::1]:" + port}) {
        EXPECT_EQ(adminGet(status, "Host: " + host).status, 200) << host;
    }
    EXPECT_EQ(adminGet(status, "Origin: http://localhost:3000").status, 200);
    EXPECT_EQ(adminPost(faults, "fault=" + formValue("/sound/hot=html*1"), "Origin: http://127.0.0.1:" + port).status,
              200);
    EXPECT_EQ(get(service.apiUrl("/sound/hot?page=1")).status, 502);
}

TEST(ServiceRobustness, BadRequestsGetClearErrorsAndTheServiceCarriesOn) {
    TestService service;
    ASSERT_SERVICE_RUNNING(service);
    EXPECT_EQ(get(service.apiUrl("/no/such/endpoint")).status, 404);
    EXPECT_EQ(get(service.apiUrl("/channel/info?limit=0&id=101&page=1")).status, 400);
    EXPECT_EQ(get(service.apiUrl("/channel/get?page=" + std::string(30, '9'))).status, 400);
    EXPECT_EQ(get(service.apiUrl("/sound/hot?page=1&x=" + std::string(20000, 'a'))).status, 414);
    EXPECT_EQ(post(service.apiUrl("/index/login"), std::string(2 << 20, 'a')).status, 413);
    // Invalid UTF-8 and odd escapes in values are taken as bytes, never crash the service.
    EXPECT_EQ(parsed(get(service.apiUrl("/sound/search?keyword=%FF%FE%ZZ&page=1"), loginDemo(service)))["state"], 1);
    EXPECT_EQ(parsed(post(service.apiUrl("/index/login"), "username=%FF&password=%C0"))["state"], 0);

    EXPECT_EQ(rawStatusLine(service.apiPort(), "\x01\x02 garbage\r\n\r\n"), "HTTP/1.1 400 Bad Request");
    EXPECT_EQ(rawStatusLine(service.companionPort(), "GET /vamu.php HTTP/1.1\r\nHost: x\r\n\r\n"),
              "HTTP/1.1 404 Not Found");
    EXPECT_EQ(parsed(get(service.apiUrl("/sound/hot?page=1")))["state"], 1);
}

TEST(ServiceRobustness, MissingValuesAreRefusedWithTheirNameNotTakenAsOne) {
    TestService service;
    ASSERT_SERVICE_RUNNING(service);
    const auto session = loginDemo(service);
    struct Case {
        bool post;
        std::string target;
        std::string body;
        std::string_view missing;
    };
    const Case cases[] = {
        {false, "/channel/get?with_sound=0&order=hot", "", "page"},
        {false, "/sound/hot", "", "page"},
        {false, "/channel/info?id=101&list_order=hot&page=1", "", "limit"},
        {false, "/channel/info?limit=20&list_order=hot&page=1", "", "id"},
        {false, "/channel/info?limit=20&id=101&list_order=hot", "", "page"},
        {false, "/bullet/get?limit=120", "", "sound_id"},
        {false, "/bullet/get?sound_id=20001", "", "limit"},
        {false, "/sound/search?keyword=%61", "", "page"},
        {false, "/user/sound?order=new&page=1", "", "user_id"},
        {false, "/user/sound?user_id=10001&order=new", "", "page"},
        {true, "/player/likes", "v=9&page=1", "limit"},
        {true, "/player/likes", "limit=20&v=9", "page"},
        {true, "/sound/like", "type=1&v=9", "sound_id"},
        {true, "/sound/like", "v=9&sound_id=20001", "type"},
    };
    for (const auto& c : cases) {
        const auto url = service.apiUrl(c.target);
        const auto reply = c.post ? post(url, c.body, session) : get(url, session);
        EXPECT_EQ(reply.status, 400) << c.target << " " << c.body;
        const auto document = parsed(reply);
        EXPECT_EQ(document["state"], 0) << c.target << " " << c.body;
        EXPECT_EQ(document["message"], "缺少参数:" + std::string(c.missing)) << c.target << " " << c.body;
    }
    // A value that is there but unusable is a different refusal.
    EXPECT_EQ(parsed(get(service.apiUrl("/sound/hot?page=x")))["message"], "参数错误");
    const auto noKeyword = parsed(get(service.apiUrl("/sound/search?page=1"), session));
    EXPECT_EQ(noKeyword["state"], 0);
    EXPECT_EQ(noKeyword["message"], "请输入搜索关键词");
}

struct RawReply {
    int status = 0;
    std::string head;
    std::string body;
};

// Sends `bytes` on one new connection and reads up to `count` replies (framed by their
// Content-Length), fewer when the service closes the connection first.
std::vector<RawReply> rawExchange(int port, const std::string& bytes, std::size_t count) {
    std::vector<RawReply> replies;
    const int fd = rawConnection(port, bytes);
    std::string received;
    char buffer[65536];
    while (fd >= 0 && replies.size() < count) {
        const auto headEnd = received.find("\r\n\r\n");
        if (headEnd != std::string::npos) {
            RawReply reply;
            reply.head = received.substr(0, headEnd + 4);
            reply.status = std::atoi(reply.head.c_str() + 9);
            std::size_t length = 0;
            if (const auto at = reply.head.find("Content-Length: "); at != std::string::npos) {
                length = std::strtoul(reply.head.c_str() + at + 16, nullptr, 10);
            }
            if (received.size() >= headEnd + 4 + length) {
                reply.body = received.substr(headEnd + 4, length);
                received.erase(0, headEnd + 4 + length);
                replies.push_back(std::move(reply));
                continue;
            }
        }
        const auto got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        received.append(buffer, static_cast<std::size_t>(got));
    }
    if (fd >= 0) ::close(fd);
    return replies;
}

TEST(ServiceRobustness, PipelinedRequestsAreAnsweredInOrderAndBadFramingIsRefusedAtOnce) {
    TestService service;
    ASSERT_SERVICE_RUNNING(service);
    const int port = service.apiPort();
    const std::string hot = "GET /sound/hot?page=2 HTTP/1.1\r\nHost: x\r\n\r\n";
    const std::string login = loginBody(kDemoPhone, "wrong");
    const std::string badLogin =
        "POST /index/login HTTP/1.1\r\nHost: x\r\nContent-Type: application/x-www-form-urlencoded\r\n"
        "Content-Length: " +
        std::to_string(login.size()) + "\r\n\r\n" + login;
    const std::string gone = "GET /no/such HTTP/1.1\r\nHost: x\r\n\r\n";

    // Three requests in one write, a body among them: three answers, in order.
    const auto replies = rawExchange(port, gone + badLogin + hot, 3);
    ASSERT_EQ(replies.size(), 3u);
    EXPECT_EQ(replies[0].status, 404);
    EXPECT_EQ(replies[1].status, 200);
    EXPECT_EQ(json::parse(replies[1].body, nullptr, false)["state"], 0) << replies[1].body;
    EXPECT_EQ(replies[2].status, 200);
    EXPECT_EQ(replies[2].body, get(service.apiUrl("/sound/hot?page=2")).body);

    // A GET that carries a body: the body is skipped, not taken for the next request.
    const auto withBody = rawExchange(
        port,
        "GET /no/such HTTP/1.1\r\nHost: x\r\nContent-Length: " + std::to_string(gone.size()) + "\r\n\r\n" + gone + hot,
        2);
    ASSERT_EQ(withBody.size(), 2u);
    EXPECT_EQ(withBody[1].status, 200);

    struct Case {
        std::string headers;
        int status;
    };
    const Case cases[] = {
        {"Content-Length: -1", 400},
        {"Content-Length: abc", 400},
        {"Content-Length: 3, 3", 400},
        {"Content-Length: 3\r\nContent-Length: 3", 400},
        {"Transfer-Encoding: chunked\r\nContent-Length: 3", 400},
        {"Transfer-Encoding: gzip", 400},
        {"Content-Length: 99999999999999999999999999", 413},
        {"Content-Length: 2097152", 413},
    };
    for (const auto& c : cases) {
        const auto start = Clock::now();
        const auto refused =
            rawExchange(port, "POST /index/login HTTP/1.1\r\nHost: x\r\n" + c.headers + "\r\n\r\nabc", 1);
        ASSERT_EQ(refused.size(), 1u) << c.headers;
        EXPECT_EQ(refused[0].status, c.status) << c.headers;
        EXPECT_LT(secondsSince(start), 2.0) << c.headers;
    }
    // A chunked body still reaches its handler.
    const auto chunked = rawExchange(
        port,
        "POST /index/login HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n"
        "Content-Type: application/x-www-form-urlencoded\r\n\r\n" +
            [&] {
                char size[16];
                std::snprintf(size, sizeof size, "%zx", login.size());
                return std::string(size) + "\r\n" + login + "\r\n0\r\n\r\n";
            }(),
        1);
    ASSERT_EQ(chunked.size(), 1u);
    EXPECT_EQ(json::parse(chunked[0].body, nullptr, false)["state"], 0) << chunked[0].body;
}

TEST(ServiceRobustness, ABurstOfConnectionsIsTakenAtOnce) {
    TestService service;
    ASSERT_SERVICE_RUNNING(service);
    std::vector<int> connections;
    const auto start = Clock::now();
    for (int i = 0; i < 200; ++i) connections.push_back(rawConnection(service.apiPort(), "G"));
    const double seconds = secondsSince(start);
    for (const int fd : connections) ::close(fd);
    EXPECT_EQ(std::count(connections.begin(), connections.end(), -1), 0);
    // A connection the listening queue has no room for waits a second for its retry.
    EXPECT_LT(seconds, 0.9);
}

// Clients that send their request heads a byte a second, more of them than the service has
// workers, from the same address as everyone else.
TEST(ServiceRobustness, SlowRequestHeadsNeitherHoldUpOthersNorStayOpenPastTheirDeadline) {
    TestService service;
    ASSERT_SERVICE_RUNNING(service);
    const auto url = service.apiUrl("/sound/hot?page=1");
    const std::string head = "GET /sound/hot?page=1 HTTP/1.1\r\nHost: 127.0.0.1\r\nUser-Agent: slow\r\n\r\n";
    constexpr int kSlow = 150;
    std::vector<int> slow;
    for (int i = 0; i < kSlow; ++i) {
        const int fd = rawConnection(service.apiPort(), head.substr(0, 1));
        ASSERT_GE(fd, 0);
        slow.push_back(fd);
    }
    const auto opened = Clock::now();
    std::atomic<bool> done{false};
    std::thread trickle([&] {
        for (std::size_t sent = 1; sent + 1 < head.size() && !done; ++sent) {
            for (int tenth = 0; tenth < 10 && !done; ++tenth)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            for (const int fd : slow) (void)::send(fd, &head[sent], 1, MSG_NOSIGNAL | MSG_DONTWAIT);
        }
    });
    // Still open: neither closed by the service nor reset.
    const auto stillOpen = [&] {
        int open = 0;
        char buffer[512];
        for (const int fd : slow) {
            ssize_t got = 0;
            while ((got = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT)) > 0) {}
            if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) ++open;
        }
        return open;
    };

    double slowest = 0;
    for (int round = 0; round < 6; ++round) {
        const auto start = Clock::now();
        EXPECT_EQ(get(url).status, 200) << round;
        slowest = std::max(slowest, secondsSince(start));
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    EXPECT_LT(slowest, 2.0) << "the slowest answer while " << kSlow << " heads trickle";
    EXPECT_LE(stillOpen(), 32) << "no more than 32 connections of one address wait for their heads";

    // Each head has 10 s to arrive, however steadily its bytes come.
    std::this_thread::sleep_until(opened + std::chrono::seconds(12));
    EXPECT_EQ(stillOpen(), 0);
    done = true;
    trickle.join();
    for (const int fd : slow) ::close(fd);
    EXPECT_EQ(get(url).status, 200);
}

// A chunked body sent a byte at a time keeps coming, but its request has its time
// like any other; meanwhile everyone else is answered.
TEST(ServiceRobustness, ATrickledChunkedBodyEndsAtTheRequestDeadline) {
    TestService service({.arguments = {"--request-time", "2", "--http-threads", "1"}});
    ASSERT_SERVICE_RUNNING(service);
    const int fd = rawConnection(service.apiPort(),
                                 "POST /index/login HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n"
                                 "Content-Type: application/x-www-form-urlencoded\r\n\r\n400\r\n");
    ASSERT_GE(fd, 0);
    const auto start = Clock::now();
    bool ended = false;
    while (!ended && secondsSince(start) < 8) {
        (void)::send(fd, "a", 1, MSG_NOSIGNAL | MSG_DONTWAIT);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        char buffer[512];
        ssize_t got = 0;
        while ((got = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT)) > 0) {}
        ended = got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK);
    }
    const double seconds = secondsSince(start);
    ::close(fd);
    EXPECT_TRUE(ended) << "still open after " << seconds << " s";
    EXPECT_LT(seconds, 4.0);
    EXPECT_EQ(get(service.apiUrl("/sound/hot?page=1")).status, 200);
}

TEST(ServiceRobustness, ManyClientsAtOnceAllGetTheirAnswers) {
    TestService service({.arguments = {"--rotate-session", "5"}});
    ASSERT_SERVICE_RUNNING(service);
    const auto cookies = loginDemo(service);
    const auto hot = parsed(get(service.apiUrl("/sound/hot?page=2")))["result"]["data"];
    constexpr int kClients = 16;
    constexpr int kRounds = 10;
    std::atomic<int> failures{0};
    std::vector<std::thread> clients;
    for (int client = 0; client < kClients; ++client) {
        clients.emplace_back([&, client] {
            std::string session = cookies;
            for (int round = 0; round < kRounds; ++round) {
                const auto page = std::to_string(1 + (client + round) % 50);
                const bool ok = parsed(get(service.apiUrl("/sound/hot?page=" + page)))["result"]["data"].size() == 20 &&
                                parsed(get(service.apiUrl("/channel/get?page=1")))["state"] == 1;
                const auto info = get(service.apiUrl("/user/info"), session);
                session = info.cookies.value_or(session);
                if (!ok || parsed(info)["state"] != 1) ++failures;
            }
            // Each client likes one song of its own; none may be lost.
            const auto id = std::to_string(hot[client]["id"].get<long long>());
            if (parsed(post(service.apiUrl("/sound/like"), "type=1&v=9&sound_id=" + id, session))["state"] != 1)
                ++failures;
        });
    }
    for (auto& c : clients) c.join();
    EXPECT_EQ(failures.load(), 0);
    std::set<long long> liked;
    for (int page = 1; page <= 4; ++page) {
        const auto reply =
            parsed(post(service.apiUrl("/player/likes"), "limit=20&v=9&page=" + std::to_string(page), cookies));
        for (const auto& song : reply["result"]["sounds"]) {
            liked.insert(song["id"].get<long long>());
        }
    }
    for (int client = 0; client < kClients; ++client)
        EXPECT_TRUE(liked.count(hot[client]["id"].get<long long>())) << client;
}

TEST(ServiceRobustness, ConcurrentStreamsOfOneNewSongGetTheSameBytes) {
    TestService service;
    ASSERT_SERVICE_RUNNING(service);
    // No song is made before it is asked for: every stream waits on the same first making.
    const std::string url = parsed(get(service.apiUrl("/sound/hot?page=1")))["result"]["data"][5]["source"];
    constexpr int kStreams = 8;
    std::vector<std::string> bodies(kStreams);
    std::vector<std::thread> streams;
    for (int i = 0; i < kStreams; ++i) {
        streams.emplace_back([&, i] {
            net::HttpRequestArgs args;
            args.url = url;
            bodies[static_cast<std::size_t>(i)] = net::httpRequest(args).body;
        });
    }
    for (auto& s : streams) s.join();
    ASSERT_GT(bodies[0].size(), 16000u);
    for (const auto& body : bodies) EXPECT_EQ(body, bodies[0]);
}

TEST(ServiceRobustness, StopsCleanlyOnSigtermEvenWithAStalledStreamOpen) {
    TestService service({.arguments = {"--stream", "all=stall:100"}});
    ASSERT_SERVICE_RUNNING(service);
    const std::string url = parsed(get(service.apiUrl("/sound/hot?page=1")))["result"]["data"][0]["source"];
    std::thread stalled([&] {
        net::HttpRequestArgs args;
        args.url = url;
        args.idleTimeout = std::chrono::seconds(30);
        (void)net::httpRequest(args);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const auto start = Clock::now();
    EXPECT_EQ(service.stop(), 0);
    EXPECT_LT(secondsSince(start), 8.0);
    stalled.join();
    EXPECT_TRUE(service.waitForLogLine("stopped", std::chrono::seconds(5)));
}

TEST(ServiceRobustness, StopsPromptlyWhileClientsHoldHalfSentOrIdleConnections) {
    TestService service;
    ASSERT_SERVICE_RUNNING(service);
    // Without ending them, the server would wait out its read time-out (30 s) for
    // the first and its keep-alive time for the others.
    const int halfSent = rawConnection(service.apiPort(), "GET /sound/hot?page=1 HTTP/1.1\r\nHost: x\r\n");
    const int idle = rawConnection(service.apiPort(), "");
    const int idleCompanion = rawConnection(service.companionPort(), "");
    ASSERT_GE(halfSent, 0);
    ASSERT_GE(idle, 0);
    ASSERT_GE(idleCompanion, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto start = Clock::now();
    EXPECT_EQ(service.stop(), 0);
    EXPECT_LT(secondsSince(start), 5.0);
    for (const int fd : {halfSent, idle, idleCompanion}) ::close(fd);
}

}  // namespace
}  // namespace vamu::test
