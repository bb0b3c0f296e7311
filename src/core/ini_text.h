#pragma once
// Reading and editing the text of an initialisation file the way the Windows profile
// functions treat a file that a user may have edited by hand:
//   - "[section]" headers and "key=value" lines; the first section of a name is the one
//     used, and in it the first line of a key wins;
//   - section and key names match without regard to the case of ASCII letters;
//   - white space around names and values is ignored; a value wrapped in a pair of double
//     or single quotes reads without them; ";" and "#" lines are comments;
//   - LF and CR LF line endings both read; an edit writes the file's own ending.
// The file text is handled as its bytes on disk, GB18030; names, values and results are
// UTF-8. An edit rewrites one line or adds one; every other byte stays as it was.
// Editors may put a byte-order mark at the front: the UTF-8 mark (EF BB BF) says the editor
// saved the text as UTF-8, so such a file reads and is edited as UTF-8; the GB18030 mark
// (84 31 95 33) is skipped. Either mark stays where it is.

#include <optional>
#include <string>
#include <string_view>

namespace vamu::core {

// Value of `key` in `section`, or nullopt when the section or the key is missing.
[[nodiscard]] std::optional<std::string> iniValue(std::string_view fileBytes, std::string_view section,
                                                  std::string_view key);

// The file with `key` of `section` set to `value`: the key's first line is rewritten, or a
// line is added at the end of the section, or the section is added at the end of the file.
// A value that would not read back as written (white space at either end, or wrapped in
// quotes) is written between double quotes. nullopt when the name or value cannot be
// stored on one line (line breaks, NUL, "=" or "]" in a name, white space around a name).
[[nodiscard]] std::optional<std::string> iniWithValue(std::string_view fileBytes, std::string_view section,
                                                      std::string_view key, std::string_view value);

}  // namespace vamu::core
