// Bullet comments as a user meets them: a playing song's comments drifting across the
// strip, standing while paused, gone at the next song, the switch 弹幕, the avatars, and
// the settings window "弹幕设置".
// Each case runs the whole program against its own vamu-service.
#include "integration/program_fixture.h"

#include "app/comment_strip_window.h"
#include "app/program_menus.h"
#include "comments/comment_settings_window.h"
#include "comments/comments_controller.h"
#include "toolkit/accessibility.h"
#include "core/settings_keys.h"
#include "net/http_request.h"
#include "net/json_document.h"
#include "platform/native_window.h"
#include "playback/audio_engine.h"
#include "playback/player_controller.h"

#include <QAccessibleInterface>
#include <QImage>

#include <algorithm>
#include <map>

namespace vamu::test {
namespace {

using namespace std::chrono_literals;
using playback::ActivityState;

class CommentsTest : public ProgramFixture {
protected:
    playback::PlayerController& player() { return m_program->player(); }
    comments::CommentsController& comments() { return m_program->comments(); }
    ActivityState activity() { return m_program->engine().isActive(player().stream()); }

    int bulletRequests() const {
        int count = 0;
        for (const std::string& line : m_service->logLines()) count += line.find("/bullet/get") != std::string::npos;
        return count;
    }
    bool waitForPlaying(std::chrono::milliseconds deadline = 20s) {
        return UiDriver::pumpUntil([&] { return player().stream() != 0 && activity() == ActivityState::Playing; },
                                   deadline);
    }
    // Plays the song and lets 2 s pass on the program's clock.
    void playFor2Seconds(const ServiceSong& song) {
        player().playRepeating(song.entry);
        ASSERT_TRUE(waitForPlaying());
        m_scheduler.advance(2000ms);
    }
    bool waitForComments(std::size_t count) {
        return UiDriver::pumpUntil([&] { return comments().controls().size() == count; }, 10s);
    }
    bool stripShown() { return m_program->commentStrip().isShown(); }
};

TEST_F(CommentsTest, APlayingSongsCommentsDriftWhilePlayingAndStandWhilePaused) {
    startService();
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    const ServiceSong song = songWithComments(100);
    player().playRepeating(song.entry);
    ASSERT_TRUE(waitForPlaying());
    UiDriver::pump(300ms);
    EXPECT_EQ(bulletRequests(), 0);  // nothing asked before the song has played 2 s
    m_scheduler.advance(1990ms);
    UiDriver::pump(300ms);
    EXPECT_EQ(bulletRequests(), 0);
    m_scheduler.advance(10ms);
    const std::size_t expected = static_cast<std::size_t>(std::min(song.comments, comments::kMaxComments));
    ASSERT_TRUE(waitForComments(expected));
    EXPECT_EQ(bulletRequests(), 1);
    EXPECT_TRUE(m_service->waitForLogLine("/bullet/get?sound_id=" + song.entry.id + "&limit=120", 1s));
    EXPECT_TRUE(stripShown());
    EXPECT_TRUE(m_scheduler.timerRunning(comments::kTimer));
    EXPECT_EQ(m_scheduler.period(comments::kTimer), 30ms);

    // The page starts right of the strip; the first three comments take the three lanes.
    panel::Page& page = *comments().page();
    const int stripWidth = m_program->commentStrip().host().width();
    EXPECT_EQ(page.left(), stripWidth + 10);
    const auto& controls = comments().controls();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(controls[static_cast<std::size_t>(i)].avatar->top(), 10 + 40 * i);
        EXPECT_GE(controls[static_cast<std::size_t>(i)].avatar->left(), 1);
        EXPECT_LE(controls[static_cast<std::size_t>(i)].avatar->left(), 90);
    }
    EXPECT_GT(controls[3].avatar->left(), controls[0].bubble->rect().right());
    // Each bubble is white and rounded with the blue name and the black text, sized by its texts.
    const comments::Comment& first = comments().comments()[0];
    EXPECT_EQ(UiDriver::text(*controls[0].name), QString::fromStdString(first.name));
    EXPECT_EQ(UiDriver::text(*controls[0].content), QString::fromStdString(first.content));
    EXPECT_EQ(controls[0].name->textColour(), 0xFF0088FFu);
    EXPECT_EQ(controls[0].content->textColour(), 0xFF000000u);
    EXPECT_EQ(controls[0].bubble->width(), comments().layout().places[0].bubbleWidth);
    EXPECT_EQ(controls[0].content->left(), comments().layout().places[0].contentLeft);

    // 2 px every tick while the stream plays.
    ASSERT_EQ(activity(), ActivityState::Playing);
    const int start = page.left();
    m_scheduler.advance(30ms);
    EXPECT_EQ(page.left(), start - 2);
    m_scheduler.advance(300ms);
    EXPECT_EQ(page.left(), start - 22);

    // Paused: the comments stand, and move on from there after the resume.
    player().togglePause();
    ASSERT_EQ(activity(), ActivityState::Paused);
    m_scheduler.advance(600ms);
    EXPECT_EQ(page.left(), start - 22);
    EXPECT_TRUE(stripShown());
    player().togglePause();
    ASSERT_TRUE(waitForPlaying(5s));
    m_scheduler.advance(60ms);
    EXPECT_EQ(page.left(), start - 26);
}

TEST_F(CommentsTest, TheNextSongTakesTheOldCommentsDownBeforeItsOwnAppear) {
    startService();
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    std::vector<ServiceSong> songs = hotSongs();
    std::erase_if(songs, [](const ServiceSong& song) { return song.comments < 10; });
    ASSERT_GE(songs.size(), 2u);
    playFor2Seconds(songs[0]);
    ASSERT_TRUE(waitForComments(static_cast<std::size_t>(std::min(songs[0].comments, 120))));
    const toolkit::ControlHandle oldPage = comments().page()->handle();
    const toolkit::ControlHandle oldAvatar = comments().controls()[0].avatar->handle();

    // The player frees the old stream for the next song: the next tick takes the page down.
    player().playRepeating(songs[1].entry);
    m_scheduler.advance(30ms);
    EXPECT_EQ(toolkit::resolveControl(oldPage), nullptr);
    EXPECT_EQ(toolkit::resolveControl(oldAvatar), nullptr);
    EXPECT_TRUE(comments().controls().empty());
    EXPECT_FALSE(stripShown());
    EXPECT_FALSE(m_scheduler.timerRunning(comments::kTimer));

    ASSERT_TRUE(waitForPlaying());
    m_scheduler.advance(2000ms);
    EXPECT_TRUE(stripShown());
    ASSERT_TRUE(waitForComments(static_cast<std::size_t>(std::min(songs[1].comments, 120))));
    EXPECT_EQ(comments().comments()[0].content.empty(), false);
    EXPECT_EQ(bulletRequests(), 2);
}

TEST_F(CommentsTest, SwitchedOffNoRequestIsSentUntilSwitchedOnWhilePlaying) {
    startService();
    writeSetting("弹幕", "0");
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    EXPECT_FALSE(stripShown());
    app::ProgramMenus& menus = m_program->menus();
    toolkit::PopupMenu& settings = menus.settingsMenu();
    ASSERT_EQ(menus.commentsItem(), 1);
    EXPECT_EQ(settings.item(1)->text, QStringLiteral("点击开启弹幕"));

    const ServiceSong song = songWithComments(20);
    playFor2Seconds(song);
    UiDriver::pump(500ms);
    EXPECT_EQ(bulletRequests(), 0);
    EXPECT_EQ(comments().page(), nullptr);
    EXPECT_FALSE(stripShown());

    // On while the song plays: the comments come at once.
    ASSERT_EQ(activity(), ActivityState::Playing);
    settings.item(1)->handler();
    EXPECT_EQ(settings.item(1)->text, QStringLiteral("点击关闭弹幕"));
    EXPECT_EQ(readSetting("弹幕"), "1");
    EXPECT_TRUE(stripShown());
    ASSERT_TRUE(waitForComments(static_cast<std::size_t>(std::min(song.comments, 120))));
    EXPECT_EQ(bulletRequests(), 1);

    // Off again: the page and the strip go at once, and the timer with them.
    settings.item(1)->handler();
    EXPECT_EQ(settings.item(1)->text, QStringLiteral("点击开启弹幕"));
    EXPECT_EQ(readSetting("弹幕"), "0");
    EXPECT_FALSE(stripShown());
    EXPECT_EQ(comments().page(), nullptr);
    EXPECT_FALSE(m_scheduler.timerRunning(comments::kTimer));
}

TEST_F(CommentsTest, TheSettingsWindowFromTheMenuSpeedsTheStripUpAndBlocksAWordAtOnce) {
    startService();
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    const ServiceSong song = songWithComments(30);
    playFor2Seconds(song);
    ASSERT_TRUE(waitForComments(static_cast<std::size_t>(std::min(song.comments, 120))));

    // As a user opens it: the gear, then "弹幕设置..." in its menu. A second opening
    // brings the same window forward.
    UiDriver::pickInNextMenu(QStringLiteral("弹幕设置..."));
    ASSERT_TRUE(UiDriver::click(*window().captionButton(toolkit::caption::kSetting)));
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return m_program->commentSettingsWindow() != nullptr; }));
    comments::CommentSettingsWindow& settings = *m_program->commentSettingsWindow();
    EXPECT_EQ(settings.host().title(), QStringLiteral("弹幕设置"));
    m_program->menus().settingsMenu().item(m_program->menus().commentSettingsItem())->handler();
    EXPECT_EQ(m_program->commentSettingsWindow(), &settings);
    // Every control has a name a screen reader reads out.
    for (toolkit::BaseControl* control : std::initializer_list<toolkit::BaseControl*>{
             settings.opacity(), settings.speed(), settings.lanes(), settings.cap(),
             settings.textSize(comments::TextSize::Large), settings.merge(), settings.blocked(), settings.defaults(),
             settings.closeButton()}) {
        ASSERT_NE(control, nullptr);
        QAccessibleInterface* reader = toolkit::accessibility::interfaceFor(*control);
        ASSERT_NE(reader, nullptr);
        EXPECT_FALSE(reader->text(QAccessible::Name).isEmpty());
    }

    // The speed slider pulled to its right end: twice the speed at once, stored.
    panel::Slider& speed = *settings.speed();
    ASSERT_TRUE(UiDriver::click(speed, QPoint(speed.width() - 1, speed.height() / 2)));
    EXPECT_EQ(UiDriver::text(*settings.speedValue()), QStringLiteral("2.0x"));
    EXPECT_EQ(readSetting("弹幕速度"), "2");
    ASSERT_EQ(activity(), ActivityState::Playing);
    panel::Page& page = *comments().page();
    const int before = page.left();
    m_scheduler.advance(60ms);
    EXPECT_EQ(page.left(), before - 8);

    // A word typed into the blocked words, in other case than written: every comment
    // whose writer or text holds it leaves the strip, the rest stand where the page is.
    const std::vector<comments::Comment> received = comments().received();
    const std::string word = received.front().name;
    ASSERT_FALSE(word.empty());
    const std::size_t kept = static_cast<std::size_t>(std::count_if(
        received.begin(), received.end(), [&](const comments::Comment& c) { return !comments::isBlocked(c, {word}); }));
    ASSERT_LT(kept, received.size());
    const int standing = page.left();
    ASSERT_TRUE(UiDriver::click(*settings.blocked()));
    UiDriver::type(settings.host(), QString::fromStdString(word).toUpper());
    EXPECT_EQ(comments().controls().size(), kept);
    for (const auto& shown : comments().controls()) {
        EXPECT_FALSE(UiDriver::text(*shown.name).contains(QString::fromStdString(word), Qt::CaseInsensitive));
    }
    EXPECT_EQ(page.left(), standing);
    EXPECT_EQ(comments::splitBlockedWords(readSetting("弹幕屏蔽")),
              (std::vector<std::string>{QString::fromStdString(word).toUpper().toStdString()}));

    // "恢复默认": every comment back at the usual speed; "关闭" closes the window.
    ASSERT_TRUE(UiDriver::click(*settings.defaults()));
    EXPECT_EQ(comments().controls().size(), received.size());
    EXPECT_EQ(readSetting("弹幕速度"), "1");
    EXPECT_EQ(readSetting("弹幕屏蔽", "?"), "");
    EXPECT_TRUE(UiDriver::text(*settings.blocked()).isEmpty());
    const int reset = page.left();
    m_scheduler.advance(30ms);
    EXPECT_EQ(page.left(), reset - 2);
    ASSERT_TRUE(UiDriver::click(*settings.closeButton()));
    EXPECT_TRUE(UiDriver::pumpUntil([&] { return m_program->commentSettingsWindow() == nullptr; }));
}

TEST_F(CommentsTest, WithCtrlHeldABubbleTakesTheClickAndItsMenuHidesItOrBlocksItsWriter) {
    std::optional<QPoint> pointer;  // over the strip, while Ctrl is held
    m_options.ctrlPointer = [&pointer] { return pointer; };
    startService();
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    const ServiceSong song = songWithComments(30);
    playFor2Seconds(song);
    ASSERT_TRUE(waitForComments(static_cast<std::size_t>(std::min(song.comments, 120))));
    platform::NativeWindow& strip = *m_program->commentStrip().host().nativeWindow();
    const auto bubble = [&](std::size_t i) -> panel::GroupBox& { return *comments().controls()[i].bubble; };
    const int stripWidth = m_program->commentStrip().host().width();
    for (int tick = 0; tick < 2000 && bubble(1).absoluteRect().right() > stripWidth - 20; ++tick) {
        m_scheduler.advance(30ms);
    }
    ASSERT_LE(bubble(1).absoluteRect().right(), stripWidth - 20);
    // Without Ctrl nothing of the strip takes the mouse.
    ASSERT_TRUE(strip.inputOverride().has_value());
    EXPECT_TRUE(strip.inputOverride()->isEmpty());

    // Ctrl over the first comment: it alone takes the mouse.
    pointer = bubble(0).absoluteRect().center();
    m_scheduler.advance(30ms);
    ASSERT_TRUE(strip.inputOverride().has_value());
    EXPECT_TRUE(strip.inputOverride()->contains(*pointer));
    EXPECT_FALSE(strip.inputOverride()->contains(bubble(1).absoluteRect().center()));

    // "隐藏此条": it goes, the one after it stays where it was.
    const QRect second = bubble(1).absoluteRect();
    UiDriver::pickInNextMenu(QStringLiteral("隐藏此条"));
    UiDriver::click(m_program->commentStrip().host(), *pointer);
    EXPECT_FALSE(UiDriver::visible(bubble(0)));
    EXPECT_EQ(bubble(1).absoluteRect(), second);

    // "屏蔽此用户" on the next: its writer joins the blocked words, stored, and every
    // comment of that writer leaves.
    const std::string writer = comments().comments()[1].name;
    pointer = second.center();
    m_scheduler.advance(30ms);
    UiDriver::pickInNextMenu(QStringLiteral("屏蔽此用户"));
    UiDriver::click(m_program->commentStrip().host(), *pointer);
    EXPECT_EQ(comments::splitBlockedWords(readSetting("弹幕屏蔽")), std::vector<std::string>{writer});
    EXPECT_EQ(comments().settings().blocked, std::vector<std::string>{writer});
    for (const comments::Comment& shown : comments().comments()) EXPECT_FALSE(comments::isBlocked(shown, {writer}));

    // Ctrl let go: every click goes through again.
    pointer.reset();
    m_scheduler.advance(30ms);
    EXPECT_TRUE(strip.inputOverride()->isEmpty());
}

TEST_F(CommentsTest, AFailedRequestOrASongWithoutCommentsShowsNothingAndRunsNoTimer) {
    startService({"--throttle-streams", "--fault", "/bullet/get=html*1"});
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    std::vector<ServiceSong> songs = hotSongs();
    const auto silent = std::find_if(songs.begin(), songs.end(), [](const auto& song) { return song.comments == 0; });
    ASSERT_NE(silent, songs.end());
    const ServiceSong commented = songWithComments(10);

    const auto expectNothing = [&](int requests) {
        ASSERT_TRUE(UiDriver::pumpUntil([&] { return bulletRequests() == requests && !comments().requesting(); }, 10s));
        UiDriver::pump(100ms);
        EXPECT_TRUE(comments().controls().empty());
        EXPECT_FALSE(m_scheduler.timerRunning(comments::kTimer));
    };
    playFor2Seconds(commented);  // the service answers with an HTML page
    expectNothing(1);
    playFor2Seconds(*silent);
    expectNothing(2);
    playFor2Seconds(commented);  // and now with its comments
    EXPECT_TRUE(waitForComments(static_cast<std::size_t>(std::min(commented.comments, 120))));
    EXPECT_TRUE(m_scheduler.timerRunning(comments::kTimer));
}

TEST_F(CommentsTest, AvatarsReplaceTheIconAndAFailingOneKeepsIt) {
    startService({"--throttle-streams", "--fault", "/media/avatar/=status:404*3"});
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    const ServiceSong song = songWithComments(40);
    playFor2Seconds(song);
    ASSERT_TRUE(waitForComments(static_cast<std::size_t>(std::min(song.comments, 120))));
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return !comments().fetchingAvatars(); }, 15s));

    // The first three avatar requests failed: the comments of those writers keep the icon;
    // every other comment shows its writer's own picture.
    std::map<std::string, QByteArray> fetched;
    int placeholders = 0;
    for (std::size_t i = 0; i < comments().controls().size(); ++i) {
        const std::string& url = comments().comments()[i].avatarUrl;
        const QByteArray& shown = comments().controls()[i].avatar->pictureBytes();
        if (shown == comments().placeholder()) {
            ++placeholders;
            continue;
        }
        if (!fetched.count(url)) {
            net::HttpRequestArgs args;
            args.url = url;
            const auto body = net::httpRequest(args).body;
            fetched[url] = QByteArray(body.data(), static_cast<qsizetype>(body.size()));
        }
        EXPECT_EQ(shown, fetched[url]) << "comment " << i;
    }
    EXPECT_GE(placeholders, 3);
    EXPECT_LT(placeholders, static_cast<int>(comments().controls().size()));
    EXPECT_FALSE(QImage::fromData(comments().placeholder()).isNull());
}

TEST_F(CommentsTest, QuickSongChangesLeaveNoLatePictureOnTheLastSong) {
    // Slow avatars: every song changes while its avatars are still on their way.
    startService({"--throttle-streams", "--fault", "/media/avatar/=delay:250"});
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    std::vector<ServiceSong> songs = hotSongs();
    std::erase_if(songs, [](const ServiceSong& song) { return song.comments < 8; });
    ASSERT_GE(songs.size(), 10u);
    for (std::size_t i = 0; i < 10; ++i) {
        playFor2Seconds(songs[i]);
        ASSERT_TRUE(waitForComments(static_cast<std::size_t>(std::min(songs[i].comments, 120)))) << i;
        EXPECT_TRUE(comments().fetchingAvatars());
    }
    const ServiceSong& last = songs[9];
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return !comments().fetchingAvatars(); }, 30s));
    UiDriver::pump(500ms);  // anything an old run still had on its way would land now
    EXPECT_EQ(comments().comments().size(), static_cast<std::size_t>(std::min(last.comments, 120)));

    // Every picture shown is the one at its own comment's URL.
    net::HttpRequestArgs clear;
    clear.url = m_service->apiUrl("/admin/faults");
    clear.method = 1;  // POST
    clear.body = "clear=1";
    clear.extraHeaders = std::string(test::kAdminHeader);
    ASSERT_EQ(net::httpRequest(clear).status, 200);
    std::map<std::string, QByteArray> fetched;
    for (std::size_t i = 0; i < comments().controls().size(); ++i) {
        const std::string& url = comments().comments()[i].avatarUrl;
        if (!fetched.count(url)) {
            net::HttpRequestArgs args;
            args.url = url;
            const auto body = net::httpRequest(args).body;
            fetched[url] = QByteArray(body.data(), static_cast<qsizetype>(body.size()));
        }
        EXPECT_EQ(comments().controls()[i].avatar->pictureBytes(), fetched[url]) << "comment " << i;
    }
}

}  // namespace
}  // namespace vamu::test
