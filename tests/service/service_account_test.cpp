// Accounts against a running vamu-service: login and its cookies, the login check,
// session rotation and expiry, registration with the code from the log, likes.

#include "service_client.h"

#include <thread>

namespace vamu::test {
namespace {

std::vector<std::string> setCookieLines(const net::HttpReply& reply) {
    std::vector<std::string> lines;
    const auto& headers = reply.responseHeaders.value_or("");
    for (std::size_t at = headers.find("Set-Cookie: "); at != std::string::npos;
         at = headers.find("Set-Cookie: ", at + 1)) {
        lines.push_back(headers.substr(at + 12, headers.find("\r\n", at) - at - 12));
    }
    return lines;
}

TEST(ServiceAccounts, LoginRefusalsCarryChineseMessagesAndNoSession) {
    TestService service;
    ASSERT_SERVICE_RUNNING(service);
    struct Case {
        std::string_view phone;
        std::string_view password;
        std::string_view message;
    };
    const Case cases[] = {
        {kDemoPhone, "wrong", "密码错误"},
        {"13811112222", kDemoPassword, "该账号不存在"},
        {kDemoPhone, "", "请输入账号和密码"},
        {"", "", "请输入账号和密码"},
    };
    for (const auto& c : cases) {
        const auto reply = post(service.apiUrl("/index/login"), loginBody(c.phone, c.password));
        const auto document = parsed(reply);
        EXPECT_EQ(document["state"], 0) << c.phone << "/" << c.password;
        EXPECT_EQ(document["message"].get<std::string>(), c.message);
        EXPECT_EQ(reply.responseCookies, "");
    }
}

TEST(ServiceAccounts, LoginSetsASessionCookieWithPathAndExpiryThatTheLoginCheckAccepts) {
    TestService service;
    ASSERT_SERVICE_RUNNING(service);
    const auto login = post(service.apiUrl("/index/login"), loginBody(kDemoPhone, kDemoPassword));
    const auto document = parsed(login);
    ASSERT_EQ(document["state"], 1);
    EXPECT_EQ(document["result"]["user"]["name"], "vamu演示");

    const auto lines = setCookieLines(login);
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(lines[0].starts_with("vamu_session="));
    EXPECT_NE(lines[0].find("; Path=/"), std::string::npos);
    EXPECT_NE(lines[0].find("; Expires="), std::string::npos);
    // The registration cookie is deleted the way servers do it, and the merge drops it.
    EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                           [](const std::string& l) { return l.starts_with("vamu_reg=deleted;"); }),
              lines.end());
    ASSERT_TRUE(login.cookies);
    EXPECT_EQ(login.cookies->find("vamu_reg"), std::string::npos);

    const auto info = parsed(get(service.apiUrl("/user/info"), login.cookies));
    EXPECT_EQ(info["state"], 1);
    EXPECT_EQ(info["result"]["user"]["name"], "vamu演示");
    for (const std::string cookies : {"", "vamu_session=forged"}) {
        const auto refused = parsed(get(service.apiUrl("/user/info"), cookies));
        EXPECT_EQ(refused["state"], 0) << cookies;
        EXPECT_EQ(refused["message"], "请先登录");
    }
}

TEST(ServiceAccounts, RotatedSessionValuesReplaceTheOldOneAndOldValuesStillWorkForAWhile) {
    TestService service({.arguments = {"--rotate-session", "3"}});
    ASSERT_SERVICE_RUNNING(service);
    const auto original = loginDemo(service);
    ASSERT_FALSE(original.empty());
    std::string cookies = original;
    int rotations = 0;
    for (int i = 0; i < 7; ++i) {
        const auto reply = get(service.apiUrl("/user/info"), cookies);
        ASSERT_EQ(parsed(reply)["state"], 1) << "request " << i;
        if (!reply.responseCookies->empty()) {
            ++rotations;
            EXPECT_NE(*reply.cookies, cookies);
            EXPECT_NE(reply.cookies->find("vamu_session="), std::string::npos);
        }
        cookies = *reply.cookies;
    }
    EXPECT_EQ(rotations, 2);  // requests 3 and 6
    // A client that kept the first value is still served, and told the current one.
    const auto late = get(service.apiUrl("/user/info"), original);
    EXPECT_EQ(parsed(late)["state"], 1);
    EXPECT_EQ(*late.cookies, cookies);
}

TEST(ServiceAccounts, AnExpiredSessionIsRefusedWithItsOwnMessage) {
    TestService service({.arguments = {"--session-lifetime", "1"}});
    ASSERT_SERVICE_RUNNING(service);
    const auto cookies = loginDemo(service);
    ASSERT_EQ(parsed(get(service.apiUrl("/user/info"), cookies))["state"], 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(2200));
    const auto expired = parsed(get(service.apiUrl("/user/info"), cookies));
    EXPECT_EQ(expired["state"], 0);
    EXPECT_EQ(expired["message"], "登录已过期,请重新登录");
}

TEST(ServiceAccounts, RegistrationUsesTheCodeFromTheLogAndTheRegistrationCookie) {
    TestService service;
    ASSERT_SERVICE_RUNNING(service);
    const std::string phone = "13900000001";
    const std::string password = "p&ss 中文";  // GB18030 bytes, percent-encoded: reaches the service intact

    const auto mark = service.logLineCount();
    const auto codeReply = post(service.apiUrl("/index/code"), "phone=" + phone + "&type=0&v=9", std::string());
    ASSERT_EQ(parsed(codeReply)["state"], 1);
    const auto registration = *codeReply.cookies;
    EXPECT_NE(registration.find("vamu_reg="), std::string::npos);
    const auto code = service.waitForSmsCode(phone, mark);
    ASSERT_TRUE(code);

    const auto registerBody = [&](const std::string& digits) {
        return "code=" + digits + "&phone=" + phone + "&password=" + accountValue(password) +
               "&v=9&device_token=0&device_type=ios";
    };
    const auto again = parsed(post(service.apiUrl("/index/code"), "phone=" + phone + "&type=0&v=9"));
    EXPECT_EQ(again["error"]["message"], "验证码发送过于频繁,请稍后再试");
    const auto withoutCookie = parsed(post(service.apiUrl("/index/register"), registerBody(*code)));
    EXPECT_EQ(withoutCookie["state"], 0);
    EXPECT_EQ(withoutCookie["error"]["message"], "请先获取验证码");
    const auto wrong = parsed(
        post(service.apiUrl("/index/register"), registerBody(*code == "000000" ? "111111" : "000000"), registration));
    EXPECT_EQ(wrong["error"]["message"], "验证码错误");

    const auto done = post(service.apiUrl("/index/register"), registerBody(*code), registration);
    EXPECT_EQ(parsed(done)["state"], 1);
    EXPECT_EQ(done.cookies->find("vamu_reg"), std::string::npos);  // deleted with the value "deleted"
    const auto login = parsed(post(service.apiUrl("/index/login"), loginBody(phone, password)));
    EXPECT_EQ(login["state"], 1);
    const auto taken = parsed(post(service.apiUrl("/index/code"), "phone=" + phone + "&type=0&v=9"));
    EXPECT_EQ(taken["error"]["message"], "该手机号已被注册");
    const auto letters = parsed(post(service.apiUrl("/index/code"), "phone=abcdefghijk&type=0&v=9"));
    EXPECT_EQ(letters["error"]["message"], "手机号格式不正确");
}

TEST(ServiceAccounts, LikesPageByTwentyAndFollowLikeAndUnlike) {
    TestService service;
    ASSERT_SERVICE_RUNNING(service);
    const auto cookies = loginDemo(service);
    const auto likesPage = [&](int page) {
        return parsed(post(service.apiUrl("/player/likes"), "limit=20&v=9&page=" + std::to_string(page), cookies));
    };
    std::vector<std::size_t> sizes;
    for (int page = 1; page <= 4; ++page) {
        const auto reply = likesPage(page);
        ASSERT_EQ(reply["state"], 1);
        sizes.push_back(reply["result"]["sounds"].size());
        for (const auto& song : reply["result"]["sounds"]) {
            for (const char* member : {"source", "name", "id"}) EXPECT_TRUE(song.contains(member));
            EXPECT_TRUE(song["user"]["name"].is_string());
        }
    }
    EXPECT_EQ(sizes, (std::vector<std::size_t>{20, 20, 5, 0}));  // 45 likes: three pages, then an empty one

    // Find a song the demo account does not like yet: like it, it leads; unlike it, it is gone.
    long long fresh = 0;
    for (long long id = 20001; id <= 20072 && fresh == 0; ++id) {
        bool liked = false;
        for (int page = 1; page <= 3; ++page) {
            const auto reply = likesPage(page);
            for (const auto& song : reply["result"]["sounds"]) liked = liked || song["id"] == id;
        }
        if (!liked) fresh = id;
    }
    ASSERT_NE(fresh, 0);
    const auto like = [&](int type, long long id) {
        return parsed(post(service.apiUrl("/sound/like"),
                           "type=" + std::to_string(type) + "&v=9&sound_id=" + std::to_string(id), cookies));
    };
    EXPECT_EQ(like(1, fresh)["state"], 1);
    EXPECT_EQ(likesPage(1)["result"]["sounds"][0]["id"], fresh);
    EXPECT_EQ(likesPage(3)["result"]["sounds"].size(), 6u);
    EXPECT_EQ(like(0, fresh)["state"], 1);
    EXPECT_NE(likesPage(1)["result"]["sounds"][0]["id"], fresh);
    EXPECT_EQ(like(1, 1)["message"], "歌曲不存在");

    const auto anonymous = parsed(post(service.apiUrl("/sound/like"), "type=1&v=9&sound_id=20001", std::string()));
    EXPECT_EQ(anonymous["state"], 0);
    EXPECT_EQ(parsed(post(service.apiUrl("/player/likes"), "limit=20&v=9&page=1", std::string()))["state"], 0);
}

TEST(ServiceAccounts, AccountBoundEndpointsAnswerOnlyAValidSession) {
    TestService service;
    ASSERT_SERVICE_RUNNING(service);
    struct Case {
        bool post;
        std::string target;
        std::string body;
    };
    const Case cases[] = {
        {false, "/user/info", ""},
        {false, "/sound/search?keyword=%61&page=1", ""},
        {false, "/user/sound?user_id=10001&order=new&page=1", ""},
        {true, "/player/likes", "limit=20&v=9&page=1"},
        {true, "/sound/like", "type=1&v=9&sound_id=20001"},
        {true, "/sound/like", "type=0&v=9&sound_id=20001"},
    };
    const auto session = loginDemo(service);
    ASSERT_FALSE(session.empty());
    for (const auto& c : cases) {
        const auto url = service.apiUrl(c.target);
        for (const std::string cookies : {"", "vamu_session=forged", "vamu_uid=10000"}) {
            const auto refusal = parsed(c.post ? post(url, c.body, cookies) : get(url, cookies));
            EXPECT_EQ(refusal["state"], 0) << c.target << " with '" << cookies << "'";
            EXPECT_EQ(refusal["message"], "请先登录") << c.target;
            EXPECT_FALSE(refusal.contains("result")) << c.target;
        }
        EXPECT_EQ(parsed(c.post ? post(url, c.body, session) : get(url, session))["state"], 1) << c.target;
    }
}

TEST(ServiceAccounts, PostValuesAreReadFromTheBodyAndNeverFromTheQuery) {
    TestService service;
    ASSERT_SERVICE_RUNNING(service);
    // The account in the query does not log in.
    const auto login = post(
        service.apiUrl("/index/login?username=" + std::string(kDemoPhone) + "&password=" + std::string(kDemoPassword)),
        "act=login&app=index&device_token=0&v=9&device_type=ios");
    EXPECT_EQ(parsed(login)["message"], "请输入账号和密码");
    EXPECT_EQ(login.responseCookies, "");
    const auto code = parsed(post(service.apiUrl("/index/code?phone=13900000002"), "type=0&v=9"));
    EXPECT_EQ(code["error"]["message"], "手机号格式不正确");

    const auto session = loginDemo(service);
    const auto likes = [&](const std::string& query, const std::string& body) {
        return parsed(post(service.apiUrl("/player/likes" + query), body, session));
    };
    EXPECT_EQ(likes("?limit=20&page=1", "v=9")["message"], "缺少参数:page");
    // Where both carry a value, the body's counts: page 1 holds 20 likes, page 3 five.
    EXPECT_EQ(likes("?page=3", "limit=20&v=9&page=1")["result"]["sounds"].size(), 20u);
    EXPECT_EQ(likes("?page=1", "limit=20&v=9&page=3")["result"]["sounds"].size(), 5u);

    const auto newest = likes("", "limit=20&v=9&page=1")["result"]["sounds"][0]["id"].get<long long>();
    const auto unlike =
        parsed(post(service.apiUrl("/sound/like?type=0&sound_id=" + std::to_string(newest)), "v=9", session));
    EXPECT_EQ(unlike["state"], 0);
    EXPECT_EQ(likes("", "limit=20&v=9&page=1")["result"]["sounds"][0]["id"], newest);  // still liked

    // The companion script reads its form body too.
    EXPECT_EQ(post(service.companionUrl("/vamu.php?do=gx&bbh=2.36"), "").status, 400);
    EXPECT_EQ(post(service.companionUrl("/vamu.php?do=new"), "do=gx&bbh=2.36").body, "1");
}

TEST(ServiceAccounts, StateSurvivesARestartOnTheSameDataDirectory) {
    const auto directory = std::filesystem::temp_directory_path() / ("vamu-restart-" + std::to_string(::getpid()));
    std::filesystem::remove_all(directory);
    const auto titles = [](const TestService& service) {
        std::vector<std::string> names;
        const auto page = parsed(get(service.apiUrl("/sound/hot?page=3")));
        for (const auto& song : page["result"]["data"]) names.push_back(song["name"]);
        return names;
    };
    std::string cookies;
    std::vector<std::string> before;
    {
        TestService first({.dataDirectory = directory});
        ASSERT_SERVICE_RUNNING(first);
        cookies = loginDemo(first);
        const auto newest =
            parsed(post(first.apiUrl("/player/likes"), "limit=20&v=9&page=1", cookies))["result"]["sounds"][0]["id"];
        const auto unlike = post(first.apiUrl("/sound/like"),
                                 "type=0&v=9&sound_id=" + std::to_string(newest.get<long long>()), cookies);
        ASSERT_EQ(parsed(unlike)["state"], 1);
        before = titles(first);
        EXPECT_EQ(first.stop(), 0);
    }
    TestService second({.dataDirectory = directory});
    ASSERT_SERVICE_RUNNING(second);
    EXPECT_EQ(titles(second), before);                                         // the same catalogue
    EXPECT_EQ(parsed(get(second.apiUrl("/user/info"), cookies))["state"], 1);  // the session is kept
    EXPECT_EQ(parsed(post(second.apiUrl("/player/likes"), "limit=20&v=9&page=3", cookies))["result"]["sounds"].size(),
              4u);
    EXPECT_EQ(second.stop(), 0);
    std::filesystem::remove_all(directory);
}

}  // namespace
}  // namespace vamu::test
