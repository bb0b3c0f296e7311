// The desktop launcher at the first start of a version or from a new folder.
#include "companion/first_run_launcher.h"

#include "core/settings.h"
#include "core/settings_keys.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace vamu::companion {
namespace {

namespace fs = std::filesystem;

class FirstRunLauncherTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "vamu-launcher-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_root = pattern;
        ::setenv("XDG_CONFIG_HOME", (m_root / "config").c_str(), 1);
        fs::create_directories(m_root / "Desktop");
        m_places.program = (m_root / "bin one" / "vamu").string();
        m_places.dataFolder = (m_root / "data" / "vamu").string();
        m_places.desktop = (m_root / "Desktop").string();
        m_places.iconFolder = (m_root / "data" / "icons" / "hicolor" / "128x128" / "apps").string();
        m_places.iconBytes = "\x89PNG fake";
    }
    void TearDown() override { fs::remove_all(m_root); }

    fs::path onDesktop() const { return m_root / "Desktop" / "vamu.desktop"; }
    static std::string read(const fs::path& path) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path m_root;
    LauncherPlaces m_places;
};

TEST_F(FirstRunLauncherTest, FirstStartWritesTheVersionAndPutsAnExecutableLauncherOnTheDesktop) {
    EXPECT_EQ(makeFirstRunLauncher(m_places), LauncherOutcome::Made);
    EXPECT_EQ(core::readSetting(core::setting::kVersion), "2.36");
    EXPECT_EQ(core::readSetting(core::setting::kFirstStart), "0");
    EXPECT_EQ(core::readSetting(core::setting::kProgramFolder), (m_root / "bin one").string());
    ASSERT_TRUE(fs::exists(onDesktop()));
    EXPECT_FALSE(fs::exists(fs::path(m_places.dataFolder) / "vamu.desktop"));  // moved, not copied
    const std::string text = read(onDesktop());
    EXPECT_NE(text.find("Name=vamu\n"), std::string::npos);
    EXPECT_NE(text.find("Exec=\"" + m_places.program + "\"\n"), std::string::npos);
    EXPECT_NE(text.find("Icon=vamu\n"), std::string::npos);
    EXPECT_NE(fs::status(onDesktop()).permissions() & fs::perms::owner_exec, fs::perms::none);
    EXPECT_EQ(read(fs::path(m_places.iconFolder) / "vamu.png"), m_places.iconBytes);

    // The second start leaves the desktop alone, even a launcher the user removed.
    fs::remove(onDesktop());
    EXPECT_EQ(makeFirstRunLauncher(m_places), LauncherOutcome::NotDue);
    EXPECT_FALSE(fs::exists(onDesktop()));

    // A new folder, or a new version, makes it again.
    m_places.program = (m_root / "elsewhere" / "vamu").string();
    EXPECT_EQ(makeFirstRunLauncher(m_places), LauncherOutcome::Made);
    EXPECT_NE(read(onDesktop()).find(m_places.program), std::string::npos);
    core::writeSetting(core::setting::kVersion, "2.35");
    EXPECT_EQ(makeFirstRunLauncher(m_places), LauncherOutcome::Made);
}

TEST_F(FirstRunLauncherTest, AFailedMoveIsTriedAgainAtTheNextStart) {
    fs::remove_all(m_root / "Desktop");  // no desktop folder yet: the move fails
    EXPECT_EQ(makeFirstRunLauncher(m_places), LauncherOutcome::Failed);
    EXPECT_EQ(core::readSetting(core::setting::kFirstStart), "1");
    fs::create_directories(m_root / "Desktop");
    EXPECT_EQ(makeFirstRunLauncher(m_places), LauncherOutcome::Made);
    EXPECT_TRUE(fs::exists(onDesktop()));
}

// A program installed under m_root/"pre fix" with its desktop entry and its icon.
class InstalledLauncherTest : public FirstRunLauncherTest {
protected:
    void SetUp() override {
        FirstRunLauncherTest::SetUp();
        m_prefix = m_root / "pre fix";
        fs::create_directories(m_prefix / "bin");
        fs::create_directories(m_prefix / "share/applications");
        fs::create_directories(m_prefix / "share/icons/hicolor/128x128/apps");
        std::ofstream(m_prefix / "share/applications/vamu.desktop") << kInstalledEntry;
        std::ofstream(m_prefix / "share/icons/hicolor/128x128/apps/vamu.png") << "installed icon";
        m_places.program = (m_prefix / "bin/vamu").string();
    }

    static constexpr std::string_view kInstalledEntry =
        "[Desktop Entry]\nType=Application\nName=vamu\nComment=Music\nComment[zh_CN]=音乐\nExec=vamu %u\n"
        "Icon=vamu\nMimeType=x-scheme-handler/vamu;\nStartupWMClass=vamu\n";
    fs::path m_prefix;
};

TEST_F(InstalledLauncherTest, OnlyAProgramInAPrefixsBinBesideItsEntryCountsAsInstalled) {
    EXPECT_EQ(installedDesktopEntry(m_places.program), (m_prefix / "share/applications/vamu.desktop").string());
    // The build tree, a program under another name or folder, a relative path: not installed.
    EXPECT_FALSE(installedDesktopEntry((m_root / "build/src/app/vamu").string()).has_value());
    EXPECT_FALSE(installedDesktopEntry((m_prefix / "bin/vamu-service").string()).has_value());
    EXPECT_FALSE(installedDesktopEntry((m_prefix / "libexec/vamu").string()).has_value());
    EXPECT_FALSE(installedDesktopEntry("pre fix/bin/vamu").has_value());
    // A folder where the entry should be is no entry.
    fs::remove(m_prefix / "share/applications/vamu.desktop");
    EXPECT_FALSE(installedDesktopEntry(m_places.program).has_value());
    fs::create_directories(m_prefix / "share/applications/vamu.desktop");
    EXPECT_FALSE(installedDesktopEntry(m_places.program).has_value());
}

TEST_F(InstalledLauncherTest, TheLauncherIsTheInstalledEntryStartingTheInstalledProgram) {
    m_places.installedEntry = installedDesktopEntry(m_places.program).value_or("");
    ASSERT_FALSE(m_places.installedEntry.empty());
    EXPECT_EQ(makeFirstRunLauncher(m_places), LauncherOutcome::Made);
    std::string expected(kInstalledEntry);
    expected.replace(expected.find("Exec=vamu %u"), 12, "Exec=\"" + m_places.program + "\" %u");
    EXPECT_EQ(read(onDesktop()), expected);
    EXPECT_NE(fs::status(onDesktop()).permissions() & fs::perms::owner_exec, fs::perms::none);
    // The icon theme outside the prefix still gets its copy.
    EXPECT_EQ(read(fs::path(m_places.iconFolder) / "vamu.png"), m_places.iconBytes);
}

TEST_F(InstalledLauncherTest, TheInstallationsOwnIconFileIsNeverOverwritten) {
    // Installed into the user's own data folder: the icon folder is the prefix's.
    m_places.iconFolder = (m_prefix / "share/icons/hicolor/128x128/apps").string();
    m_places.installedEntry = installedDesktopEntry(m_places.program).value_or("");
    EXPECT_EQ(makeFirstRunLauncher(m_places), LauncherOutcome::Made);
    EXPECT_EQ(read(m_prefix / "share/icons/hicolor/128x128/apps/vamu.png"), "installed icon");
}

TEST_F(InstalledLauncherTest, AnEntryThatCannotServeGivesTheLauncherOfToday) {
    const std::string today = desktopEntryText(m_places.program);
    m_places.installedEntry = (m_prefix / "share/applications/vamu.desktop").string();
    const std::vector<std::string> unusable = {
        "[Desktop Entry]\nName=vamu\n",                                    // no Exec to point at the program
        "[Desktop Action play]\nExec=vamu\n[Desktop Entry]\nName=vamu\n",  // Exec of another group only
        std::string(70 * 1024, 'x'),                                       // not an entry of ours
    };
    for (const std::string& text : unusable) {
        std::ofstream(m_places.installedEntry, std::ios::trunc) << text;
        core::writeSetting(core::setting::kFirstStart, "1");
        EXPECT_EQ(makeFirstRunLauncher(m_places), LauncherOutcome::Made);
        EXPECT_EQ(read(onDesktop()), today) << text.substr(0, 40);
    }
    // An entry removed between the check and the launcher.
    fs::remove(m_places.installedEntry);
    core::writeSetting(core::setting::kFirstStart, "1");
    EXPECT_EQ(makeFirstRunLauncher(m_places), LauncherOutcome::Made);
    EXPECT_EQ(read(onDesktop()), today);
}

TEST(LauncherFromInstalledEntryTest, OnlyTheMainGroupsFirstExecChanges) {
    const std::string text = *launcherFromInstalledEntry(
        "# made by the installation\n[Desktop Entry]\nName=vamu\nExec=vamu %u\nExec=other\n"
        "[Desktop Action next]\nExec=vamu --next\n",
        "/opt/v$/bin/vamu");
    EXPECT_EQ(text,
              "# made by the installation\n[Desktop Entry]\nName=vamu\nExec=\"/opt/v\\$/bin/vamu\" %u\n"
              "[Desktop Action next]\nExec=vamu --next\n");
    // A last line without its newline keeps its text.
    EXPECT_EQ(*launcherFromInstalledEntry("[Desktop Entry]\nExec=vamu\nIcon=vamu", "/p/bin/vamu"),
              "[Desktop Entry]\nExec=\"/p/bin/vamu\" %u\nIcon=vamu\n");
    EXPECT_FALSE(launcherFromInstalledEntry("", "/p/bin/vamu").has_value());
}

TEST_F(FirstRunLauncherTest, ExecQuotesCharactersTheLauncherFormatGivesMeaning) {
    EXPECT_NE(desktopEntryText("/a b/$x\"y").find("Exec=\"/a b/\\$x\\\"y\"\n"), std::string::npos);
}

}  // namespace
}  // namespace vamu::companion
