#pragma once
// What the desktop's media controls see of the player, as plain values: the playback
// status, the current track, the volume and whether seeking works. The bus adaptor
// takes a snapshot after each change and publishes only what differs from the last
// one, so a client's view never drifts and no change is announced twice. Qt-free.

#include "playback/activity_state.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vamu::desktop {

enum class PlaybackStatus { Stopped, Playing, Paused };

// The engine's activity as the desktop names it. A song whose stream still opens, or
// that waits for data, counts as playing: the user asked for sound and it is coming.
[[nodiscard]] PlaybackStatus playbackStatusOf(playback::ActivityState activity, bool songStarting);
[[nodiscard]] std::string_view statusText(PlaybackStatus status);  // "Playing", "Paused", "Stopped"

struct MediaState {
    PlaybackStatus status = PlaybackStatus::Stopped;
    std::string songId;  // empty: no song yet
    std::string title;
    std::string uploader;            // empty: no artist
    std::int64_t lengthMicros = -1;  // -1 while unknown
    std::string artUrl;              // file:// URL of the cached cover; empty: none
    int volume = 100;                // the volume slider, 0..100
    bool canSeek = false;            // a stream of known length plays
    bool canGoPrevious = false;      // a song played before this one

    bool operator==(const MediaState&) const = default;
};

// The object path that names a song: "/org/vamu/song/" + the id with every character
// outside [A-Za-z0-9] written as "_" and its code in hex, so different ids never meet;
// no song gives "/org/mpris/MediaPlayer2/TrackList/NoTrack".
[[nodiscard]] std::string trackObjectPath(std::string_view songId);

// The Player interface's properties whose values differ between two snapshots, in a
// fixed order: PlaybackStatus, Metadata, Volume, CanSeek, CanGoPrevious.
[[nodiscard]] std::vector<std::string_view> changedProperties(const MediaState& before, const MediaState& after);

// Volume: the bus's 0.0..1.0 and the slider's 0..100. Out-of-range or not-a-number
// requests are clamped (NaN gives nothing).
[[nodiscard]] std::optional<int> sliderFromVolume(double volume);
[[nodiscard]] double volumeFromSlider(int slider);

// A relative seek: where to go, or "next song" when the target lies past the end
// (as media controls expect); nothing without a known length.
struct SeekTarget {
    enum class Kind { None, Position, NextSong } kind = Kind::None;
    std::int64_t micros = 0;
};
[[nodiscard]] SeekTarget relativeSeek(std::int64_t positionMicros, std::int64_t offsetMicros,
                                      std::int64_t lengthMicros);
// An absolute position is taken only inside 0..length.
[[nodiscard]] bool positionAccepted(std::int64_t micros, std::int64_t lengthMicros);

// The file name extension for picture bytes by their signature ("png", "jpg", "gif",
// "bmp"); empty for anything else.
[[nodiscard]] std::string_view pictureExtension(std::string_view bytes);

}  // namespace vamu::desktop
