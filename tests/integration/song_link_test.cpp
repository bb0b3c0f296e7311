// vamu: links: a start with a song link plays that song, in the running instance
// through the single-instance channel or in the new one once it is up; an invalid link
// or a hostile request on the channel changes nothing.
#include "integration/program_fixture.h"

#include "catalogue/details_controller.h"
#include "catalogue/song_details.h"
#include "core/settings.h"
#include "net/http_request.h"
#include "platform/single_instance.h"
#include "playback/player_controller.h"

#include <QFileInfo>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <atomic>
#include <thread>

extern char** environ;

namespace vamu::test {
namespace {

using namespace std::chrono_literals;

// The real vamu binary with one argument, beside the test's program (same settings folder).
pid_t startBinary(const std::string& argument) {
    const char* dir = std::getenv("VAMU_BINARY_DIR");
    const std::string path = std::string(dir ? dir : ".") + "/src/app/vamu";
    char* argv[] = {const_cast<char*>(path.c_str()), const_cast<char*>(argument.c_str()), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ) != 0) return -1;
    return pid;
}

// The exit status, pumping the UI thread meanwhile; -1 at the deadline (the child is killed).
int waitForExit(pid_t pid, std::chrono::milliseconds deadline) {
    int status = 0;
    if (!UiDriver::pumpUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, deadline)) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class SongLinkProgramTest : public ProgramFixture {
protected:
    playback::PlayerController& player() { return m_program->player(); }
    const catalogue::DetailsPanel& panel() { return window().detailsPanel(); }

    // A song the service knows, asked of it directly.
    catalogue::SongDetails knownSong(long long id) {
        const auto found = catalogue::fetchSongDetails(m_service->companionHost(), id, 1, {});
        EXPECT_TRUE(found.has_value());
        const catalogue::SongDetails details = found.value_or(catalogue::SongDetails{});
        EXPECT_EQ(details.state, "1") << id;
        EXPECT_EQ(details.id, std::to_string(id));
        return details;
    }
    // The song is the player's and its stream is open (so no start is left running on a
    // worker when the test ends).
    bool plays(const catalogue::SongDetails& song, std::chrono::milliseconds deadline = 30s) {
        return UiDriver::pumpUntil(
            [&] { return player().model().currentSongId() == song.id && player().stream() != 0; }, deadline);
    }
    // Sends one raw request line the way a second instance does, from a worker, while
    // the UI thread answers it. The bounds are generous: under ThreadSanitizer the
    // window's first frames keep the UI thread busy for many seconds.
    bool sendRaw(const QString& request) {
        const QString key = QFileInfo(QString::fromStdString(core::settingsPath())).absolutePath();
        std::atomic<bool> done = false;
        bool delivered = false;
        std::thread sender([&] {
            platform::SingleInstance second(key);
            delivered =
                second.role() == platform::SingleInstance::Role::Secondary && second.sendToPrimary(request, 60s);
            done = true;
        });
        UiDriver::pumpUntil([&] { return done.load(); }, 90s);
        sender.join();
        UiDriver::pump(200ms);  // the handler has run by now; let any reply it started land
        return delivered;
    }
    void startIdle() {
        startService();
        ASSERT_TRUE(startProgram());
        ASSERT_TRUE(waitForGrid());
    }
};

TEST_F(SongLinkProgramTest, ASecondStartWithALinkPlaysThatSongInTheRunningInstance) {
    startIdle();
    const catalogue::SongDetails first = knownSong(20002);
    const catalogue::SongDetails second = knownSong(20001);
    host().nativeWindow()->hide();

    const pid_t start = startBinary("vamu:song/" + first.id);
    ASSERT_GT(start, 0);
    EXPECT_EQ(waitForExit(start, 15s), 0);
    ASSERT_TRUE(plays(first));
    EXPECT_EQ(player().model().mode(), playback::PlayMode::RepeatOne);  // as the get button plays it
    EXPECT_TRUE(host().title().endsWith(QStringLiteral("  -  ") + QString::fromStdString(first.name)));
    EXPECT_TRUE(host().nativeWindow()->isVisible());
    EXPECT_TRUE(m_messages.empty());

    // The other form, with a trailing slash, while a song plays: the linked one replaces it.
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return !m_program->details().waitingForId(); }, 20s));
    const pid_t again = startBinary("vamu://song/" + second.id + "/");
    ASSERT_GT(again, 0);
    EXPECT_EQ(waitForExit(again, 15s), 0);
    EXPECT_TRUE(plays(second));
}

TEST_F(SongLinkProgramTest, AStartWithALinkPlaysTheSongOnceStartedUp) {
    startService();
    m_options.songId = "20002";
    ASSERT_TRUE(startProgram());
    const catalogue::SongDetails song = knownSong(20002);
    ASSERT_TRUE(plays(song));
    EXPECT_EQ(player().model().mode(), playback::PlayMode::RepeatOne);
    EXPECT_EQ(UiDriver::text(*panel().songIdBox), QStringLiteral("20002"));
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(SongLinkProgramTest, AnInvalidLinkOnlyRaisesTheWindowAndHostileRequestsAreIgnored) {
    startIdle();
    const QString idBox = UiDriver::text(*panel().songIdBox);  // the hint
    host().nativeWindow()->hide();
    const pid_t start = startBinary("vamu:song/20001;x");
    ASSERT_GT(start, 0);
    EXPECT_EQ(waitForExit(start, 15s), 0);
    EXPECT_TRUE(UiDriver::pumpUntil([&] { return host().nativeWindow()->isVisible(); }, 5s));  // a plain start

    for (const char* request : {"play-id:", "play-id:abc", "play-id:123456789", "play-id:-20001", "play-id:2 0001",
                                "play-id:20001;raise", "PLAY-ID:20001", "vamu:song/20001", "play-id:\xe2\x91\xa0"}) {
        EXPECT_TRUE(sendRaw(QString::fromUtf8(request))) << request;
        EXPECT_FALSE(m_program->details().waitingForId()) << request;
    }
    EXPECT_TRUE(sendRaw(QString(3000, QLatin1Char('9'))));
    UiDriver::pump(500ms);
    EXPECT_EQ(player().model().currentSongId(), "");
    EXPECT_EQ(UiDriver::text(*panel().songIdBox), idBox);
    EXPECT_TRUE(m_messages.empty());

    // The channel still serves: the same request, well formed, plays.
    const catalogue::SongDetails song = knownSong(20001);
    EXPECT_TRUE(sendRaw(QStringLiteral("play-id:20001")));
    EXPECT_TRUE(plays(song));
}

TEST_F(SongLinkProgramTest, ALinkWhileAnIdIsFetchedIsDroppedAndTheNextOneAfterTheWaitPlays) {
    startIdle();
    net::HttpRequestArgs delay;  // the first details request hangs
    delay.url = m_service->apiUrl("/admin/faults");
    delay.extraHeaders = std::string(test::kAdminHeader);
    delay.method = 1;
    delay.body = "fault=%2Finfo.php%3Ddelay%3A60000%2A1";
    ASSERT_EQ(net::httpRequest(delay).status, 200);

    // The effect is what counts here: under a sanitizer on a loaded machine the window's
    // first frames may hold the answer back past the sender's patience.
    (void)sendRaw(QStringLiteral("play-id:20002"));
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return m_program->details().waitingForId(); }, 90s));
    EXPECT_TRUE(sendRaw(QStringLiteral("play-id:20001")));
    EXPECT_EQ(UiDriver::text(*panel().songIdBox), QStringLiteral("20002"));  // the id being fetched
    m_scheduler.advance(catalogue::DetailsController::kPlayByIdLimit);
    EXPECT_FALSE(m_program->details().waitingForId());
    UiDriver::pump(300ms);
    EXPECT_EQ(player().model().currentSongId(), "");

    EXPECT_TRUE(sendRaw(QStringLiteral("play-id:20001")));
    EXPECT_TRUE(plays(knownSong(20001)));
}

}  // namespace
}  // namespace vamu::test
