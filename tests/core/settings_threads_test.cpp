#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "core/settings.h"
#include "settings_fixture.h"

namespace vamu::core {
namespace {

TEST_F(SettingsTest, ConcurrentWritersNeverLoseKeys) {
    ASSERT_TRUE(writeSetting("start", "1", CreateFolder::Yes));
    constexpr int kThreads = 6;
    constexpr int kKeysPerThread = 20;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t] {
            for (int k = 0; k < kKeysPerThread; ++k) {
                const std::string key = "键" + std::to_string(t) + "_" + std::to_string(k);
                EXPECT_TRUE(writeSetting(key, "值" + std::to_string(t * 1000 + k)));
                EXPECT_EQ(readSetting(key, "missing"), "值" + std::to_string(t * 1000 + k));
                (void)readSettingInt(setting::kVolume);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int t = 0; t < kThreads; ++t) {
        for (int k = 0; k < kKeysPerThread; ++k) {
            const std::string key = "键" + std::to_string(t) + "_" + std::to_string(k);
            EXPECT_EQ(readSetting(key, "missing"), "值" + std::to_string(t * 1000 + k)) << key;
        }
    }
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"vamu.ini"});
}

}  // namespace
}  // namespace vamu::core
