// The music service's reading endpoints and media, through the program's own HTTP
// routine against a running vamu-service.

#include "service_client.h"

#include <set>

namespace vamu::test {
namespace {

class ServiceCatalogueEndpoints : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_service = new TestService();
        if (s_service->running()) s_session = loginDemo(*s_service);
    }
    static void TearDownTestSuite() {
        delete s_service;
        s_service = nullptr;
    }
    void SetUp() override { ASSERT_SERVICE_RUNNING(*s_service); }
    static const TestService& service() { return *s_service; }
    static json getJson(const std::string& pathAndQuery) { return parsed(get(service().apiUrl(pathAndQuery))); }
    // Search and an uploader's songs answer logged-in listeners only.
    static json getLoggedIn(const std::string& pathAndQuery) {
        return parsed(get(service().apiUrl(pathAndQuery), s_session));
    }

    static inline TestService* s_service = nullptr;
    static inline std::string s_session;
};

TEST_F(ServiceCatalogueEndpoints, ChannelsComeTenAPageUntilAnEmptyPage) {
    std::vector<std::size_t> sizes;
    std::set<long long> ids;
    for (int page = 1; page <= 4; ++page) {
        const auto reply = getJson("/channel/get?with_sound=0&order=hot&page=" + std::to_string(page));
        ASSERT_EQ(reply["state"], 1);
        sizes.push_back(reply["result"]["data"].size());
        for (const auto& channel : reply["result"]["data"]) {
            ids.insert(channel["id"].get<long long>());
            EXPECT_TRUE(channel["name"].is_string());
            EXPECT_TRUE(channel["pic_100"].get<std::string>().starts_with(service().apiBase() + "/media/channel/"));
            EXPECT_GE(channel["sound_count"].get<int>(), 1);
        }
    }
    EXPECT_EQ(sizes, (std::vector<std::size_t>{10, 10, 4, 0}));
    EXPECT_EQ(ids.size(), 24u);
}

TEST_F(ServiceCatalogueEndpoints, HotListHasFiftyFullPagesOfCompleteSongs) {
    for (const int page : {1, 17, 50}) {
        const auto reply = getJson("/sound/hot?page=" + std::to_string(page));
        ASSERT_EQ(reply["result"]["data"].size(), 20u) << page;
        for (const auto& song : reply["result"]["data"]) {
            for (const char* member : {"source", "name", "id", "user_id", "pic_100"})
                EXPECT_TRUE(song.contains(member)) << member;
            EXPECT_TRUE(song["user"]["name"].is_string());
            EXPECT_EQ(song["user_id"], song["user"]["id"]);
        }
    }
    EXPECT_TRUE(getJson("/sound/hot?page=51")["result"]["data"].empty());
    EXPECT_TRUE(getJson("/sound/hot?page=0")["result"]["data"].empty());
    EXPECT_EQ(get(service().apiUrl("/sound/hot?page=abc")).status, 400);
}

TEST_F(ServiceCatalogueEndpoints, ChannelSongsArePagedByLimitAndCountedBySoundCount) {
    const auto first = getJson("/channel/get?with_sound=0&order=hot&page=1")["result"]["data"][0];
    const auto id = std::to_string(first["id"].get<long long>());
    const int count = first["sound_count"];
    int seen = 0;
    // The program asks for pages 1 to (count / 20) + 1; the page after the last is empty.
    for (int page = 1; page <= count / 20 + 1; ++page) {
        const auto reply = getJson("/channel/info?limit=20&id=" + id + "&list_order=hot&page=" + std::to_string(page));
        ASSERT_EQ(reply["state"], 1);
        EXPECT_FALSE(reply["result"]["data"].empty());  // the program needs members here even when no songs follow
        seen += static_cast<int>(reply["result"]["data"]["sounds"].size());
    }
    EXPECT_EQ(seen, count);
    EXPECT_EQ(getJson("/channel/info?limit=7&id=" + id + "&list_order=hot&page=1")["result"]["data"]["sounds"].size(),
              7u);
    const auto unknown = getJson("/channel/info?limit=20&id=9999&list_order=hot&page=1");
    EXPECT_EQ(unknown["state"], 0);
    EXPECT_FALSE(unknown.contains("result"));
}

TEST_F(ServiceCatalogueEndpoints, ALargeChannelPassesThePageCapAndPagesPastTheEndDescribeTheChannelWithoutSongs) {
    json big;
    for (int page = 1; page <= 3 && big.is_null(); ++page) {
        const auto reply = getJson("/channel/get?with_sound=0&order=hot&page=" + std::to_string(page));
        for (const auto& channel : reply["result"]["data"]) {
            if (channel["sound_count"].get<int>() > 600) big = channel;
        }
    }
    ASSERT_FALSE(big.is_null()) << "no channel of more than 600 songs";
    const int count = big["sound_count"];
    const int pages = count / 20 + 1;  // as the program counts them
    ASSERT_GT(pages, 30);
    const auto channelPage = [&](int page) {
        return getJson("/channel/info?limit=20&id=" + std::to_string(big["id"].get<long long>()) +
                       "&list_order=hot&page=" + std::to_string(page));
    };
    EXPECT_EQ(channelPage(30)["result"]["data"]["sounds"].size(), 20u);
    const int lastFull = count / 20;
    EXPECT_EQ(channelPage(lastFull)["result"]["data"]["sounds"].size(), 20u);
    EXPECT_EQ(channelPage(lastFull + 1)["result"]["data"]["sounds"].size(), static_cast<std::size_t>(count % 20));
    for (const int page : {(count + 19) / 20 + 1, 1000, 0}) {
        const auto reply = channelPage(page);
        EXPECT_EQ(reply["state"], 1) << page;
        const auto& data = reply["result"]["data"];
        EXPECT_EQ(data["id"], big["id"]) << page;
        EXPECT_EQ(data["name"], big["name"]) << page;
        EXPECT_EQ(data["sound_count"], count) << page;
        ASSERT_TRUE(data["sounds"].is_array()) << page;
        EXPECT_TRUE(data["sounds"].empty()) << page;
    }
}

TEST_F(ServiceCatalogueEndpoints, VersionsPlayTheMp3OfTheirOriginalWithoutAFileOfTheirOwn) {
    // The last song of the large channel is a version, "<original title> (<tag>)".
    const auto channel = getJson("/channel/get?with_sound=0&order=hot&page=1")["result"]["data"][0];
    const int count = channel["sound_count"];
    ASSERT_GT(count, 600);
    const auto last = getJson("/channel/info?limit=20&id=" + std::to_string(channel["id"].get<long long>()) +
                              "&list_order=hot&page=" + std::to_string((count + 19) / 20))["result"]["data"]["sounds"];
    ASSERT_FALSE(last.empty());
    const auto version = last.back();
    const auto title = version["name"].get<std::string>();
    const auto cut = title.rfind(" (");
    ASSERT_NE(cut, std::string::npos) << title;
    const auto found =
        getLoggedIn("/sound/search?keyword=" + keywordValue(title.substr(0, cut)) + "&page=1")["result"]["data"];
    ASSERT_FALSE(found.empty());
    const auto original = found[0];  // originals are played more than their versions
    ASSERT_EQ(original["name"], title.substr(0, cut));
    EXPECT_NE(original["id"], version["id"]);
    EXPECT_NE(original["source"], version["source"]);
    EXPECT_NE(original["pic_100"], version["pic_100"]);

    net::HttpRequestArgs args;
    args.url = version["source"];
    const auto versionBytes = net::httpRequest(args);
    args.url = original["source"];
    const auto originalBytes = net::httpRequest(args);
    ASSERT_EQ(versionBytes.status, 200);
    ASSERT_GT(versionBytes.body.size(), 16000u);
    EXPECT_EQ(versionBytes.body, originalBytes.body);
    const auto folder = service().dataDirectory() / "media" / "sound";
    EXPECT_TRUE(std::filesystem::exists(folder / (std::to_string(original["id"].get<long long>()) + ".mp3")));
    EXPECT_FALSE(std::filesystem::exists(folder / (std::to_string(version["id"].get<long long>()) + ".mp3")));
}

TEST_F(ServiceCatalogueEndpoints, CommentsCarryWriterAndTextUpToTheLimit) {
    std::size_t most = 0;
    bool sawEmpty = false;
    for (long long id = 20001; id <= 20010; ++id) {
        const auto reply = getJson("/bullet/get?sound_id=" + std::to_string(id) + "&limit=120");
        ASSERT_EQ(reply["state"], 1);
        const auto& data = reply["result"]["data"];
        EXPECT_LE(data.size(), 120u);
        most = std::max(most, data.size());
        sawEmpty = sawEmpty || data.empty();
        for (const auto& comment : data) {
            EXPECT_FALSE(comment["content"].get<std::string>().empty());
            EXPECT_TRUE(comment["user"]["avatar_50"].get<std::string>().ends_with(".png"));
            EXPECT_TRUE(comment["user"]["name"].is_string());
        }
    }
    EXPECT_EQ(most, 120u);  // a song with 150 comments is cut at the limit
    EXPECT_TRUE(sawEmpty);
    EXPECT_EQ(getJson("/bullet/get?sound_id=1&limit=120")["state"], 0);
}

TEST_F(ServiceCatalogueEndpoints, SearchDecodesEveryByteEncodedKeywordsAndPagesByTen) {
    const auto hot = getJson("/sound/hot?page=1")["result"]["data"];
    std::string chinese;
    std::string ascii;
    for (const auto& song : hot) {
        const auto name = song["name"].get<std::string>();
        if (chinese.empty() && static_cast<unsigned char>(name[0]) >= 0xE0) chinese = name;
        if (ascii.empty() && std::all_of(name.begin(), name.end(), [](char c) { return c > 0 && c < 0x7F; }))
            ascii = name;
    }
    ASSERT_FALSE(chinese.empty());
    ASSERT_FALSE(ascii.empty());
    const auto finds = [&](const std::string& keyword, const std::string& wanted) {
        for (int page = 1; page < 10; ++page) {
            const auto reply =
                getLoggedIn("/sound/search?keyword=" + keywordValue(keyword) + "&page=" + std::to_string(page));
            EXPECT_EQ(reply["state"], 1);
            const auto& data = reply["result"]["data"];
            EXPECT_LE(data.size(), 10u);
            for (const auto& song : data) {
                if (song["name"] == wanted) return true;
                for (const char* member : {"source", "name", "id"}) EXPECT_TRUE(song.contains(member));
            }
            if (data.size() < 10) return false;
        }
        return false;
    };
    EXPECT_TRUE(finds(chinese, chinese));
    EXPECT_TRUE(finds(chinese.substr(0, 3), chinese));  // one character, three percent-encoded bytes
    std::string lower = ascii;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return static_cast<char>(std::tolower(c)); });
    EXPECT_TRUE(finds(lower, ascii));
    EXPECT_TRUE(
        getLoggedIn("/sound/search?keyword=" + keywordValue("zzzz-nothing") + "&page=1")["result"]["data"].empty());

    const auto empty = getLoggedIn("/sound/search?keyword=&page=1");
    EXPECT_EQ(empty["state"], 0);
    EXPECT_EQ(empty["message"], "请输入搜索关键词");
}

TEST_F(ServiceCatalogueEndpoints, UploaderSongsComeByPageUntilEmpty) {
    // The uploader with the most songs in the demo catalogue owns song 20001.
    const auto details = parsed(get(service().companionUrl("/info.php?id=20001"), "key=6351"));
    const auto uploader = std::to_string(details["result"]["user_id"].get<long long>());
    std::vector<std::size_t> sizes;
    for (int page = 1; page <= 4; ++page) {
        const auto reply = getLoggedIn("/user/sound?user_id=" + uploader + "&order=new&page=" + std::to_string(page));
        ASSERT_EQ(reply["state"], 1);
        sizes.push_back(reply["result"]["data"].size());
    }
    EXPECT_EQ(sizes, (std::vector<std::size_t>{10, 10, 3, 0}));
    const auto unknown = getLoggedIn("/user/sound?user_id=1&order=new&page=1");
    EXPECT_EQ(unknown["state"], 0);
    EXPECT_EQ(unknown["message"], "用户不存在");
}

TEST_F(ServiceCatalogueEndpoints, PicturesArePngsOfTheirSizes) {
    const auto song = getJson("/sound/hot?page=1")["result"]["data"][0];
    const std::pair<std::string, unsigned> pictures[] = {{song["pic_100"], 100}, {song["user"]["avatar_50"], 50}};
    for (const auto& [url, size] : pictures) {
        net::HttpRequestArgs args;
        args.url = url;
        args.maxBodyBytes = net::kMaxPictureReplyBytes;
        const auto reply = net::httpRequest(args);
        ASSERT_EQ(reply.status, 200) << url;
        ASSERT_GT(reply.body.size(), 24u);
        EXPECT_EQ(reply.body.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
        EXPECT_EQ(static_cast<unsigned char>(reply.body[19]), size);  // IHDR width, low byte
        EXPECT_EQ(static_cast<unsigned char>(reply.body[23]), size);  // IHDR height, low byte
    }
    EXPECT_EQ(get(service().apiUrl("/media/cover/1.png")).status, 404);
}

TEST_F(ServiceCatalogueEndpoints, SongsAreMp3WithLengthAndRanges) {
    const auto song = getJson("/sound/hot?page=1")["result"]["data"][0];
    net::HttpRequestArgs args;
    args.url = song["source"];
    const auto whole = net::httpRequest(args);
    ASSERT_EQ(whole.status, 200);
    const auto size = whole.body.size();
    ASSERT_GT(size, 16000u);                                     // at least a second at 128 kbit/s
    EXPECT_EQ(static_cast<unsigned char>(whole.body[0]), 0xFF);  // an MPEG frame header opens the file
    EXPECT_EQ(static_cast<unsigned char>(whole.body[1]) & 0xE0, 0xE0);
    EXPECT_NE(whole.responseHeaders->find("Content-Length: " + std::to_string(size)), std::string::npos);
    EXPECT_NE(whole.responseHeaders->find("Accept-Ranges: bytes"), std::string::npos);

    struct Case {
        std::string range;
        long status;
        std::size_t first;
        std::size_t length;
    };
    const Case cases[] = {
        {"bytes=100-199", 206, 100, 100},
        {"bytes=" + std::to_string(size - 10) + "-", 206, size - 10, 10},
        {"bytes=-64", 206, size - 64, 64},
        {"bytes=1000-" + std::to_string(size + 5000), 206, 1000, size - 1000},
        {"bytes=" + std::to_string(size) + "-", 416, 0, 0},
        // Malformed ranges are ignored: the whole song.
        {"bytes=abc", 200, 0, size},
        {"bytes=200-100", 200, 0, size},
        {"bytes=-", 200, 0, size},
        {"items=0-99", 200, 0, size},
        {"bytes=0-99,x", 200, 0, size},
    };
    for (const auto& c : cases) {
        args.extraHeaders = "Range: " + c.range;
        const auto part = net::httpRequest(args);
        EXPECT_EQ(part.status, c.status) << c.range;
        if (c.status == 200) {
            EXPECT_EQ(part.body.size(), size) << c.range;
            EXPECT_TRUE(part.body == whole.body) << c.range;
            EXPECT_EQ(part.responseHeaders->find("Content-Range"), std::string::npos) << c.range;
        } else if (c.status == 206) {
            EXPECT_EQ(part.body, whole.body.substr(c.first, c.length)) << c.range;
            EXPECT_NE(part.responseHeaders->find("Content-Range: bytes " + std::to_string(c.first) + "-" +
                                                 std::to_string(c.first + c.length - 1) + "/" + std::to_string(size)),
                      std::string::npos)
                << c.range;
        } else {
            EXPECT_NE(part.responseHeaders->find("Content-Range: bytes */" + std::to_string(size)), std::string::npos);
        }
    }
    args.extraHeaders.clear();
    args.method = 2;  // HEAD
    const auto head = net::httpRequest(args);
    EXPECT_EQ(head.status, 200);
    EXPECT_TRUE(head.body.empty());
    EXPECT_NE(head.responseHeaders->find("Content-Length: " + std::to_string(size)), std::string::npos);
    EXPECT_EQ(get(service().apiUrl("/media/sound/1.mp3")).status, 404);
}

}  // namespace
}  // namespace vamu::test
