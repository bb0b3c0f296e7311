#pragma once
// Word pools of the demo catalogue: song titles, user and channel names, comments and
// descriptions, in Chinese and in ASCII.

#include <span>
#include <string_view>

namespace vamu::service::demo_texts {

[[nodiscard]] std::span<const std::string_view> chineseTitleStarts();
[[nodiscard]] std::span<const std::string_view> chineseTitleEnds();
[[nodiscard]] std::span<const std::string_view> asciiTitleStarts();
[[nodiscard]] std::span<const std::string_view> asciiTitleEnds();
[[nodiscard]] std::span<const std::string_view> chineseUserNames();
[[nodiscard]] std::span<const std::string_view> asciiUserNames();
[[nodiscard]] std::span<const std::string_view> channelNames();
// What a version of a song adds to its title: "晚风 (Live)".
[[nodiscard]] std::span<const std::string_view> versionTags();
[[nodiscard]] std::span<const std::string_view> comments();
[[nodiscard]] std::span<const std::string_view> commentTails();
// Descriptions hold "{}" where a mood word of the same language goes.
[[nodiscard]] std::span<const std::string_view> chineseDescriptions();
[[nodiscard]] std::span<const std::string_view> chineseMoods();
[[nodiscard]] std::span<const std::string_view> asciiDescriptions();
[[nodiscard]] std::span<const std::string_view> asciiMoods();

}  // namespace vamu::service::demo_texts
