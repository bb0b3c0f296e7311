// Input: a settings file's bytes; the key and the value come from its first line.
// Checks that nothing crashes and that a value written reads back as written.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/ini_text.h"
#include "core/text_encoding.h"

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
    const auto survives = [](std::string_view text) {
        return vamu::core::gb18030ToUtf8(vamu::core::utf8ToGb18030(text)) == text;
    };
    if (written && survives(key) && survives(value)) {
        const auto readBack = vamu::core::iniValue(*written, "配置文件", key);
        if (!readBack || *readBack != value) {
            std::abort();
        }
    }
    return 0;
}
