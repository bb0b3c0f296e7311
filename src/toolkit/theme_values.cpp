#include "toolkit/theme_values.h"

#include <charconv>
#include <cmath>
#include <string>

namespace vamu::toolkit {

namespace {

constexpr std::size_t kMaxItems = 64;

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

template <typename Number, typename ParseItem>
std::optional<std::vector<Number>> parseList(std::string_view text, ParseItem parseItem) {
    std::vector<Number> items;
    while (true) {
        const std::size_t comma = text.find(',');
        const std::string_view item = trimmed(text.substr(0, comma));
        Number value{};
        if (item.empty() || items.size() >= kMaxItems || !parseItem(item, value)) return std::nullopt;
        items.push_back(value);
        if (comma == std::string_view::npos) return items;
        text.remove_prefix(comma + 1);
    }
}

// from_chars takes no "+"; a lone or doubled sign is still refused.
bool dropPlus(std::string_view& item) {
    if (item.front() != '+') return true;
    item.remove_prefix(1);
    return !item.empty() && item.front() != '-';
}

}  // namespace

std::optional<std::vector<long long>> parseIntegerList(std::string_view text) {
    return parseList<long long>(text, [](std::string_view item, long long& value) {
        if (!dropPlus(item)) return false;
        const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), value);
        return error == std::errc{} && end == item.data() + item.size();
    });
}

std::optional<std::vector<double>> parseRealList(std::string_view text) {
    return parseList<double>(text, [](std::string_view item, double& value) {
        if (!dropPlus(item)) return false;
        const auto [end, error] = std::from_chars(item.data(), item.data() + item.size(), value);
        return error == std::errc{} && end == item.data() + item.size() && std::isfinite(value);
    });
}

bool isAtlasRegionAttribute(std::string_view attribute) {
    std::string name(attribute);
    for (char& c : name) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    const std::string_view lower(name);
    return !(lower.ends_with("size") || lower.find("gird") != std::string_view::npos || lower.starts_with("margin") ||
             lower.starts_with("cr"));
}

}  // namespace vamu::toolkit
