// 缓存上限 as the song cache's limit, and the comments' settings through the settings file.
#include "app/switches.h"

#include "core/settings.h"
#include "core/settings_fixture.h"

#include <gtest/gtest.h>

TEST(SongCacheLimitSetting, WholeMegabytesCountAndAnythingElseIsTheDefault) {
    constexpr std::int64_t kMegabyte = 1 << 20;
    constexpr std::int64_t kDefault = 1024 * kMegabyte;
    const std::pair<const char*, std::int64_t> cases[] = {
        {"0", 0},          {" 64 ", 64 * kMegabyte}, {"", kDefault},
        {"abc", kDefault}, {"-5", kDefault},         {"12x", kDefault},
        {"1.5", kDefault}, {"+3", kDefault},         {"99999999999999999999", INT64_MAX >> 20 << 20},
    };
    for (const auto& [text, bytes] : cases) EXPECT_EQ(vamu::app::songCacheBytes(text), bytes) << text;
}

namespace vamu::core {
namespace {

using CommentSettingsKeys = SettingsTest;

TEST_F(CommentSettingsKeys, ChangesAreWrittenAndReadBackAndBadValuesMeanTheDefaults) {
    EXPECT_EQ(app::Switches().commentSettings(), comments::CommentSettings{});  // nothing written yet

    comments::CommentSettings chosen{.opacity = 35,
                                     .speed = 75,
                                     .textSize = comments::TextSize::Large,
                                     .lanes = 2,
                                     .cap = 40,
                                     .merge = true,
                                     .blocked = {"a|b", "广告", "c\\"}};
    {
        app::Switches switches;
        switches.setCommentSettings(chosen);
        EXPECT_EQ(switches.commentSettings(), chosen);
    }
    EXPECT_EQ(readSetting(setting::kCommentOpacity), "35");
    EXPECT_EQ(readSetting(setting::kCommentSpeed), "0.75");
    EXPECT_EQ(readSetting(setting::kCommentTextSize), "2");
    EXPECT_EQ(readSetting(setting::kCommentLanes), "2");
    EXPECT_EQ(readSetting(setting::kCommentCap), "40");
    EXPECT_EQ(readSetting(setting::kCommentMerge), "1");
    EXPECT_EQ(readSetting(setting::kCommentBlocked), "a\\|b|广告|c\\\\");
    EXPECT_EQ(app::Switches().commentSettings(), chosen);  // the next start sees them

    // Only what changed is written: a value edited meanwhile under another key stays.
    ASSERT_TRUE(writeSetting(setting::kCommentCap, "70"));
    {
        app::Switches switches;
        chosen.cap = 70;
        EXPECT_EQ(switches.commentSettings(), chosen);
        ASSERT_TRUE(writeSetting(setting::kCommentLanes, "1"));
        chosen.opacity = 90;
        switches.setCommentSettings(chosen);
    }
    EXPECT_EQ(readSetting(setting::kCommentOpacity), "90");
    EXPECT_EQ(readSetting(setting::kCommentLanes), "1");

    // Out of range or not numbers: each key its default, the others as written.
    const std::pair<const SettingKey*, const char*> bad[] = {
        {&setting::kCommentOpacity, "19"}, {&setting::kCommentSpeed, "2.01"}, {&setting::kCommentTextSize, "3"},
        {&setting::kCommentLanes, "0"},    {&setting::kCommentCap, "121"},    {&setting::kCommentMerge, "yes"},
    };
    for (const auto& [key, text] : bad) ASSERT_TRUE(writeSetting(*key, text));
    comments::CommentSettings expected;
    expected.blocked = chosen.blocked;
    EXPECT_EQ(app::Switches().commentSettings(), expected);
    const std::pair<const char*, int> speeds[] = {{" 1.5 ", 150}, {"0.5", 50}, {"2", 200}, {"0.49", 100},
                                                  {"1,5", 100},   {"nan", 100}, {"", 100}, {"1.25x", 100}};
    for (const auto& [text, speed] : speeds) {
        ASSERT_TRUE(writeSetting(setting::kCommentSpeed, text));
        EXPECT_EQ(app::Switches().commentSettings().speed, speed) << text;
    }
}

}  // namespace
}  // namespace vamu::core
