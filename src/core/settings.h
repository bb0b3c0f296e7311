#pragma once
// The settings file: one initialisation file per user, one section "配置文件", read and
// written key by key. Nothing is cached; each read sees the last write at once.
// Safe to call from any thread; calls are serialised inside (and, across processes, by an
// advisory lock on the settings folder). The file is GB18030 on disk and replaced atomically.

#include <string>
#include <string_view>

#include "core/settings_keys.h"

namespace vamu::core {

enum class CreateFolder { No, Yes };

// Value of `key`, or `defaultValue` when the file, the section or the key is missing.
// At most 10,239 bytes of a value are returned.
[[nodiscard]] std::string readSetting(std::string_view key, std::string_view defaultValue);

// Integer value read the way atoi reads text (optional sign, leading digits, else 0).
[[nodiscard]] int readSettingInt(std::string_view key, int defaultValue);

// Writes `value` under `key`; an empty value keeps the key with nothing after "=".
// The settings folder is made only when `createFolder` is Yes (the writers that own
// the folder); otherwise a missing folder makes the write fail silently.
// Returns false when the file could not be written, or when the key or value cannot be
// stored on one line (a line break or NUL in either; "=" or "]" in the key). A value with
// white space at either end or wrapped in quotes is stored quoted, so it reads back as written.
bool writeSetting(std::string_view key, std::string_view value, CreateFolder createFolder = CreateFolder::No);

// Removes the temporary files that writes killed midway left in the settings folder (named
// as the writer names them, regular, the user's own, last changed before this process
// started), while holding the writers' lock so that no write of any process is cut short.
// Does nothing when another process holds the lock. Returns how many files went. For start-up.
int removeStaleSettingsFiles();

// "$XDG_CONFIG_HOME/vamu/vamu.ini" (default "~/.config/vamu/vamu.ini"), built afresh on each call.
[[nodiscard]] std::string settingsPath();

// The same operations for the keys of settings_keys.h, with their defaults.
[[nodiscard]] std::string readSetting(const SettingKey& key);
[[nodiscard]] int readSettingInt(const SettingKey& key);
bool writeSetting(const SettingKey& key, std::string_view value, CreateFolder createFolder = CreateFolder::No);

// Text read the way atoi reads it: leading white space, an optional sign, then decimal
// digits up to the first other character; no digits give 0, values beyond int are clamped.
[[nodiscard]] int textToInt(std::string_view text);

}  // namespace vamu::core
