// The desktop launcher at the first start of a version or from a new folder.
#include "companion/first_run_launcher.h"

#include "core/settings.h"
#include "core/settings_keys.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

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

TEST_F(FirstRunLauncherTest, ExecQuotesCharactersTheLauncherFormatGivesMeaning) {
    EXPECT_NE(desktopEntryText("/a b/$x\"y").find("Exec=\"/a b/\\$x\\\"y\"\n"), std::string::npos);
}

}  // namespace
}  // namespace vamu::companion
