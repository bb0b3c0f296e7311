#pragma once
// Decimal whole numbers from outside text (parameters, cookies, rules, command line).

#include <charconv>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

namespace vamu::service {

// The value of `text` when it is exactly a decimal whole number (an optional leading "-",
// no spaces, no "+") within [low, high]; nullopt otherwise, also on overflow.
[[nodiscard]] inline std::optional<std::int64_t> wholeNumber(
    std::string_view text, std::int64_t low = std::numeric_limits<std::int64_t>::min(),
    std::int64_t high = std::numeric_limits<std::int64_t>::max()) {
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

}  // namespace vamu::service
