#include "playback/player_model.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vamu::playback {
namespace {

constexpr StreamStatus kNoLength{};  // buffering: no length yet
constexpr StreamStatus kPlaying{.lengthBytes = 4000, .activity = ActivityState::Playing};
constexpr StreamStatus kEnded{.lengthBytes = 4000, .activity = ActivityState::Stopped};

std::vector<net::SongEntry> songs(int count, const std::string& tag = "s") {
    std::vector<net::SongEntry> list;
    for (int i = 1; i <= count; ++i) {
        list.push_back({.source = "http://x/" + tag + std::to_string(i),
                        .name = tag + std::to_string(i),
                        .uploader = "u" + std::to_string(i),
                        .id = std::to_string(i)});
    }
    return list;
}

// A model playing item 1 of a channel page of `count` songs.
PlayerModel playingCatalogue(int count, int channel = 3) {
    PlayerModel model;
    EXPECT_EQ(model.switchCatalogue(channel).action, PlayerAction::SwitchCatalogue);
    EXPECT_EQ(model.finishSwitch(songs(count)), (PlayerStep{PlayerAction::PlayCatalogueItem, 1}));
    model.songStarting(*model.catalogueSong(1), SongOrigin::Channel);
    return model;
}

PlayerModel playingList(PlaySource list, int row) {
    PlayerModel model;
    EXPECT_EQ(model.startList(list, row), (PlayerStep{PlayerAction::PlayListRow, row}));
    return model;
}

// Ticks 1..10 say "buffering", 11 and 12 "failed", the 13th moves on: after a 2 s pause in
// the catalogue, at once in a list. After the last song a list goes on with row 1 and the
// catalogue with a new page, rather than playing a position past the end.
TEST(PlayerModel, ThirteenBufferingTicksMoveOn) {
    const struct {
        const char* name;
        PlayerModel model;
        PlayerStep moveOn;
    } cases[] = {
        {"catalogue", playingCatalogue(5), {PlayerAction::PlayCatalogueItem, 2, kCatalogueGiveUpPause}},
        {"last of catalogue", playingCatalogue(1), {PlayerAction::SwitchCatalogue, 0, kCatalogueGiveUpPause}},
        {"collection", playingList(PlaySource::Collection, 1), {PlayerAction::PlayListRow, 2}},
        {"last of song list", playingList(PlaySource::SongList, 5), {PlayerAction::PlayListRow, 1}},
    };
    for (auto c : cases) {
        for (int tick = 1; tick <= 13; ++tick) {
            const TickResult result = c.model.tick(kNoLength, 5);
            ASSERT_TRUE(result.secondLine.has_value());
            EXPECT_EQ(*result.secondLine, tick <= 10 ? kBufferingText : kBufferingFailedText) << c.name << tick;
            EXPECT_EQ(result.step, tick < 13 ? PlayerStep{} : c.moveOn) << c.name << tick;
        }
        EXPECT_EQ(c.model.bufferTicks(), 0) << c.name;
    }
}

TEST(PlayerModel, BufferingCountStartsOverWithEachSong) {
    PlayerModel model = playingCatalogue(5);
    for (int tick = 0; tick < 8; ++tick) {
        (void)model.tick(kNoLength, 0);
    }
    model.songStarting(*model.catalogueSong(2), SongOrigin::Channel);
    for (int tick = 0; tick < 12; ++tick) {
        EXPECT_EQ(model.tick(kNoLength, 0).step, PlayerStep{}) << tick;
    }
    EXPECT_EQ(model.tick(kPlaying, 0).secondLine, "u2");  // the detail line once the length is known
}

TEST(PlayerModel, EndOfSongPlaysTheNextAndEndOfQueueLoadsANewPage) {
    PlayerModel model = playingCatalogue(3, 7);
    model.setDetailLine("detail");
    TickResult result = model.tick(kEnded, 0);
    EXPECT_EQ(result.secondLine, "detail");
    EXPECT_EQ(result.step, (PlayerStep{PlayerAction::PlayCatalogueItem, 2}));
    EXPECT_EQ(model.tick(kEnded, 0).step, (PlayerStep{PlayerAction::PlayCatalogueItem, 3}));
    EXPECT_EQ(model.tick(kPlaying, 0).step, PlayerStep{});

    // The last song ends: one tick moves past the queue, the next asks for a new page.
    EXPECT_EQ(model.tick(kEnded, 0).step, PlayerStep{});
    EXPECT_EQ(model.currentIndex(), 4);
    EXPECT_EQ(model.tick(kEnded, 0).step.action, PlayerAction::SwitchCatalogue);
    EXPECT_TRUE(model.busy());
    EXPECT_EQ(model.currentChannel(), 7);
    EXPECT_EQ(model.tick(kEnded, 0).step, PlayerStep{});  // nothing more while it loads

    EXPECT_EQ(model.finishSwitch(songs(2, "new")), (PlayerStep{PlayerAction::PlayCatalogueItem, 1}));
    EXPECT_EQ(model.catalogueSong(1)->name, "new1");
    EXPECT_EQ(model.catalogueSong(3), nullptr);
}

// The last row ends; the next tick finds the index past the rows, resets it and plays row 1.
TEST(PlayerModel, EndOfListWrapsToRowOneInOneTick) {
    PlayerModel model = playingList(PlaySource::SongList, 2);
    EXPECT_EQ(model.tick(kEnded, 3).step, (PlayerStep{PlayerAction::PlayListRow, 3}));
    EXPECT_EQ(model.tick(kEnded, 3).step, PlayerStep{});
    EXPECT_EQ(model.currentIndex(), 4);
    EXPECT_EQ(model.tick(kEnded, 3).step, (PlayerStep{PlayerAction::PlayListRow, 1}));
    EXPECT_EQ(model.currentIndex(), 1);
}

TEST(PlayerModel, NothingPlayedAndRepeatOne) {
    PlayerModel idle;
    EXPECT_EQ(idle.tick(kEnded, 5).step, PlayerStep{});
    EXPECT_EQ(idle.tick(kNoLength, 5).secondLine, std::nullopt);

    PlayerModel model = playingCatalogue(3);
    model.playRepeating({.source = "http://x/by-id", .id = "99"});
    EXPECT_EQ(model.currentUrl(), "http://x/by-id");
    for (const auto activity : {ActivityState::Playing, ActivityState::Paused, ActivityState::Stalled}) {
        EXPECT_EQ(model.tick({.lengthBytes = 4000, .activity = activity}, 0).step, PlayerStep{});
    }
    EXPECT_EQ(model.tick(kEnded, 0).step, (PlayerStep{PlayerAction::RestartSong}));
    EXPECT_EQ(model.currentIndex(), 1);  // the queue position is left alone
    // "Next" leaves the repeated song for the hot list.
    EXPECT_EQ(model.next(0).action, PlayerAction::SwitchCatalogue);
    EXPECT_EQ(model.currentChannel(), kHotChannel);
}

// A song of the last run plays on: its end goes on with the source it came from.
TEST(PlayerModel, AResumedSongEndsIntoItsOwnSource) {
    const net::SongEntry song = songs(1, "kept")[0];
    const auto endOf = [](PlayerModel& model, int rows) {
        PlayerStep step = model.tick(kEnded, rows).step;
        return step.action == PlayerAction::None ? model.tick(kEnded, rows).step : step;
    };
    PlayerModel channel;
    channel.resumeAt(PlaySource::Catalogue, PlayMode::Advance, 4, 7);
    channel.songStarting(song, SongOrigin::Channel);
    EXPECT_EQ(endOf(channel, 0).action, PlayerAction::SwitchCatalogue);
    EXPECT_EQ(channel.currentChannel(), 7);

    PlayerModel collection;
    collection.resumeAt(PlaySource::Collection, PlayMode::Advance, 3, 0);
    collection.songStarting(song, SongOrigin::List);
    EXPECT_EQ(endOf(collection, 5), (PlayerStep{PlayerAction::PlayListRow, 4}));

    // The uploader's songs are gone: the hot list follows; a song by id starts over.
    PlayerModel uploader;
    uploader.resumeAt(PlaySource::SongList, PlayMode::Advance, 2, 0);
    uploader.songStarting(song, SongOrigin::List);
    EXPECT_EQ(endOf(uploader, 0).action, PlayerAction::SwitchCatalogue);
    EXPECT_EQ(uploader.currentChannel(), kHotChannel);
    PlayerModel byId;
    byId.resumeAt(PlaySource::Catalogue, PlayMode::RepeatOne, 1, 3);
    byId.songStarting(song, SongOrigin::ById);
    EXPECT_EQ(byId.tick(kEnded, 0).step, (PlayerStep{PlayerAction::RestartSong}));
}

TEST(PlayerModel, NextAlwaysAdvances) {
    // Hot list: the first next moves on like every other.
    PlayerModel hot = playingCatalogue(3, kHotChannel);
    EXPECT_EQ(hot.next(0), (PlayerStep{PlayerAction::PlayCatalogueItem, 2}));
    EXPECT_EQ(hot.next(0), (PlayerStep{PlayerAction::PlayCatalogueItem, 3}));
    EXPECT_EQ(hot.next(0).action, PlayerAction::SwitchCatalogue);  // queue used up
    EXPECT_EQ(hot.currentChannel(), kHotChannel);

    PlayerModel list = playingList(PlaySource::Collection, 2);
    EXPECT_EQ(list.next(3), (PlayerStep{PlayerAction::PlayListRow, 3}));
    EXPECT_EQ(list.next(3), (PlayerStep{PlayerAction::PlayListRow, 1}));
    EXPECT_EQ(list.next(0), PlayerStep{});

    // Nothing played yet: the hot list starts.
    PlayerModel idle;
    EXPECT_EQ(idle.next(0).action, PlayerAction::SwitchCatalogue);
    EXPECT_EQ(idle.currentChannel(), kHotChannel);
}

TEST(PlayerModel, NextAndSwitchDoNothingWhileASwitchLoads) {
    PlayerModel model = playingCatalogue(5, 4);
    ASSERT_EQ(model.switchCatalogue(6).action, PlayerAction::SwitchCatalogue);
    EXPECT_EQ(model.next(0), PlayerStep{});
    EXPECT_EQ(model.switchCatalogue(2), PlayerStep{});
    EXPECT_EQ(model.currentChannel(), 6);
    EXPECT_EQ(model.currentIndex(), 1);
    EXPECT_EQ(model.playSelectedRow(PlaySource::SongList, 2, 5), PlayerStep{});
}

TEST(PlayerModel, PageWithoutSongsRetriesTheSwitch) {
    PlayerModel model = playingCatalogue(5, 4);
    ASSERT_EQ(model.switchCatalogue(4).action, PlayerAction::SwitchCatalogue);
    EXPECT_EQ(model.finishSwitch({}), (PlayerStep{PlayerAction::RetrySwitch, 0, kSwitchRetryPause}));
    EXPECT_FALSE(model.busy());
    EXPECT_FALSE(model.listLoaded());
    EXPECT_EQ(model.finishSwitch(songs(3)), PlayerStep{});  // a late result of nothing
    // The old queue is still shown but never played from.
    EXPECT_EQ(model.playSelectedRow(PlaySource::SongList, 2, 5).action, PlayerAction::SwitchCatalogue);
    EXPECT_EQ(model.currentChannel(), 4);
}

TEST(PlayerModel, PlaySelectedRow) {
    PlayerModel model = playingCatalogue(5);
    // The song list shows the catalogue: its row plays that queue position.
    EXPECT_EQ(model.playSelectedRow(PlaySource::SongList, 4, 5), (PlayerStep{PlayerAction::PlayCatalogueItem, 4}));
    EXPECT_EQ(model.playSelectedRow(PlaySource::Collection, 1, 2), PlayerStep{});  // guard held
    model.releaseRowGuard();
    EXPECT_EQ(model.playSelectedRow(PlaySource::Collection, 3, 2), PlayerStep{});  // no such row
    EXPECT_EQ(model.playSelectedRow(PlaySource::Collection, 2, 2), (PlayerStep{PlayerAction::PlayListRow, 2}));
    model.releaseRowGuard();
    // The song list while the collection plays: back to the catalogue, not list C.
    EXPECT_EQ(model.playSelectedRow(PlaySource::SongList, 1, 5), (PlayerStep{PlayerAction::PlayCatalogueItem, 1}));
    EXPECT_EQ(model.playSource(), PlaySource::Catalogue);
}

TEST(PlayerModel, SeekAndProgress) {
    EXPECT_EQ(seekPosition(100, 102'000), 100'000);
    EXPECT_EQ(seekPosition(49.75, 102'000), 49'750);  // the slider's fraction is not dropped
    EXPECT_EQ(seekPosition(100, -1), std::nullopt);
    const std::int64_t huge = std::int64_t{1} << 61;  // value x length would overflow
    EXPECT_EQ(seekPosition(100, huge), huge / 102 * 100 + huge % 102 * 100 / 102);
    EXPECT_EQ(progressPercent(2000, 4000), 50);
    EXPECT_EQ(progressPercent(10, 50), 0);  // shorter than 100 bytes: no division by zero
    EXPECT_EQ(progressPercent(10, -1), 0);
}

// "上一首" walks back through what played (any source, in its own mode), "next" walks
// forward again before the source goes on; a new song ends the walk.
TEST(PlayerModel, PreviousWalksBackAndNextForwardBeforeTheSourceGoesOn) {
    PlayerModel model = playingCatalogue(5);
    EXPECT_FALSE(model.canGoPrevious());
    EXPECT_EQ(model.previous(), PlayerStep{});
    ASSERT_EQ(model.next(0), (PlayerStep{PlayerAction::PlayCatalogueItem, 2}));
    model.songStarting(*model.catalogueSong(2), SongOrigin::Channel);
    model.playRepeating({.source = "http://x/by-id", .id = "99"});  // 3: a song by id
    const auto played = [&](std::size_t position) { return model.history().entry(position)->song.id; };

    EXPECT_EQ(model.previous(), (PlayerStep{PlayerAction::PlayHistory, 2}));
    model.replayStarting(model.history().entry(2)->song);
    EXPECT_EQ(played(2), "2");
    EXPECT_EQ(model.previous(), (PlayerStep{PlayerAction::PlayHistory, 1}));
    EXPECT_FALSE(model.canGoPrevious());
    // A replayed catalogue song that ends walks forward; the by-id song repeats as it did.
    EXPECT_EQ(model.tick(kEnded, 0).step, (PlayerStep{PlayerAction::PlayHistory, 2}));
    EXPECT_EQ(model.next(0), (PlayerStep{PlayerAction::PlayHistory, 3}));
    EXPECT_EQ(model.history().entry(3)->mode, PlayMode::RepeatOne);
    EXPECT_EQ(model.tick(kEnded, 0).step.action, PlayerAction::RestartSong);
    // Back at the newest, "next" is the source's again (mode 2: the hot list).
    EXPECT_EQ(model.next(0).action, PlayerAction::SwitchCatalogue);
    EXPECT_EQ(model.history().size(), 3u);

    // A new song after a walk back becomes the newest and ends the walk.
    PlayerModel list = playingList(PlaySource::Collection, 1);
    list.songStarting(songs(3)[0], SongOrigin::List);
    list.songStarting(songs(3)[1], SongOrigin::List);
    ASSERT_EQ(list.previous().action, PlayerAction::PlayHistory);
    list.songStarting(songs(3)[2], SongOrigin::List);
    EXPECT_EQ(list.next(3), (PlayerStep{PlayerAction::PlayListRow, 2}));
    // At most the last hundred are kept.
    for (int i = 0; i < 150; ++i) list.songStarting(songs(1, "h" + std::to_string(i))[0], SongOrigin::List);
    EXPECT_EQ(list.history().size(), PlayHistory::kLength);
    EXPECT_EQ(list.history().entry(1)->song.name, "h501");
}

}  // namespace
}  // namespace vamu::playback
