#include "net/song_entry.h"

#include <string>

#include <gtest/gtest.h>

#include "net/json_document.h"

namespace vamu::net {
namespace {

JsonDocument loaded(std::string_view text) {
    JsonDocument document;
    EXPECT_TRUE(document.load(text)) << text;
    return document;
}

TEST(SongEntry, ReadsFieldsAndLeavesOutSongsWithoutUrl) {
    const JsonDocument reply = loaded(R"({"result": {"data": {"sounds": [
        {"source": "http://s/1.mp3", "name": "歌一", "user": {"name": "甲"}, "id": 11, "user_id": 7,
         "pic_100": "http://s/1.jpg"},
        {"name": "no url", "id": 12, "user_id": 8},
        {"source": "", "name": "empty url", "id": 13},
        {"source": 5, "name": "number url", "id": 14},
        {"source": "http://s/2.mp3", "name": "two", "id": "15", "user_id": "42"},
        {"source": "http://s/3.mp3", "name": "three", "id": 16, "user_id": 1.5}
    ]}}})");
    const auto songs = readSongEntries(reply, "result.data.sounds");
    ASSERT_EQ(songs.size(), 3u);
    EXPECT_EQ(songs[0].source, "http://s/1.mp3");
    EXPECT_EQ(songs[0].name, "歌一");
    EXPECT_EQ(songs[0].uploader, "甲");
    EXPECT_EQ(songs[0].id, "11");
    EXPECT_EQ(songs[0].uploaderId, 7);
    EXPECT_EQ(songs[0].coverUrl, "http://s/1.jpg");
    // A numeric text is the service's other way of sending a number; a fraction is no id.
    EXPECT_EQ(songs[1].id, "15");
    EXPECT_EQ(songs[1].uploaderId, 42);
    EXPECT_EQ(songs[1].uploader, "");
    EXPECT_EQ(songs[2].uploaderId, 0);
}

TEST(SongEntry, NoArrayGivesNoSongsAndLongArraysAreCapped) {
    EXPECT_TRUE(readSongEntries(loaded(R"({"result": {"data": {"source": "x"}}})"), "result.data").empty());
    EXPECT_TRUE(readSongEntries(loaded(R"({"result": {}})"), "result.data").empty());
    EXPECT_TRUE(readSongEntries(loaded(R"({"result": {"data": "text"}})"), "result.data").empty());

    std::string many = R"({"result": {"data": [)";
    for (std::size_t i = 0; i < kMaxSongsPerReply + 5; ++i) {
        many += std::string(i == 0 ? "" : ",") + R"({"source": "u)" + std::to_string(i) + R"("})";
    }
    many += "]}}";
    const auto songs = readSongEntries(loaded(many), "result.data");
    ASSERT_EQ(songs.size(), kMaxSongsPerReply);
    EXPECT_EQ(songs.back().source, "u" + std::to_string(kMaxSongsPerReply - 1));
}

}  // namespace
}  // namespace vamu::net
