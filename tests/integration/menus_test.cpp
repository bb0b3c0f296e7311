// The tray icon, the tray menu and the settings menu with its switches, the close and
// skin buttons and the exit command, driven as a user does (the tray's codes through
// the tray icon's own message, menu items through their actions).
#include "integration/program_fixture.h"

#include "app/comment_strip_window.h"
#include "app/program_menus.h"
#include "catalogue/radio_controller.h"
#include "comments/comments_controller.h"
#include "platform/native_window.h"
#include "platform/status_icon.h"
#include "platform/ui_thread.h"
#include "playback/audio_engine.h"
#include "playback/player_controller.h"
#include "toolkit/host_types.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWindow>

namespace vamu::test {
namespace {

using namespace std::chrono_literals;

class MenusTest : public ProgramFixture {
protected:
    app::ProgramMenus& menus() { return m_program->menus(); }
    platform::NativeWindow& native() { return *host().nativeWindow(); }
    void trayCode(int code) {
        platform::post(window().handle(), platform::Message{toolkit::tray::kCallbackMessage, toolkit::tray::kIconId,
                                                            static_cast<std::intptr_t>(code)});
        UiDriver::pump(100ms);
    }
    void clickClose() {
        ASSERT_NE(window().captionButton(toolkit::caption::kClose), nullptr);
        ASSERT_TRUE(UiDriver::click(*window().captionButton(toolkit::caption::kClose)));
        UiDriver::pump(100ms);
    }
    static void choose(toolkit::PopupMenu& menu, int position) {
        ASSERT_NE(menu.item(position), nullptr);
        ASSERT_TRUE(menu.item(position)->handler) << position;
        menu.item(position)->handler();
    }
    // Starts the program on a service, with these settings written first, and waits
    // for its grid.
    void start(std::vector<std::pair<std::string, std::string>> settings = {}) {
        startService();
        for (const auto& [key, value] : settings) writeSetting(key, value);
        ASSERT_TRUE(startProgram());
        ASSERT_TRUE(waitForGrid());
        ASSERT_TRUE(UiDriver::pumpUntil([&] { return native().isVisible(); }));
    }
};

TEST_F(MenusTest, CloseHidesToTheTrayAndATrayDoubleClickBringsItBack) {
    m_trayPresent = [] { return true; };
    start();
    EXPECT_EQ(readSetting("最小化", "1"), "1");
    clickClose();
    EXPECT_FALSE(native().isVisible());
    EXPECT_TRUE(m_program->commentStrip().valid());  // still running, in the tray

    // A single click or a right button's press does not bring it back; the double click does.
    trayCode(platform::msg::kLeftDown);
    trayCode(platform::msg::kLeftUp);
    EXPECT_FALSE(native().isVisible());
    trayCode(platform::msg::kLeftDoubleClick);
    EXPECT_TRUE(native().isVisible());

    // "显示窗口" does what the double click does.
    clickClose();
    ASSERT_FALSE(native().isVisible());
    ASSERT_EQ(menus().trayMenu().item(app::ProgramMenus::kTrayShowItem)->text, QStringLiteral("显示窗口"));
    choose(menus().trayMenu(), app::ProgramMenus::kTrayShowItem);
    EXPECT_TRUE(native().isVisible());
}

TEST_F(MenusTest, TheDesktopsCloseHidesToTheTrayWithOneAndEndsTheProgramWithAnyOtherValue) {
    m_trayPresent = [] { return true; };
    start();
    const auto desktopClose = [&] {  // Alt+F4, the task bar's "Close"
        QCloseEvent event;
        QCoreApplication::sendEvent(native().qtWindow(), &event);
        UiDriver::pump(100ms);
    };
    desktopClose();
    EXPECT_FALSE(native().isVisible());
    EXPECT_FALSE(m_program->shutDown());
    trayCode(platform::msg::kLeftDoubleClick);
    ASSERT_TRUE(native().isVisible());

    // With an odd value the close button does nothing, as before; the desktop's close ends it.
    writeSetting("最小化", "2");
    clickClose();
    EXPECT_TRUE(native().isVisible());
    EXPECT_FALSE(m_program->shutDown());
    desktopClose();
    EXPECT_TRUE(m_program->shutDown());
}

TEST_F(MenusTest, WithoutATrayHostTheCloseButtonMinimisesInstead) {
    start();
    ASSERT_FALSE(platform::trayHostAvailable());  // the offscreen platform has none
    clickClose();
    EXPECT_TRUE(native().isVisible());
    EXPECT_EQ(native().showState(), platform::ShowState::Minimized);
    // The menus still work.
    choose(menus().trayMenu(), app::ProgramMenus::kTrayShowItem);
    EXPECT_EQ(native().showState(), platform::ShowState::Normal);
    choose(menus().settingsMenu(), menus().closeToTrayItem());
    EXPECT_EQ(readSetting("最小化"), "0");
}

TEST_F(MenusTest, CloseWithZeroExitsAfterHalfASecondHavingShutDownFirst) {
    start({{"最小化", "0"}});
    catalogue::RadioController& radio = m_program->radio();
    ASSERT_TRUE(UiDriver::click(*radio.tileControl(1)));
    ASSERT_TRUE(UiDriver::pumpUntil(
        [&] { return m_program->engine().isActive(m_program->player().stream()) == playback::ActivityState::Playing; },
        20s));
    m_scheduler.advance(2000ms);  // the comments start
    const playback::StreamHandle stream = m_program->player().stream();

    // The event loop ends about half a second after the click. (Ending it leaves this
    // process's loops unusable, so this case closes its program for good.)
    QEventLoop loop;
    QTimer::singleShot(5000, &loop, [&loop] { loop.exit(99); });
    QElapsedTimer clock;
    ASSERT_TRUE(UiDriver::click(*window().captionButton(toolkit::caption::kClose)));
    clock.start();

    const int code = loop.exec();
    EXPECT_EQ(code, 0);
    EXPECT_GE(clock.elapsed(), 400);
    EXPECT_LT(clock.elapsed(), 2000);
    // Shut down before that: tray icon, timers, tasks and the stream.
    EXPECT_FALSE(menus().trayIcon().statusIcon().isShown());
    EXPECT_FALSE(m_scheduler.timerRunning(comments::kTimer));
    EXPECT_FALSE(m_scheduler.timerRunning(playback::PlayerController::kClockTimer));
    EXPECT_FALSE(m_program->player().startingSong());
    EXPECT_EQ(m_program->engine().isActive(stream), playback::ActivityState::Stopped);
}

TEST_F(MenusTest, CloseToTraySwitchWritesZeroThenOneAndOtherValuesDisableIt) {
    start();
    toolkit::PopupMenu& settings = menus().settingsMenu();
    EXPECT_EQ(window().captionButton(toolkit::caption::kSetting)->tips(), QStringLiteral("设置"));
    ASSERT_EQ(settings.count(), 6);
    EXPECT_EQ(settings.item(1)->text, QStringLiteral("点击关闭弹幕"));
    EXPECT_EQ(settings.item(2)->text, QStringLiteral("弹幕设置..."));
    EXPECT_EQ(settings.item(3)->text, QStringLiteral("退出到托盘开"));
    EXPECT_EQ(settings.item(4)->text, QStringLiteral("下载提示音开"));
    EXPECT_EQ(settings.item(5)->text, QStringLiteral("通知开"));
    EXPECT_EQ(settings.item(6)->text, QStringLiteral("清空缓存"));
    choose(settings, 3);
    EXPECT_EQ(readSetting("最小化"), "0");
    EXPECT_EQ(settings.item(3)->text, QStringLiteral("退出到托盘关"));
    choose(settings, 3);
    EXPECT_EQ(readSetting("最小化"), "1");
    EXPECT_EQ(settings.item(3)->text, QStringLiteral("退出到托盘开"));

    // The value is read at every use: changed behind the program's back to something
    // else, both the switch and the close button do nothing.
    writeSetting("最小化", "yes");
    choose(settings, 3);
    EXPECT_EQ(readSetting("最小化"), "yes");
    EXPECT_EQ(settings.item(3)->text, QStringLiteral("退出到托盘开"));
    clickClose();
    EXPECT_TRUE(native().isVisible());
    EXPECT_EQ(native().showState(), platform::ShowState::Normal);
}

TEST_F(MenusTest, OddSettingsValuesLeaveTheirSwitchesOut) {
    startService();
    writeSetting("下载提示", "5");
    writeSetting("最小化", "2");
    writeSetting("通知", "7");
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    EXPECT_EQ(menus().settingsMenu().count(), 3);  // 弹幕, 弹幕设置... and 清空缓存
    EXPECT_EQ(menus().closeToTrayItem(), 0);
    EXPECT_EQ(menus().downloadToneItem(), 0);
    EXPECT_EQ(menus().notificationsItem(), 0);
    EXPECT_NE(menus().downloadTone(), 1);  // no tone after a download
    menus().toggleDownloadTone();
    EXPECT_EQ(readSetting("下载提示"), "5");
    menus().toggleNotifications();
    EXPECT_EQ(readSetting("通知"), "7");
}

TEST_F(MenusTest, NotificationsSwitchFlipsTheSettingAndItsCaption) {
    startService();
    writeSetting("最小化", "x");  // its switch left out: the notifications' moves up
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    toolkit::PopupMenu& settings = menus().settingsMenu();
    ASSERT_EQ(menus().notificationsItem(), 4);
    choose(settings, 4);
    EXPECT_EQ(menus().notifications(), 0);
    EXPECT_EQ(readSetting("通知"), "0");
    EXPECT_EQ(settings.item(4)->text, QStringLiteral("通知关"));
    choose(settings, 4);
    EXPECT_EQ(readSetting("通知"), "1");
    EXPECT_EQ(settings.item(4)->text, QStringLiteral("通知开"));
}

TEST_F(MenusTest, DownloadToneSwitchFlipsTheToneAndItsCaption) {
    start();
    toolkit::PopupMenu& settings = menus().settingsMenu();
    ASSERT_EQ(menus().downloadToneItem(), 4);
    EXPECT_EQ(menus().downloadTone(), 1);
    choose(settings, 4);
    EXPECT_EQ(menus().downloadTone(), 0);
    EXPECT_EQ(readSetting("下载提示"), "0");
    EXPECT_EQ(settings.item(4)->text, QStringLiteral("下载提示音关"));
    choose(settings, 4);
    EXPECT_EQ(menus().downloadTone(), 1);
    EXPECT_EQ(readSetting("下载提示"), "1");
    EXPECT_EQ(settings.item(4)->text, QStringLiteral("下载提示音开"));
}

TEST_F(MenusTest, SkinButtonCyclesTheBackgroundsFromFourBackToZero) {
    startService();
    writeSetting("背景", "4");
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    ASSERT_EQ(window().background(), 4);
    toolkit::BaseControl* skin = window().captionButton(toolkit::caption::kSkin);
    ASSERT_NE(skin, nullptr);
    ASSERT_TRUE(UiDriver::click(*skin));
    EXPECT_EQ(window().background(), 0);
    EXPECT_EQ(readSetting("背景"), "0");
    for (int expected = 1; expected <= 4; ++expected) {
        ASSERT_TRUE(UiDriver::click(*skin));
        EXPECT_EQ(window().background(), expected);
        EXPECT_EQ(readSetting("背景"), std::to_string(expected));
    }
}

TEST_F(MenusTest, TrayMenuHasItsSixItemsAndTheyActOnThePlayer) {
    start();
    toolkit::PopupMenu& tray = menus().trayMenu();
    ASSERT_EQ(tray.count(), 6);
    const QString texts[] = {QStringLiteral("VAMU"),     QStringLiteral(" 下一首 "), QStringLiteral("播放暂停"),
                             QStringLiteral("显示窗口"), QStringLiteral("上一首"),   QStringLiteral("退出程序")};
    for (int i = 1; i <= 6; ++i) EXPECT_EQ(tray.item(i)->text, texts[i - 1]) << i;
    EXPECT_EQ(tray.item(1)->state, 64);
    EXPECT_FALSE(tray.item(1)->handler);  // choosing the title only closes the menu
    EXPECT_EQ(menus().trayIcon().statusIcon().toolTip(), QStringLiteral("VAMU"));
    EXPECT_FALSE(menus().trayIcon().statusIcon().icon().isNull());

    ASSERT_TRUE(UiDriver::click(*m_program->radio().tileControl(1)));
    const auto playing = [&] {
        return m_program->engine().isActive(m_program->player().stream()) == playback::ActivityState::Playing;
    };
    ASSERT_TRUE(UiDriver::pumpUntil(playing, 20s));
    choose(tray, app::ProgramMenus::kTrayPauseItem);
    EXPECT_EQ(m_program->engine().isActive(m_program->player().stream()), playback::ActivityState::Paused);
    choose(tray, app::ProgramMenus::kTrayPauseItem);
    ASSERT_TRUE(UiDriver::pumpUntil(playing, 5s));
    const std::string first = m_program->player().model().currentSong().id;
    choose(tray, app::ProgramMenus::kTrayNextItem);
    ASSERT_TRUE(UiDriver::pumpUntil(playing, 20s));
    EXPECT_EQ(m_program->player().model().currentIndex(), 2);
    choose(tray, app::ProgramMenus::kTrayPreviousItem);
    ASSERT_TRUE(UiDriver::pumpUntil(playing, 20s));
    EXPECT_EQ(m_program->player().model().currentSong().id, first);
}

}  // namespace
}  // namespace vamu::test
