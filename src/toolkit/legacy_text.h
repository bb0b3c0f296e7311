#pragma once
// Strict conversions between program text (UTF-8) and the GB encodings in which the
// theme description and the method map are stored. Unlike the lenient readers of
// files and replies, these refuse damaged input: a description that does not decode
// is a broken pack, never a half-read one.

#include <optional>
#include <string>
#include <string_view>

namespace vamu::toolkit {

// GB2312 (or any GB18030 superset text) to UTF-8; nullopt when a byte sequence is not
// valid.
[[nodiscard]] std::optional<std::string> gbToUtf8(std::string_view bytes);

// UTF-8 to GB2312; nullopt when the text is not valid UTF-8 or holds a character that
// GB2312 cannot encode.
[[nodiscard]] std::optional<std::string> utf8ToGb2312(std::string_view text);

}  // namespace vamu::toolkit
