// The player, the radio and the details feature each by itself, against vamu-service
// with the small catalogue: the controls of a real main window, the silent output, the
// test's clock, and hooks that record what a controller hands on.
#include "app/main_window.h"
#include "catalogue/details_controller.h"
#include "catalogue/radio_controller.h"
#include "catalogue/song_details.h"
#include "net/http_request.h"
#include "net/service_call.h"
#include "playback/player_controller.h"
#include "support/manual_scheduler.h"
#include "support/service_process.h"
#include "support/ui_driver.h"
#include "toolkit/toolkit.h"

#include <gtest/gtest.h>

namespace vamu::test {
namespace {

using namespace std::chrono_literals;
using playback::ActivityState;

class ControllerTest : public ::testing::Test {
protected:
    ControllerTest() {
        toolkit::toolkitStartup();
        m_window = std::make_unique<app::MainWindow>(app::MainWindowSetup{});
        m_engine.init(playback::OutputChoice::Silent);
    }
    [[nodiscard]] net::ServiceContext context() const {
        return {m_service.apiBase(), std::make_shared<net::ServiceSession>()};
    }
    [[nodiscard]] std::vector<net::SongEntry> hotSongs() const {
        const net::ServiceReply reply =
            net::callService(context(), net::endpoint::kHotList, {net::ParamValue::number(1)});
        return reply.document ? net::readSongEntries(*reply.document, "result.data", net::WithoutStream::Skip)
                              : std::vector<net::SongEntry>{};
    }
    [[nodiscard]] static QByteArray picture(const std::string& url) {
        const std::string bytes = net::fetchPicture(url);
        return {bytes.data(), static_cast<qsizetype>(bytes.size())};
    }
    bool playing(const playback::PlayerController& player) {
        return UiDriver::pumpUntil(
            [&] { return player.stream() != 0 && m_engine.isActive(player.stream()) == ActivityState::Playing; }, 20s);
    }

    ServiceProcess m_service;
    ManualScheduler m_scheduler;
    std::unique_ptr<app::MainWindow> m_window;
    playback::AudioEngine m_engine;
};

TEST_F(ControllerTest, PlayerShowsTheChannelWhileItsPageLoadsThenPlaysItInOrderAndAsksAgainAtItsEnd) {
    std::vector<int> asked;
    std::function<void(std::vector<net::SongEntry>)> deliver;
    playback::PlayerController player(m_engine, m_window->playerPanel(), m_scheduler, "VAMU",
                                      [&](int channel, auto done) {
                                          asked.push_back(channel);
                                          deliver = std::move(done);
                                      },
                                      {});
    const playback::PlayerPanel& panel = m_window->playerPanel();
    player.switchCatalogue(2, {"古风", {}});
    EXPECT_EQ(asked, std::vector<int>{2});
    EXPECT_EQ(panel.window->title(), QStringLiteral("VAMU  --  古风"));
    EXPECT_EQ(UiDriver::text(*panel.title), QStringLiteral("古风"));
    EXPECT_EQ(UiDriver::text(*panel.subtitle), qText(playback::kLoadingSongsText));
    EXPECT_FALSE(m_scheduler.timerRunning(playback::PlayerController::kClockTimer));

    std::vector<net::SongEntry> songs = hotSongs();
    ASSERT_GE(songs.size(), 3u);
    songs.resize(3);
    deliver(songs);
    EXPECT_EQ(player.songList().rowCount(), 3);
    EXPECT_EQ(UiDriver::text(*panel.title).toStdString(), songs[0].name);
    EXPECT_EQ(panel.window->title().toStdString(), "VAMU  - " + songs[0].name);
    ASSERT_TRUE(playing(player));
    EXPECT_EQ(player.snapshot().song.id, songs[0].id);
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return panel.cover->pictureBytes() == picture(songs[0].coverUrl); }));

    for (std::size_t next = 1; next < songs.size(); ++next) {
        player.nextSong();
        EXPECT_EQ(player.model().currentSong().id, songs[next].id);
        ASSERT_TRUE(m_scheduler.fire("换歌按钮"));
    }
    player.nextSong();  // past the page's end: a new page of the same channel
    EXPECT_EQ(asked, (std::vector<int>{2, 2}));
}

TEST_F(ControllerTest, PlayerGivesALibrarySongTheUploaderAndCoverOfItsDetails) {
    playback::PlayerController player(m_engine, m_window->playerPanel(), m_scheduler, "VAMU", {}, {});
    const net::SongEntry song = hotSongs().at(0);
    net::SongList collection;
    net::SongEntry stored = song;
    stored.uploader = "搜索";  // as a collected search result keeps it
    collection.append({stored, false});
    player.setLibraryLists(&collection, nullptr);
    player.playListRow(playback::PlaySource::Collection, 1);
    const playback::PlayerPanel& panel = m_window->playerPanel();
    EXPECT_EQ(UiDriver::text(*panel.subtitle), QStringLiteral("搜索"));
    EXPECT_EQ(panel.window->title().toStdString(), "VAMU  - " + song.name);
    player.detailsArrived({"用户[真名]于2015年03月07日上传", "真名", song.coverUrl});
    EXPECT_EQ(UiDriver::text(*panel.subtitle), QStringLiteral("真名"));
    EXPECT_EQ(player.model().detailLine(), "用户[真名]于2015年03月07日上传");
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return player.snapshot().cover == picture(song.coverUrl); }));
    EXPECT_EQ(panel.cover->pictureBytes(), player.snapshot().cover);
}

TEST_F(ControllerTest, RadioHandsOnTheGridsTilesAndPagesAndSaysWhenTheGridFails) {
    std::vector<std::pair<int, std::string>> switches;
    std::vector<QString> notices;
    int noticesOver = 0;
    catalogue::RadioHooks hooks;
    hooks.switchCatalogue = [&](int channel, std::string name, const QByteArray& tile) {
        EXPECT_FALSE(tile.isEmpty());
        switches.emplace_back(channel, std::move(name));
    };
    hooks.showNotice = [&](const QString& title, const QString& line) { notices = {title, line}; };
    hooks.noticeOver = [&] { ++noticesOver; };
    ASSERT_TRUE(m_service.setFaults({"/channel/get=status:500*1"}));
    catalogue::RadioController radio(m_window->radioPanel(), context(), m_scheduler, core::seededRandomSource(4),
                                     std::move(hooks));
    radio.loadChannelPage();
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return !notices.empty(); }));
    EXPECT_EQ(notices, (std::vector<QString>{QStringLiteral("获取数据失败"), QStringLiteral("重试中...")}));
    m_scheduler.advance(catalogue::RadioController::kRetryDelay);
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return radio.gridShown(); }));
    EXPECT_EQ(noticesOver, 1);
    EXPECT_EQ(radio.channelRequests(), 2);

    radio.tileClicked(2);
    ASSERT_EQ(switches.size(), 1u);
    EXPECT_EQ(switches[0], std::pair(2, radio.tiles()[1].name));
    std::vector<net::SongEntry> page;
    radio.loadCataloguePage(2, [&](std::vector<net::SongEntry> songs) { page = std::move(songs); });
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return !page.empty(); }, 10s));
    EXPECT_LE(page.size(), 20u);
    std::vector<net::SongEntry> hot;
    radio.loadCataloguePage(playback::kHotChannel, [&](std::vector<net::SongEntry> songs) { hot = std::move(songs); });
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return !hot.empty(); }, 10s));
}

TEST_F(ControllerTest, DetailsHandTheirLineToThePlayerAndAKnownIdToPlayRepeating) {
    std::vector<std::string> learnt;
    std::vector<net::SongEntry> repeated;
    std::vector<QString> messages;
    catalogue::DetailsHooks hooks;
    hooks.detailsLearnt = [&](const std::string& line, const std::string&, const std::string&) {
        learnt.push_back(line);
    };
    hooks.playRepeating = [&](const net::SongEntry& song) { repeated.push_back(song); };
    hooks.message = [&](const toolkit::MessageRequest& request) {
        messages.push_back(request.text);
        return 1;
    };
    const net::SongList songList;
    catalogue::DetailsController details(m_window->detailsPanel(), songList, m_service.companionHost(), context(),
                                         m_scheduler, core::seededRandomSource(9), std::move(hooks));
    const net::SongEntry song = hotSongs().at(1);
    details.songStarting(song);
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return !learnt.empty(); }, 10s));
    const auto expected = catalogue::fetchSongDetails(m_service.companionHost(), std::stoll(song.id), 1, {});
    ASSERT_TRUE(expected);
    EXPECT_EQ(learnt.back(), catalogue::detailLine(*expected));
    EXPECT_EQ(UiDriver::text(*m_window->detailsPanel().subline).toStdString(), learnt.back());
    EXPECT_EQ(UiDriver::text(*m_window->detailsPanel().headline).toStdString(), song.name);

    m_window->detailsPanel().songIdBox->setText(QString::fromStdString(song.id));
    details.playById();
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return !repeated.empty(); }, 10s));
    EXPECT_EQ(repeated.back().id, song.id);
    EXPECT_EQ(repeated.back().source, song.source);
    m_window->detailsPanel().songIdBox->setText(QStringLiteral("99999999"));
    details.playById();
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return !messages.empty(); }, 10s));
    EXPECT_EQ(messages.back(), QStringLiteral("该id不存在!"));
    EXPECT_EQ(repeated.size(), 1u);
}

}  // namespace
}  // namespace vamu::test
