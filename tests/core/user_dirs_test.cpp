// The user-dirs file as desktops write it.
#include "core/user_dirs.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace vamu::core {
namespace {

TEST(UserDirs, FoldersAreReadFromTheFileAsTheShellWouldSourceIt) {
    const std::string text =
        "# This file is written by xdg-user-dirs-update\n"
        "XDG_DESKTOP_DIR=\"$HOME/桌面\"\n"
        "XDG_MUSIC_DIR=\"/srv/music/\"\n"
        "  XDG_VIDEOS_DIR=\"$HOME/Videos\"\r\n"
        "XDG_PICTURES_DIR=Pictures\n"
        "XDG_TEMPLATES_DIR=\"relative\"\n"
        "XDG_DESKTOP_DIR=\"$HOME/Desktop2\"\n";
    EXPECT_EQ(userDirFromText(text, "DESKTOP", "/home/u"), "/home/u/Desktop2");  // the later line wins
    EXPECT_EQ(userDirFromText(text, "MUSIC", "/home/u"), "/srv/music");
    EXPECT_EQ(userDirFromText(text, "VIDEOS", "/home/u"), "/home/u/Videos");
    EXPECT_EQ(userDirFromText(text, "PICTURES", "/home/u"), "");   // not quoted
    EXPECT_EQ(userDirFromText(text, "TEMPLATES", "/home/u"), "");  // relative
    EXPECT_EQ(userDirFromText(text, "DOWNLOAD", "/home/u"), "");
    EXPECT_EQ(userDirFromText("XDG_MUSIC_DIR=\"$HOME/\"\n", "MUSIC", "/home/u"), "/home/u");
}

// Every place the program keeps files follows these, so all of them agree.
TEST(BaseDirectories, AbsoluteValuesHoldAndRelativeOnesAreIgnored) {
    const char* names[] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"};
    std::vector<std::optional<std::string>> saved;
    for (const char* name : names) {
        const char* value = std::getenv(name);
        saved.push_back(value ? std::optional<std::string>(value) : std::nullopt);
    }
    ::setenv("HOME", "/home/u", 1);
    ::setenv("XDG_CONFIG_HOME", "/etc/u", 1);
    ::setenv("XDG_DATA_HOME", "relative/data", 1);
    ::unsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(configHome(), "/etc/u");
    EXPECT_EQ(dataHome(), "/home/u/.local/share");
    EXPECT_EQ(cacheHome(), "/home/u/.cache");
    ::setenv("XDG_CACHE_HOME", "/var/cache/u", 1);
    EXPECT_EQ(cacheHome(), "/var/cache/u");
    for (std::size_t i = 0; i < saved.size(); ++i) {
        if (saved[i]) {
            ::setenv(names[i], saved[i]->c_str(), 1);
        } else {
            ::unsetenv(names[i]);
        }
    }
}

}  // namespace
}  // namespace vamu::core
