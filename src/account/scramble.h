#pragma once
// The scrambled form in which the remembered account name and password are kept in the
// settings file ("userdata"). It hides them from a casual look, nothing more: anyone with
// the program can read them back. The form is shared with earlier versions' files.

#include <string>
#include <string_view>

namespace vamu::account {

// Key of the remembered credentials; a file scrambled with another key reads as empty.
inline constexpr std::string_view kCredentialKey = "hxbtqez";

// MD5 of `bytes` as 32 lower-case hexadecimal digits; empty if the digest cannot be made.
[[nodiscard]] std::string md5Hex(std::string_view bytes);

// Each GB18030 byte of `text` XOR 0x10 as two upper-case hexadecimal digits, then a
// nine-character check made from `key` (characters 3 to 11 of md5Hex(key), upper case).
// A text of n bytes gives 2n + 9 characters. Empty if the digest cannot be made.
[[nodiscard]] std::string scrambleText(std::string_view text, std::string_view key);

// The text back as UTF-8; empty when the check does not match `key` or the rest is not
// pairs of hexadecimal digits (either case).
[[nodiscard]] std::string unscrambleText(std::string_view scrambled, std::string_view key);

}  // namespace vamu::account
