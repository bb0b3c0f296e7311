#pragma once
// Conversions between the program's UTF-8 text and the encodings it meets outside:
// UTF-8 reply bodies that may hold invalid sequences, and GB18030 files (a superset of
// GBK, so files written by earlier versions read unchanged).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vamu::core {

// A reply body as program text: valid UTF-8 passes unchanged, every invalid sequence
// becomes U+FFFD. Text is cut at the first zero byte, as the body of a text reply ends there.
[[nodiscard]] std::string replyBodyToText(std::string_view body);

// `text` with every invalid UTF-8 sequence replaced by U+FFFD; valid text passes unchanged.
[[nodiscard]] std::string toValidUtf8(std::string_view text);

// GB18030 bytes to UTF-8 and back. Undecodable bytes become U+FFFD; GB18030 encodes
// every Unicode character, so the way out loses nothing. The euro sign is code page 936's
// single byte 0x80 both ways (the converter alone refuses that byte and writes A2 E3), so
// files of earlier versions read and write back byte for byte.
[[nodiscard]] std::string gb18030ToUtf8(std::string_view bytes);
[[nodiscard]] std::string utf8ToGb18030(std::string_view text);

// The strict conversion that stored data (the theme description, the method map) needs:
// nullopt when a sequence of `input` is not valid in `from` or has no form in `to`, or when
// the converter does not know the pair. Encoding names are iconv's ("GB18030", "UTF-8").
[[nodiscard]] std::optional<std::string> convertStrictly(std::string_view input, const char* to, const char* from);

// Length of UTF-8 text counted the way GBK counts bytes: ASCII 1, any other character 2.
[[nodiscard]] std::size_t gbkByteLength(std::string_view text);

// The longest prefix of `text` whose GBK byte length is at most `maxBytes`, never
// splitting a character.
[[nodiscard]] std::string_view gbkPrefix(std::string_view text, std::size_t maxBytes);

}  // namespace vamu::core
