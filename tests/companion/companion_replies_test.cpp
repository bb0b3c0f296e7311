// The companion server's replies: update offers, statistics, notices.
#include "companion/companion_replies.h"

#include <gtest/gtest.h>

namespace vamu::companion {
namespace {

TEST(UpdateOffer, NoOfferForOneOrEmptyAndNotesEndAtAFurtherComma) {
    EXPECT_FALSE(readUpdateOffer("1"));
    EXPECT_FALSE(readUpdateOffer(""));
    EXPECT_FALSE(readUpdateOffer(" 1\r\n"));
    EXPECT_FALSE(readUpdateOffer("2.40"));    // nothing to open
    EXPECT_FALSE(readUpdateOffer(",url,x"));  // no version
    const auto offer = readUpdateOffer("2.40,upd,fixes, more fixes");
    ASSERT_TRUE(offer);
    EXPECT_EQ(offer->version, "2.40");
    EXPECT_EQ(offer->address, "upd");
    EXPECT_EQ(offer->notes, "fixes");
    EXPECT_EQ(updateText(*offer), "当前版本:2.36\n最新版本:2.40\n更新内容:\nfixes");
    const auto bare = readUpdateOffer("3.0,http://x/y");
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->notes, "");
}

TEST(Statistics, NormalModeShowsTwoValuesAdministratorSixInItsOwnOrder) {
    const auto normal = readStatistics("5,1200,300,9,8,77", false);
    EXPECT_EQ(statisticsText(normal, false), "在线人数:5\n启动次数:1200");
    const auto admin = readStatistics("5,1200,300,9,8,77,extra", true);
    EXPECT_EQ(statisticsText(admin, true),
              "在线人数:5\n今日最高:9\n昨日最高:8\n今日总量:77\n启动次数:1200\n总用户数:300");
}

TEST(Statistics, EmptyOrShortRepliesShowTheFailureLines) {
    const std::string failed = "在线人数:获取失败\n启动次数:获取失败";
    EXPECT_EQ(statisticsText(readStatistics("", false), false), failed);
    EXPECT_EQ(statisticsText(readStatistics("5", false), false), failed);
    EXPECT_EQ(statisticsText(readStatistics("5,6,7", true), true), failed);
    EXPECT_EQ(statisticsText(readStatistics("5,6", false), false), "在线人数:5\n启动次数:6");
}

TEST(Notice, ThreePartsSplitAtTheDelimiterAndTheTextEndsAtAFurtherOne) {
    const auto notice = readNotice("2!@#qnmlgb7!@#qnmlgbhello!@#qnmlgbtrailer");
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->kind, "2");
    EXPECT_EQ(notice->id, "7");
    EXPECT_EQ(notice->text, "hello");
    for (const char* bad : {"", "2", "2!@#qnmlgb7", "2!@#qnmlgb!@#qnmlgbtext"}) EXPECT_FALSE(readNotice(bad)) << bad;
}

TEST(Notice, AnIdCountsAsShownWhereverItsTextAndCommaAppear) {
    EXPECT_TRUE(noticeAlreadyShown("7,", "7"));
    EXPECT_TRUE(noticeAlreadyShown("17,", "7"));  // a plain substring search
    EXPECT_TRUE(noticeAlreadyShown("ab,CD,", "cd"));
    EXPECT_FALSE(noticeAlreadyShown("", "7"));
    EXPECT_FALSE(noticeAlreadyShown("71", "7"));
    EXPECT_FALSE(noticeAlreadyShown("7", "7"));
}

TEST(Administrator, OnlyTheCodeItselfTurnsTheModeOn) {
    EXPECT_TRUE(isAdministrator("73051864"));
    EXPECT_TRUE(isAdministrator(" 73051864 "));
    EXPECT_FALSE(isAdministrator("0"));
    EXPECT_FALSE(isAdministrator("730518640"));
    EXPECT_FALSE(isAdministrator(""));
}

TEST(RequestBodies, CarryTheVersionAndTheClientId) {
    EXPECT_EQ(updateCheckBody(), "do=gx&bbh=2.36");
    EXPECT_EQ(newClientBody(), "do=new");
    EXPECT_EQ(clientStartBody("42"), "do=dl&id=42");
    EXPECT_EQ(reportBody("42"), "do=xt&id=42");
    EXPECT_EQ(noticeBody(), "do=zt&bbh=2.36");
}

}  // namespace
}  // namespace vamu::companion
