// The song cache on disk, and URL streams filling it from their reader threads.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "playback/song_cache.h"
#include "playback/url_source.h"
#include "support/audio_fixture.h"
#include "support/raw_http_server.h"
#include "support/wait_until.h"

namespace vamu::test {
namespace {

namespace fs = std::filesystem;
using playback::SongCache;

class SongCacheTest : public ::testing::Test {
protected:
    ~SongCacheTest() override { fs::remove_all(m_folder); }

    // Hands `bytes` (m_song) to the cache as a stream does, from "http://s/<id>" unless told.
    void keep(SongCache& cache, const std::string& id, std::string url = {}, std::span<const std::byte> bytes = {}) {
        bytes = bytes.empty() ? std::span<const std::byte>(m_song) : bytes;
        const auto sink = cache.writer(id, url.empty() ? "http://s/" + id : url);
        ASSERT_NE(sink, nullptr);
        ASSERT_TRUE(sink->write(bytes.first(1000)) && sink->write(bytes.subspan(1000)));
        sink->finish(std::ssize(bytes));
    }
    // Which of the one-letter ids a..f the cache hands out, without playing them.
    static std::string keptIds(SongCache& cache) {
        std::string ids;
        for (const char id : std::string("abcdef")) {
            if (cache.fileToCopy(std::string(1, id), std::string("http://s/") + id)) ids += id;
        }
        return ids;
    }
    [[nodiscard]] std::string pathOf(const std::string& id) const { return m_folder + "/" + id + ".mp3"; }

    const std::string m_folder =
        (fs::temp_directory_path() / ("vamu-cache-" + std::to_string(std::random_device{}()))).string();
    const std::vector<std::byte> m_song = encodeMp3({.frames = 44100});
};

TEST_F(SongCacheTest, TheLeastRecentlyPlayedGoFirstAndTheOrderSurvivesANewCache) {
    const auto limit = static_cast<std::int64_t>(m_song.size() * 5 / 2);  // two songs fit, not three
    {
        SongCache cache(m_folder, limit);
        keep(cache, "a");
        keep(cache, "b");
        ASSERT_TRUE(cache.fileToPlay("a", "http://s/a"));  // b is now the least recently played
        keep(cache, "c");
        EXPECT_EQ(keptIds(cache), "ac");
        EXPECT_FALSE(fs::exists(pathOf("b")));
    }
    SongCache again(m_folder, limit);
    EXPECT_EQ(again.usedBytes(), 2 * std::ssize(m_song));
    keep(again, "d");  // a was played before c came
    EXPECT_EQ(keptIds(again), "cd");
    keep(again, "e", {}, encodeMp3({.frames = 4 * 44100}));  // larger than the limit: not kept, nothing goes
    EXPECT_EQ(keptIds(again), "cd");
}

TEST_F(SongCacheTest, AChangedAddressAPartialTruncatedOrForeignFileIsNeverHandedOut) {
    SongCache cache(m_folder, 1 << 30);
    keep(cache, "a", "http://old/a");
    EXPECT_FALSE(cache.fileToPlay("a", "http://new/a"));
    keep(cache, "a", "http://new/a");
    EXPECT_FALSE(cache.fileToPlay("a", "http://old/a"));
    EXPECT_EQ(cache.fileToPlay("a", "http://new/a"), pathOf("a"));
    // Streams that end short, or are abandoned, leave nothing; ids become file names.
    for (const bool abandon : {false, true}) {
        const auto sink = cache.writer("b", "http://s/b");
        ASSERT_TRUE(sink->write(std::span(m_song).first(1000)));
        abandon ? sink->abandon() : sink->finish(std::ssize(m_song));
    }
    EXPECT_EQ(cache.writer("../x", "http://s/x"), nullptr);

    keep(cache, "c");
    fs::resize_file(pathOf("c"), m_song.size() / 2);
    keep(cache, "d");
    std::ofstream(pathOf("d"), std::ios::binary) << std::string(m_song.size(), 'x');  // same size, not audio
    EXPECT_EQ(keptIds(cache), "");
    EXPECT_FALSE(fs::exists(pathOf("c")) || fs::exists(pathOf("d")));

    // A new cache deletes song files its index does not name and leftover temporary files.
    std::ofstream(pathOf("e"), std::ios::binary)
        << std::string(reinterpret_cast<const char*>(m_song.data()), m_song.size());
    std::ofstream(m_folder + "/b.1-1.part") << "half";
    SongCache again(m_folder, 1 << 30);
    EXPECT_FALSE(fs::exists(pathOf("e")) || fs::exists(m_folder + "/b.1-1.part"));
    EXPECT_EQ(again.fileToPlay("a", "http://new/a"), pathOf("a"));
}

TEST_F(SongCacheTest, LimitZeroAndClearEmptyItAndAStreamBegunBeforeAClearIsNotKept) {
    {
        SongCache cache(m_folder, 1 << 30);
        keep(cache, "a");
        const auto sink = cache.writer("b", "http://s/b");
        ASSERT_TRUE(sink->write(m_song));
        cache.clear();
        sink->finish(std::ssize(m_song));
        EXPECT_EQ(keptIds(cache), "");
        keep(cache, "c");
        cache.setLimit(0);
        EXPECT_EQ(cache.writer("d", "http://s/d"), nullptr);
        EXPECT_TRUE(fs::is_empty(m_folder));
        cache.setLimit(1 << 30);
        keep(cache, "c");
    }
    SongCache off(m_folder, 0);
    EXPECT_FALSE(off.fileToPlay("c", "http://s/c"));
    EXPECT_TRUE(fs::is_empty(m_folder));
}

// A stream cut off and resumed with a Range request keeps the whole song, written on its
// reader thread while this one asks the cache, unless the file changed meanwhile; one
// seeked past a gap keeps it only once a seek back has fetched the gap.
TEST_F(SongCacheTest, UrlStreamsKeepOnlyWholeSongsEvenWhenResumedOrSeeked) {
    const std::vector<std::byte> song = encodeMp3({.frames = 20 * 44100});
    const std::string body(reinterpret_cast<const char*>(song.data()), song.size());
    const std::size_t cut = body.size() * 2 / 5;
    const std::string whole = RawHttpServer::response(200, "", body);
    RawHttpServer server([&](const std::string& request, std::size_t) {
        const std::size_t range = request.find("Range: bytes=");
        const std::size_t from = range == std::string::npos ? 0 : std::stoul(request.substr(range + 13));
        if (from == 0 && !request.starts_with("GET /seek")) {
            return RawHttpServer::Response{RawHttpServer::Action::Close,
                                           whole.substr(0, whole.size() - body.size() + cut)};
        }
        // "/changed" resumes with a file one byte longer.
        const std::string rest = body.substr(from) + (request.starts_with("GET /changed") ? "x" : "");
        const std::string headers = "Content-Range: bytes " + std::to_string(from) + "-" +
                                    std::to_string(from + rest.size() - 1) + "/" + std::to_string(from + rest.size()) +
                                    "\r\n";
        return RawHttpServer::reply(rest, headers, from > 0 ? 206 : 200);
    });
    SongCache cache(m_folder, 1 << 30);
    const auto readAll = [](playback::UrlSource& source) {
        std::array<std::byte, 4096> buffer{};
        while (source.read(buffer, {}).status == playback::ReadStatus::Data) {}
    };
    playback::UrlSource resumed(server.url("/resumed"), 0, {}, cache.writer("r", server.url("/resumed")));
    readAll(resumed);
    EXPECT_TRUE(waitUntil([&] { return cache.fileToCopy("r", server.url("/resumed")).has_value(); }));
    std::ifstream file(pathOf("r"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), body);
    playback::UrlSource changed(server.url("/changed"), 0, {}, cache.writer("c", server.url("/changed")));
    readAll(changed);
    changed.close();
    EXPECT_FALSE(cache.fileToCopy("c", server.url("/changed")));

    for (const bool seekBack : {false, true}) {
        // Little is fetched ahead, so the seek lands outside what came.
        playback::UrlSource seeked(server.url("/seek"), 0, {.maxAhead = 4096}, cache.writer("s", server.url("/seek")));
        seeked.seek(static_cast<std::int64_t>(cut));
        readAll(seeked);
        if (seekBack) seeked.seek(0);
        readAll(seeked);
        seeked.close();
        EXPECT_EQ(cache.fileToPlay("s", server.url("/seek")).has_value(), seekBack) << seekBack;
    }
}

}  // namespace
}  // namespace vamu::test
