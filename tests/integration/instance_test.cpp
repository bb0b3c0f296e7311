// One instance per settings folder, and an end that never waits on the network: the
// real vamu binary started beside a running program, and a shutdown while a song's
// stream is stuck.
#include "integration/program_fixture.h"

#include "catalogue/radio_controller.h"
#include "platform/workers.h"
#include "playback/player_controller.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vamu::test {
namespace {

using namespace std::chrono_literals;

std::string programPath() {
    const char* dir = std::getenv("VAMU_BINARY_DIR");
    return std::string(dir ? dir : ".") + "/src/app/vamu";
}

pid_t startBinary() {
    const std::string path = programPath();
    char* argv[] = {const_cast<char*>(path.c_str()), nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ) != 0) return -1;
    return pid;
}

// The exit status, pumping the UI thread meanwhile; -1 at the deadline (the child is killed).
int waitForExit(pid_t pid, std::chrono::milliseconds deadline) {
    int status = 0;
    const bool ended = UiDriver::pumpUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, deadline);
    if (!ended) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class InstanceTest : public ProgramFixture {};

TEST_F(InstanceTest, SecondStartRaisesTheRunningWindowAndExitsWithZero) {
    startService();
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return host().nativeWindow()->isVisible(); }));
    host().nativeWindow()->hide();

    const pid_t second = startBinary();
    ASSERT_GT(second, 0);
    EXPECT_EQ(waitForExit(second, 15s), 0);
    EXPECT_TRUE(UiDriver::pumpUntil([&] { return host().nativeWindow()->isVisible(); }, 5s));
}

TEST_F(InstanceTest, ShutdownWhileAStreamIsStuckEndsWithinASecond) {
    startService({"--stream", "all=stall:0"});
    ASSERT_TRUE(startProgram());
    ASSERT_TRUE(waitForGrid());
    ASSERT_NE(m_program->radio().tileControl(1), nullptr);
    ASSERT_TRUE(UiDriver::click(*m_program->radio().tileControl(1)));
    ASSERT_TRUE(UiDriver::pumpUntil([&] { return m_program->player().startingSong(); }, 10s));
    UiDriver::pump(300ms);  // the song's task now waits for audio that never comes

    const auto start = std::chrono::steady_clock::now();
    m_program->shutdown();
    EXPECT_TRUE(platform::joinWorkers(1000ms));
    m_program.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
}

TEST_F(InstanceTest, BinaryRunsAgainstTheServiceAndASecondStartEndsAtOnce) {
    startService();
    const pid_t first = startBinary();
    ASSERT_GT(first, 0);
    // The first instance loads the channel grid: the service sees its request.
    EXPECT_TRUE(m_service->waitForLogLine("/channel/get", 20s).has_value());
    int status = 0;
    EXPECT_EQ(waitpid(first, &status, WNOHANG), 0) << "the program ended by itself";

    const pid_t second = startBinary();
    ASSERT_GT(second, 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(waitForExit(second, 15s), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_EQ(waitpid(first, &status, WNOHANG), 0) << "the first instance ended";

    // A logout's SIGTERM ends it through its own shutdown, with status 0.
    kill(first, SIGTERM);
    EXPECT_EQ(waitForExit(first, 15s), 0);
}

}  // namespace
}  // namespace vamu::test
