#pragma once
// The value the settings kill helper stores with its w-th write: the number first (so
// readSettingInt reads it), then text long enough that a write takes more than one
// system call, different for every w so a half-written or stale file shows.

#include <string>
#include <string_view>

namespace vamu::core {

inline constexpr std::string_view kKillKey = "计数";

inline std::string killValue(int w) {
    std::string value = std::to_string(w) + " ";
    static constexpr std::string_view kText = "写入设置文件时被杀死";
    for (int i = 0; i < 120; ++i) {
        value += kText;
        value += std::to_string((w + i) % 10);
    }
    return value;
}

}  // namespace vamu::core
