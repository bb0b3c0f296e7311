#pragma once
// The desktop's well-known folders as the freedesktop user-dirs file names them
// ($XDG_CONFIG_HOME/user-dirs.dirs, lines such as XDG_MUSIC_DIR="$HOME/Music"). Qt-free.

#include <string>
#include <string_view>

namespace vamu::core {

// The folder of `name` ("MUSIC", "DESKTOP") in the text of a user-dirs file, with
// "$HOME" expanded; empty when the text does not name it or names it relatively.
[[nodiscard]] std::string userDirFromText(std::string_view fileText, std::string_view name, std::string_view home);

// The folder of `name` for this user: the user-dirs file, else home + "/" + fallback
// ("Music", "Desktop"). Reads HOME and XDG_CONFIG_HOME each call.
[[nodiscard]] std::string userDir(std::string_view name, std::string_view fallback);

}  // namespace vamu::core
