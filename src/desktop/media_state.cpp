#include "desktop/media_state.h"

#include <cmath>
#include <limits>

namespace vamu::desktop {

PlaybackStatus playbackStatusOf(playback::ActivityState activity, bool songStarting) {
    switch (activity) {
    case playback::ActivityState::Playing:
    case playback::ActivityState::Stalled:
        return PlaybackStatus::Playing;
    case playback::ActivityState::Paused:
        return PlaybackStatus::Paused;
    case playback::ActivityState::Stopped:
        break;
    }
    return songStarting ? PlaybackStatus::Playing : PlaybackStatus::Stopped;
}

std::string_view statusText(PlaybackStatus status) {
    switch (status) {
    case PlaybackStatus::Playing:
        return "Playing";
    case PlaybackStatus::Paused:
        return "Paused";
    case PlaybackStatus::Stopped:
        break;
    }
    return "Stopped";
}

std::string trackObjectPath(std::string_view songId) {
    if (songId.empty()) return "/org/mpris/MediaPlayer2/TrackList/NoTrack";
    static constexpr char kHex[] = "0123456789abcdef";
    std::string path = "/org/vamu/song/";
    for (const char c : songId) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9')) {
            path += c;
        } else {
            // "_" itself is escaped too, so "a_2f" and "a/" stay apart.
            path += '_';
            path += kHex[byte >> 4];
            path += kHex[byte & 15];
        }
    }
    return path;
}

std::vector<std::string_view> changedProperties(const MediaState& before, const MediaState& after) {
    std::vector<std::string_view> names;
    if (before.status != after.status) names.emplace_back("PlaybackStatus");
    if (before.songId != after.songId || before.title != after.title || before.uploader != after.uploader ||
        before.lengthMicros != after.lengthMicros || before.artUrl != after.artUrl) {
        names.emplace_back("Metadata");
    }
    if (before.volume != after.volume) names.emplace_back("Volume");
    if (before.canSeek != after.canSeek) names.emplace_back("CanSeek");
    if (before.canGoPrevious != after.canGoPrevious) names.emplace_back("CanGoPrevious");
    return names;
}

std::optional<int> sliderFromVolume(double volume) {
    if (std::isnan(volume)) return std::nullopt;
    if (volume <= 0.0) return 0;
    if (volume >= 1.0) return 100;
    return static_cast<int>(std::lround(volume * 100.0));
}

double volumeFromSlider(int slider) {
    if (slider <= 0) return 0.0;
    if (slider >= 100) return 1.0;
    return slider / 100.0;
}

SeekTarget relativeSeek(std::int64_t positionMicros, std::int64_t offsetMicros, std::int64_t lengthMicros) {
    if (lengthMicros < 0 || positionMicros < 0) return {};
    // Saturating: a client may send any 64-bit offset.
    std::int64_t target = 0;
    if (offsetMicros > 0 && positionMicros > std::numeric_limits<std::int64_t>::max() - offsetMicros) {
        target = std::numeric_limits<std::int64_t>::max();
    } else {
        target = positionMicros + offsetMicros;
    }
    if (target < 0) target = 0;
    if (target > lengthMicros) return {SeekTarget::Kind::NextSong, 0};
    return {SeekTarget::Kind::Position, target};
}

bool positionAccepted(std::int64_t micros, std::int64_t lengthMicros) {
    return lengthMicros >= 0 && micros >= 0 && micros <= lengthMicros;
}

std::string_view pictureExtension(std::string_view bytes) {
    const auto startsWith = [bytes](std::string_view prefix) { return bytes.substr(0, prefix.size()) == prefix; };
    if (startsWith("\x89PNG\r\n\x1a\n")) return "png";
    if (startsWith("\xff\xd8\xff")) return "jpg";
    if (startsWith("GIF87a") || startsWith("GIF89a")) return "gif";
    if (startsWith("BM")) return "bmp";
    return {};
}

}  // namespace vamu::desktop
