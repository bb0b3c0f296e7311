// Song details, play by id and the uploader's songs against vamu-service.
#include "integration/program_fixture.h"

#include "catalogue/details_controller.h"
#include "catalogue/radio_controller.h"
#include "catalogue/song_details.h"
#include "net/http_request.h"
#include "net/service_call.h"
#include "playback/player_controller.h"

#include <QTimer>

#include <set>

namespace vamu::test {
namespace {

using namespace std::chrono_literals;
using playback::ActivityState;

class DetailsTest : public ProgramFixture {
protected:
    playback::PlayerController& player() { return m_program->player(); }
    catalogue::DetailsController& details() { return m_program->details(); }
    const catalogue::DetailsPanel& panel() { return window().detailsPanel(); }
    ActivityState activity() { return m_program->engine().isActive(player().stream()); }

    void startPlaying() {
        ASSERT_TRUE(startProgram());
        ASSERT_TRUE(waitForGrid());
        ASSERT_NE(m_program->radio().tileControl(1), nullptr);
        ASSERT_TRUE(UiDriver::click(*m_program->radio().tileControl(1)));
        ASSERT_TRUE(
            UiDriver::pumpUntil([&] { return player().stream() != 0 && activity() == ActivityState::Playing; }, 40s));
    }
    catalogue::SongDetails detailsOf(const std::string& id) {
        const auto found = catalogue::fetchSongDetails(m_service->companionHost(), std::stoll(id), 1, {});
        EXPECT_TRUE(found.has_value());
        return found.value_or(catalogue::SongDetails{});
    }
    bool showsDetailsOf(const catalogue::SongDetails& expected) {
        return UiDriver::text(*panel().description) == QString::fromStdString(expected.info) &&
               UiDriver::text(*window().playerPanel().subtitle) ==
                   QString::fromStdString(catalogue::detailLine(expected));
    }
    void typeId(const QString& id) { panel().songIdBox->setText(id); }
};

TEST_F(DetailsTest, ThePlayingSongsDetailsFillTheDetailLineAndTheDescription) {
    startService();
    startPlaying();
    const catalogue::SongDetails expected = detailsOf(player().model().currentSongId());
    ASSERT_FALSE(expected.info.empty());
    // The service answers the id the hidden pair adds up to; another song's text would differ.
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return showsDetailsOf(expected); }, 30s))
        << UiDriver::text(*window().playerPanel().subtitle).toStdString();
    EXPECT_EQ(window().playerPanel().subtitle->tips().toStdString(), expected.uploaderName);
    EXPECT_EQ(player().model().detailLine(), catalogue::detailLine(expected));

    // The next song brings its own, in the details view too: its line, and its cover
    // (the player's), not the one that showed when it started.
    player().nextSong();
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return !details().fetchingDetails() && player().stream() != 0; }, 40s));
    const catalogue::SongDetails next = detailsOf(player().model().currentSongId());
    EXPECT_TRUE(UiDriver::pumpUntil([&] { return showsDetailsOf(next); }, 30s));
    EXPECT_EQ(UiDriver::text(*panel().subline).toStdString(), catalogue::detailLine(next));
    const std::string cover = net::fetchPicture(player().model().currentSong().coverUrl);
    ASSERT_FALSE(cover.empty());
    const QByteArray coverBytes(cover.data(), static_cast<qsizetype>(cover.size()));
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return window().playerPanel().cover->pictureBytes() == coverBytes; }, 20s));
    EXPECT_EQ(panel().picture->pictureBytes(), coverBytes);
}

TEST_F(DetailsTest, AnOldSongsLateReplyNeverOverwritesTheNewSongsDetails) {
    startService();
    startPlaying();
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return !details().fetchingDetails(); }, 30s));
    // The next details request is slow; the one after it is not.
    setFaults({"/info.php=delay:2500*1"});
    player().nextSong();
    UiDriver::pump(200ms);
    m_scheduler.advance(1500ms);  // the change-song button's lock
    player().nextSong();
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return !details().fetchingDetails(); }, 30s));
    const catalogue::SongDetails newest = detailsOf(player().model().currentSongId());
    ASSERT_TRUE(showsDetailsOf(newest));
    UiDriver::pump(3500ms);  // the slow reply has come and gone
    EXPECT_TRUE(showsDetailsOf(newest)) << UiDriver::text(*window().playerPanel().subtitle).toStdString();
}

TEST_F(DetailsTest, AnUnknownIdSaysSoAndTheSongPlaysOn) {
    startService();
    startPlaying();
    const playback::StreamHandle playing = player().stream();
    const std::string id = player().model().currentSongId();
    typeId(QStringLiteral("99999999"));
    ASSERT_TRUE(UiDriver::click(*panel().get));
    EXPECT_FALSE(UiDriver::enabled(*panel().get));
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return !m_messages.empty(); }, 30s));
    EXPECT_EQ(m_messages.back().title, QStringLiteral("错误"));
    EXPECT_EQ(m_messages.back().text, QStringLiteral("该id不存在!"));
    EXPECT_EQ(m_messages.back().width, 180);
    EXPECT_TRUE(UiDriver::enabled(*panel().get));
    EXPECT_EQ(player().stream(), playing);
    EXPECT_EQ(player().model().currentSongId(), id);
    EXPECT_EQ(activity(), ActivityState::Playing);

    // No digits at all (an empty box, the hint): the same answer, and the service is not asked.
    for (const QString& text : {QString(), QStringLiteral("音乐ID")}) {
        const int asked = requests("/info.php");
        const std::size_t shown = m_messages.size();
        typeId(text);
        ASSERT_TRUE(UiDriver::click(*panel().get));
        ASSERT_EQ(m_messages.size(), shown + 1) << text.toStdString();
        EXPECT_EQ(m_messages.back().text, QStringLiteral("该id不存在!"));
        EXPECT_TRUE(UiDriver::enabled(*panel().get));
        UiDriver::pump(300ms);
        EXPECT_EQ(requests("/info.php"), asked);
    }
    EXPECT_EQ(player().stream(), playing);
}

TEST_F(DetailsTest, AKnownIdPlaysThatSongAndRepeatsItAtItsEnd) {
    startService();
    startPlaying();
    const panel::ListView& list = *window().playerPanel().lists.songs;
    ASSERT_GE(list.rowCount(), 3);
    const QString id = list.cellText(3, panel::song_column::kId);
    const QString name = list.cellText(3, panel::song_column::kTitle);
    typeId(id);
    ASSERT_TRUE(UiDriver::click(*panel().get));
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return player().model().currentSongId() == id.toStdString(); }, 30s));
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(player().model().mode(), playback::PlayMode::RepeatOne);
    EXPECT_TRUE(UiDriver::enabled(*panel().get));
    EXPECT_TRUE(host().title().endsWith(QStringLiteral("  -  ") + name)) << host().title().toStdString();
    ASSERT_TRUE(
        UiDriver::pumpUntil([&] { return player().stream() != 0 && activity() == ActivityState::Playing; }, 40s));

    // Played to its end, the same song starts again.
    const playback::StreamHandle first = player().stream();
    bool restarted = false;
    for (int i = 0; i < 120 && !restarted; ++i) {
        UiDriver::pump(500ms);
        m_scheduler.advance(500ms);
        restarted = player().stream() != first && player().stream() != 0;
    }
    ASSERT_TRUE(restarted);
    EXPECT_EQ(player().model().currentSongId(), id.toStdString());
}

TEST_F(DetailsTest, ASongByIdThatCannotStartIsTriedAgainWithGrowingPausesAndPlaysOnceItCan) {
    startService();
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    const std::string id = hotSongs().front().entry.id;
    setFaults({"/media/sound/=status:503"});
    typeId(QString::fromStdString(id));
    ASSERT_TRUE(UiDriver::click(*panel().get));
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return player().model().currentSongId() == id; }, 30s));
    const panel::Label& secondLine = *window().playerPanel().subtitle;
    const auto tick = [&] {
        ASSERT_TRUE(UiDriver::pumpUntil([&] { return !player().startingSong(); }, 10s));
        m_scheduler.advance(500ms);
    };

    // 30 s of the clock: the buffering texts, then tries after pauses of 2, 4, 8, ... s.
    std::set<QString> shown;
    for (int i = 0; i < 60; ++i) {
        tick();
        shown.insert(UiDriver::text(secondLine));
    }
    const int tries = requests("/media/sound/");
    EXPECT_GE(tries, 3);
    EXPECT_LE(tries, 6);
    EXPECT_TRUE(shown.contains(qText(playback::kBufferingText)));
    EXPECT_TRUE(shown.contains(qText(playback::kBufferingFailedText)));
    EXPECT_EQ(UiDriver::text(secondLine), qText(playback::kBufferingFailedText));  // while it waits
    EXPECT_EQ(player().model().mode(), playback::PlayMode::RepeatOne);

    // The stream answers again: the song plays within the pause under way.
    clearFaults();
    const std::chrono::milliseconds pause = player().model().repeatPause();
    ASSERT_GT(pause.count(), 0);
    for (std::chrono::milliseconds waited{0}; waited <= pause && activity() != ActivityState::Playing; waited += 500ms)
        tick();
    ASSERT_TRUE(
        UiDriver::pumpUntil([&] { return player().stream() != 0 && activity() == ActivityState::Playing; }, 20s));
    EXPECT_EQ(player().model().currentSongId(), id);
    tick();
    EXPECT_NE(UiDriver::text(secondLine), qText(playback::kBufferingFailedText));
}

TEST_F(DetailsTest, AServiceThatNeverAnswersGivesTheButtonBackAfterFifteenSeconds) {
    startService();
    startPlaying();
    const std::string id = player().model().currentSongId();
    setFaults({"/info.php=delay:60000"});
    typeId(QStringLiteral("20001"));
    ASSERT_TRUE(UiDriver::click(*panel().get));
    EXPECT_FALSE(UiDriver::enabled(*panel().get));
    // The UI thread keeps turning while the request waits.
    int turns = 0;
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, [&] { ++turns; });
    beat.start(10);
    UiDriver::pump(1000ms);
    EXPECT_GE(turns, 20);
    EXPECT_TRUE(details().waitingForId());
    EXPECT_FALSE(UiDriver::enabled(*panel().get));
    m_scheduler.advance(catalogue::DetailsController::kPlayByIdLimit);
    EXPECT_TRUE(UiDriver::enabled(*panel().get));
    EXPECT_FALSE(details().waitingForId());
    UiDriver::pump(300ms);
    EXPECT_EQ(player().model().currentSongId(), id);
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(DetailsTest, UploaderSongsNeedALoginThenListEveryPageAndBackRestoresTheCatalogue) {
    startService();
    startPlaying();
    panel::ListView& list = *window().playerPanel().lists.songs;
    const int catalogueRows = list.rowCount();
    const QString firstTitle = list.cellText(1, panel::song_column::kTitle);
    list.setSelectedRow(2);
    const long long uploader = player().songList().row(2)->song.uploaderId;
    const QString uploaderName = list.cellText(2, panel::song_column::kUploader);
    const toolkit::MenuEntry* view = panel().songMenu->item(panel::song_menu::kView);
    ASSERT_NE(view, nullptr);

    view->handler();
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages.back().title, QStringLiteral("提示"));
    EXPECT_EQ(m_messages.back().text, QStringLiteral("请先登陆!!"));
    EXPECT_EQ(m_messages.back().icon, 64);
    EXPECT_EQ(list.rowCount(), catalogueRows);

    // Log in as the account feature does: the session's cookies and flag.
    const net::ServiceContext& context = m_program->serviceContext();
    const net::ServiceReply login = net::callService(
        context, net::endpoint::kLogin, {net::ParamValue::text("vamu1234"), net::ParamValue::text("13800138000")});
    ASSERT_EQ(login.outcome, net::ServiceOutcome::Succeeded);
    context.session->setLoggedIn(true);

    // What the service lists for the uploader, page after page.
    std::vector<std::string> expected;
    for (int page = 1; page < 100; ++page) {
        const net::ServiceReply reply = net::callService(
            context, net::endpoint::kUploaderSongs, {net::ParamValue::number(uploader), net::ParamValue::number(page)});
        ASSERT_EQ(reply.outcome, net::ServiceOutcome::Succeeded);
        const auto songs = net::readSongEntries(*reply.document, "result.data", net::WithoutStream::Keep);
        for (const auto& song : songs) expected.push_back(song.id);
        if (songs.size() <= 1) break;
    }
    ASSERT_FALSE(expected.empty());

    panel().songMenu->item(panel::song_menu::kView)->handler();
    EXPECT_EQ(player().model().playSource(), playback::PlaySource::SongList);
    EXPECT_EQ(panel().songMenu->item(panel::song_menu::kView)->text, QStringLiteral("返回"));
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return !details().loadingUploader(); }, 40s));
    ASSERT_EQ(list.rowCount(), static_cast<int>(expected.size()));
    for (int row = 1; row <= list.rowCount(); ++row) {
        EXPECT_EQ(list.cellText(row, panel::song_column::kId).toStdString(),
                  expected[static_cast<std::size_t>(row - 1)]);
        EXPECT_EQ(list.cellText(row, panel::song_column::kUploader), uploaderName);
        EXPECT_EQ(list.cellText(row, panel::song_column::kNumber), QString::number(row));
    }

    list.setSelectedRow(1);
    panel().songMenu->item(panel::song_menu::kView)->handler();
    EXPECT_EQ(player().model().playSource(), playback::PlaySource::Catalogue);
    EXPECT_EQ(panel().songMenu->item(panel::song_menu::kView)->text, QStringLiteral("查看"));
    EXPECT_EQ(list.rowCount(), catalogueRows);
    EXPECT_EQ(list.cellText(1, panel::song_column::kTitle), firstTitle);

    // The catalogue plays from its list again.
    m_scheduler.advance(1500ms);
    player().nextSong();
    ASSERT_TRUE(
        UiDriver::pumpUntil([&] { return player().stream() != 0 && activity() == ActivityState::Playing; }, 40s));
    EXPECT_EQ(player().model().currentSongId(), list.cellText(2, panel::song_column::kId).toStdString());
}

}  // namespace
}  // namespace vamu::test
