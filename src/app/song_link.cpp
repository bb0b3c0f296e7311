#include "app/song_link.h"

#include <algorithm>

namespace vamu::app {
namespace {

bool validSongId(std::string_view id) {
    return !id.empty() && id.size() <= kMaxSongIdDigits &&
           std::all_of(id.begin(), id.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const char c = text[i];
        const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        if (lower != prefix[i]) return false;
    }
    return true;
}

}  // namespace

std::optional<std::string> songIdFromLink(std::string_view link) {
    constexpr std::string_view kScheme = "vamu:";
    constexpr std::string_view kAuthority = "//";
    constexpr std::string_view kSong = "song/";
    if (!startsWithNoCase(link, kScheme)) return std::nullopt;
    link.remove_prefix(kScheme.size());
    if (link.starts_with(kAuthority)) link.remove_prefix(kAuthority.size());
    if (!link.starts_with(kSong)) return std::nullopt;
    link.remove_prefix(kSong.size());
    if (link.ends_with('/')) link.remove_suffix(1);
    if (!validSongId(link)) return std::nullopt;
    return std::string(link);
}

std::optional<std::string> songIdFromArguments(std::span<const std::string_view> arguments) {
    for (const std::string_view argument : arguments) {
        if (auto id = songIdFromLink(argument)) return id;
    }
    return std::nullopt;
}

std::optional<std::string> playIdRequest(std::string_view songId) {
    if (!validSongId(songId)) return std::nullopt;
    return std::string(kPlayIdRequestPrefix) + std::string(songId);
}

std::optional<std::string> songIdFromRequest(std::string_view request) {
    if (!request.starts_with(kPlayIdRequestPrefix)) return std::nullopt;
    request.remove_prefix(kPlayIdRequestPrefix.size());
    if (!validSongId(request)) return std::nullopt;
    return std::string(request);
}

}  // namespace vamu::app
