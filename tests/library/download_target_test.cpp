// The download's file name, folder and progress caption.
#include "library/download_target.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>

namespace vamu::library {
namespace {

TEST(DownloadTarget, TheNineForbiddenCharactersLeaveTheTitle) {
    EXPECT_EQ(cleanTitle("a/b:c?"), "abc");
    EXPECT_EQ(cleanTitle(R"(\/:*?"<>|)"), "");
    EXPECT_EQ(cleanTitle("列车序曲 (Live) - 1.0"), "列车序曲 (Live) - 1.0");
    EXPECT_EQ(songPath("/m/vamu", "a/b:c?"), "/m/vamu/abc.mp3");
}

TEST(DownloadTarget, CaptionIsTheTruncatedPercentageAndStaysInRange) {
    const struct {
        std::int64_t total, done;
        const char* caption;
    } cases[] = {{0, 0, "%0"},         {0, 500, "%0"},   {1000, 459, "%45"}, {1000, 1000, "%100"},
                 {1000, 5000, "%100"}, {1000, -3, "%0"}, {3, 2, "%66"},      {1LL << 40, (1LL << 40) - 1, "%99"}};
    for (const auto& c : cases) {
        TransferStatus status;
        status.totalBytes = c.total;
        status.doneBytes = c.done;
        EXPECT_EQ(progressCaption(status), c.caption) << c.total << "/" << c.done;
    }
}

TEST(DownloadTarget, SongsGoIntoTheUsersMusicFolder) {
    std::string pattern = (std::filesystem::temp_directory_path() / "vamu-music-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const std::string home = pattern;
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    EXPECT_EQ(songFolder(), home + "/Music/vamu");  // no user-dirs file
    std::filesystem::create_directories(home + "/config");
    std::ofstream(home + "/config/user-dirs.dirs") << "# written by the desktop\nXDG_MUSIC_DIR=\"$HOME/音乐\"\n";
    EXPECT_EQ(songFolder(), home + "/音乐/vamu");
    std::filesystem::remove_all(home);
}

}  // namespace
}  // namespace vamu::library
