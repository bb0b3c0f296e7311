#pragma once
// A strict UTF-8 reader: one step per character, ill-formed input reported per maximal
// subpart (the unit that becomes one U+FFFD, as the Unicode standard recommends).

#include <cstddef>
#include <string_view>

namespace vamu::core {

inline constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";  // U+FFFD

struct Utf8Step {
    char32_t codePoint = 0;  // meaningful only when `valid`
    std::size_t length = 1;  // bytes consumed, at least 1
    bool valid = false;
};

// Reads the character at `pos` (pos < text.size()). Overlong forms, surrogates and values
// above U+10FFFF are ill-formed.
[[nodiscard]] constexpr Utf8Step readUtf8(std::string_view text, std::size_t pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    if (lead < 0x80) {
        return {lead, 1, true};
    }
    std::size_t count = 0;
    char32_t value = 0;
    unsigned char low = 0x80;  // allowed range of the second byte
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        count = 1;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        count = 2;
        value = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;   // no overlong forms
        if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        count = 3;
        value = lead & 0x07;
        if (lead == 0xF0) low = 0x90;   // no overlong forms
        if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    } else {
        return {};
    }
    std::size_t length = 1;
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t i = pos + 1 + k;
        if (i >= text.size()) {
            return {0, length, false};
        }
        const unsigned char c = byte(i);
        const bool inRange = k == 0 ? (c >= low && c <= high) : (c >= 0x80 && c <= 0xBF);
        if (!inRange) {
            return {0, length, false};
        }
        value = (value << 6) | (c & 0x3F);
        ++length;
    }
    return {value, length, true};
}

}  // namespace vamu::core
