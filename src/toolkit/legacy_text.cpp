#include "toolkit/legacy_text.h"

#include "core/text_encoding.h"

namespace vamu::toolkit {

std::optional<std::string> gbToUtf8(std::string_view bytes) { return core::convertStrictly(bytes, "UTF-8", "GB18030"); }

std::optional<std::string> utf8ToGb2312(std::string_view text) {
    return core::convertStrictly(text, "GB2312", "UTF-8");
}

}  // namespace vamu::toolkit
