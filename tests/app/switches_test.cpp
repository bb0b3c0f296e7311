// 缓存上限 as the song cache's limit.
#include "app/switches.h"

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
