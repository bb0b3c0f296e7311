// The user-dirs file as desktops write it.
#include "core/user_dirs.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vamu::core
