#include "catalogue/channel_page.h"

#include <limits>

#include <gtest/gtest.h>

#include "net/json_document.h"

namespace vamu::catalogue {
namespace {

TEST(ChannelPage, PageCountEdges) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::pair<double, int> cases[] = {{0, 1},
                                            {19, 1},
                                            {20, 1},
                                            {21, 2},
                                            {39, 2},
                                            {40, 2},
                                            {41, 3},
                                            {601, 31},
                                            {-20, 1},
                                            {nan, 1},
                                            {1e30, kMaxPageCount}};
    for (const auto& [soundCount, pages] : cases) {
        EXPECT_EQ(channelPageCount(soundCount), pages) << soundCount;
    }
}

TEST(ChannelPage, AlwaysTenTilesAndErrorRepliesFail) {
    net::JsonDocument reply;
    ASSERT_TRUE(reply.load(R"({"state": 1, "result": {"data": [
        {"id": 3, "name": "摇滚", "pic_100": "http://p/3.jpg", "sound_count": 40},
        {"id": "4", "name": "民谣", "sound_count": "39"}]}})"));
    const auto page = readChannelPage(reply);
    ASSERT_TRUE(page.has_value());
    EXPECT_EQ((*page)[0].id, "3");
    EXPECT_EQ((*page)[0].name, "摇滚");
    EXPECT_EQ((*page)[0].pictureUrl, "http://p/3.jpg");
    EXPECT_EQ((*page)[0].pageCount, 2);
    EXPECT_EQ((*page)[1].pageCount, 2);  // a count sent as text
    for (std::size_t i = 2; i < page->size(); ++i) {
        EXPECT_TRUE((*page)[i].id.empty() && (*page)[i].name.empty() && (*page)[i].pictureUrl.empty()) << i;
        EXPECT_EQ((*page)[i].pageCount, 1) << i;
    }
    // An error reply is a failed fetch (retried), not ten empty tiles; a page past the end is.
    ASSERT_TRUE(reply.load(R"({"state": 0, "message": "busy"})"));
    EXPECT_FALSE(readChannelPage(reply).has_value());
    ASSERT_TRUE(reply.load(R"({"state": 1, "result": {"data": []}})"));
    EXPECT_TRUE(readChannelPage(reply).has_value());
}

}  // namespace
}  // namespace vamu::catalogue
