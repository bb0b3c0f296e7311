// The download button and the companion server against vamu-service.
#include "integration/program_fixture.h"

#include "catalogue/radio_controller.h"
#include "companion/companion_controller.h"
#include "core/settings_keys.h"
#include "library/download_controller.h"
#include "playback/player_controller.h"
#include "toolkit/host_types.h"

#include <fstream>

namespace vamu::test {
namespace {

using namespace std::chrono_literals;
using playback::ActivityState;
namespace fs = std::filesystem;

class DownloadTest : public ProgramFixture {
protected:
    playback::PlayerController& player() { return m_program->player(); }
    ActivityState activity() { return m_program->engine().isActive(player().stream()); }
    panel::ThunderButton& button() { return *window().libraryPanel().download; }

    void startPlaying() {
        ASSERT_TRUE(startProgram());
        ASSERT_TRUE(waitForGrid());
        ASSERT_TRUE(UiDriver::click(*m_program->radio().tileControl(1)));
        ASSERT_TRUE(
            UiDriver::pumpUntil([&] { return player().stream() != 0 && activity() == ActivityState::Playing; }, 40s));
    }
    fs::path musicFolder() const { return m_home / "Music" / "vamu"; }
    // Ticks "下载时钟" until the download ends; the captions it showed, in order. The
    // song is paused first and only the download's timer ticks, so the song stays.
    std::vector<QString> runDownload() {
        std::vector<QString> captions;
        for (int i = 0; i < 480 && m_program->download().watching(); ++i) {
            UiDriver::pump(250ms);
            m_program->download().tick();
            captions.push_back(UiDriver::text(button()));
        }
        return captions;
    }
};

TEST_F(DownloadTest, TheSongIsSavedUnderItsCleanedTitleWithRisingProgressAndOnlyOnce) {
    startService({"--stream", "all=throttle:16000"});
    writeSetting(core::setting::kDownloadSound.name, "0");
    writeSetting(core::setting::kSongCacheLimit.name, "0");  // fetched, never copied from the song cache
    startPlaying();
    // A song whose title needs cleaning, played while the channel grid fails: the title
    // line says "获取数据失败", but the file is named after the song.
    net::SongEntry song = player().model().currentSong();
    song.name = "a/b:c?";
    player().playRepeating(song);
    ASSERT_TRUE(
        UiDriver::pumpUntil([&] { return player().stream() != 0 && activity() == ActivityState::Playing; }, 40s));
    player().togglePause();
    setFaults({"/channel/get=html"});
    m_program->radio().nextPage();
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return UiDriver::text(*window().playerPanel().title) == "获取数据失败"; }));
    ASSERT_FALSE(fs::exists(musicFolder()));
    ASSERT_TRUE(UiDriver::click(button()));
    EXPECT_FALSE(UiDriver::enabled(button()));
    EXPECT_EQ(UiDriver::text(button()), QStringLiteral("下载中"));
    EXPECT_EQ(m_scheduler.period(library::DownloadController::kTickTimer), 500ms);
    const std::vector<QString> captions = runDownload();
    ASSERT_FALSE(m_program->download().watching());
    EXPECT_EQ(UiDriver::text(button()), QStringLiteral("下载"));
    EXPECT_TRUE(UiDriver::enabled(button()));
    EXPECT_EQ(m_scheduler.period(library::DownloadController::kTickTimer), 0ms);

    // "%NN" captions that never fall, then "下载".
    int last = -1;
    int progressShown = 0;
    for (const QString& caption : captions) {
        if (!caption.startsWith('%')) continue;
        const int percent = caption.mid(1).toInt();
        EXPECT_GE(percent, last) << caption.toStdString();
        EXPECT_LE(percent, 100);
        last = percent;
        ++progressShown;
    }
    EXPECT_GE(progressShown, 2);
    const fs::path saved = musicFolder() / "abc.mp3";
    ASSERT_TRUE(fs::exists(saved));
    EXPECT_GT(fs::file_size(saved), 1000u);
    EXPECT_FALSE(fs::exists(musicFolder() / "abc.mp3;"));
    EXPECT_TRUE(m_messages.empty());
    // Without the tone the song's volume never changed.
    EXPECT_EQ(m_program->engine().getAttribute(player().stream()).value_or(-1.0F), 1.0F);

    ASSERT_TRUE(UiDriver::click(button()));
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages.back().title, QStringLiteral("提示"));
    EXPECT_EQ(m_messages.back().text, QStringLiteral("歌曲已经存在!"));
    EXPECT_EQ(m_messages.back().width, 160);
    EXPECT_TRUE(UiDriver::enabled(button()));
}

TEST_F(DownloadTest, WithTheToneOnTheSongIsMutedForOneAndAHalfSeconds) {
    startService();
    writeSetting(core::setting::kDownloadSound.name, "1");
    startPlaying();
    player().togglePause();  // a paused song stays while the clock runs
    ASSERT_TRUE(UiDriver::click(button()));
    (void)runDownload();
    ASSERT_EQ(UiDriver::text(button()), QStringLiteral("下载"));
    const playback::StreamHandle song = player().stream();
    EXPECT_EQ(m_program->engine().getAttribute(song).value_or(-1.0F), 0.0F);
    m_scheduler.advance(1400ms);
    EXPECT_EQ(m_program->engine().getAttribute(song).value_or(-1.0F), 0.0F);
    m_scheduler.advance(100ms);
    EXPECT_EQ(m_program->engine().getAttribute(song).value_or(-1.0F), 1.0F);
}

TEST_F(DownloadTest, ATransferCutOffLeavesNoPartialFileAndTheButtonReady) {
    startService({"--stream", "all=throttle:20000"});
    writeSetting(core::setting::kSongCacheLimit.name, "0");  // a short song would be whole before the click
    startPlaying();
    const std::string title = UiDriver::text(*window().playerPanel().title).toStdString();
    ASSERT_TRUE(UiDriver::click(button()));
    ASSERT_TRUE(UiDriver::pumpUntil(
        [&] {
            m_scheduler.advance(500ms);
            return UiDriver::text(button()).startsWith('%') && UiDriver::text(button()) != QStringLiteral("%0");
        },
        40s));
    m_service->stop();  // the connection drops mid-song
    for (int i = 0; i < 60 && m_program->download().watching(); ++i) {
        UiDriver::pump(250ms);
        m_scheduler.advance(500ms);
    }
    EXPECT_FALSE(m_program->download().watching());
    EXPECT_EQ(UiDriver::text(button()), QStringLiteral("下载"));
    EXPECT_TRUE(UiDriver::enabled(button()));
    EXPECT_EQ(m_scheduler.period(library::DownloadController::kTickTimer), 0ms);
    EXPECT_FALSE(UiDriver::tooltip(button()).isEmpty());
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(musicFolder())) {
        ++files;
        ADD_FAILURE() << "left behind: " << entry.path();
    }
    EXPECT_EQ(files, 0u);
}

class CompanionTest : public ProgramFixture {
protected:
    companion::CompanionController& companion() { return m_program->companion(); }
    QString statistics() {
        toolkit::BaseControl* report = window().captionButton(toolkit::caption::kReport);
        return report ? report->tips() : QString();
    }
    bool waitForReports(int count) {
        return UiDriver::pumpUntil([&] { return companion().reportsAnswered() >= count; }, 30s);
    }
    void restartProgram() {
        m_program.reset();
        m_messages.clear();
        ASSERT_TRUE(startProgram());
    }
};

TEST_F(CompanionTest, AnUpdateOfferShowsItsNotesAndOpensTheAddressOnlyWhenAsked) {
    startService({"--update", "2.40,http://update.test/vamu,fixes, more fixes"});
    m_messageAnswer = 1;  // "下次再说"
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return !m_messages.empty(); }, 30s));
    const toolkit::MessageRequest& box = m_messages.front();
    EXPECT_EQ(box.title, QStringLiteral("检测到新版本"));
    EXPECT_EQ(box.text, QStringLiteral("当前版本:2.36\n最新版本:2.40\n更新内容:\nfixes"));
    EXPECT_EQ(box.icon, 64);
    ASSERT_EQ(box.buttonTexts.size(), 2u);
    EXPECT_EQ(box.buttonTexts[0], QStringLiteral("下次再说"));
    EXPECT_EQ(box.buttonTexts[1], QStringLiteral("更新版本"));
    EXPECT_TRUE(m_opened.empty());

    m_messageAnswer = 0;  // "更新版本"
    restartProgram();
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return !m_opened.empty(); }, 30s));
    EXPECT_EQ(m_opened.front(), "http://update.test/vamu");
}

TEST_F(CompanionTest, NoUpdateMeansNoBoxAndTheClientIdIsMadeOnceAndKept) {
    startService();
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForReports(1));
    EXPECT_TRUE(m_messages.empty());
    const std::string id = readSetting(core::setting::kClientId.name);
    ASSERT_FALSE(id.empty());
    restartProgram();
    ASSERT_TRUE(waitForReports(1));
    EXPECT_EQ(readSetting(core::setting::kClientId.name), id);
    // A new settings folder would get a new id: the service really makes one per request.
    net::HttpRequestArgs args;
    args.url = "http://" + m_service->companionHost() + "/vamu.php";
    args.method = 1;
    args.body = "do=new";
    EXPECT_NE(net::httpRequest(args).body, id);
}

TEST_F(CompanionTest, ReportsComeEveryHeartbeatWithTheStatisticsInTheTooltip) {
    startService();
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForReports(1));
    EXPECT_TRUE(statistics().contains(QStringLiteral("在线人数:"))) << statistics().toStdString();
    EXPECT_TRUE(statistics().contains(QStringLiteral("启动次数:")));
    EXPECT_FALSE(statistics().contains(QStringLiteral("今日最高:")));
    EXPECT_FALSE(statistics().contains(QStringLiteral("获取失败")));
    m_scheduler.advance(500ms);
    EXPECT_EQ(m_scheduler.period(companion::CompanionController::kHeartbeatTimer), 120000ms);
    m_scheduler.advance(119000ms);
    UiDriver::pump(300ms);
    EXPECT_EQ(companion().reportsAnswered(), 1);
    m_scheduler.advance(1000ms);
    ASSERT_TRUE(waitForReports(2));
    m_scheduler.advance(120000ms);
    ASSERT_TRUE(waitForReports(3));
}

TEST_F(CompanionTest, AdministratorsSeeSixValuesAndAnEmptyReplyShowsTheFailure) {
    startService();
    writeSetting(core::setting::kAdministrator.name, "73051864");
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForReports(1));
    for (const char* line : {"在线人数:", "今日最高:", "昨日最高:", "今日总量:", "启动次数:", "总用户数:"}) {
        EXPECT_TRUE(statistics().contains(QString::fromUtf8(line))) << line;
    }
    net::HttpRequestArgs args;
    args.url = m_service->apiUrl("/admin/faults");
    args.extraHeaders = std::string(test::kAdminHeader);
    args.method = 1;
    args.body = "fault=%2Fvamu.php%3Fdo%3Dxt%3Dempty";
    ASSERT_EQ(net::httpRequest(args).status, 200);
    m_scheduler.advance(500ms);
    m_scheduler.advance(120000ms);
    ASSERT_TRUE(waitForReports(2));
    EXPECT_TRUE(statistics().contains(QStringLiteral("在线人数:获取失败\n启动次数:获取失败")));
}

TEST_F(CompanionTest, ANoticeIsShownOnceAndAnIdInsideAnotherCountsAsShown) {
    startService({"--notice", "2,7,hello"});
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForReports(1));
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages.back().title, QStringLiteral("公告"));
    EXPECT_EQ(m_messages.back().text, QStringLiteral("hello"));
    EXPECT_EQ(readSetting(core::setting::kShownNotices.name), "7,");
    m_scheduler.advance(500ms);
    m_scheduler.advance(120000ms);
    ASSERT_TRUE(waitForReports(2));
    EXPECT_EQ(m_messages.size(), 1u);

    writeSetting(core::setting::kShownNotices.name, "17,");
    restartProgram();
    ASSERT_TRUE(waitForReports(1));
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(readSetting(core::setting::kShownNotices.name), "17,");
}

TEST_F(CompanionTest, AStopNoticeIsShownAndEndsTheProgram) {
    startService({"--notice", "0,9,closed for repairs"});
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return m_program->shutDown(); }, 30s));
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages.back().title, QStringLiteral("sorry!!"));
    EXPECT_EQ(m_messages.back().text, QStringLiteral("closed for repairs"));
}

TEST_F(CompanionTest, TheFirstStartPutsTheLauncherOnTheDesktopAndTheSecondDoesNot) {
    startService();
    fs::create_directories(m_home / "Desktop");
    ASSERT_TRUE(startProgram());
    const fs::path launcher = m_home / "Desktop" / "vamu.desktop";
    ASSERT_TRUE(fs::exists(launcher));
    EXPECT_EQ(readSetting(core::setting::kVersion.name), "2.36");
    EXPECT_EQ(readSetting(core::setting::kFirstStart.name), "0");
    EXPECT_TRUE(fs::exists(m_home / "data" / "icons" / "hicolor" / "128x128" / "apps" / "vamu.png"));
    fs::remove(launcher);
    restartProgram();
    EXPECT_FALSE(fs::exists(launcher));
}

}  // namespace
}  // namespace vamu::test
