// The program on a private session bus, as the desktop's media controls and its
// notification server meet it: properties, PropertiesChanged after each change,
// the transport commands acting on the engine and the panel, notifications that
// replace each other and obey 通知.
#include "integration/bus_peers.h"
#include "integration/private_session_bus.h"
#include "integration/program_fixture.h"

#include "app/program_menus.h"
#include "catalogue/radio_controller.h"
#include "core/settings_keys.h"
#include "desktop/desktop_bus.h"
#include "library/download_controller.h"
#include "playback/audio_engine.h"
#include "playback/player_controller.h"

#include <QDBusObjectPath>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <QUrl>

#include <fstream>

namespace vamu::test {
namespace {

using namespace std::chrono_literals;
using playback::ActivityState;

class DesktopBusTest : public ProgramFixture {
protected:
    void SetUp() override {
        if (!PrivateSessionBus::instance().running()) {
            GTEST_SKIP() << "no private session bus: " << PrivateSessionBus::instance().error();
        }
    }
    void start(std::vector<std::string> arguments = {"--stream", "all=throttle:200000"}) {
        startService(std::move(arguments));
        ::setenv("XDG_CACHE_HOME", (m_home / "cache").c_str(), 1);
        ASSERT_TRUE(startProgram());
        ASSERT_TRUE(waitForGrid());
        ASSERT_NE(m_program->desktopBus(), nullptr);
        m_client = std::make_unique<MediaClient>();
    }
    playback::PlayerController& player() { return m_program->player(); }
    const playback::PlayerPanel& panel() { return window().playerPanel(); }
    ActivityState activity() { return m_program->engine().isActive(player().stream()); }
    bool waitForPlaying(std::chrono::milliseconds deadline = 20s) {
        return UiDriver::pumpUntil([&] { return player().stream() != 0 && activity() == ActivityState::Playing; },
                                   deadline);
    }
    void playTile(int tile) {
        ASSERT_TRUE(UiDriver::click(*m_program->radio().tileControl(tile)));
        ASSERT_TRUE(waitForPlaying());
    }
    // The refresh timer runs on the test's clock; its tick announces what changed.
    void refresh() {
        ASSERT_TRUE(m_scheduler.fire(desktop::DesktopBus::kRefreshTimer));
        UiDriver::pump(50ms);
    }
    QString cell(int row, int column) { return panel().lists.songs->cellText(row, column); }
    QString status() { return m_client->player(QStringLiteral("PlaybackStatus")).toString(); }
    QString trackOf(int row) {
        return QStringLiteral("/org/vamu/song/") + cell(row, panel::song_column::kId);  // the service's ids are digits
    }
    void hideMainWindow() {
        host().nativeWindow()->hide();
        ASSERT_FALSE(host().nativeWindow()->isVisible());
    }

    std::unique_ptr<MediaClient> m_client;
};

TEST_F(DesktopBusTest, RootPropertiesAndTheTrackOfAChannelTileWithItsCoverFile) {
    start();
    EXPECT_EQ(m_program->desktopBus()->serviceName(), QStringLiteral("org.mpris.MediaPlayer2.vamu"));
    EXPECT_EQ(m_client->root(QStringLiteral("Identity")).toString(), QStringLiteral("vamu"));
    EXPECT_EQ(m_client->root(QStringLiteral("DesktopEntry")).toString(), QStringLiteral("vamu"));
    EXPECT_EQ(m_client->root(QStringLiteral("CanQuit")), QVariant(true));
    EXPECT_EQ(m_client->root(QStringLiteral("CanRaise")), QVariant(true));
    EXPECT_EQ(m_client->root(QStringLiteral("HasTrackList")), QVariant(false));
    EXPECT_EQ(m_client->player(QStringLiteral("CanGoPrevious")), QVariant(false));
    EXPECT_EQ(m_client->player(QStringLiteral("CanGoNext")), QVariant(true));
    EXPECT_EQ(status(), QStringLiteral("Stopped"));
    EXPECT_EQ(m_client->metadata().value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path(),
              QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));

    playTile(1);
    EXPECT_EQ(status(), QStringLiteral("Playing"));
    QVariantMap metadata = m_client->metadata();
    EXPECT_EQ(metadata.value(QStringLiteral("xesam:title")).toString(), cell(1, panel::song_column::kTitle));
    EXPECT_EQ(metadata.value(QStringLiteral("xesam:title")).toString(), UiDriver::text(*panel().title));
    EXPECT_EQ(metadata.value(QStringLiteral("xesam:artist")).toStringList(),
              QStringList{cell(1, panel::song_column::kUploader)});
    EXPECT_EQ(metadata.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path(), trackOf(1));

    // The length once the whole song is in, and the cover once its picture arrived.
    ASSERT_TRUE(UiDriver::pumpUntil(
        [&] {
            metadata = m_client->metadata();
            return metadata.contains(QStringLiteral("mpris:length")) &&
                   metadata.contains(QStringLiteral("mpris:artUrl"));
        },
        20s));
    const double seconds =
        m_program->engine().bytesToSeconds(player().stream(), m_program->engine().getLength(player().stream()));
    EXPECT_NEAR(metadata.value(QStringLiteral("mpris:length")).toLongLong() / 1e6, seconds, 0.01);
    const QUrl art(metadata.value(QStringLiteral("mpris:artUrl")).toString());
    ASSERT_TRUE(art.isLocalFile()) << art.toString().toStdString();
    EXPECT_TRUE(art.toLocalFile().startsWith(QString::fromStdString((m_home / "cache" / "vamu" / "covers").string())));
    QFile file(art.toLocalFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), panel().cover->pictureBytes());
    EXPECT_EQ(m_client->player(QStringLiteral("CanSeek")), QVariant(true));

    // Each change was announced, the track first with the song's title.
    refresh();
    ASSERT_TRUE(m_client->lastChange(QStringLiteral("Metadata")));
    EXPECT_EQ(toMap(*m_client->lastChange(QStringLiteral("Metadata"))).value(QStringLiteral("mpris:artUrl")),
              art.toString());
    const auto firstTrack = std::find_if(m_client->changes.begin(), m_client->changes.end(), [](const auto& change) {
        return change.changed.contains(QStringLiteral("Metadata"));
    });
    ASSERT_NE(firstTrack, m_client->changes.end());
    EXPECT_EQ(toMap(firstTrack->changed.value(QStringLiteral("Metadata"))).value(QStringLiteral("xesam:title")),
              cell(1, panel::song_column::kTitle));
}

TEST_F(DesktopBusTest, NextPlaysTheFollowingRowAndTheTrackFollowsAnySongChange) {
    start();
    playTile(1);
    ASSERT_EQ(m_client->call(kPlayer, QStringLiteral("Next")).type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(waitForPlaying());
    EXPECT_EQ(player().model().currentIndex(), 2);
    QVariantMap metadata = m_client->metadata();
    EXPECT_EQ(metadata.value(QStringLiteral("xesam:title")).toString(), cell(2, panel::song_column::kTitle));
    EXPECT_EQ(metadata.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path(), trackOf(2));
    ASSERT_TRUE(m_client->lastChange(QStringLiteral("Metadata")));
    EXPECT_EQ(toMap(*m_client->lastChange(QStringLiteral("Metadata"))).value(QStringLiteral("xesam:title")),
              cell(2, panel::song_column::kTitle));

    // The panel's own change-song button: announced without anyone asking.
    ASSERT_TRUE(m_scheduler.fire("换歌按钮"));
    m_client->changes.clear();
    ASSERT_TRUE(UiDriver::click(*panel().changeSong));
    ASSERT_TRUE(waitForPlaying());
    UiDriver::pumpUntil([&] { return m_client->lastChange(QStringLiteral("Metadata")).has_value(); }, 5s);
    ASSERT_TRUE(m_client->lastChange(QStringLiteral("Metadata")));
    EXPECT_EQ(toMap(*m_client->lastChange(QStringLiteral("Metadata"))).value(QStringLiteral("xesam:title")),
              cell(3, panel::song_column::kTitle));

    // Previous walks back through what played: row 2's song again, from its start; the
    // radio's place stays; Next walks forward to where the walk began, then goes on.
    const auto playingId = [&] { return QString::fromStdString(player().model().currentSong().id); };
    refresh();
    EXPECT_EQ(m_client->player(QStringLiteral("CanGoPrevious")), QVariant(true));
    ASSERT_TRUE(m_scheduler.fire("换歌按钮"));
    ASSERT_EQ(m_client->call(kPlayer, QStringLiteral("Previous")).type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(waitForPlaying());
    EXPECT_EQ(playingId(), cell(2, panel::song_column::kId));
    EXPECT_LT(m_program->engine().getPosition(player().stream()), 2 * 176400);  // from its start
    EXPECT_EQ(player().model().currentIndex(), 3);
    for (const int row : {3, 4}) {
        ASSERT_TRUE(m_scheduler.fire("换歌按钮"));
        ASSERT_EQ(m_client->call(kPlayer, QStringLiteral("Next")).type(), QDBusMessage::ReplyMessage);
        ASSERT_TRUE(waitForPlaying());
        EXPECT_EQ(playingId(), cell(row, panel::song_column::kId)) << row;
    }
    EXPECT_EQ(player().model().currentIndex(), 4);
}

TEST_F(DesktopBusTest, PlayPausePausesAndResumesTheEngineAndAnnouncesTheStatus) {
    start();
    playTile(1);
    ASSERT_EQ(m_client->call(kPlayer, QStringLiteral("PlayPause")).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(activity(), ActivityState::Paused);
    EXPECT_EQ(UiDriver::text(*panel().play).toStdString(), playback::kPausedStateText);
    EXPECT_EQ(status(), QStringLiteral("Paused"));
    ASSERT_TRUE(m_client->lastChange(QStringLiteral("PlaybackStatus")));
    EXPECT_EQ(m_client->lastChange(QStringLiteral("PlaybackStatus"))->toString(), QStringLiteral("Paused"));

    // Pause and Stop keep a paused song paused; Play resumes it, and only once.
    m_client->call(kPlayer, QStringLiteral("Pause"));
    m_client->call(kPlayer, QStringLiteral("Stop"));
    EXPECT_EQ(activity(), ActivityState::Paused);
    m_client->call(kPlayer, QStringLiteral("Play"));
    m_client->call(kPlayer, QStringLiteral("Play"));
    EXPECT_EQ(activity(), ActivityState::Playing);
    EXPECT_EQ(status(), QStringLiteral("Playing"));
    EXPECT_EQ(m_client->lastChange(QStringLiteral("PlaybackStatus"))->toString(), QStringLiteral("Playing"));

    // The panel's play button (enabled by the clock) is seen by the next refresh.
    ASSERT_TRUE(m_scheduler.fire(playback::PlayerController::kClockTimer));
    ASSERT_TRUE(UiDriver::click(*panel().play));
    ASSERT_EQ(activity(), ActivityState::Paused);
    refresh();
    EXPECT_EQ(m_client->lastChange(QStringLiteral("PlaybackStatus"))->toString(), QStringLiteral("Paused"));
}

TEST_F(DesktopBusTest, VolumeMovesTheSliderStoresItAndFollowsTheSlider) {
    start();
    playTile(1);
    EXPECT_DOUBLE_EQ(m_client->player(QStringLiteral("Volume")).toDouble(), 1.0);
    ASSERT_TRUE(m_client->setPlayer(QStringLiteral("Volume"), 0.3));
    EXPECT_EQ(panel().volume->pos(), 30);
    EXPECT_EQ(readSetting("音量"), "30");
    EXPECT_FLOAT_EQ(m_program->engine().getAttribute(player().stream()).value_or(-1.0F), 0.3F);
    EXPECT_DOUBLE_EQ(m_client->player(QStringLiteral("Volume")).toDouble(), 0.3);
    ASSERT_TRUE(m_client->lastChange(QStringLiteral("Volume")));
    EXPECT_DOUBLE_EQ(m_client->lastChange(QStringLiteral("Volume"))->toDouble(), 0.3);

    // Out of range: clamped, as the slider is.
    ASSERT_TRUE(m_client->setPlayer(QStringLiteral("Volume"), 4.0));
    EXPECT_EQ(panel().volume->pos(), 100);
    EXPECT_EQ(readSetting("音量"), "100");
    ASSERT_TRUE(m_client->setPlayer(QStringLiteral("Volume"), -1.0));
    EXPECT_EQ(panel().volume->pos(), 0);

    // The slider moved in the panel is announced at the next refresh.
    panel().volume->setPos(70);
    refresh();
    EXPECT_DOUBLE_EQ(m_client->lastChange(QStringLiteral("Volume"))->toDouble(), 0.7);
}

TEST_F(DesktopBusTest, SetPositionSeeksTheCurrentTrackOnlyAndSeekPastTheEndGoesToTheNext) {
    start();
    playTile(1);
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return m_client->player(QStringLiteral("CanSeek")).toBool(); }, 20s));
    const qlonglong length = m_client->metadata().value(QStringLiteral("mpris:length")).toLongLong();
    ASSERT_GT(length, 2'000'000);
    const qlonglong target = length / 2;

    // A stale track id (the client saw another song) changes nothing.
    m_client->call(kPlayer, QStringLiteral("SetPosition"),
                   {QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/vamu/song/0"))), target});
    EXPECT_LT(m_client->player(QStringLiteral("Position")).toLongLong(), target - 500'000);

    m_client->call(kPlayer, QStringLiteral("SetPosition"), {QVariant::fromValue(QDBusObjectPath(trackOf(1))), target});
    ASSERT_TRUE(
        UiDriver::pumpUntil([&] { return m_client->player(QStringLiteral("Position")).toLongLong() >= target; }, 5s));
    EXPECT_LT(m_client->player(QStringLiteral("Position")).toLongLong(), target + 2'000'000);

    m_client->call(kPlayer, QStringLiteral("Seek"), {qlonglong(length)});
    ASSERT_TRUE(waitForPlaying());
    EXPECT_EQ(player().model().currentIndex(), 2);
}

TEST_F(DesktopBusTest, RaiseShowsTheHiddenWindowAndQuitEndsTheProgramAndLeavesTheBus) {
    start();
    hideMainWindow();
    ASSERT_EQ(m_client->call(QStringLiteral("org.mpris.MediaPlayer2"), QStringLiteral("Raise")).type(),
              QDBusMessage::ReplyMessage);
    EXPECT_TRUE(host().nativeWindow()->isVisible());

    // The reply comes first; then the exit command, whose loop ends half a second later.
    // (Ending it leaves this process's loops unusable, so this case ends with it.)
    ASSERT_TRUE(m_client->nameOwned(QStringLiteral("org.mpris.MediaPlayer2.vamu")));
    QEventLoop loop;
    QTimer::singleShot(5000, &loop, [&loop] { loop.exit(99); });
    const QDBusMessage reply = m_client->call(QStringLiteral("org.mpris.MediaPlayer2"), QStringLiteral("Quit"));
    EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(loop.exec(), 0);
    EXPECT_TRUE(m_program->shutDown());
    EXPECT_FALSE(m_client->nameOwned(QStringLiteral("org.mpris.MediaPlayer2.vamu")));
}

// --- notifications ---------------------------------------------------------------------

class DesktopNotificationTest : public DesktopBusTest {
protected:
    void startWithServer(std::vector<std::string> arguments = {"--stream", "all=throttle:200000"}) {
        m_server = std::make_unique<FakeNotificationServer>();
        ASSERT_TRUE(m_server->registered());
        start(std::move(arguments));
    }
    bool waitForCalls(std::size_t count) {
        return UiDriver::pumpUntil([&] { return m_server->calls.size() >= count; }, 10s);
    }
    std::unique_ptr<FakeNotificationServer> m_server;
};

TEST_F(DesktopNotificationTest, SongsStartingWhileHiddenReplaceTheirNotificationUntilSwitchedOff) {
    startWithServer();
    // A song started in view notifies nobody.
    playTile(1);
    UiDriver::pump(300ms);
    EXPECT_TRUE(m_server->calls.empty());

    hideMainWindow();
    player().nextSong();
    ASSERT_TRUE(waitForCalls(1));
    const NotifyCall first = m_server->calls[0];
    EXPECT_EQ(first.appName, QStringLiteral("vamu"));
    EXPECT_EQ(first.icon, QStringLiteral("vamu"));
    EXPECT_EQ(first.replacesId, 0U);
    EXPECT_EQ(first.summary, cell(2, panel::song_column::kTitle));
    EXPECT_EQ(first.body, cell(2, panel::song_column::kUploader));
    EXPECT_EQ(first.hints.value(QStringLiteral("desktop-entry")).toString(), QStringLiteral("vamu"));

    ASSERT_TRUE(waitForPlaying());
    ASSERT_EQ(m_client->call(kPlayer, QStringLiteral("Next")).type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(waitForCalls(2));
    EXPECT_EQ(m_server->calls[1].replacesId, first.answeredId);
    EXPECT_EQ(m_server->calls[1].summary, cell(3, panel::song_column::kTitle));

    // The settings menu's fourth switch (its fifth item) turns them off (and writes 通知).
    app::ProgramMenus& menus = m_program->menus();
    ASSERT_EQ(menus.notificationsItem(), 5);
    EXPECT_EQ(menus.settingsMenu().item(5)->text, QStringLiteral("通知开"));
    menus.toggleNotifications();
    EXPECT_EQ(menus.settingsMenu().item(5)->text, QStringLiteral("通知关"));
    EXPECT_EQ(readSetting("通知"), "0");
    ASSERT_TRUE(waitForPlaying());
    player().nextSong();
    ASSERT_TRUE(waitForPlaying());
    UiDriver::pump(300ms);
    EXPECT_EQ(m_server->calls.size(), 2U);

    menus.toggleNotifications();
    EXPECT_EQ(readSetting("通知"), "1");
    player().nextSong();
    ASSERT_TRUE(waitForCalls(3));
    EXPECT_EQ(m_server->calls[2].replacesId, m_server->calls[1].answeredId);
}

TEST_F(DesktopNotificationTest, ADownloadThatFinishesOrFailsIsAnnounced) {
    startWithServer();
    writeSetting(core::setting::kDownloadSound.name, "0");
    playTile(1);
    ASSERT_TRUE(UiDriver::click(*window().libraryPanel().download));
    for (int i = 0; i < 480 && m_program->download().watching(); ++i) {
        UiDriver::pump(100ms);
        m_program->download().tick();
    }
    ASSERT_FALSE(m_program->download().watching());
    ASSERT_TRUE(waitForCalls(1));
    EXPECT_EQ(m_server->calls[0].summary, QStringLiteral("下载完成"));
    EXPECT_EQ(m_server->calls[0].body,
              QString::fromStdString(std::filesystem::path(m_program->download().target()).filename().string()));

    // A file where the music folder should be: the next download fails.
    std::filesystem::remove_all(m_home / "Music");
    std::ofstream(m_home / "Music") << "not a folder";
    player().nextSong();
    ASSERT_TRUE(waitForPlaying());
    ASSERT_TRUE(UiDriver::click(*window().libraryPanel().download));
    for (int i = 0; i < 100 && m_program->download().watching(); ++i) {
        UiDriver::pump(100ms);
        m_program->download().tick();
    }
    ASSERT_TRUE(waitForCalls(2));
    EXPECT_EQ(m_server->calls[1].summary, QStringLiteral("下载失败"));
    EXPECT_EQ(m_server->calls[1].replacesId, m_server->calls[0].answeredId);
}

TEST_F(DesktopNotificationTest, OddSwitchValuesLeaveTheSwitchOutAndNotificationsOff) {
    startService({"--stream", "all=throttle:200000"});
    writeSetting("通知", "2");
    m_server = std::make_unique<FakeNotificationServer>();
    ASSERT_TRUE(m_server->registered());
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    EXPECT_EQ(m_program->menus().notificationsItem(), 0);
    EXPECT_EQ(m_program->menus().settingsMenu().count(), 5);  // 弹幕, 弹幕设置..., 最小化, 下载提示, 清空缓存
    m_program->menus().toggleNotifications();
    EXPECT_EQ(readSetting("通知"), "2");
    hideMainWindow();
    playTile(1);
    UiDriver::pump(300ms);
    EXPECT_TRUE(m_server->calls.empty());
}

}  // namespace
}  // namespace vamu::test
