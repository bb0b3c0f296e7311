#pragma once
// Texts that the channel grid and the catalogue show, written once.

#include <string_view>

namespace vamu::catalogue {

inline constexpr std::string_view kLoadingSongsText = "歌曲加载中..";  // second line while a page loads
inline constexpr std::string_view kFetchFailedText = "获取数据失败";   // title line, channel grid failed
inline constexpr std::string_view kRetryingText = "重试中...";         // second line, channel grid failed
inline constexpr std::string_view kIdleTitleLine = "「vamu」";         // grid shown, nothing played yet
inline constexpr std::string_view kIdleSecondLine = "颠覆你的听觉体验";
inline constexpr std::string_view kHotListName = "热门推荐";

}  // namespace vamu::catalogue
