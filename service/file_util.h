#pragma once
// Whole-file reads and atomic writes for the data directory.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vamu::service {

// The file's bytes; nullopt when it cannot be read.
[[nodiscard]] std::optional<std::string> readWholeFile(const std::filesystem::path& file);

enum class Durability {
    Synced,      // on disk before the rename: survives a power loss
    Replaceable  // may be lost with the power, never seen half-written: for files made again when missing
};

// Writes a temporary file beside `file` and renames it over `file`, so a crash never
// leaves a half-written file under the final name. On failure `error` says why and
// nothing is left behind.
[[nodiscard]] bool writeFileAtomically(const std::filesystem::path& file, std::string_view bytes, std::string& error,
                                       Durability durability = Durability::Synced);

}  // namespace vamu::service
