#pragma once
// The settings file: one initialisation file per user, one section "配置文件", read and
// written key by key. Nothing is cached; each read sees the last write at once.
// Safe to call from any thread; calls are serialised inside.

#include <string>
#include <string_view>

namespace vamu::app {

enum class CreateFolder { No, Yes };

// Value of `key`, or `defaultValue` when the file, the section or the key is missing.
// At most 10,239 bytes of a value are returned.
[[nodiscard]] std::string readSetting(std::string_view key, std::string_view defaultValue);

// Integer value read the way atoi reads text (optional sign, leading digits, else 0).
[[nodiscard]] int readSettingInt(std::string_view key, int defaultValue);

// Writes `value` under `key`; an empty value keeps the key with nothing after "=".
// The settings folder is made only when `createFolder` is Yes (the writers that own
// the folder); otherwise a missing folder makes the write fail silently.
// Returns false when the file could not be written.
bool writeSetting(std::string_view key, std::string_view value, CreateFolder createFolder = CreateFolder::No);

// "$XDG_CONFIG_HOME/vamu/vamu.ini" (default "~/.config/vamu/vamu.ini"), built afresh on each call.
[[nodiscard]] std::string settingsPath();

}  // namespace vamu::app
