// The mapping from the player to what media controls see: status, track paths that
// never collide, the properties announced after a change, volume and seek arithmetic.
#include "desktop/media_state.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

namespace vamu::desktop {
namespace {

TEST(MediaStateTest, StatusFollowsTheEngineAndAStartingSongCountsAsPlaying) {
    struct Case {
        playback::ActivityState activity;
        bool starting;
        PlaybackStatus expected;
    };
    const Case cases[] = {
        {playback::ActivityState::Playing, false, PlaybackStatus::Playing},
        {playback::ActivityState::Stalled, false, PlaybackStatus::Playing},
        {playback::ActivityState::Paused, false, PlaybackStatus::Paused},
        {playback::ActivityState::Stopped, false, PlaybackStatus::Stopped},
        {playback::ActivityState::Stopped, true, PlaybackStatus::Playing},
        {playback::ActivityState::Paused, true, PlaybackStatus::Paused},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(playbackStatusOf(c.activity, c.starting), c.expected)
            << static_cast<int>(c.activity) << " starting " << c.starting;
    }
    EXPECT_EQ(statusText(PlaybackStatus::Playing), "Playing");
    EXPECT_EQ(statusText(PlaybackStatus::Paused), "Paused");
    EXPECT_EQ(statusText(PlaybackStatus::Stopped), "Stopped");
}

TEST(MediaStateTest, TrackPathsAreValidObjectPathsAndDistinctForDistinctIds) {
    EXPECT_EQ(trackObjectPath("12345"), "/org/vamu/song/12345");
    EXPECT_EQ(trackObjectPath(""), "/org/mpris/MediaPlayer2/TrackList/NoTrack");
    // Ids that a plain "replace by _" would merge stay apart.
    const char* ids[] = {"a/b", "a_b", "a_2fb", "a b", "a.b", "歌", "a-b", "ab", "a/"};
    std::set<std::string> paths;
    for (const char* id : ids) {
        const std::string path = trackObjectPath(id);
        EXPECT_TRUE(paths.insert(path).second) << id << " -> " << path;
        const std::string element = path.substr(std::string("/org/vamu/song/").size());
        ASSERT_FALSE(element.empty());
        for (const char c : element) {
            const bool allowed = std::isalnum(static_cast<unsigned char>(c)) || c == '_';
            EXPECT_TRUE(allowed && static_cast<unsigned char>(c) < 128) << id << " gives " << path;
        }
    }
}

TEST(MediaStateTest, ChangedPropertiesNameExactlyWhatDiffers) {
    MediaState before;
    before.songId = "1";
    before.title = "first";
    EXPECT_TRUE(changedProperties(before, before).empty());

    MediaState after = before;
    after.status = PlaybackStatus::Paused;
    after.volume = 40;
    EXPECT_EQ(changedProperties(before, after), (std::vector<std::string_view>{"PlaybackStatus", "Volume"}));

    // Every field of the track changes Metadata, and only Metadata.
    const auto metadataOnly = [&](auto change) {
        MediaState changed = before;
        change(changed);
        return changedProperties(before, changed) == std::vector<std::string_view>{"Metadata"};
    };
    EXPECT_TRUE(metadataOnly([](MediaState& s) { s.songId = "2"; }));
    EXPECT_TRUE(metadataOnly([](MediaState& s) { s.title = "other"; }));
    EXPECT_TRUE(metadataOnly([](MediaState& s) { s.uploader = "someone"; }));
    EXPECT_TRUE(metadataOnly([](MediaState& s) { s.lengthMicros = 1000; }));
    EXPECT_TRUE(metadataOnly([](MediaState& s) { s.artUrl = "file:///x.png"; }));

    after = before;
    after.canSeek = true;
    EXPECT_EQ(changedProperties(before, after), std::vector<std::string_view>{"CanSeek"});
}

TEST(MediaStateTest, VolumeMapsBothWaysAndClampsHostileValues) {
    EXPECT_EQ(sliderFromVolume(0.5), 50);
    EXPECT_EQ(sliderFromVolume(0.255), 26);
    EXPECT_EQ(sliderFromVolume(-3.0), 0);
    EXPECT_EQ(sliderFromVolume(7.0), 100);
    EXPECT_EQ(sliderFromVolume(std::numeric_limits<double>::infinity()), 100);
    EXPECT_EQ(sliderFromVolume(std::nan("")), std::nullopt);
    for (int slider = 0; slider <= 100; ++slider) EXPECT_EQ(sliderFromVolume(volumeFromSlider(slider)), slider);
    EXPECT_EQ(volumeFromSlider(-5), 0.0);
    EXPECT_EQ(volumeFromSlider(150), 1.0);
}

TEST(MediaStateTest, RelativeSeeksStayInsideTheSongOrGoToTheNext) {
    constexpr std::int64_t kLength = 180'000'000;
    using Kind = SeekTarget::Kind;
    EXPECT_EQ(relativeSeek(10'000'000, 5'000'000, kLength).micros, 15'000'000);
    EXPECT_EQ(relativeSeek(10'000'000, -60'000'000, kLength).kind, Kind::Position);
    EXPECT_EQ(relativeSeek(10'000'000, -60'000'000, kLength).micros, 0);
    EXPECT_EQ(relativeSeek(170'000'000, 20'000'000, kLength).kind, Kind::NextSong);
    EXPECT_EQ(relativeSeek(1, std::numeric_limits<std::int64_t>::max(), kLength).kind, Kind::NextSong);
    EXPECT_EQ(relativeSeek(0, std::numeric_limits<std::int64_t>::min(), kLength).micros, 0);
    EXPECT_EQ(relativeSeek(0, 5, -1).kind, Kind::None);  // length unknown: no seeking

    EXPECT_TRUE(positionAccepted(0, kLength));
    EXPECT_TRUE(positionAccepted(kLength, kLength));
    EXPECT_FALSE(positionAccepted(kLength + 1, kLength));
    EXPECT_FALSE(positionAccepted(-1, kLength));
    EXPECT_FALSE(positionAccepted(0, -1));
}

TEST(MediaStateTest, PictureExtensionComesFromTheSignature) {
    EXPECT_EQ(pictureExtension(std::string_view("\x89PNG\r\n\x1a\n....", 12)), "png");
    EXPECT_EQ(pictureExtension(std::string_view("\xff\xd8\xff\xe0", 4)), "jpg");
    EXPECT_EQ(pictureExtension("GIF89a..."), "gif");
    EXPECT_EQ(pictureExtension("BM...."), "bmp");
    EXPECT_EQ(pictureExtension("<html>"), "");
    EXPECT_EQ(pictureExtension(""), "");
    EXPECT_EQ(pictureExtension(std::string_view("\x89PN", 3)), "");  // cut short
}

}  // namespace
}  // namespace vamu::desktop
