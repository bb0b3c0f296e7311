// Input: a settings file's bytes; the key and the value come from its first line.
// Checks that nothing crashes, that a value written reads back as written, and that the
// GB18030 conversions the file goes through lose nothing they should keep.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/ini_text.h"
#include "core/text_encoding.h"
#include "core/utf8.h"

namespace {

using vamu::core::gb18030ToUtf8;
using vamu::core::readUtf8;
using vamu::core::toValidUtf8;
using vamu::core::utf8ToGb18030;

bool isPrivateUse(char32_t codePoint) { return codePoint >= 0xE000 && codePoint <= 0xF8FF; }

// Valid UTF-8 out and back through GB18030: every character comes back, except private-use
// ones that earlier versions wrote in codes now read as the standard characters.
void checkEncoderKeeps(std::string_view text) {
    const std::string back = gb18030ToUtf8(utf8ToGb18030(text));
    std::size_t a = 0;
    std::size_t b = 0;
    while (a < text.size() && b < back.size()) {
        const auto original = readUtf8(text, a);
        const auto returned = readUtf8(back, b);
        if (!returned.valid || (returned.codePoint != original.codePoint && !isPrivateUse(original.codePoint))) {
            std::abort();
        }
        a += original.length;
        b += returned.length;
    }
    if (a != text.size() || b != back.size()) {
        std::abort();
    }
}

// Any bytes read as GB18030 give valid UTF-8, which goes out and back unchanged.
void checkDecoder(std::string_view bytes) {
    const std::string text = gb18030ToUtf8(bytes);
    if (toValidUtf8(text) != text || gb18030ToUtf8(utf8ToGb18030(text)) != text) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t newline = input.find('\n');
    const std::string_view first = input.substr(0, newline);
    const std::string_view file = newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);
    const std::size_t tab = first.find('\t');
    const std::string_view key = first.substr(0, tab);
    const std::string_view value = tab == std::string_view::npos ? std::string_view("v") : first.substr(tab + 1);

    (void)vamu::core::iniValue(file, "配置文件", key);
    const auto written = vamu::core::iniWithValue(file, "配置文件", key, value);
    // Names and values are UTF-8; text that is not does not survive GB18030 unchanged.
    const auto survives = [](std::string_view text) { return gb18030ToUtf8(utf8ToGb18030(text)) == text; };
    if (written && survives(key) && survives(value)) {
        const auto readBack = vamu::core::iniValue(*written, "配置文件", key);
        if (!readBack || *readBack != value) {
            std::abort();
        }
    }

    checkEncoderKeeps(toValidUtf8(first));
    checkDecoder(file);
    return 0;
}
