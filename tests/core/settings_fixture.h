#pragma once
// A private configuration home per test, so the real settings file is never touched.

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vamu::core {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "vamu-settings-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_home = pattern;
        ::setenv("XDG_CONFIG_HOME", m_home.c_str(), 1);
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::permissions(folder(), std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(m_home, ignored);
    }

    std::filesystem::path folder() const { return std::filesystem::path(m_home) / "vamu"; }
    std::filesystem::path file() const { return folder() / "vamu.ini"; }

    void writeFileBytes(const std::string& bytes) const {
        std::filesystem::create_directories(folder());
        std::ofstream(file(), std::ios::binary) << bytes;
    }
    std::string fileBytes() const {
        std::ifstream in(file(), std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    std::vector<std::string> folderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder())) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    std::string m_home;
};

}  // namespace vamu::core
