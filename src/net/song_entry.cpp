#include "net/song_entry.h"

#include <cmath>

#include "net/json_document.h"

namespace vamu::net {

namespace {

long long wholeNumber(double value) {
    // Beyond 2^53 a double no longer holds every whole number; such an id is not one.
    constexpr double kLimit = 9007199254740992.0;
    if (!std::isfinite(value) || std::trunc(value) != value || std::fabs(value) > kLimit) {
        return 0;
    }
    return static_cast<long long>(value);
}

}  // namespace

std::vector<SongEntry> readSongEntries(const JsonDocument& document, std::string_view arrayPath,
                                       WithoutStream withoutStream) {
    std::vector<SongEntry> songs;
    if (document.typeOf(arrayPath) != JsonKind::Array) {
        return songs;
    }
    const auto count = static_cast<std::size_t>(document.countMembers(arrayPath));
    for (std::size_t i = 0; i < count && i < kMaxSongsPerReply; ++i) {
        const std::string element = std::string(arrayPath) + "[" + std::to_string(i) + "].";
        SongEntry song;
        // Only a non-empty text is a URL; a number or an object there is not.
        if (document.typeOf(element + "source") == JsonKind::String) {
            song.source = document.getText(element + "source");
        }
        if (song.source.empty() && withoutStream == WithoutStream::Skip) {
            continue;
        }
        song.name = document.getText(element + "name");
        song.uploader = document.getText(element + "user.name");
        song.id = document.getText(element + "id");
        song.uploaderId = wholeNumber(document.getNumber(element + "user_id"));
        song.coverUrl = document.getText(element + "pic_100");
        songs.push_back(std::move(song));
    }
    return songs;
}

}  // namespace vamu::net
