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
[[nodiscard]] std::span<const std::string_view> comments();
[[nodiscard]] std::span<const std::string_view> commentTails();
[[nodiscard]] std::span<const std::string_view> descriptions();
[[nodiscard]] std::span<const std::string_view> descriptionMoods();

}  // namespace vamu::service::demo_texts
