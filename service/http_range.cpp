#include "http_range.h"

#include "whole_number.h"

#include <algorithm>
#include <optional>

namespace vamu::service {
namespace {

std::optional<std::int64_t> digits(std::string_view text) {
    if (!text.empty() && text.front() == '-') return std::nullopt;
    return wholeNumber(text, 0);
}

}  // namespace

ByteRange resolveRange(std::string_view header, std::int64_t size) {
    constexpr std::string_view kUnit = "bytes=";
    while (!header.empty() && header.front() == ' ') header.remove_prefix(1);
    if (!header.starts_with(kUnit)) return {};
    auto ranges = header.substr(kUnit.size());
    while (!ranges.empty() && ranges.back() == ' ') ranges.remove_suffix(1);
    const auto dash = ranges.find('-');
    if (ranges.find(',') != std::string_view::npos || dash == std::string_view::npos) return {};
    const auto firstText = ranges.substr(0, dash);
    const auto lastText = ranges.substr(dash + 1);
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
