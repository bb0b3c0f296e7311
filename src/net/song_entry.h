#pragma once
// One song as the service lists it (hot list, channel pages, search, likes) and as a row of
// the main window's song lists shows it.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vamu::net {

class JsonDocument;

struct SongEntry {
    std::string source;        // stream URL (`source`); never empty in a read entry
    std::string name;          // title (`name`)
    std::string uploader;      // uploader's name (`user.name`)
    std::string id;            // song id as text (`id`)
    long long uploaderId = 0;  // `user_id`; 0 when missing or not a whole number
    std::string coverUrl;      // `pic_100`
};

// A reply never lists more songs than this; anything past it is ignored.
inline constexpr std::size_t kMaxSongsPerReply = 1000;

// The songs of the array at `arrayPath` ("result.data", "result.data.sounds"), in the
// reply's order. Elements without a stream URL cannot be played and are left out, so
// every entry returned is playable and the positions of the result are not always the
// array's indexes. A missing value, or one that is not an array, gives no songs.
[[nodiscard]] std::vector<SongEntry> readSongEntries(const JsonDocument& document, std::string_view arrayPath);

}  // namespace vamu::net
