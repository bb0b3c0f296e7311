#pragma once
// Texts that the channel grid and the catalogue show, written once.

#include <string_view>

namespace vamu::catalogue {

inline constexpr std::string_view kFetchFailedText = "获取数据失败";  // title line, channel grid failed
inline constexpr std::string_view kRetryingText = "重试中...";        // second line, channel grid failed

}  // namespace vamu::catalogue
