// Replies that take twenty seconds, and songs that trickle, stall or break off. Slow
// replies of different features are waited for together in one case (the program has no
// deadline of its own below a minute), while the user keeps using the window; the
// window must answer throughout and every late reply must land where it belongs.
#include "integration/fault_fixture.h"

#include "catalogue/catalogue_texts.h"
#include "net/http_request.h"

#include <map>
#include <set>

namespace vamu::test {
namespace {

using namespace std::chrono_literals;
using playback::ActivityState;

constexpr auto kSlow = 20s;
const std::string kDelay = "=delay:20000*1";

class SlowReplies : public FaultFixture {
protected:
    // While replies are on their way the user switches between the channel grid and the
    // song lists: each click must take effect at once.
    void useTheWindowFor(std::chrono::milliseconds duration, const std::function<bool()>& done) {
        const auto& views = window().views();
        const auto end = std::chrono::steady_clock::now() + duration;
        while (std::chrono::steady_clock::now() < end && !done()) {
            const bool listsBefore = UiDriver::visible(*views.songLists);
            ASSERT_TRUE(UiDriver::click(*views.listButton));
            EXPECT_NE(UiDriver::visible(*views.songLists), listsBefore) << "the click took no effect at once";
            (void)UiDriver::pumpUntil(done, 700ms);
        }
    }
};

TEST_F(SlowReplies, AtStartTheGridLoginDetailsCommentsAndCompanionArriveLateWhileTheWindowAnswers) {
    startService({"--throttle-streams", "--fault", "/channel/get" + kDelay, "--fault", "/vamu.php" + kDelay, "--fault",
                  "/index/login" + kDelay, "--fault", "/info.php" + kDelay, "--fault", "/bullet/get" + kDelay});
    const ServiceSong song = songWithComments(10);
    ASSERT_TRUE(startProgram());
    UiDriver::pump(300ms);
    EXPECT_FALSE(radio().gridShown());
    EXPECT_FALSE(m_scheduler.timerRunning("频道重试"));  // slow is not failed: no retry meanwhile
    EXPECT_TRUE(companion().starting());

    clickLogin(kDemoPhone, kDemoPassword, false);
    EXPECT_TRUE(account().loggingIn());
    EXPECT_FALSE(UiDriver::enabled(*loginPanel().login));
    player().playRepeating(song.entry);
    ASSERT_TRUE(waitForPlaying());
    EXPECT_TRUE(details().fetchingDetails());
    m_scheduler.advance(2000ms);  // the comments are asked for
    EXPECT_TRUE(comments().requesting());

    const auto allArrived = [&] {
        return radio().gridShown() && m_program->serviceContext().session->loggedIn() && !library().loadingLikes() &&
               likes().rowCount() == 45 && !details().fetchingDetails() && !comments().controls().empty() &&
               companion().reportsAnswered() >= 1;
    };
    useTheWindowFor(kSlow + 10s, allArrived);
    ASSERT_TRUE(allArrived()) << "grid " << radio().gridShown() << " likes " << likes().rowCount() << " details "
                              << !details().fetchingDetails() << " comments " << comments().controls().size()
                              << " companion " << companion().reportsAnswered();
    EXPECT_EQ(radio().channelRequests(), 1);
    EXPECT_FALSE(UiDriver::text(*window().detailsPanel().description).isEmpty());
    EXPECT_EQ(comments().controls().size(), static_cast<std::size_t>(std::min(song.comments, 120)));
    expectNoRawText();
    expectNoMessage();
    expectResponsive("slow start-up replies");
}

TEST_F(SlowReplies, ASlowSearchAndHotListArriveLateAndASlowLikesPageGivesWayToARefresh) {
    startService();
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    ASSERT_TRUE(loginAndWait(kDemoPhone, kDemoPassword, false, 45));
    setFaults({"/player/likes" + kDelay, "/sound/search" + kDelay, "/sound/hot" + kDelay});

    // The likes: a refresh while the first page hangs starts over and ends at once.
    library().refreshLikes();
    UiDriver::pump(300ms);
    EXPECT_TRUE(library().loadingLikes());
    EXPECT_EQ(likes().rowCount(), 0);
    library().refreshLikes();
    ASSERT_TRUE(waitForLikes(45, 10s));

    // The search: "搜索" stays off until its page comes; the likes stay meanwhile.
    searchPanel().keyword->setText(QStringLiteral("0"));
    ASSERT_TRUE(UiDriver::click(*searchPanel().search));
    EXPECT_FALSE(UiDriver::enabled(*searchPanel().search));
    // The hot list: the song list waits, saying so.
    ASSERT_TRUE(UiDriver::click(*playerPanel().changeSong));
    UiDriver::pump(300ms);
    EXPECT_EQ(UiDriver::text(*playerPanel().subtitle), qText(playback::kLoadingSongsText));
    EXPECT_EQ(player().stream(), 0u);

    const auto allArrived = [&] { return !search().searching() && player().stream() != 0; };
    useTheWindowFor(kSlow + 10s, allArrived);
    ASSERT_TRUE(allArrived());
    EXPECT_EQ(likes().rowCount(), 10);
    EXPECT_EQ(library().likesMode(), library::LikesMode::SearchResults);
    EXPECT_TRUE(UiDriver::enabled(*searchPanel().search));
    ASSERT_TRUE(waitForPlaying());
    EXPECT_EQ(player().model().currentChannel(), 11);
    EXPECT_GT(playerPanel().lists.songs->rowCount(), 0);
    expectNoRawText();
    expectNoMessage();
    expectResponsive("slow search, hot list and likes");
}

TEST_F(SlowReplies, ASlowChannelPageArrivesLateAndPlays) {
    startService();
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    setFaults({"/channel/info" + kDelay});
    ASSERT_TRUE(UiDriver::click(*radio().tileControl(1)));
    UiDriver::pump(300ms);
    EXPECT_EQ(UiDriver::text(*playerPanel().subtitle), qText(playback::kLoadingSongsText));
    useTheWindowFor(kSlow + 10s, [&] { return player().stream() != 0; });
    ASSERT_TRUE(waitForPlaying());
    EXPECT_EQ(player().model().currentChannel(), 1);
    EXPECT_EQ(player().model().currentIndex(), 1);
    expectNoRawText();
    expectNoMessage();
    expectResponsive("slow channel page");
}

TEST_F(SlowReplies, ASlowAvatarHoldsUpNoOtherAndNothingLandsAfterTheSongChanged) {
    startService({"--throttle-streams"});
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    std::vector<ServiceSong> songs = hotSongs();
    std::erase_if(songs, [](const ServiceSong& song) { return song.comments < 10; });
    ASSERT_GE(songs.size(), 2u);
    setFaults({"/media/avatar/" + kDelay});
    player().playRepeating(songs[0].entry);
    ASSERT_TRUE(waitForPlaying());
    m_scheduler.advance(2000ms);
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return !comments().controls().empty(); }, 10s));
    // Every avatar but the slow one's arrives.
    const auto ownPictures = [&] {
        int own = 0;
        for (const auto& made : comments().controls()) own += made.avatar->pictureBytes() != comments().placeholder();
        return own;
    };
    const auto withSlowAvatar = [&] {
        std::map<std::string, int> byUrl;
        for (const auto& comment : comments().comments()) ++byUrl[comment.avatarUrl];
        return byUrl;
    }();
    int largest = 0;
    for (const auto& [url, count] : withSlowAvatar) largest = std::max(largest, count);
    const int total = static_cast<int>(comments().controls().size());
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return ownPictures() >= total - largest; }, 15s)) << ownPictures();
    EXPECT_TRUE(comments().fetchingAvatars());
    EXPECT_LT(ownPictures(), total);

    // The next song's comments replace them; the slow picture never lands among them.
    player().playRepeating(songs[1].entry);
    ASSERT_TRUE(waitForPlaying());
    m_scheduler.advance(2000ms);
    ASSERT_TRUE(
        UiDriver::pumpUntil([&] { return !comments().controls().empty() && !comments().fetchingAvatars(); }, 15s));
    EXPECT_EQ(ownPictures(), static_cast<int>(comments().controls().size()));
    expectNoRawText();
    expectResponsive("slow avatar");
}

TEST_F(SlowReplies, ClosingWhileEveryReplyHangsEndsWithinASecond) {
    startService();
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    setFaults({"*=delay:60000"});
    clickLogin(kDemoPhone, kDemoPassword, false);
    ASSERT_TRUE(UiDriver::click(*playerPanel().changeSong));
    radio().nextPage();
    companion().report();
    UiDriver::pump(500ms);
    ASSERT_TRUE(account().loggingIn());
    ASSERT_TRUE(radio().loadingPage());
    ASSERT_TRUE(companion().reporting());
    expectResponsive("every reply hanging");
    const auto start = std::chrono::steady_clock::now();
    m_program->shutdown();
    m_program.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
}

// --- songs ----------------------------------------------------------------------------

class SongFaults : public FaultFixture {
protected:
    void playChannel() {
        ASSERT_TRUE(waitForGrid());
        ASSERT_TRUE(UiDriver::click(*radio().tileControl(1)));
    }
    // The buffering ticks of a song that never starts, and the move to the next one.
    void expectBufferingFailureAndTheNextSong() {
        ASSERT_TRUE(UiDriver::pumpUntil(
            [&] { return m_scheduler.timerRunning(playback::PlayerController::kClockTimer); }, 20s));
        EXPECT_EQ(player().model().currentIndex(), 1);
        for (int tick = 1; tick <= 12; ++tick) {
            m_scheduler.advance(500ms);
            const QString expected =
                tick <= 10 ? QStringLiteral("歌曲缓冲中...") : QStringLiteral("缓冲失败,切换下一首");
            EXPECT_EQ(UiDriver::text(*playerPanel().subtitle), expected) << "tick " << tick;
        }
        m_scheduler.advance(500ms);
        EXPECT_EQ(player().model().currentIndex(), 2);
    }
    // The longest song of the hot list's first pages.
    ServiceSong longestSong() const {
        std::vector<ServiceSong> songs = hotSongs();
        EXPECT_FALSE(songs.empty());
        if (songs.empty()) return {};
        return *std::max_element(songs.begin(), songs.end(),
                                 [](const auto& a, const auto& b) { return a.seconds < b.seconds; });
    }
    // That song, played on its own (it repeats).
    ServiceSong playLongestSong() {
        const ServiceSong longest = longestSong();
        player().playRepeating(longest.entry);
        return longest;
    }
    struct Run {
        std::set<ActivityState> seen;
        std::int64_t furthest = 0;
        std::int64_t length = -1;
    };
    // Ticks on the program's clock while the song plays in real time, until it has played
    // and stopped at its end (or the deadline passed); what was seen on the way.
    Run playToTheEnd(std::chrono::milliseconds deadline) {
        Run run;
        const auto end = std::chrono::steady_clock::now() + deadline;
        while (std::chrono::steady_clock::now() < end) {
            UiDriver::pump(200ms);
            const ActivityState now = activity();
            run.seen.insert(now);
            run.length = std::max(run.length, m_program->engine().getLength(player().stream()));
            run.furthest = std::max(run.furthest, m_program->engine().getPosition(player().stream()));
            if (now == ActivityState::Stopped && run.furthest > 0) break;
            m_scheduler.advance(500ms);
        }
        return run;
    }
};

class SongEndpointFault : public SongFaults, public ::testing::WithParamInterface<const char*> {};

TEST_P(SongEndpointFault, ASongThatCannotBeFetchedIsGivenUpAndTheNextOnePlaysOnceTheServiceIsWell) {
    startService({"--throttle-streams", "--fault", std::string("/media/sound/=") + GetParam()});
    ASSERT_TRUE(startProgram());
    playChannel();
    expectBufferingFailureAndTheNextSong();
    clearFaults();
    m_scheduler.advance(2000ms);  // the pause before the next song
    ASSERT_TRUE(waitForPlaying());
    m_scheduler.advance(500ms);
    EXPECT_EQ(player().model().currentIndex(), 2);
    EXPECT_NE(UiDriver::text(*playerPanel().subtitle), QStringLiteral("歌曲缓冲中..."));
    expectNoRawText();
    expectNoMessage();
    expectResponsive(std::string("song ") + GetParam());
}

INSTANTIATE_TEST_SUITE_P(EveryMode, SongEndpointFault,
                         // A song has no JSON to break: "broken-json" leaves it whole.
                         ::testing::Values("html", "empty", "drop", "oversized", "status:500"), [](const auto& info) {
                             std::string name;
                             for (const char c : std::string_view(info.param))
                                 name.push_back(std::isalnum(static_cast<unsigned char>(c)) ? c : '_');
                             return name;
                         });

TEST_F(SongFaults, ATrickleTooSlowToStartShowsTheBufferingTextsAndMovesOn) {
    startService({"--stream", "all=throttle:2000"});
    ASSERT_TRUE(startProgram());
    playChannel();
    expectBufferingFailureAndTheNextSong();
    clearFaults();
    m_scheduler.advance(2000ms);
    ASSERT_TRUE(waitForPlaying());
    expectNoRawText();
    expectResponsive("song throttle:2000");
}

TEST_F(SongFaults, ASongArrivingSlowerThanItPlaysRunsDryButReachesItsEnd) {
    startService();
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    const ServiceSong song = longestSong();
    net::HttpRequestArgs file;
    file.url = song.entry.source;
    const auto bytes = static_cast<long long>(net::httpRequest(file).body.size());
    ASSERT_GT(bytes, 0);
    ASSERT_GE(song.seconds, 3);
    // Half the song's own byte rate: it opens after two seconds of sound (four seconds of
    // fetching, within the opening's five), plays, runs dry near its end, plays on.
    setFaults({}, {"all=throttle:" + std::to_string(bytes / 2 / song.seconds)});
    player().playRepeating(song.entry);
    ASSERT_TRUE(waitForPlaying(30s));
    const Run run = playToTheEnd(40s);
    EXPECT_TRUE(run.seen.count(ActivityState::Stalled))
        << "never ran dry: " << song.seconds << " s, " << run.length << " bytes of sound";
    ASSERT_GT(run.length, 0);
    EXPECT_GT(run.furthest, run.length * 9 / 10) << run.furthest << " of " << run.length;
    EXPECT_NE(UiDriver::text(*playerPanel().subtitle), QStringLiteral("缓冲失败,切换下一首"));
    expectNoRawText();
    expectResponsive("song throttle at half its rate");
}

TEST_F(SongFaults, ASongThatStallsMidWayKeepsTheWindowAnsweringAndTheNextSongPlays) {
    // About three seconds of sound, then nothing more on that connection.
    startService({"--throttle-streams", "--stream", "all=stall:48000"});
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    const ServiceSong song = playLongestSong();
    ASSERT_GE(song.seconds, 4);
    ASSERT_TRUE(waitForPlaying(30s));
    const Run run = playToTheEnd(8s);
    EXPECT_TRUE(run.seen.count(ActivityState::Stalled));
    // Stalled with a known length: no buffering text, no move on; the clock goes on.
    for (int tick = 0; tick < 14; ++tick) m_scheduler.advance(500ms);
    EXPECT_EQ(activity(), ActivityState::Stalled);
    EXPECT_EQ(player().model().currentSongId(), song.entry.id);
    EXPECT_NE(UiDriver::text(*playerPanel().subtitle), QStringLiteral("缓冲失败,切换下一首"));
    clearFaults();
    ASSERT_TRUE(UiDriver::click(*playerPanel().changeSong));  // on to the hot list
    ASSERT_TRUE(waitForPlaying());
    EXPECT_EQ(player().model().currentChannel(), 11);
    expectNoRawText();
    expectResponsive("song stall:48000");
}

TEST_F(SongFaults, AStalledSongGoesOnByItselfOnceTheServiceSendsAgain) {
    startService({"--throttle-streams", "--stream", "all=stall:48000"});
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    const ServiceSong song = playLongestSong();
    ASSERT_GE(song.seconds, 4);
    ASSERT_TRUE(waitForPlaying(30s));
    const Run stalled = playToTheEnd(8s);
    ASSERT_TRUE(stalled.seen.count(ActivityState::Stalled));
    clearFaults();
    // The connection that sends nothing is dropped after half a minute without data and
    // the song fetched on from where it stood; it plays to its end without a click.
    const Run run = playToTheEnd(50s);
    ASSERT_GT(run.length, 0);
    EXPECT_GT(run.furthest, run.length * 9 / 10) << "stood at " << run.furthest << " of " << run.length;
    EXPECT_EQ(player().model().currentSongId(), song.entry.id);
    expectNoRawText();
    expectResponsive("song stalled, then sent again");
}

TEST_F(SongFaults, ASongCutOffMidWayIsResumedAndPlaysToItsEnd) {
    // Every response of the song breaks off after 24000 bytes (1.5 s of sound).
    startService({"--throttle-streams", "--stream", "all=drop:24000"});
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    playLongestSong();
    ASSERT_TRUE(waitForPlaying(30s));
    const Run run = playToTheEnd(40s);
    ASSERT_GT(run.length, 0);
    EXPECT_GT(run.furthest, run.length * 9 / 10) << "the song broke off at " << run.furthest << " of " << run.length;
    expectNoRawText();
    expectResponsive("song drop:24000");
}

}  // namespace
}  // namespace vamu::test
