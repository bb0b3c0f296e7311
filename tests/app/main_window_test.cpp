// The main window as a user meets it: the views at start, the cover, the list button,
// the tabs with and without a login, the song id box's hint, the buttons that wait for
// a song, and the background pictures chosen by 背景.
#include "app/backgrounds.h"
#include "app/main_window.h"
#include "app/switches.h"
#include "core/settings.h"
#include "core/settings_fixture.h"
#include "app/window_settings.h"
#include "platform/keys.h"
#include "platform/system.h"
#include "support/ui_driver.h"

#include <gtest/gtest.h>

#include <set>

namespace vamu::app {
using namespace vamu::core;  // the settings file
namespace {

using test::UiDriver;

class MainWindowTest : public SettingsTest {
protected:
    std::unique_ptr<MainWindow> open(MainWindowSetup setup = {}) {
        auto window = std::make_unique<MainWindow>(setup);
        window->show();
        UiDriver::pump(std::chrono::milliseconds(20));
        return window;
    }
};

TEST_F(MainWindowTest, StartsOnTheChannelViewWithTheToolBarAndTheSongListTabOpen) {
    const auto window = open();
    ASSERT_TRUE(window->valid());
    const QRect geometry = window->host().geometry();
    EXPECT_EQ(geometry.size(), QSize(380, 250));
    EXPECT_EQ(geometry.center().x(), platform::workArea().center().x());
    EXPECT_EQ(window->host().title(), QStringLiteral("VAMU"));
    const MainWindow::Views& views = window->views();
    EXPECT_TRUE(UiDriver::visible(*views.channels));
    EXPECT_TRUE(UiDriver::visible(*views.toolBar));
    EXPECT_FALSE(UiDriver::visible(*views.details));
    EXPECT_FALSE(UiDriver::visible(*views.songLists));
    EXPECT_FALSE(UiDriver::visible(*views.paging));
    EXPECT_EQ(window->view(), MainView::Channels);
    ASSERT_NE(window->captionButton(toolkit::caption::kSkin), nullptr);
    EXPECT_EQ(UiDriver::tooltip(*window->captionButton(toolkit::caption::kSkin)), QStringLiteral("点击换肤"));
    EXPECT_EQ(UiDriver::tooltip(*window->captionButton(toolkit::caption::kSetting)), QStringLiteral("设置"));
    EXPECT_FALSE(UiDriver::tooltip(*window->captionButton(toolkit::caption::kReport)).isEmpty());
    EXPECT_EQ(window->captionButton(toolkit::caption::kMax), nullptr);

    ASSERT_TRUE(UiDriver::click(*views.listButton));
    EXPECT_EQ(window->view(), MainView::SongLists);
    EXPECT_EQ(UiDriver::text(*views.listButton), QStringLiteral("频道列表"));
    EXPECT_FALSE(UiDriver::visible(*views.channels));
    EXPECT_TRUE(UiDriver::visible(*views.lists.songs));
    EXPECT_FALSE(UiDriver::visible(*views.lists.collection));
    EXPECT_FALSE(UiDriver::visible(*views.lists.likes));
    EXPECT_FALSE(UiDriver::enabled(*views.lists.songsTab));
    EXPECT_TRUE(UiDriver::enabled(*views.lists.collectionTab));
    EXPECT_EQ(views.lists.openTab(), panel::ListTab::Songs);
    EXPECT_EQ(views.lists.songs->columnCount(), 5);

    ASSERT_TRUE(UiDriver::click(*views.listButton));
    EXPECT_EQ(window->view(), MainView::Channels);
    EXPECT_EQ(UiDriver::text(*views.listButton), QStringLiteral("播放列表"));
}

TEST_F(MainWindowTest, GrowingForChannelsShowsThePlayerPanelAndTheCoverTogglesTheDetails) {
    const auto window = open();
    const MainWindow::Views& views = window->views();
    // Before the channels arrive the panel has no width: the cover cannot be hit.
    EXPECT_FALSE(UiDriver::click(*views.cover));
    window->growForChannels();
    window->growForChannels();
    EXPECT_EQ(window->host().height(), 415);
    EXPECT_EQ(window->playerPanel().panel->rect(), QRect(0, 345, 380, 70));

    ASSERT_TRUE(UiDriver::click(*views.cover));
    EXPECT_EQ(window->view(), MainView::Details);
    EXPECT_EQ(UiDriver::tooltip(*views.cover), QStringLiteral("点击返回频道"));
    ASSERT_TRUE(UiDriver::click(*views.cover));
    EXPECT_EQ(window->view(), MainView::Channels);
    EXPECT_EQ(UiDriver::tooltip(*views.cover), QStringLiteral("点击查看详情"));

    // From the song lists the cover opens the details; the list button then leaves both.
    ASSERT_TRUE(UiDriver::click(*views.listButton));
    ASSERT_TRUE(UiDriver::click(*views.cover));
    EXPECT_EQ(window->view(), MainView::Details);
    EXPECT_FALSE(UiDriver::visible(*views.songLists));
    EXPECT_EQ(UiDriver::text(*views.listButton), QStringLiteral("播放列表"));
    ASSERT_TRUE(UiDriver::click(*views.listButton));
    EXPECT_EQ(window->view(), MainView::SongLists);
    ASSERT_TRUE(UiDriver::click(*views.listButton));
    EXPECT_EQ(window->view(), MainView::Channels);
    EXPECT_EQ(UiDriver::tooltip(*views.cover), QStringLiteral("点击查看详情"));
}

TEST_F(MainWindowTest, MyLikesAsksForALoginUnlessSomeoneIsLoggedIn) {
    bool loggedIn = false;
    const auto window = open({.loggedIn = [&loggedIn] { return loggedIn; }});
    const MainWindow::Views& views = window->views();
    ASSERT_TRUE(UiDriver::click(*views.listButton));

    ASSERT_TRUE(UiDriver::click(*views.lists.likesTab));
    EXPECT_TRUE(UiDriver::visible(*views.loginPanel));
    EXPECT_FALSE(UiDriver::visible(*views.lists.likes));
    EXPECT_FALSE(UiDriver::visible(*views.searchBar));
    EXPECT_FALSE(UiDriver::visible(*views.lists.songs));
    EXPECT_EQ(views.lists.openTab(), panel::ListTab::Likes);
    // The login panel's box takes typing.
    ASSERT_TRUE(UiDriver::click(*window->loginPanel().account));
    UiDriver::type(window->host(), QStringLiteral("13800000000"));
    EXPECT_EQ(UiDriver::text(*window->loginPanel().account), QStringLiteral("13800000000"));

    ASSERT_TRUE(UiDriver::click(*views.lists.collectionTab));
    EXPECT_TRUE(UiDriver::visible(*views.lists.collection));
    EXPECT_FALSE(UiDriver::visible(*views.loginPanel));
    EXPECT_FALSE(UiDriver::enabled(*views.lists.collectionTab));
    EXPECT_TRUE(UiDriver::enabled(*views.lists.likesTab));

    loggedIn = true;
    ASSERT_TRUE(UiDriver::click(*views.lists.likesTab));
    EXPECT_FALSE(UiDriver::visible(*views.loginPanel));
    EXPECT_TRUE(UiDriver::visible(*views.lists.likes));
    EXPECT_TRUE(UiDriver::visible(*views.searchBar));
    EXPECT_FALSE(UiDriver::visible(*views.lists.collection));
    // The search box empties when it takes the focus.
    ASSERT_TRUE(UiDriver::click(*views.searchBox));
    EXPECT_EQ(UiDriver::text(*views.searchBox), QString());

    ASSERT_TRUE(UiDriver::click(*views.lists.songsTab));
    EXPECT_TRUE(UiDriver::visible(*views.lists.songs));
    EXPECT_FALSE(UiDriver::visible(*views.searchBar));
}

TEST_F(MainWindowTest, SongIdBoxShowsItsGreyHintOnlyWhileEmptyAndUnfocused) {
    const auto window = open();
    toolkit::Edit* box = window->detailsPanel().songIdBox;
    toolkit::ThunderButton* get = window->detailsPanel().get;
    const QString hint = QStringLiteral("音乐ID");
    EXPECT_EQ(UiDriver::text(*box), hint);
    const QRgb grey = box->options().crText;
    EXPECT_EQ(qRed(grey), 128);

    ASSERT_TRUE(UiDriver::click(*box));
    EXPECT_EQ(UiDriver::text(*box), QString());
    EXPECT_NE(box->options().crText, grey);
    UiDriver::type(window->host(), QStringLiteral("4x21"));  // digits only
    ASSERT_TRUE(UiDriver::click(*get));
    EXPECT_EQ(UiDriver::text(*box), QStringLiteral("421"));

    // Focusing it again keeps typed text; emptied, it gets the hint back on leaving.
    ASSERT_TRUE(UiDriver::click(*box));
    EXPECT_EQ(UiDriver::text(*box), QStringLiteral("421"));
    for (int i = 0; i < 3; ++i) UiDriver::key(window->host(), platform::vk::kBack);
    ASSERT_EQ(UiDriver::text(*box), QString());
    ASSERT_TRUE(UiDriver::click(*get));
    EXPECT_EQ(UiDriver::text(*box), hint);
    EXPECT_EQ(box->options().crText, grey);
}

TEST_F(MainWindowTest, ButtonsThatNeedASongStartDisabled) {
    const auto window = open();
    window->growForChannels();
    const playback::PlayerPanel& player = window->playerPanel();
    for (toolkit::BaseControl* control :
         {static_cast<toolkit::BaseControl*>(player.collect), static_cast<toolkit::BaseControl*>(player.play),
          static_cast<toolkit::BaseControl*>(window->libraryPanel().download)}) {
        EXPECT_FALSE(UiDriver::enabled(*control));
        EXPECT_FALSE(UiDriver::click(*control));
    }
    EXPECT_TRUE(UiDriver::enabled(*player.changeSong));
    EXPECT_EQ(UiDriver::text(*player.play), QStringLiteral("播放"));
    EXPECT_EQ(UiDriver::text(*player.time), QStringLiteral("00:00/00:00"));
}

TEST_F(MainWindowTest, VolumeBarStartsAtTheStoredVolume) {
    writeSetting(setting::kVolume, "35", CreateFolder::Yes);
    const auto window = open({.volume = Switches().volume()});
    EXPECT_EQ(window->playerPanel().volume->pos(), 35);
    const auto loud = open({.volume = 250});
    EXPECT_EQ(loud->playerPanel().volume->pos(), 100);
}

TEST_F(MainWindowTest, BackgroundSettingOutsideTheFivePicturesGivesNone) {
    writeSetting(setting::kBackground, "7", CreateFolder::Yes);
    const auto window = open({.background = backgroundSetting()});
    EXPECT_EQ(window->background(), -1);
    EXPECT_EQ(window->host().backgroundColour(), -1);
    EXPECT_EQ(window->setBackground(3), 3);
    EXPECT_NE(window->host().backgroundColour(), -1);
    EXPECT_EQ(window->setBackground(-1), -1);
    EXPECT_EQ(window->host().backgroundColour(), -1);
}

TEST(Backgrounds, FiveDistinctPicturesCoverTheGrownWindow) {
    std::set<QRgb> middles;
    for (int i = 0; i < kBackgroundCount; ++i) {
        const QImage picture = backgroundPicture(i);
        ASSERT_FALSE(picture.isNull()) << i;
        EXPECT_GE(picture.width(), MainWindow::kWidth);
        EXPECT_GE(picture.height(), MainWindow::kGrownHeight);
        middles.insert(picture.pixel(picture.width() / 2, picture.height() / 3));
    }
    EXPECT_EQ(middles.size(), 5u);
    EXPECT_TRUE(backgroundPicture(5).isNull());
    EXPECT_TRUE(backgroundPicture(-1).isNull());
    EXPECT_EQ(programIcon().size(), QSize(128, 128));
}

}  // namespace
}  // namespace vamu::app
