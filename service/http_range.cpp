#include "http_range.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace vamu::service {
namespace {

std::optional<std::int64_t> digits(std::string_view text) {
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
    return value;
}

}  // namespace

ByteRange resolveRange(std::string_view header, std::int64_t size) {
    constexpr std::string_view kUnit = "bytes=";
    while (!header.empty() && header.front() == ' ') header.remove_prefix(1);
    if (!header.starts_with(kUnit)) return {};
    auto spec = header.substr(kUnit.size());
    while (!spec.empty() && spec.back() == ' ') spec.remove_suffix(1);
    const auto dash = spec.find('-');
    if (spec.find(',') != std::string_view::npos || dash == std::string_view::npos) return {};
    const auto firstText = spec.substr(0, dash);
    const auto lastText = spec.substr(dash + 1);
    const ByteRange unsatisfiable{RangeOutcome::Unsatisfiable, 0, -1};

    if (firstText.empty()) {  // the final N bytes
        const auto count = digits(lastText);
        if (!count) return {};
        if (*count == 0 || size == 0) return unsatisfiable;
        return {RangeOutcome::Partial, std::max<std::int64_t>(0, size - *count), size - 1};
    }
    const auto first = digits(firstText);
    const auto last = lastText.empty() ? std::optional<std::int64_t>(size - 1) : digits(lastText);
    if (!first || !last || (!lastText.empty() && *last < *first)) return {};
    if (*first >= size) return unsatisfiable;
    return {RangeOutcome::Partial, *first, std::min(*last, size - 1)};
}

}  // namespace vamu::service
