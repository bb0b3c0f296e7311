#include "catalogue/channel_page.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "net/json_document.h"

namespace vamu::catalogue {
namespace {

TEST(ChannelPage, PageCountEdges) {
    const struct {
        double soundCount;
        int pages;
    } cases[] = {
        {0, 1}, {19, 1}, {20, 2}, {39, 2}, {40, 3}, {599, 30}, {601, 31},
        {-20, 1}, {std::numeric_limits<double>::quiet_NaN(), 1}, {1e30, kMaxPageCount},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(channelPageCount(c.soundCount), c.pages) << c.soundCount;
    }
}

TEST(ChannelPage, AlwaysTenTilesMissingOnesEmpty) {
    net::JsonDocument reply;
    ASSERT_TRUE(reply.load(R"({"state": 1, "result": {"data": [
        {"id": 3, "name": "摇滚", "pic_100": "http://p/3.jpg", "sound_count": 40},
        {"id": "4", "name": "民谣", "pic_100": "http://p/4.jpg", "sound_count": "39"},
        {"id": 5, "name": "no count"}
    ]}})"));
    const auto page = readChannelPage(reply);
    ASSERT_TRUE(page.has_value());
    EXPECT_EQ((*page)[0].id, "3");
    EXPECT_EQ((*page)[0].name, "摇滚");
    EXPECT_EQ((*page)[0].pictureUrl, "http://p/3.jpg");
    EXPECT_EQ((*page)[0].pageCount, 3);
    EXPECT_EQ((*page)[1].id, "4");
    EXPECT_EQ((*page)[1].pageCount, 2);
    EXPECT_EQ((*page)[2].pageCount, 1);
    for (std::size_t i = 3; i < page->size(); ++i) {
        EXPECT_TRUE((*page)[i].id.empty() && (*page)[i].name.empty() && (*page)[i].pictureUrl.empty()) << i;
        EXPECT_EQ((*page)[i].pageCount, 1) << i;
    }
}

TEST(ChannelPage, TwelveChannelsGiveTheFirstTenAndErrorRepliesFail) {
    std::string text = R"({"result": {"data": [)";
    for (int i = 0; i < 12; ++i) {
        text += std::string(i == 0 ? "" : ",") + R"({"id": )" + std::to_string(100 + i) + "}";
    }
    text += "]}}";
    net::JsonDocument reply;
    ASSERT_TRUE(reply.load(text));
    const auto page = readChannelPage(reply);
    ASSERT_TRUE(page.has_value());
    EXPECT_EQ(page->back().id, "109");

    // An error reply is a failed fetch (retried), not a page of ten empty tiles.
    ASSERT_TRUE(reply.load(R"({"state": 0, "message": "busy"})"));
    EXPECT_FALSE(readChannelPage(reply).has_value());
    // A page past the end is an empty page.
    ASSERT_TRUE(reply.load(R"({"state": 1, "result": {"data": []}})"));
    EXPECT_TRUE(readChannelPage(reply).has_value());
}

}  // namespace
}  // namespace vamu::catalogue
