// The cover file: one at a time in the cache folder, named by song and content, never
// half written, and its URL escaped.
#include "desktop/cover_cache.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>

namespace vamu::desktop {
namespace {

namespace fs = std::filesystem;

const std::string kPng = std::string("\x89PNG\r\n\x1a\n", 8) + "first picture";
const std::string kJpeg = std::string("\xff\xd8\xff\xe0", 4) + "second picture";

class CoverCacheTest : public ::testing::Test {
protected:
    CoverCacheTest()
        : m_folder(fs::temp_directory_path() / ("vamu-covers-" + std::to_string(std::random_device{}()))) {}
    ~CoverCacheTest() override {
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }
    std::size_t files() const {
        std::error_code error;
        if (!fs::exists(m_folder, error)) return 0;
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(m_folder), fs::directory_iterator()));
    }
    static std::string contents(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path m_folder;
};

TEST_F(CoverCacheTest, KeepsOneFileNamedBySongAndContent) {
    CoverCache cache(m_folder / "covers");
    const std::string first = cache.store("17", kPng);
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first.rfind("file:///", 0), 0U);
    EXPECT_EQ(cache.current().extension(), ".png");
    EXPECT_EQ(contents(cache.current()), kPng);
    EXPECT_EQ(cache.store("17", kPng), first);  // unchanged: the same file

    // Another picture for the same song gets another name (clients cache by URL),
    // and the old file goes.
    const fs::path firstFile = cache.current();
    const std::string second = cache.store("17", kJpeg);
    EXPECT_NE(second, first);
    EXPECT_FALSE(fs::exists(firstFile));
    EXPECT_EQ(cache.current().extension(), ".jpg");
    EXPECT_NE(cache.store("18", kJpeg), second);
    EXPECT_EQ(files(), 1U);
}

TEST_F(CoverCacheTest, UnknownOrOversizedBytesGiveNoFileAndDropTheOldOne) {
    CoverCache cache(m_folder);
    ASSERT_FALSE(cache.store("1", kPng).empty());
    EXPECT_TRUE(cache.store("2", "<html>not a picture</html>").empty());
    EXPECT_EQ(files(), 0U);  // the previous song's cover must not stand for this one
    std::string huge = kPng;
    huge.resize(CoverCache::kMaxBytes + 1, 'x');
    EXPECT_TRUE(cache.store("3", huge).empty());
    EXPECT_EQ(files(), 0U);
}

TEST_F(CoverCacheTest, HostileIdsStayInsideTheFolderAndTheFileGoesWithTheCache) {
    {
        CoverCache cache(m_folder);
        ASSERT_FALSE(cache.store("../../etc/passwd", kPng).empty());
        EXPECT_EQ(cache.current().parent_path(), m_folder);
        EXPECT_EQ(files(), 1U);
    }
    EXPECT_EQ(files(), 0U);
}

TEST_F(CoverCacheTest, AnUnwritableFolderGivesNoUrl) {
    fs::create_directories(m_folder);
    std::ofstream(m_folder / "file") << "x";
    CoverCache cache(m_folder / "file" / "covers");  // a file where the folder should be
    EXPECT_TRUE(cache.store("1", kPng).empty());
}

TEST(CoverFolderTest, FollowsTheCacheHomeAndEscapesUrls) {
    const char* saved = std::getenv("XDG_CACHE_HOME");
    const std::string previous = saved ? saved : "";
    ::setenv("XDG_CACHE_HOME", "/tmp/cache home", 1);
    EXPECT_EQ(coverFolder(), fs::path("/tmp/cache home/vamu/covers"));
    EXPECT_EQ(fileUrl(coverFolder() / "a#b%.png"), "file:///tmp/cache%20home/vamu/covers/a%23b%25.png");
    ::setenv("XDG_CACHE_HOME", "relative", 1);  // not absolute: ignored, as the basedir rules say
    EXPECT_EQ(coverFolder().filename(), "covers");
    EXPECT_NE(coverFolder().string().rfind("relative", 0), 0U);
    if (saved)
        ::setenv("XDG_CACHE_HOME", previous.c_str(), 1);
    else
        ::unsetenv("XDG_CACHE_HOME");
}

}  // namespace
}  // namespace vamu::desktop
