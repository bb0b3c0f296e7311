// A process that writes the settings file is killed at random moments, again and again.
// After every kill the file must load and be exactly the file before the interrupted write
// or after it: the hand-written part untouched, the written key whole.
//
// The writer is a fork of this test running writeSetting, the program's own code: a fork
// costs a millisecond where starting a program costs tens (more under sanitizers), which
// keeps 300 rounds within seconds.

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "core/settings.h"
#include "core/text_encoding.h"
#include "settings_fixture.h"

namespace vamu::core {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kKillKey = "计数";

// The value of the w-th write: the number first (so readSettingInt reads it), then text
// long enough that a write takes more than one system call, different for every w so a
// half-written or stale file shows.
std::string killValue(int w) {
    std::string value = std::to_string(w) + " ";
    for (int i = 0; i < 120; ++i) {
        value += "写入设置文件时被杀死";
        value += std::to_string((w + i) % 10);
    }
    return value;
}

// The writer: reports "ready" once it has read the stored count, then sets kKillKey to
// killValue(w) for w counting on from there, reporting "saved w" after each write returns.
[[noreturn]] void writeUntilKilled(int reportFd) {
    const int stored = readSettingInt(std::string(kKillKey), 0);
    if (::write(reportFd, "ready\n", 6) < 0) ::_exit(1);
    for (int w = stored + 1;; ++w) {
        if (!writeSetting(std::string(kKillKey), killValue(w))) ::_exit(1);
        const std::string report = "saved " + std::to_string(w) + "\n";
        if (::write(reportFd, report.data(), report.size()) < 0) ::_exit(1);
    }
}

// Runs `child` in a forked process that reports into a pipe; kills it `delay` after its
// "ready" (a negative delay lets it finish) and returns what it reported.
template <typename Child>
std::string runChild(Child child, std::chrono::microseconds delay, bool& killed) {
    int pipeEnds[2];
    EXPECT_EQ(::pipe2(pipeEnds, O_CLOEXEC), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeEnds[0]);
        child(pipeEnds[1]);
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    std::string output;
    char buffer[4096];
    const auto readSome = [&] {
        const ssize_t n = ::read(pipeEnds[0], buffer, sizeof buffer);
        if (n > 0) output.append(buffer, static_cast<std::size_t>(n));
        return n > 0;
    };
    if (delay.count() >= 0) {
        while (output.find("ready\n") == std::string::npos && readSome()) {}
        std::this_thread::sleep_for(delay);
        ::kill(pid, SIGKILL);
    }
    int status = 0;
    EXPECT_EQ(::waitpid(pid, &status, 0), pid);
    killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    EXPECT_TRUE(killed || (WIFEXITED(status) && WEXITSTATUS(status) == 0)) << "the child failed";
    while (readSome()) {}
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
    // A killed process leaves its written pages to the kernel whatever the file system, so
    // a memory file system tests the same; on a disk each write waits for two flushes and
    // 300 rounds would see few writes finish.
    if (fs::is_directory("/dev/shm") && ::access("/dev/shm", W_OK) == 0) {
        std::string pattern = "/dev/shm/vamu-settings-kill-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) {
            fs::remove_all(m_home);
            m_home = pattern;
            ::setenv("XDG_CONFIG_HOME", m_home.c_str(), 1);
        }
    }
    // A hand-written file of some size, so a write takes several system calls.
    std::string handWritten = "; 手工写的\r\n[其它]\r\n";
    for (int i = 0; i < 150; ++i)
        handWritten += "键" + std::to_string(i) + "=值" + std::string(60, 'a' + i % 26) + "\r\n";
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
        const auto delay = std::chrono::microseconds(std::uniform_int_distribution<int>(0, 4000)(random));
        const int reported = lastSaved(runChild(writeUntilKilled, delay, killed), saved);
        killedMidWay += killed ? 1 : 0;
        const std::string bytes = fileBytes();
        if (bytes == fileAfter(reported + 1)) {
            ++newerThanReported;
            saved = reported + 1;
        } else {
            ASSERT_EQ(bytes, fileAfter(reported))
                << "round " << round << ": neither write " << reported << " nor the one after it";
            saved = reported;
        }
        ASSERT_EQ(readSettingInt(std::string(kKillKey), 0), saved) << "round " << round;
        ASSERT_EQ(readSettingInt(setting::kVolume), 35) << "round " << round;
    }
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    // Loose bounds, for a loaded machine or a sanitizer's build (whose writes take several
    // times longer): writes went on, and kills caught writes midway.
    const std::vector<std::string> left = temporaries(folder());
    EXPECT_GT(saved, kRounds / 10);
    EXPECT_GT(killedMidWay, kRounds * 9 / 10);
    EXPECT_FALSE(left.empty());
    std::cout << kRounds << " rounds in " << elapsed.count() << " ms, " << saved << " writes, " << killedMidWay
              << " killed, " << newerThanReported << " killed between rename and report, " << left.size()
              << " temporary files left\n";

    // What the killed writers left goes at the next start, in a new process (its files are
    // older by then).
    const auto minuteAgo = fs::file_time_type::clock::now() - std::chrono::minutes(1);
    for (const std::string& name : left) fs::last_write_time(name, minuteAgo);
    const auto clean = [](int reportFd) {
        const std::string report = "removed " + std::to_string(removeStaleSettingsFiles()) + "\n";
        ::_exit(::write(reportFd, report.data(), report.size()) < 0 ? 1 : 0);
    };
    bool killed = false;
    EXPECT_EQ(runChild(clean, std::chrono::microseconds(-1), killed), "removed " + std::to_string(left.size()) + "\n");
    EXPECT_TRUE(temporaries(folder()).empty());
    EXPECT_EQ(fileBytes(), fileAfter(saved));
}

}  // namespace
}  // namespace vamu::core
