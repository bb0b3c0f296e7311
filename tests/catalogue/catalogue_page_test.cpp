#include "catalogue/catalogue_page.h"

#include <map>
#include <set>

#include <gtest/gtest.h>

#include "net/json_document.h"
#include "net/service_call.h"

namespace vamu::catalogue {
namespace {

TEST(CataloguePage, RequestPathsAndRandomPageCaps) {
    using net::ParamValue;
    EXPECT_EQ(net::endpoint::kHotList.path, "/sound/hot");
    EXPECT_EQ(net::serviceParameters(net::endpoint::kHotList, {ParamValue::number(7)}), "page=7");
    // An id from the network cannot add parameters of its own.
    EXPECT_EQ(net::endpoint::kChannelSongs.path, "/channel/info");
    EXPECT_EQ(
        net::serviceParameters(net::endpoint::kChannelSongs, {ParamValue::text("1&page=9"), ParamValue::number(3)}),
        "limit=20&id=1%26page%3D9&list_order=hot&page=3");

    const auto drawn = [](auto draw) {
        std::set<int> seen;
        for (int i = 0; i < 3000; ++i) {
            seen.insert(draw());
        }
        return std::pair{*seen.begin(), *seen.rbegin()};
    };
    const RandomSource random = seededRandomSource(5);
    EXPECT_EQ(drawn([&] { return hotPageNumber(random); }), std::pair(1, kHotPageCount));
    const std::pair<int, int> cases[] = {{45, 30}, {7, 7}, {1, 1}, {0, 1}, {-3, 1}};
    for (const auto& [pageCount, highest] : cases) {
        const int pages = pageCount;  // clang 14 refuses lambdas that capture a structured binding
        EXPECT_EQ(drawn([&] { return channelSongsPageNumber(pages, random); }), std::pair(1, highest)) << pageCount;
    }
}

TEST(CataloguePage, ReadsPlayableSongsAndRepliesWithoutSongsAreNoSongs) {
    const struct {
        const char* reply;
        CatalogueKind kind;
        std::size_t songs;
    } cases[] = {
        {R"({"result": {"data": []}})", CatalogueKind::Hot, 0},
        {R"({"result": {}})", CatalogueKind::Hot, 0},
        {R"({"result": {"data": {}}})", CatalogueKind::Channel, 0},
        {R"({"result": {"data": {"sounds": []}}})", CatalogueKind::Channel, 0},
        {R"({"result": {"data": [{"source": "u"}]}})", CatalogueKind::Channel, 0},  // not under "sounds"
        // Songs without a URL (missing, empty, not text) are left out.
        {R"({"result": {"data": [{"name": "x"}, {"source": ""}, {"source": 5}]}})", CatalogueKind::Hot, 0},
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

    net::JsonDocument reply;
    ASSERT_TRUE(reply.load(R"({"result": {"data": [{"source": "http://s/1.mp3", "name": "歌一",
        "user": {"name": "甲"}, "id": 11, "user_id": "42", "pic_100": "http://s/1.jpg"}]}})"));
    const auto song = readCataloguePage(&reply, CatalogueKind::Hot, random).inPlayOrder().at(0);
    EXPECT_EQ(song.source, "http://s/1.mp3");
    EXPECT_EQ(song.name, "歌一");
    EXPECT_EQ(song.uploader, "甲");
    EXPECT_EQ(song.id, "11");
    EXPECT_EQ(song.uploaderId, 42);  // a number sent as text
    EXPECT_EQ(song.coverUrl, "http://s/1.jpg");
}

// Every order of a short page comes out about equally often: a chi-square test against
// the uniform distribution. A shuffle that swaps with any position, not only the ones not
// yet placed, favours some orders and fails this.
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
}

}  // namespace
}  // namespace vamu::catalogue
