#include "catalogue/catalogue_page.h"

#include <algorithm>
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "net/json_document.h"

namespace vamu::catalogue {
namespace {

TEST(CataloguePage, RequestPaths) {
    EXPECT_EQ(hotPagePath(7), "/sound/hot?page=7");
    EXPECT_EQ(channelSongsPath("42", 3), "/channel/info?limit=20&id=42&list_order=hot&page=3");
    // An id from the network cannot add parameters of its own.
    EXPECT_EQ(channelSongsPath("1&page=9", 1), "/channel/info?limit=20&id=1%26page%3D9&list_order=hot&page=1");
}

TEST(CataloguePage, RandomPagesStayWithinTheirCaps) {
    const struct {
        int pageCount;
        int highest;
    } cases[] = {{45, 30}, {30, 30}, {7, 7}, {1, 1}, {0, 1}, {-3, 1}};
    for (const auto& c : cases) {
        const RandomSource random = seededRandomSource(5);
        std::set<int> seen;
        for (int i = 0; i < 2000; ++i) {
            seen.insert(channelSongsPageNumber(c.pageCount, random));
        }
        EXPECT_EQ(*seen.begin(), 1) << c.pageCount;
        EXPECT_EQ(*seen.rbegin(), c.highest) << c.pageCount;
    }
    const RandomSource random = seededRandomSource(6);
    std::set<int> hot;
    for (int i = 0; i < 5000; ++i) {
        hot.insert(hotPageNumber(random));
    }
    EXPECT_EQ(hot.size(), 50u);
    EXPECT_EQ(*hot.begin(), 1);
    EXPECT_EQ(*hot.rbegin(), 50);
}

TEST(CataloguePage, RepliesWithoutSongsAreNoSongs) {
    const struct {
        const char* reply;
        CatalogueKind kind;
        std::size_t songs;
    } cases[] = {
        {R"({"state": 1, "result": {"data": []}})", CatalogueKind::Hot, 0},
        {R"({"state": 1, "result": {}})", CatalogueKind::Hot, 0},
        {R"({"state": 1, "result": {"data": [{"name": "no url"}]}})", CatalogueKind::Hot, 0},
        {R"({"state": 1, "result": {"data": {}}})", CatalogueKind::Channel, 0},
        {R"({"state": 1, "result": {"data": {"sounds": []}}})", CatalogueKind::Channel, 0},
        {R"({"state": 1, "result": {"data": {"name": "c"}}})", CatalogueKind::Channel, 0},
        // A channel's songs are under "sounds"; a hot-shaped reply is not read as one.
        {R"({"state": 1, "result": {"data": [{"source": "u"}]}})", CatalogueKind::Channel, 0},
        {R"({"state": 1, "result": {"data": [{"source": "a"}, {"source": "b"}]}})", CatalogueKind::Hot, 2},
        {R"({"result": {"data": {"sounds": [{"source": "a"}, {"name": "x"}, {"source": "c"}]}}})",
         CatalogueKind::Channel, 2},
    };
    const RandomSource random = seededRandomSource(1);
    for (const auto& c : cases) {
        net::JsonDocument reply;
        ASSERT_TRUE(reply.load(c.reply));
        const CataloguePage page = readCataloguePage(&reply, c.kind, random);
        EXPECT_EQ(page.hasSongs(), c.songs > 0) << c.reply;
        EXPECT_EQ(page.inPlayOrder().size(), c.songs) << c.reply;
    }
    EXPECT_FALSE(readCataloguePage(nullptr, CatalogueKind::Hot, random).hasSongs());
}

TEST(CataloguePage, PlayOrderHoldsEverySongOnce) {
    std::string text = R"({"result": {"data": [)";
    for (int i = 0; i < 20; ++i) {
        text += std::string(i == 0 ? "" : ",") + R"({"source": "u)" + std::to_string(i) + R"("})";
    }
    text += "]}}";
    net::JsonDocument reply;
    ASSERT_TRUE(reply.load(text));
    const CataloguePage page = readCataloguePage(&reply, CatalogueKind::Hot, seededRandomSource(2));
    std::vector<std::string> played;
    for (const auto& song : page.inPlayOrder()) {
        played.push_back(song.source);
    }
    std::vector<std::string> original;
    for (const auto& song : page.songs) {
        original.push_back(song.source);
    }
    EXPECT_NE(played, original);  // 1 chance in 20! of a false alarm, fixed by the seed
    std::sort(played.begin(), played.end());
    std::sort(original.begin(), original.end());
    EXPECT_EQ(played, original);
}

// Every order of a short page comes out about equally often: a chi-square test against
// the uniform distribution. A shuffle that swaps with any position, not only the ones not
// yet placed, favours some orders by a quarter and fails this.
TEST(CataloguePage, ShuffleIsUniform) {
    const struct {
        std::size_t count;
        std::size_t orders;
        double critical;  // chi-square, 0.1 % level, orders - 1 degrees of freedom
    } cases[] = {{3, 6, 20.52}, {4, 24, 49.73}};
    for (const auto& c : cases) {
        const RandomSource random = seededRandomSource(20261210);
        const int rounds = 2000 * static_cast<int>(c.orders);
        std::map<std::vector<std::size_t>, int> counts;
        for (int i = 0; i < rounds; ++i) {
            ++counts[shuffledOrder(c.count, random)];
        }
        ASSERT_EQ(counts.size(), c.orders) << c.count;
        const double expected = static_cast<double>(rounds) / static_cast<double>(c.orders);
        double chiSquare = 0;
        for (const auto& [order, seen] : counts) {
            chiSquare += (seen - expected) * (seen - expected) / expected;
        }
        EXPECT_LT(chiSquare, c.critical) << c.count;
    }
    EXPECT_TRUE(shuffledOrder(0, seededRandomSource(1)).empty());
    EXPECT_EQ(shuffledOrder(1, seededRandomSource(1)), std::vector<std::size_t>{0});
}

TEST(CataloguePage, WindowTitles) {
    EXPECT_EQ(loadingWindowTitle("VAMU", CatalogueKind::Hot, "ignored"), "VAMU  --  热门推荐");
    EXPECT_EQ(loadingWindowTitle("VAMU", CatalogueKind::Channel, "摇滚"), "VAMU  --  摇滚");
    EXPECT_EQ(itemWindowTitle("VAMU", CatalogueKind::Hot, "歌"), "VAMU  -  歌 - 热门推荐");
    EXPECT_EQ(itemWindowTitle("VAMU", CatalogueKind::Channel, "歌"), "VAMU  - 歌");
}

}  // namespace
}  // namespace vamu::catalogue
