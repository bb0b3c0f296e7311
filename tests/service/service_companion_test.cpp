// The companion server against a running vamu-service: the plain-text script and the
// song details with their id arithmetic.

#include "service_client.h"

namespace vamu::test {
namespace {

std::string script(const TestService& service, const std::string& body) {
    // The program addresses the companion without a scheme.
    net::HttpRequestArgs args;
    args.url = service.companionHost() + "/vamu.php";
    args.method = 1;
    args.body = body;
    const auto reply = net::httpRequest(args);
    EXPECT_EQ(reply.outcome, net::HttpOutcome::Completed);
    return reply.body;
}

std::vector<long long> values(const std::string& text) {
    std::vector<long long> numbers;
    std::size_t start = 0;
    for (std::size_t comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1) {
        numbers.push_back(std::stoll(text.substr(start, comma - start)));
    }
    numbers.push_back(std::stoll(text.substr(start)));
    return numbers;
}

TEST(ServiceCompanion, ScriptAnswersEachRequestInItsPlainTextForm) {
    TestService service({.arguments = {"--update", "2.40,http://example.invalid/vamu.zip,fixes"}});
    ASSERT_SERVICE_RUNNING(service);
    EXPECT_EQ(script(service, "do=gx&bbh=2.36"), "2.40,http://example.invalid/vamu.zip,fixes");
    EXPECT_EQ(script(service, "do=gx&bbh=2.40"), "1");

    const auto first = script(service, "do=new");
    const auto second = script(service, "do=new");
    EXPECT_FALSE(first.empty());
    EXPECT_TRUE(std::all_of(first.begin(), first.end(), [](char c) { return c >= '0' && c <= '9'; })) << first;
    EXPECT_NE(first, second);
    script(service, "do=dl&id=" + first);

    const auto stats = values(script(service, "do=xt&id=" + first));
    ASSERT_EQ(stats.size(), 6u);
    EXPECT_EQ(stats[0], 2);  // both clients were heard from just now
    EXPECT_EQ(stats[1], 3);  // two first starts and one start
    EXPECT_EQ(stats[2], 2);
    EXPECT_EQ(stats[3], 2);  // today's peak
    EXPECT_EQ(stats[5], 2);  // distinct clients today

    EXPECT_EQ(script(service, "do=zt&bbh=2.36"), "");
    ASSERT_EQ(adminPost(service.apiUrl("/admin/notice"), "kind=2&id=7&text=" + formValue("你好 hello")).status, 200);
    EXPECT_EQ(script(service, "do=zt&bbh=2.36"), "2!@#qnmlgb7!@#qnmlgb你好 hello");
    ASSERT_EQ(adminPost(service.apiUrl("/admin/update"), "version=").status, 200);
    EXPECT_EQ(script(service, "do=gx&bbh=2.36"), "1");

    net::HttpRequestArgs unknown;
    unknown.url = service.companionUrl("/vamu.php");
    unknown.method = 1;
    unknown.body = "do=nothing";
    EXPECT_EQ(net::httpRequest(unknown).status, 400);
}

TEST(ServiceCompanion, SongDetailsRecoverTheIdFromIdAndKey) {
    TestService service;
    ASSERT_SERVICE_RUNNING(service);
    const long long song = 20005;
    const auto details = [&](const std::string& id, const std::string& key) {
        net::HttpRequestArgs args;
        args.url = service.companionUrl("/info.php?id=" + id);
        args.cookies = key.empty() ? std::string() : "key=" + key;
        args.extraHeaders = "User-Agent: Mozilla/5.0 (compatible; MSIE 9.2; Windows NT 6.6)";
        return parsed(net::httpRequest(args));
    };
    // Whatever r the program draws, id + key - 6351 is the song.
    for (const long long r : {1LL, 7LL, 10000LL, song}) {
        const auto reply = details(std::to_string(song - r), std::to_string(r + 6351));
        ASSERT_EQ(reply["state"], 1) << r;
        EXPECT_EQ(reply["result"]["id"], song);
        for (const char* member : {"name", "source", "create_time", "info", "pic_100"})
            EXPECT_TRUE(reply["result"].contains(member)) << member;
        EXPECT_TRUE(reply["result"]["user"]["name"].is_string());
    }
    struct Refused {
        std::string id;
        std::string key;
    };
    const Refused refused[] = {
        {"1", "6351"},                                   // no song 1
        {std::to_string(song), ""},                      // no key
        {"abc", "6351"},                                 // not a number
        {"9223372036854775807", "9223372036854775807"},  // would overflow
    };
    for (const auto& r : refused) EXPECT_EQ(details(r.id, r.key)["state"], 0) << r.id << "/" << r.key;
}

}  // namespace
}  // namespace vamu::test
