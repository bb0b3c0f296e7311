#pragma once
// Byte-wise ASCII helpers for protocol text (header names, URLs, cookie pairs). Bytes
// outside ASCII are left alone, so UTF-8 text passes through unchanged.

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace vamu::net {

constexpr char asciiLowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr bool isAsciiAlnum(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

inline std::string asciiLower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), asciiLowerChar);
    return out;
}

constexpr bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return asciiLowerChar(x) == asciiLowerChar(y); });
}

// Position of the first occurrence of `needle` in `text`, ignoring ASCII case; npos when none.
constexpr std::size_t findIgnoringCase(std::string_view text, std::string_view needle, std::size_t from = 0) {
    if (needle.size() > text.size()) {
        return std::string_view::npos;
    }
    for (std::size_t i = from; i + needle.size() <= text.size(); ++i) {
        if (equalsIgnoringCase(text.substr(i, needle.size()), needle)) {
            return i;
        }
    }
    return std::string_view::npos;
}

// `text` without leading and trailing spaces (and tabs, which header values may carry).
constexpr std::string_view trimSpaces(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The non-empty pieces of `text` between any of the `delimiters`.
inline std::vector<std::string_view> splitNonEmpty(std::string_view text, std::string_view delimiters) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    while (start < text.size()) {
        const auto end = std::min(text.find_first_of(delimiters, start), text.size());
        if (end > start) {
            pieces.push_back(text.substr(start, end - start));
        }
        start = end + 1;
    }
    return pieces;
}

}  // namespace vamu::net
