// A process that writes the settings file is killed at random moments, again and again.
// After every kill the file must load and be exactly the file before the interrupted write
// or after it: the hand-written part untouched, the written key whole.

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "core/settings.h"
#include "core/text_encoding.h"
#include "settings_fixture.h"
#include "settings_kill_value.h"

extern char** environ;

namespace vamu::core {
namespace {

namespace fs = std::filesystem;

fs::path helperPath() {
    const char* binary = std::getenv("VAMU_BINARY_DIR");
    return fs::path(binary ? binary : ".") / "tests" / "core" / "settings_kill_helper";
}

// Runs the helper with `mode`, kills it after `delay` (none: lets it finish) and returns
// what it wrote to standard output; `killed` tells whether the kill cut it short.
std::string runHelper(const char* mode, std::chrono::microseconds delay, bool& killed) {
    int pipeEnds[2];
    EXPECT_EQ(::pipe2(pipeEnds, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    const std::string helper = helperPath().string();
    char* argv[] = {const_cast<char*>(helper.c_str()), const_cast<char*>(mode), nullptr};
    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, helper.c_str(), &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    std::string output;
    char buffer[4096];
    const auto readSome = [&] {
        const ssize_t n = ::read(pipeEnds[0], buffer, sizeof buffer);
        if (n > 0) output.append(buffer, static_cast<std::size_t>(n));
        return n > 0;
    };
    if (delay.count() >= 0) {
        // The delay counts from the writer's "ready", whatever its start-up took.
        while (output.find("ready\n") == std::string::npos && readSome()) {
        }
        std::this_thread::sleep_for(delay);
        ::kill(pid, SIGKILL);
    }
    int status = 0;
    EXPECT_EQ(::waitpid(pid, &status, 0), pid);
    killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    EXPECT_TRUE(killed || (WIFEXITED(status) && WEXITSTATUS(status) == 0)) << mode << " failed";
    while (readSome()) {
    }
    ::close(pipeEnds[0]);
    return output;
}

// The number in the last whole "saved N" line of `output`, or `otherwise`.
int lastSaved(const std::string& output, int otherwise) {
    const std::size_t end = output.rfind('\n');
    if (end == std::string::npos) return otherwise;
    const std::size_t start = output.rfind("saved ", end);
    return start == std::string::npos ? otherwise : std::stoi(output.substr(start + 6, end - start - 6));
}

std::vector<std::string> temporaries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().starts_with(".vamu.ini.")) names.push_back(entry.path().string());
    }
    return names;
}

TEST_F(SettingsTest, KilledWriterLeavesTheOldOrTheNewFileWhole) {
    ASSERT_TRUE(fs::exists(helperPath())) << helperPath();
    // A hand-written file of some size, so a write takes several system calls.
    std::string handWritten = "; 手工写的\r\n[其它]\r\n";
    for (int i = 0; i < 150; ++i) handWritten += "键" + std::to_string(i) + "=值" + std::string(60, 'a' + i % 26) + "\r\n";
    handWritten += "\r\n[配置文件]\r\n音量=35\r\n";
    const std::string prelude = utf8ToGb18030(handWritten);
    writeFileBytes(prelude);
    const auto fileAfter = [&](int w) {
        return w == 0 ? prelude : prelude + utf8ToGb18030(std::string(kKillKey) + "=" + killValue(w) + "\r\n");
    };

    std::mt19937 random(20261210);
    constexpr int kRounds = 300;
    int saved = 0;  // the write the file holds before each round
    int killedMidWay = 0;
    int newerThanReported = 0;  // killed after the rename but before the report
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < kRounds; ++round) {
        bool killed = false;
        const auto delay = std::chrono::microseconds(std::uniform_int_distribution<int>(0, 8000)(random));
        const int reported = lastSaved(runHelper("write", delay, killed), saved);
        killedMidWay += killed ? 1 : 0;
        const std::string bytes = fileBytes();
        if (bytes == fileAfter(reported + 1)) {
            ++newerThanReported;
            saved = reported + 1;
        } else {
            ASSERT_EQ(bytes, fileAfter(reported)) << "round " << round << ": neither write " << reported
                                                  << " nor the one after it";
            saved = reported;
        }
        ASSERT_EQ(readSettingInt(std::string(kKillKey), 0), saved) << "round " << round;
        ASSERT_EQ(readSettingInt(setting::kVolume), 35) << "round " << round;
    }
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    // Loose bounds, for a loaded machine: writes went on, and kills caught writes midway.
    const std::vector<std::string> left = temporaries(folder());
    EXPECT_GT(saved, kRounds / 4);
    EXPECT_GT(killedMidWay, kRounds * 9 / 10);
    EXPECT_FALSE(left.empty());
    std::cout << kRounds << " rounds in " << elapsed.count() << " ms, " << saved << " writes, " << killedMidWay
              << " killed, " << newerThanReported << " killed between rename and report, " << left.size()
              << " temporary files left\n";

    // What the killed writers left goes at the next start; their files are older by then.
    const auto minuteAgo = fs::file_time_type::clock::now() - std::chrono::minutes(1);
    for (const std::string& name : left) fs::last_write_time(name, minuteAgo);
    bool killed = false;
    EXPECT_EQ(runHelper("clean", std::chrono::microseconds(-1), killed), "removed " + std::to_string(left.size()) + "\n");
    EXPECT_TRUE(temporaries(folder()).empty());
    EXPECT_EQ(fileBytes(), fileAfter(saved));
}

}  // namespace
}  // namespace vamu::core
