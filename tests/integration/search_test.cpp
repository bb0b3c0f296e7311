// The search bar against the service: the keyword's encoding, the pages, refusals and
// replies that cannot be read.
#include "integration/account_fixture.h"

#include "net/http_request.h"

#include <cctype>

namespace vamu::test {
namespace {

using namespace std::chrono_literals;
namespace column = panel::song_column;

class SearchTest : public AccountFixture {
protected:
    void searchFor(const QString& keyword) {
        searchPanel().keyword->setText(keyword);
        ASSERT_TRUE(UiDriver::click(*searchPanel().search));
        EXPECT_FALSE(UiDriver::enabled(*searchPanel().search)) << "off while the page loads";
        waitForSearch();
    }
    void waitForSearch() {
        ASSERT_TRUE(UiDriver::pumpUntil([&] { return !search().searching(); }, 15s));
    }
    void setFault(const std::string& rule) {
        net::HttpRequestArgs args;
        args.url = m_service->apiUrl("/admin/faults");
        args.method = 1;
        args.extraHeaders = std::string(test::kAdminHeader);
        args.body = "fault=";
        for (const unsigned char c : rule) {
            static constexpr char kHex[] = "0123456789ABCDEF";
            args.body +=
                std::isalnum(c) ? std::string(1, static_cast<char>(c)) : std::string{'%', kHex[c >> 4], kHex[c & 15]};
        }
        ASSERT_EQ(net::httpRequest(args).status, 200);
    }
};

TEST_F(SearchTest, KeywordsGoOutFullyEncodedAndResultsFillTheLikesList) {
    startService();
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(loginAndWait(kDemoPhone, kDemoPassword, false, 45));
    EXPECT_EQ(library().likesMode(), library::LikesMode::Likes);

    searchFor("ab");
    EXPECT_EQ(requests("GET /sound/search?keyword=%61%62&page=1 "), 1);
    searchFor("中");
    EXPECT_EQ(requests("GET /sound/search?keyword=%E4%B8%AD&page=1 "), 1);
    EXPECT_EQ(library().likesMode(), library::LikesMode::SearchResults);

    // "0": pages of 10, 10 and 2 results.
    searchFor("0");
    EXPECT_TRUE(UiDriver::enabled(*searchPanel().search));
    ASSERT_EQ(likes().rowCount(), 10);
    EXPECT_TRUE(UiDriver::enabled(*searchPanel().nextPage));
    EXPECT_EQ(column(likes(), column::kUploader), std::vector<QString>(10, "搜索"));
    EXPECT_EQ(column(likes(), column::kNumber).back(), "10");
    const auto firstPage = column(likes(), column::kId);
    ASSERT_TRUE(UiDriver::click(*searchPanel().nextPage));
    waitForSearch();
    EXPECT_EQ(requests("keyword=%30&page=2 "), 1);
    EXPECT_EQ(likes().rowCount(), 10);
    EXPECT_NE(column(likes(), column::kId), firstPage);
    ASSERT_TRUE(UiDriver::click(*searchPanel().nextPage));
    waitForSearch();
    EXPECT_EQ(likes().rowCount(), 2);
    EXPECT_FALSE(UiDriver::enabled(*searchPanel().nextPage));
    // A page past the end is empty: the list empties.
    search().nextSearchPage();
    waitForSearch();
    EXPECT_EQ(likes().rowCount(), 0);
    EXPECT_FALSE(UiDriver::enabled(*searchPanel().nextPage));

    // Search results: the menus offer no unlike and no synchronisation.
    searchFor("0");
    likes().setSelectedRow(1);
    library().prepareLikesMenu();
    EXPECT_EQ(libraryPanel().likesMenu->item(panel::likes_menu::kCollect)->state, toolkit::menu_state::kNormal);
    EXPECT_EQ(libraryPanel().likesMenu->item(panel::likes_menu::kDelete)->state, toolkit::menu_state::kDisabled);
    EXPECT_EQ(libraryPanel().likesMenu->item(panel::likes_menu::kSync)->state, toolkit::menu_state::kDisabled);
    library().collectFromLikes();  // the selected result
    collection().setSelectedRow(1);
    ASSERT_TRUE(library().prepareCollectionMenu());
    EXPECT_EQ(libraryPanel().collectionMenu->item(panel::collection_menu::kSync)->state,
              toolkit::menu_state::kDisabled);
    EXPECT_EQ(m_messages.count(), 0u);
}

TEST_F(SearchTest, UnreadableRepliesChangeNothingAndRefusalsAreShown) {
    startService();
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(loginAndWait(kDemoPhone, kDemoPassword, false, 45));

    // Not JSON: the likes stay, and so does the mode.
    setFault("/sound/search=html*1");
    searchFor("0");
    EXPECT_EQ(likes().rowCount(), 45);
    EXPECT_EQ(library().likesMode(), library::LikesMode::Likes);
    EXPECT_TRUE(UiDriver::enabled(*searchPanel().search));

    searchFor("0");
    ASSERT_EQ(likes().rowCount(), 10);
    const auto results = column(likes(), column::kId);
    setFault("/sound/search=broken-json*1");
    ASSERT_TRUE(UiDriver::click(*searchPanel().nextPage));
    waitForSearch();
    EXPECT_EQ(column(likes(), column::kId), results);
    EXPECT_EQ(library().likesMode(), library::LikesMode::SearchResults);

    // A refusal (logged out meanwhile): the service's text, "下一页" off.
    const toolkit::MenuEntry* logout = libraryPanel().likesMenu->item(panel::likes_menu::kLogout);
    logout->handler();
    m_program->serviceContext().session->setSessionCookies("");
    search().startSearch();
    ASSERT_TRUE(m_messages.waitFor(1));
    EXPECT_EQ(m_messages.seen()[0].title, "提示");
    EXPECT_EQ(m_messages.seen()[0].text, "请先登录");
    EXPECT_EQ(m_messages.seen()[0].width, 200);
    EXPECT_FALSE(UiDriver::enabled(*searchPanel().nextPage));
}

TEST_F(SearchTest, OverlappingPagesLeaveTheRowsOfOneReply) {
    startService({"--throttle-streams", "--fault", "/sound/search=delay:300"});
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(loginAndWait(kDemoPhone, kDemoPassword, false, 45));
    searchFor("0");
    const auto firstPage = column(likes(), column::kId);
    // A search and a next page at once; the next page is the one asked for last.
    search().startSearch();
    search().nextSearchPage();
    waitForSearch();
    UiDriver::pump(800ms);  // a late reply of the first would land now
    ASSERT_EQ(likes().rowCount(), 10);
    const auto shown = column(likes(), column::kId);
    for (const QString& id : shown) {
        EXPECT_EQ(std::count(firstPage.begin(), firstPage.end(), id), 0) << "a row of page 1 among page 2";
    }
    EXPECT_EQ(column(likes(), column::kNumber).front(), "1");

    // A logout while a page loads ends it and leaves "搜索" usable for the next login.
    search().startSearch();
    EXPECT_FALSE(UiDriver::enabled(*searchPanel().search));
    libraryPanel().likesMenu->item(panel::likes_menu::kLogout)->handler();
    EXPECT_FALSE(search().searching());
    ASSERT_TRUE(loginAndWait(kDemoPhone, kDemoPassword, false, 45));
    EXPECT_TRUE(UiDriver::enabled(*searchPanel().search));
}

TEST_F(SearchTest, ASearchEndsALikesChainSoNoLikesLandAmongTheResults) {
    startService({"--throttle-streams", "--fault", "/player/likes=delay:200"});
    ASSERT_TRUE(startProgram());
    clickLogin(kDemoPhone, kDemoPassword, false);
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return likes().rowCount() >= 20; }, 15s));
    searchFor("0");
    UiDriver::pump(1000ms);
    EXPECT_EQ(likes().rowCount(), 10);
    EXPECT_EQ(column(likes(), column::kUploader), std::vector<QString>(10, "搜索"));
    EXPECT_FALSE(library().loadingLikes());
}

}  // namespace
}  // namespace vamu::test
