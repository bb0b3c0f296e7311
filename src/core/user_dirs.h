#pragma once
// The folders the program keeps its files in: the XDG base directories, and the
// desktop's well-known folders as the freedesktop user-dirs file names them
// ($XDG_CONFIG_HOME/user-dirs.dirs, lines such as XDG_MUSIC_DIR="$HOME/Music"). Qt-free.
// Every function reads the environment at each call.

#include <string>
#include <string_view>

namespace vamu::core {

// The home folder: $HOME, else the user's entry in the password database, else "/tmp".
[[nodiscard]] std::string homeFolder();
// $XDG_CONFIG_HOME, $XDG_DATA_HOME and $XDG_CACHE_HOME when they hold an absolute path (a
// relative one is ignored, as the base directory rules say), else the home folder's
// ".config", ".local/share" and ".cache".
[[nodiscard]] std::string configHome();
[[nodiscard]] std::string dataHome();
[[nodiscard]] std::string cacheHome();

// The folder of `name` ("MUSIC", "DESKTOP") in the text of a user-dirs file, with
// "$HOME" expanded; empty when the text does not name it or names it relatively.
[[nodiscard]] std::string userDirFromText(std::string_view fileText, std::string_view name, std::string_view home);

// The folder of `name` for this user: the user-dirs file, else home + "/" + fallback
// ("Music", "Desktop"). Reads HOME and XDG_CONFIG_HOME each call.
[[nodiscard]] std::string userDir(std::string_view name, std::string_view fallback);

}  // namespace vamu::core
