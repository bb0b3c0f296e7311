#pragma once
// Key atoms: a process-wide table that interns the texts of property and theme keys
// and answers a small number per text, so hot lookups compare numbers instead of
// strings. The same text gives the same atom for the life of the process.
//
// Texts compare without regard to ASCII case ("Button_normal_rect" and
// "button_NORMAL_rect" are one atom), the way keys have always matched; the first
// spelling interned is the one keyAtomText answers.
//
// Every function here is safe to call from any thread.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vamu::toolkit {

using KeyAtom = std::uint16_t;

// No key: what a failed intern answers. Lookups under it find nothing.
inline constexpr KeyAtom kNoKeyAtom = 0;
// Interned atoms start here and the table holds at most kKeyAtomCapacity texts.
inline constexpr KeyAtom kFirstKeyAtom = 0xC000;
inline constexpr std::size_t kKeyAtomCapacity = 0x10000 - kFirstKeyAtom;
// Longer texts are refused, as they are never keys.
inline constexpr std::size_t kKeyAtomMaxLength = 255;

// The atom of `key`, interning it on first use. kNoKeyAtom for an empty or over-long
// text, or when the table is full.
[[nodiscard]] KeyAtom keyAtom(std::string_view key);

// The atom of `key` when it has been interned already; never adds to the table.
[[nodiscard]] std::optional<KeyAtom> findKeyAtom(std::string_view key);

// The text interned under `atom` (its first spelling); nullopt for an unknown atom.
[[nodiscard]] std::optional<std::string> keyAtomText(KeyAtom atom);

// The number of texts interned so far.
[[nodiscard]] std::size_t keyAtomCount();

// ASCII case-insensitive hashing and comparison, shared by the other tables whose
// keys follow the same rule (theme elements, control classes).
struct CaseInsensitiveHash {
    using is_transparent = void;
    [[nodiscard]] std::size_t operator()(std::string_view text) const noexcept;
};
struct CaseInsensitiveEqual {
    using is_transparent = void;
    [[nodiscard]] bool operator()(std::string_view a, std::string_view b) const noexcept;
};

}  // namespace vamu::toolkit
