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
    std::string source;        // stream URL (`source`); empty when the service lists none
    std::string name;          // title (`name`)
    std::string uploader;      // uploader's name (`user.name`)
    std::string id;            // song id as text (`id`)
    long long uploaderId = 0;  // `user_id`; 0 when missing or not a whole number
    std::string coverUrl;      // `pic_100`
};

// A reply never lists more songs than this; anything past it is ignored.
inline constexpr std::size_t kMaxSongsPerReply = 1000;

// Whether songs the reply lists without a stream URL are read.
enum class WithoutStream {
    Keep,  // a list shows every song of the reply; playing one fails as a stalled stream does
    Skip,  // the radio plays only what can be played
};

// The songs of the array at `arrayPath` ("result.data", "result.data.sounds"), in the
// reply's order. With WithoutStream::Skip, elements without a stream URL (missing,
// empty, or not a text) are left out, and the positions of the result are then not
// always the array's indexes. A missing value, or one that is not an array, gives no songs.
[[nodiscard]] std::vector<SongEntry> readSongEntries(const JsonDocument& document, std::string_view arrayPath,
                                                     WithoutStream withoutStream);

}  // namespace vamu::net
