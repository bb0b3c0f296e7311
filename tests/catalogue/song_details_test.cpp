// The details request's hidden id, the reply's members and the upload date at UTC+8.
#include "catalogue/song_details.h"

#include <gtest/gtest.h>

namespace vamu::catalogue {
namespace {

TEST(SongDetailsKey, TheTwoNumbersAlwaysAddUpToTheIdPlusTheOffset) {
    for (const long long id : {1LL, 2LL, 20001LL, 987654321LL}) {
        for (const long long r : {1LL, id / 2 + 1, id}) {
            const DetailsKey key = splitSongId(id, r);
            EXPECT_EQ(key.a + key.b, id + kDetailsKeyOffset) << id << " r " << r;
            EXPECT_GE(key.b - kDetailsKeyOffset, 1) << id;
            EXPECT_LE(key.b - kDetailsKeyOffset, id) << id;
        }
    }
    EXPECT_EQ(splitSongId(42, 42).a, 0);  // r = S sends the id value 0
}

TEST(SongDetailsKey, ADrawOutsideOneToTheIdIsPulledBackSoTheIdNeverTravels) {
    EXPECT_EQ(splitSongId(100, 0).a, 99);
    EXPECT_EQ(splitSongId(100, 500).a, 0);
    EXPECT_EQ(splitSongId(100, -5).b, 1 + kDetailsKeyOffset);
}

TEST(SongDetailsUrl, HostWithOrWithoutSchemeGivesOnePlainHttpAddress) {
    EXPECT_EQ(detailsUrl("127.0.0.1:8961", 7), "http://127.0.0.1:8961/info.php?id=7");
    EXPECT_EQ(detailsUrl("http://example.test/", 0), "http://example.test/info.php?id=0");
}

TEST(UploadDate, SecondsAndMillisecondsOfOneInstantGiveTheSameDateAtUtcPlus8) {
    const struct {
        const char* time;
        const char* date;
    } cases[] = {
        {"1425657600", "2015年03月07日"},     // midnight at UTC+8 (16:00 UTC the day before)
        {"1425657600000", "2015年03月07日"},  // the same in milliseconds
        {"1425657599", "2015年03月06日"},     // one second earlier
        {"0", "1970年01月01日"},
        {"9999999999", "2286年11月21日"},   // the largest value still read as seconds
        {"10000000000", "1970年04月27日"},  // the smallest read as milliseconds
    };
    for (const auto& c : cases) EXPECT_EQ(uploadDateText(c.time), c.date) << c.time;
}

TEST(UploadDate, TextsThatAreNoWholeNumberGiveNoDate) {
    for (const char* text : {"", "abc", "12x", "1.5", "99999999999999999999999", "-99999999999999999"}) {
        EXPECT_EQ(uploadDateText(text), "") << text;
    }
}

TEST(SongDetailsReply, MembersAreReadAndTheDetailLineIsBuiltFromThem) {
    net::JsonDocument reply;
    ASSERT_TRUE(reply.load(R"({"state":1,"result":{"id":20001,"name":"列车","source":"http://x/1.mp3",
        "pic_100":"http://x/c.jpg","user":{"name":"小明"},"create_time":1425657600,"info":"一段<b>说明</b>"}})"));
    const SongDetails details = readSongDetails(reply);
    EXPECT_EQ(details.state, "1");
    EXPECT_EQ(details.id, "20001");
    EXPECT_EQ(details.source, "http://x/1.mp3");
    EXPECT_EQ(details.coverUrl, "http://x/c.jpg");
    EXPECT_EQ(details.info, "一段<b>说明</b>");
    EXPECT_EQ(detailLine(details), "用户[小明]于2015年03月07日上传");

    net::JsonDocument refused;
    ASSERT_TRUE(refused.load(R"({"state":0,"message":"no"})"));
    const SongDetails none = readSongDetails(refused);
    EXPECT_EQ(none.state, "0");
    EXPECT_EQ(detailLine(none), "用户[]于上传");
}

}  // namespace
}  // namespace vamu::catalogue
