#include "core/settings.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "core/text_encoding.h"
#include "settings_fixture.h"

namespace vamu::core {
namespace {

namespace fs = std::filesystem;

TEST_F(SettingsTest, PathFollowsTheConfigurationHome) {
    EXPECT_EQ(settingsPath(), m_home + "/vamu/vamu.ini");
    ::setenv("XDG_CONFIG_HOME", "relative/dir", 1);  // relative values are ignored
    ::setenv("HOME", m_home.c_str(), 1);
    EXPECT_EQ(settingsPath(), m_home + "/.config/vamu/vamu.ini");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(settingsPath(), m_home + "/.config/vamu/vamu.ini");
}

TEST_F(SettingsTest, FirstRunReadsDefaultsAndCreatesNothing) {
    for (const SettingKey& key : setting::kAll) {
        EXPECT_EQ(readSetting(key), key.defaultValue) << key.name;
    }
    EXPECT_EQ(readSettingInt(setting::kVolume), 100);
    EXPECT_EQ(readSettingInt(setting::kBulletComments), 1);
    EXPECT_EQ(readSetting(setting::kCloseToTray), "1");
    EXPECT_EQ(readSettingInt(setting::kBackground), 0);
    EXPECT_EQ(readSettingInt(setting::kNowPlayingTop), 0);
    EXPECT_EQ(readSettingInt("缺少", -5), -5);
    EXPECT_FALSE(fs::exists(folder()));
}

TEST_F(SettingsTest, OnlyFolderOwningWritersCreateTheFolder) {
    EXPECT_FALSE(writeSetting(setting::kVolume, "40"));
    EXPECT_FALSE(fs::exists(folder()));
    EXPECT_EQ(readSetting(setting::kVolume), "100");

    ::umask(0);  // the file stays private whatever the process allows
    EXPECT_TRUE(writeSetting(setting::kVolume, "40", CreateFolder::Yes));
    EXPECT_EQ(readSettingInt(setting::kVolume), 40);
    EXPECT_EQ(fs::status(file()).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::status(folder()).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_TRUE(writeSetting(setting::kBackground, "3"));  // the folder exists now
    EXPECT_EQ(fileBytes(), utf8ToGb18030("[配置文件]\n音量=40\n背景=3\n"));
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"vamu.ini"});
}

TEST_F(SettingsTest, HandWrittenGbkFileReadsAndKeepsItsShape) {
    const std::string original = utf8ToGb18030(
        "; 手工写的\r\n[其它]\r\nk=1\r\n\r\n[配置文件]\r\n 音量 = 35 \r\n音量=99\r\n"
        "COOKIE='sid=1; x=2'\r\n自动登陆=1\r\n");
    writeFileBytes(original);
    EXPECT_EQ(readSettingInt(setting::kVolume), 35);
    EXPECT_EQ(readSetting(setting::kCookie), "sid=1; x=2");
    EXPECT_EQ(readSetting(setting::kAutoLogin), "1");
    EXPECT_EQ(readSetting(setting::kUserData), "");

    ASSERT_TRUE(writeSetting(setting::kUserData, "51A7"));
    ASSERT_TRUE(writeSetting(setting::kVolume, "60"));
    EXPECT_EQ(fileBytes(), utf8ToGb18030("; 手工写的\r\n[其它]\r\nk=1\r\n\r\n[配置文件]\r\n音量=60\r\n音量=99\r\n"
                                         "COOKIE='sid=1; x=2'\r\n自动登陆=1\r\nuserdata=51A7\r\n"));
}

TEST_F(SettingsTest, FileSavedWithAByteOrderMarkKeepsEveryKey) {
    const std::string mark = "\xEF\xBB\xBF";
    writeFileBytes(mark + "[配置文件]\r\n音量=35\r\ncookie=sid=1\r\n");
    EXPECT_EQ(readSettingInt(setting::kVolume), 35);
    EXPECT_EQ(readSetting(setting::kCookie), "sid=1");
    ASSERT_TRUE(writeSetting(setting::kVolume, "60"));
    EXPECT_EQ(fileBytes(), mark + "[配置文件]\r\n音量=60\r\ncookie=sid=1\r\n");
}

TEST_F(SettingsTest, ValuesAreCutAt10239Bytes) {
    ASSERT_TRUE(writeSetting("long", std::string(12'000, 'a'), CreateFolder::Yes));
    EXPECT_EQ(readSetting("long", ""), std::string(10'239, 'a'));
    std::string chinese;
    for (int i = 0; i < 6000; ++i) {
        chinese += "中";
    }
    ASSERT_TRUE(writeSetting("wide", chinese));
    const std::string read = readSetting("wide", "");
    EXPECT_EQ(gbkByteLength(read), 10'238u);  // never half a character
    EXPECT_EQ(read, chinese.substr(0, 5119 * 3));
    EXPECT_EQ(readSetting("missing", std::string(10'240, 'd')).size(), 10'239u);
}

TEST_F(SettingsTest, IntegersReadTheWayAtoiReadsThem) {
    struct Case {
        std::string_view text;
        int value;
    };
    const Case cases[] = {
        {"12", 12},
        {"12abc", 12},
        {"  -7", -7},
        {"+3", 3},
        {"abc", 0},
        {"", 0},
        {"0x10", 0},
        {"1 2", 1},
        {"- 5", 0},
        {"007", 7},
        {"2147483647", INT_MAX},
        {"99999999999", INT_MAX},
        {"-2147483648", INT_MIN},
        {"-99999999999", INT_MIN},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(textToInt(c.text), c.value) << c.text;
    }
    writeFileBytes(utf8ToGb18030("[配置文件]\n音量=12abc\n背景=\n句柄=\"34\"\n"));
    EXPECT_EQ(readSettingInt(setting::kVolume), 12);
    EXPECT_EQ(readSettingInt(setting::kBackground), 0);  // present but empty: not the default
    EXPECT_EQ(readSettingInt(setting::kWindowHandle), 34);
    EXPECT_EQ(readSettingInt(setting::kBulletComments), 1);
}

TEST_F(SettingsTest, LineBreaksInValuesAreRefused) {
    ASSERT_TRUE(writeSetting(setting::kCookie, "a=1", CreateFolder::Yes));
    EXPECT_FALSE(writeSetting(setting::kCookie, "a=1\n[配置文件]\n自动登陆=1"));
    EXPECT_EQ(readSetting(setting::kCookie), "a=1");
    EXPECT_EQ(readSetting(setting::kAutoLogin), "0");
}

TEST_F(SettingsTest, FailedWriteLeavesTheOldFileWhole) {
    ASSERT_TRUE(writeSetting(setting::kCookie, "sid=old", CreateFolder::Yes));
    const std::string before = fileBytes();

    // A file size limit makes writing the new file fail midway, as a full disk would.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction previous {};
    ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &previous), 0);
    rlimit oldLimit{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &oldLimit), 0);
    rlimit small = oldLimit;
    small.rlim_cur = 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = writeSetting(setting::kUserData, std::string(8000, 'F'));
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &oldLimit), 0);
    ::sigaction(SIGXFSZ, &previous, nullptr);

    EXPECT_FALSE(written);
    EXPECT_EQ(fileBytes(), before);
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"vamu.ini"});  // no temporary left behind
}

// Runs `work` in a child process; true when it exits with 0 within `limit`. A child that is
// still running then is killed, so a call that blocks fails the test instead of hanging it.
template <typename Work>
bool finishesInTime(Work work, std::chrono::milliseconds limit) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(work() ? 0 : 1);
    }
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(SettingsTest, FifoOrFolderAtTheSettingsPathIsUnreadableAndNeverBlocks) {
    fs::create_directories(folder());
    ASSERT_EQ(::mkfifo(file().c_str(), 0600), 0);
    EXPECT_TRUE(finishesInTime(
        [] {
            return readSetting(setting::kVolume) == "100" && readSettingInt(setting::kVolume) == 100 &&
                   !writeSetting(setting::kVolume, "40") && !writeSetting(setting::kCookie, "sid=1", CreateFolder::Yes);
        },
        std::chrono::seconds(5)));
    EXPECT_TRUE(fs::is_fifo(file()));  // never replaced by a file
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"vamu.ini"});

    fs::remove(file());
    fs::create_directory(file());
    EXPECT_EQ(readSetting(setting::kCookie), "");
    EXPECT_FALSE(writeSetting(setting::kCookie, "sid=1"));
    EXPECT_TRUE(fs::is_directory(file()));
}

TEST_F(SettingsTest, StaleTemporaryFilesOfKilledWritersAreRemovedAtStart) {
    ASSERT_TRUE(writeSetting(setting::kVolume, "40", CreateFolder::Yes));
    const auto hourAgo = fs::file_time_type::clock::now() - std::chrono::hours(1);
    const auto place = [&](const std::string& name, const fs::file_time_type& time) {
        std::ofstream(folder() / name, std::ios::binary) << "[配置文件]\n";
        fs::last_write_time(folder() / name, time);
    };
    place(".vamu.ini.Ab12Cd", hourAgo);                           // a killed writer's
    place(".vamu.ini.zz9ZZ9", hourAgo);                           // and another
    place(".vamu.ini.Xy34Zw", fs::file_time_type::clock::now());  // may be a writer's right now
    place(".vamu.ini.old", hourAgo);                              // not the writer's pattern
    place(".vamu.ini.Ab12Cd~", hourAgo);
    place("vamu.ini.Ab12Cd", hourAgo);
    place(".vamu.ini.Ab-2Cd", hourAgo);
    place("outside", hourAgo);
    fs::create_directory(folder() / ".vamu.ini.Dir123");
    fs::last_write_time(folder() / ".vamu.ini.Dir123", hourAgo);
    fs::create_symlink("outside", folder() / ".vamu.ini.Lnk123");
    fs::last_write_time(file(), hourAgo);

    // Another process in the middle of a write holds the lock: nothing is touched.
    {
        const int otherWriter = ::open(folder().c_str(), O_RDONLY | O_DIRECTORY);
        ASSERT_EQ(::flock(otherWriter, LOCK_EX), 0);
        EXPECT_EQ(removeStaleSettingsFiles(), 0);
        EXPECT_TRUE(fs::exists(folder() / ".vamu.ini.Ab12Cd"));
        ::close(otherWriter);
    }

    EXPECT_EQ(removeStaleSettingsFiles(), 2);
    std::vector<std::string> left = folderEntries();
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{".vamu.ini.Ab-2Cd", ".vamu.ini.Ab12Cd~", ".vamu.ini.Dir123",
                                              ".vamu.ini.Lnk123", ".vamu.ini.Xy34Zw", ".vamu.ini.old", "outside",
                                              "vamu.ini", "vamu.ini.Ab12Cd"}));
    EXPECT_EQ(readSettingInt(setting::kVolume), 40);
    EXPECT_EQ(removeStaleSettingsFiles(), 0);

    fs::remove_all(folder());
    EXPECT_EQ(removeStaleSettingsFiles(), 0);  // no folder: nothing to do, nothing made
    EXPECT_FALSE(fs::exists(folder()));
}

TEST_F(SettingsTest, ReadOnlyFolderFailsTheWriteAndKeepsTheFile) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root writes into read-only folders";
    }
    ASSERT_TRUE(writeSetting(setting::kCookie, "sid=old", CreateFolder::Yes));
    const std::string before = fileBytes();
    fs::permissions(folder(), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(writeSetting(setting::kCookie, "sid=new"));
    fs::permissions(folder(), fs::perms::owner_all);
    EXPECT_EQ(fileBytes(), before);
}

TEST_F(SettingsTest, ConcurrentProcessesNeverLoseKeys) {
    ASSERT_TRUE(writeSetting("start", "1", CreateFolder::Yes));
    constexpr int kProcesses = 3;
    constexpr int kKeys = 15;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            bool ok = true;
            for (int k = 0; k < kKeys; ++k) {
                ok = writeSetting("p" + std::to_string(p) + "k" + std::to_string(k), std::to_string(k)) && ok;
            }
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int p = 0; p < kProcesses; ++p) {
        for (int k = 0; k < kKeys; ++k) {
            EXPECT_EQ(readSetting("p" + std::to_string(p) + "k" + std::to_string(k), "missing"), std::to_string(k));
        }
    }
}

}  // namespace
}  // namespace vamu::core
