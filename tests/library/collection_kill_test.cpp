// A process that saves the collection file is killed at random moments, again and
// again. After every kill the file must load, hold every row the process reported as
// saved, and hold nothing else than rows 1..n in order.

#include "library/collection_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <random>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace vamu::library {
namespace {

namespace fs = std::filesystem;

fs::path helperPath() {
    const char* binary = std::getenv("VAMU_BINARY_DIR");
    return fs::path(binary ? binary : ".") / "tests" / "library" / "collection_kill_helper";
}

// The last "saved N" in `output`, 0 when none.
std::size_t lastReport(const std::string& output) {
    const std::size_t at = output.rfind("saved ");
    if (at == std::string::npos) return 0;
    const std::size_t end = output.find('\n', at);
    if (end == std::string::npos) {  // a report cut short: take the one before it
        return lastReport(output.substr(0, at));
    }
    return std::stoul(output.substr(at + 6, end - at - 6));
}

TEST(CollectionKill, EverySavedRowSurvivesAKillAtAnyMoment) {
    ASSERT_TRUE(fs::exists(helperPath())) << helperPath();
    const fs::path folder = fs::temp_directory_path() / ("vamu-kill-" + std::to_string(std::random_device{}()));
    const fs::path file = folder / "vamu" / "Collection";
    std::mt19937 random(12345);
    constexpr int kRounds = 300;
    std::size_t saved = 0;  // rows reported saved by any round so far
    int killedMidWay = 0;
    for (int round = 0; round < kRounds; ++round) {
        int pipeEnds[2];
        ASSERT_EQ(::pipe2(pipeEnds, O_CLOEXEC), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
        const std::string helper = helperPath().string();
        const std::string target = file.string();
        char* argv[] = {const_cast<char*>(helper.c_str()), const_cast<char*>(target.c_str()), nullptr};
        pid_t pid = 0;
        ASSERT_EQ(posix_spawn(&pid, helper.c_str(), &actions, nullptr, argv, environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeEnds[1]);

        // Every tenth round it may die before its first save; the others are killed anywhere
        // from its first save to a few saves in, counted from that save, so a slow start (a
        // sanitizer's build loads for tens of milliseconds) never eats the delay.
        std::string output;
        char buffer[4096];
        if (round % 10 != 0) {
            for (ssize_t n; output.find('\n') == std::string::npos && (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
                output.append(buffer, static_cast<std::size_t>(n));
        }
        std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, 15000)(random)));
        ::kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        if (WIFSIGNALED(status)) ++killedMidWay;
        for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
            output.append(buffer, static_cast<std::size_t>(n));
        ::close(pipeEnds[0]);
        saved = std::max(saved, lastReport(output));

        const auto rows = loadCollection(file);
        if (saved == 0 && !rows) continue;  // killed before the first save ever finished
        ASSERT_TRUE(rows) << "round " << round << ": the file does not load";
        ASSERT_GE(rows->size(), saved) << "round " << round << ": a saved row was lost";
        for (std::size_t i = 0; i < rows->size(); ++i) {
            ASSERT_EQ((*rows)[i].id, std::to_string(i + 1)) << "round " << round << ", row " << i + 1;
        }
        saved = rows->size();  // the next round goes on from here
    }
    EXPECT_GT(saved, 0u);
    EXPECT_GT(killedMidWay, kRounds / 2);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
}

}  // namespace
}  // namespace vamu::library
