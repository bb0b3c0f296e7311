// The radio as a user meets it: the grid at start, a channel tile that plays its songs
// one after another, buffering failures, a failing channel list, and the player's
// commands. Each case runs the whole program against its own vamu-service.
#include "integration/program_fixture.h"

#include "catalogue/radio_controller.h"
#include "core/settings.h"
#include "core/settings_keys.h"
#include "net/http_request.h"
#include "net/json_document.h"
#include "playback/audio_engine.h"
#include "library/library_controller.h"
#include "platform/native_window.h"
#include "playback/player_controller.h"

#include <QTest>
#include <cmath>
#include <QWindow>
#include <thread>

namespace vamu::test {
namespace {

using namespace std::chrono_literals;
using playback::ActivityState;

class RadioTest : public ProgramFixture {
protected:
    playback::PlayerController& player() { return m_program->player(); }
    catalogue::RadioController& radio() { return m_program->radio(); }
    const playback::PlayerPanel& panel() { return window().playerPanel(); }
    ActivityState activity() { return m_program->engine().isActive(player().stream()); }

    // A real tick after a real pause, so the stream has moved on meanwhile.
    void tickAfter(std::chrono::milliseconds wait) {
        UiDriver::pump(wait);
        m_scheduler.advance(500ms);
    }
    bool waitForPlaying(std::chrono::milliseconds deadline = 20s) {
        return UiDriver::pumpUntil([&] { return player().stream() != 0 && activity() == ActivityState::Playing; },
                                   deadline);
    }
    void clickTile(int tile) {
        ASSERT_NE(radio().tileControl(tile), nullptr);
        ASSERT_TRUE(UiDriver::click(*radio().tileControl(tile)));
    }
    int channelSongRequests() const {
        int count = 0;
        for (const std::string& line : m_service->logLines()) count += line.find("/channel/info") != std::string::npos;
        return count;
    }
};

TEST_F(RadioTest, StartsOnTheChannelGridWithTenTilesFromTheService) {
    startService();
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());

    const auto& views = window().views();
    EXPECT_TRUE(UiDriver::visible(*views.channels));
    EXPECT_TRUE(UiDriver::visible(*views.toolBar));
    EXPECT_FALSE(UiDriver::visible(*views.songLists));
    EXPECT_EQ(host().geometry().height(), 415);
    EXPECT_EQ(panel().panel->top(), 345);
    EXPECT_EQ(panel().panel->width(), 380);

    // The tiles carry the service's first ten channels, in its order.
    net::HttpRequestArgs args;
    args.url = m_service->apiUrl("/channel/get?with_sound=0&order=hot&page=1");
    net::JsonDocument reply;
    ASSERT_TRUE(reply.load(net::httpRequest(args).body));
    for (int tile = 1; tile <= 10; ++tile) {
        const std::string name = reply.getText("result.data[" + std::to_string(tile - 1) + "].name");
        ASSERT_NE(radio().tileControl(tile), nullptr);
        EXPECT_EQ(radio().tileControl(tile)->tips().toStdString(), name) << "tile " << tile;
    }

    ASSERT_TRUE(UiDriver::click(*views.listButton));
    EXPECT_TRUE(UiDriver::visible(*views.songLists));
    EXPECT_FALSE(UiDriver::visible(*views.channels));
    EXPECT_TRUE(views.lists.songsTab->isDisabled());
    EXPECT_EQ(UiDriver::text(*views.listButton), QStringLiteral("频道列表"));
}

TEST_F(RadioTest, ChannelTilePlaysItsSongsInRowOrderAndReloadsAtTheEnd) {
    // Songs arrive throttled, but faster than they play, so stepping through a page
    // of twenty does not wait two seconds of start buffer per song.
    startService({"--stream", "all=throttle:200000"});
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    EXPECT_FALSE(UiDriver::enabled(*panel().play));
    clickTile(1);
    ASSERT_TRUE(waitForPlaying());

    panel::ListView& songs = *panel().lists.songs;
    const int rows = songs.rowCount();
    ASSERT_GT(rows, 0);
    for (int row = 1; row <= rows; ++row) EXPECT_EQ(songs.cellText(row, 2), QString::number(row));
    EXPECT_EQ(songs.selectedRow(), 1);
    EXPECT_EQ(host().title(), QStringLiteral("VAMU  - ") + songs.cellText(1, 3));
    EXPECT_EQ(UiDriver::text(*panel().title), songs.cellText(1, 3));

    // The clock moves the time label and the progress slider while the song plays.
    tickAfter(1200ms);
    EXPECT_TRUE(UiDriver::enabled(*panel().play));
    EXPECT_NE(UiDriver::text(*panel().time), QStringLiteral("00:00/00:00"));
    EXPECT_GT(panel().progress->position(), 0.0);

    // A song that ends gives way to the next row.
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return activity() == ActivityState::Stopped; }, 20s));
    m_scheduler.advance(500ms);
    ASSERT_TRUE(waitForPlaying());
    EXPECT_EQ(player().model().currentIndex(), 2);
    EXPECT_EQ(songs.selectedRow(), 2);

    // Past the last row a new page of the same channel is fetched and plays from row 1.
    const int requestsBefore = channelSongRequests();
    while (player().model().currentIndex() < rows) {
        ASSERT_TRUE(UiDriver::click(*panel().changeSong));
        ASSERT_TRUE(waitForPlaying());
        // Only the change-song button's lock ends; the clock stands still meanwhile, so
        // no song ends by itself during the walk.
        ASSERT_TRUE(m_scheduler.fire("换歌按钮"));
    }
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return activity() == ActivityState::Stopped; }, 20s));
    m_scheduler.advance(500ms);  // the end: past the queue
    m_scheduler.advance(500ms);  // the reload
    ASSERT_TRUE(waitForPlaying());
    EXPECT_EQ(channelSongRequests(), requestsBefore + 1);
    EXPECT_EQ(player().model().currentIndex(), 1);
}

TEST_F(RadioTest, RefreshInTheSongListsMenuLoadsANewPageAndAChannelOfTwentyHasOnePage) {
    startService();
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    // The grid's channel of exactly twenty songs, as the service counts them.
    net::HttpRequestArgs args;
    args.url = m_service->apiUrl("/channel/get?with_sound=0&order=hot&page=1");
    net::JsonDocument grid;
    ASSERT_TRUE(grid.load(net::httpRequest(args).body));
    int tile = 0;
    for (int k = 0; k < catalogue::kTilesPerPage && tile == 0; ++k) {
        if (grid.getText("result.data[" + std::to_string(k) + "].sound_count") == "20") tile = k + 1;
    }
    ASSERT_NE(tile, 0) << "the demo catalogue's first grid page has a channel of twenty songs";
    EXPECT_EQ(radio().tiles()[static_cast<std::size_t>(tile - 1)].pageCount, 1);
    clickTile(tile);
    ASSERT_TRUE(waitForPlaying());
    panel::ListView& songs = *panel().lists.songs;
    ASSERT_EQ(songs.rowCount(), 20);
    ASSERT_EQ(channelSongRequests(), 1);
    songs.setCellText(1, panel::song_column::kTitle, QStringLiteral("marker"));  // gone once refilled

    // As a user picks it: the song-list view, a right click on the list, "刷新".
    ASSERT_TRUE(UiDriver::click(*window().views().listButton));
    songs.setSelectedRow(1);
    UiDriver::pickInNextMenu(QStringLiteral("刷新"));
    ASSERT_TRUE(UiDriver::rightClick(songs));
    ASSERT_TRUE(UiDriver::pumpUntil(
        [&] { return channelSongRequests() == 2 && songs.cellText(1, panel::song_column::kTitle) != "marker"; }, 20s));
    EXPECT_EQ(songs.rowCount(), 20);
    ASSERT_TRUE(waitForPlaying());
    EXPECT_EQ(player().model().currentIndex(), 1);
    // Both pages asked for are page 1: a second page of twenty songs would be empty.
    for (const std::string& line : m_service->logLines()) {
        if (line.find("/channel/info") == std::string::npos) continue;
        EXPECT_NE(line.find("&page=1 ->"), std::string::npos) << line;
    }
}

TEST_F(RadioTest, WhileAPageLoadsThePanelShowsTheChannelAndTheClockStandsStill) {
    startService();
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    clickTile(1);
    ASSERT_TRUE(waitForPlaying());
    tickAfter(600ms);
    const QString time = UiDriver::text(*panel().time);
    setFaults({"/channel/info=delay:3000*1"});
    clickTile(2);
    const QString loading = QStringLiteral("VAMU  --  ") + QString::fromStdString(radio().tiles()[1].name);
    EXPECT_EQ(host().title(), loading);
    EXPECT_EQ(UiDriver::text(*panel().title), QString::fromStdString(radio().tiles()[1].name));
    EXPECT_EQ(UiDriver::text(*panel().subtitle), qText(playback::kLoadingSongsText));
    // Ticks while the page is on its way change nothing: no clock runs.
    for (int i = 0; i < 4; ++i) tickAfter(100ms);
    EXPECT_FALSE(m_scheduler.timerRunning(playback::PlayerController::kClockTimer));
    EXPECT_EQ(host().title(), loading);
    EXPECT_EQ(UiDriver::text(*panel().time), time);
    ASSERT_TRUE(waitForPlaying(20s));
    EXPECT_EQ(player().model().currentChannel(), 2);
}

TEST_F(RadioTest, KeysPlayAndMoveAndCollectButLeaveAFocusedEditBoxAlone) {
    startService();
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    clickTile(1);
    ASSERT_TRUE(waitForPlaying());
    QWindow* qtWindow = host().nativeWindow()->qtWindow();
    const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(qtWindow, key, modifiers);
        UiDriver::pump(50ms);
    };
    const auto playingId = [&] { return player().model().currentSong().id; };
    press(Qt::Key_Space);
    EXPECT_EQ(activity(), ActivityState::Paused);
    press(Qt::Key_Space);
    EXPECT_EQ(activity(), ActivityState::Playing);
    const std::string first = playingId();
    press(Qt::Key_Right, Qt::ControlModifier);
    ASSERT_TRUE(waitForPlaying());
    EXPECT_EQ(player().model().currentIndex(), 2);
    ASSERT_TRUE(m_scheduler.fire("换歌按钮"));
    press(Qt::Key_Left, Qt::ControlModifier);
    ASSERT_TRUE(waitForPlaying());
    EXPECT_EQ(playingId(), first);
    press(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(panel().volume->pos(), 95);
    EXPECT_EQ(readSetting("音量"), "95");
    tickAfter(100ms);  // the collect button comes on with the playing song
    press(Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(m_program->library().collection().rowCount(), 1);
    EXPECT_EQ(m_program->library().collection().row(1)->song.id, first);
    EXPECT_TRUE(UiDriver::tooltip(*panel().play).contains(QStringLiteral("空格")));

    // With the song id box focused the keys are the box's.
    ASSERT_TRUE(UiDriver::click(*window().detailsPanel().songIdBox));
    press(Qt::Key_Space);
    press(Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(activity(), ActivityState::Playing);
    EXPECT_EQ(panel().volume->pos(), 95);
    // Ctrl+F without a login: the likes tab, which asks for one.
    ASSERT_TRUE(UiDriver::click(*panel().cover));  // the focus leaves the box
    press(Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(UiDriver::visible(*window().views().loginPanel));
}

TEST_F(RadioTest, TheNextSongIsOpenedAheadAndTakenOverAtTheEndBeforeItsDetailsAreAsked) {
    m_options.holdNextAfter = 500ms;
    // Songs arrive faster than they play, so the next one is ready well before a short
    // first one ends, however busy the machine.
    startService({"--stream", "all=throttle:200000"});
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    clickTile(1);
    ASSERT_TRUE(waitForPlaying());
    const playback::StreamHandle first = player().stream();
    const net::SongEntry second = player().songList().row(2)->song;
    const std::string secondStream = second.source.substr(second.source.find("/media/sound/"));
    // Ticks while the first song plays: past the half second the second one is opened and
    // held (the service logs a stream only once it has all gone out).
    while (activity() == ActivityState::Playing && !player().holdingNext()) tickAfter(200ms);
    ASSERT_TRUE(player().holdingNext());
    EXPECT_EQ(activity(), ActivityState::Playing) << "the next song was opened before this one ended";
    EXPECT_EQ(player().model().currentSong().id, player().songList().row(1)->song.id);
    EXPECT_EQ(requests("/info.php"), 1);  // its details wait until it plays
    // The first one ends: the second plays on its own, and the next tick takes it over.
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return m_program->engine().isActive(first) == ActivityState::Stopped; }, 20s));
    EXPECT_NE(m_program->engine().isActive(player().heldStream()), ActivityState::Stopped);
    tickAfter(0ms);
    EXPECT_EQ(player().model().currentSong().id, second.id);
    EXPECT_EQ(activity(), ActivityState::Playing);
    EXPECT_EQ(requests("/info.php"), 2);
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return requests(secondStream) >= 1; }, 20s));
    EXPECT_EQ(requests(secondStream), 1) << "taken over, not opened again";

    // The third song's open ends only after the second song has ended (its result waits
    // for the event loop): it starts at once, without waiting for a tick.
    ASSERT_GE(player().songList().rowCount(), 3);
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return player().snapshot().positionSeconds >= 0.6; }, 20s));
    const playback::StreamHandle playing = player().stream();
    tickAfter(0ms);
    for (const auto until = std::chrono::steady_clock::now() + 20s;
         m_program->engine().isActive(playing) != ActivityState::Stopped && std::chrono::steady_clock::now() < until;) {
        std::this_thread::sleep_for(20ms);
    }
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return player().holdingNext(); }, 20s));
    EXPECT_EQ(m_program->engine().isActive(player().heldStream()), ActivityState::Playing);
}

TEST_F(RadioTest, TheSongOfTheLastExitComesBackPausedAtItsPlaceAndPlaysOnFromThereWithItsChannel) {
    startService();
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    clickTile(2);
    ASSERT_TRUE(waitForPlaying());
    const net::SongEntry song = player().model().currentSong();
    const int channel = player().model().currentChannel();
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return m_program->engine().getLength(player().stream()) > 0; }, 20s));
    const double place = std::floor(player().snapshot().lengthSeconds / 2);
    ASSERT_GE(place, 1.0);
    ASSERT_TRUE(player().seekToSeconds(place));
    tickAfter(0ms);
    const QString clock = UiDriver::text(*panel().time);
    const QString title = host().title();

    // The next start shows it paused where it stood, and asks nothing about it.
    m_program.reset();
    const int details = requests("/info.php");
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    EXPECT_EQ(UiDriver::text(*panel().title), QString::fromStdString(song.name));
    EXPECT_EQ(UiDriver::text(*panel().time), clock);
    EXPECT_EQ(UiDriver::text(*panel().play), QStringLiteral("暂停"));
    EXPECT_EQ(host().title(), title);
    EXPECT_EQ(activity(), ActivityState::Stopped);
    EXPECT_EQ(player().stream(), 0U);
    EXPECT_FALSE(player().startingSong());
    EXPECT_EQ(requests("/info.php"), details);

    // "播放": from that place, and the song goes on with the channel it came from.
    ASSERT_TRUE(UiDriver::click(*panel().play));
    ASSERT_TRUE(waitForPlaying());
    EXPECT_EQ(player().model().currentSong().id, song.id);
    EXPECT_EQ(player().model().currentChannel(), channel);
    EXPECT_GE(player().snapshot().positionSeconds, place - 0.5);
    EXPECT_EQ(requests("/info.php"), details + 1);

    // Switched off, or a stored line this program did not write: nothing comes back.
    m_program.reset();
    ASSERT_TRUE(core::writeSetting(core::setting::kResume, "0", core::CreateFolder::Yes));
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    EXPECT_EQ(UiDriver::text(*panel().title), QStringLiteral("「vamu」"));
    m_program.reset();
    ASSERT_TRUE(core::writeSetting(core::setting::kResume, "1", core::CreateFolder::Yes));
    ASSERT_TRUE(core::writeSetting(core::setting::kLastSong, "{\"id\":7,", core::CreateFolder::Yes));
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    EXPECT_EQ(UiDriver::text(*panel().title), QStringLiteral("「vamu」"));
    EXPECT_EQ(UiDriver::text(*panel().play), QStringLiteral("播放"));
}

TEST_F(RadioTest, StalledSongShowsBufferingTextsAndMovesOnAtTheThirteenthTick) {
    startService({"--throttle-streams", "--stream", "all=stall:0"});
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    clickTile(1);
    // Opening the stream gives up on its own (no audio ever comes); then the clock runs.
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return m_scheduler.timerRunning("时钟"); }, 20s));
    EXPECT_EQ(player().model().currentIndex(), 1);
    for (int tick = 1; tick <= 12; ++tick) {
        m_scheduler.advance(500ms);
        const QString expected = tick <= 10 ? QStringLiteral("歌曲缓冲中...") : QStringLiteral("缓冲失败,切换下一首");
        EXPECT_EQ(UiDriver::text(*panel().subtitle), expected) << "tick " << tick;
        EXPECT_EQ(player().model().currentIndex(), 1) << "tick " << tick;
    }
    m_scheduler.advance(500ms);  // tick 13: on to the next song after a pause
    EXPECT_EQ(player().model().currentIndex(), 2);
    EXPECT_FALSE(player().startingSong());
    m_scheduler.advance(2000ms);
    EXPECT_TRUE(player().startingSong());
    EXPECT_EQ(panel().lists.songs->selectedRow(), 1);  // selected once the stream is open
}

TEST_F(RadioTest, FailingChannelListShowsRetryTextsAndRetriesEveryTwoSeconds) {
    startService({"--fault", "/channel/get=status:500*2"});
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return m_scheduler.timerRunning("频道重试"); }, 10s));
    EXPECT_EQ(UiDriver::text(*panel().title), QStringLiteral("获取数据失败"));
    EXPECT_EQ(UiDriver::text(*panel().subtitle), QStringLiteral("重试中..."));
    EXPECT_EQ(host().geometry().height(), 415);
    EXPECT_EQ(radio().channelRequests(), 1);

    m_scheduler.advance(1900ms);
    EXPECT_EQ(radio().channelRequests(), 1);  // not before the two seconds
    m_scheduler.advance(100ms);
    EXPECT_EQ(radio().channelRequests(), 2);
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return m_scheduler.timerRunning("频道重试"); }, 10s));
    m_scheduler.advance(2000ms);
    EXPECT_EQ(radio().channelRequests(), 3);
    ASSERT_TRUE(waitForGrid());  // the fault healed
    EXPECT_EQ(UiDriver::text(*panel().title), QStringLiteral("「vamu」"));
    EXPECT_FALSE(m_scheduler.timerRunning("频道重试"));
}

TEST_F(RadioTest, NextPauseSeekAndVolumeActOnThePlayingSong) {
    startService();
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());

    // "我要换歌" with nothing played yet starts the hot list.
    ASSERT_TRUE(UiDriver::click(*panel().changeSong));
    ASSERT_TRUE(waitForPlaying());
    EXPECT_EQ(player().model().currentChannel(), 11);
    EXPECT_EQ(player().model().currentIndex(), 1);
    EXPECT_TRUE(host().title().endsWith(QStringLiteral(" - 热门推荐"))) << host().title().toStdString();
    m_scheduler.advance(1500ms);

    // Within the hot list too, the first "next" moves on.
    const std::string first = player().model().currentSongId();
    ASSERT_TRUE(UiDriver::click(*panel().changeSong));
    EXPECT_FALSE(UiDriver::enabled(*panel().changeSong));
    EXPECT_EQ(player().model().currentIndex(), 2);
    ASSERT_TRUE(waitForPlaying());
    EXPECT_NE(player().model().currentSongId(), first);
    m_scheduler.advance(1500ms);
    EXPECT_TRUE(UiDriver::enabled(*panel().changeSong));
    tickAfter(200ms);

    ASSERT_TRUE(UiDriver::click(*panel().play));
    EXPECT_EQ(activity(), ActivityState::Paused);
    EXPECT_EQ(UiDriver::text(*panel().play), QStringLiteral("暂停"));
    ASSERT_TRUE(UiDriver::click(*panel().play));
    EXPECT_EQ(activity(), ActivityState::Playing);
    EXPECT_EQ(UiDriver::text(*panel().play), QStringLiteral("播放"));

    // The slider's end is 100/102 of the song.
    const auto length = m_program->engine().getLength(player().stream());
    ASSERT_GT(length, 0);
    ASSERT_TRUE(UiDriver::click(*panel().progress, QPoint(panel().progress->width() - 1, 5)));
    ASSERT_EQ(panel().progress->position(), 100.0);
    const auto position = m_program->engine().getPosition(player().stream());
    EXPECT_NEAR(static_cast<double>(position), static_cast<double>(length) * 100 / 102, length * 0.02);

    // The volume bar: a click moves it, its release stores 音量 and applies it.
    ASSERT_TRUE(UiDriver::click(*panel().volume, QPoint(2, 5)));
    const int volume = panel().volume->pos();
    EXPECT_LT(volume, 100);
    EXPECT_EQ(readSetting(core::setting::kVolume.name), std::to_string(volume));
    const auto applied = m_program->engine().getAttribute(player().stream());
    ASSERT_TRUE(applied.has_value());
    EXPECT_NEAR(*applied, volume / 100.0, 0.001);
}

}  // namespace
}  // namespace vamu::test
