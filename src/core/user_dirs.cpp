#include "core/user_dirs.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace vamu::core {
namespace {

// An XDG base directory: the variable when it holds an absolute path, else the fallback
// inside the home folder.
std::string baseDirectory(const char* variable, const char* insideHome) {
    if (const char* value = std::getenv(variable); value != nullptr && value[0] == '/') return value;
    return homeFolder() + "/" + insideHome;
}

}  // namespace

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr) {
        return found->pw_dir;
    }
    return "/tmp";
}

std::string configHome() { return baseDirectory("XDG_CONFIG_HOME", ".config"); }
std::string dataHome() { return baseDirectory("XDG_DATA_HOME", ".local/share"); }
std::string cacheHome() { return baseDirectory("XDG_CACHE_HOME", ".cache"); }

std::string userDirFromText(std::string_view fileText, std::string_view name, std::string_view home) {
    const std::string key = "XDG_" + std::string(name) + "_DIR=";
    std::istringstream lines{std::string(fileText)};
    std::string line;
    std::string found;
    while (std::getline(lines, line)) {
        const auto start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, key.size(), key) != 0) continue;
        std::string value = line.substr(start + key.size());
        while (!value.empty() && (value.back() == '\r' || value.back() == ' ' || value.back() == '\t'))
            value.pop_back();
        if (value.size() < 2 || value.front() != '"' || value.back() != '"') continue;
        value = value.substr(1, value.size() - 2);
        if (value.starts_with("$HOME")) {
            value = std::string(home) + value.substr(5);
        } else if (!value.starts_with("/")) {
            continue;  // only absolute paths or $HOME-relative ones are valid
        }
        while (value.size() > 1 && value.back() == '/') value.pop_back();
        found = value;  // a later line wins, as the shell that sources the file would have it
    }
    return found;
}

std::string userDir(std::string_view name, std::string_view fallback) {
    const std::string home = homeFolder();
    std::ifstream file(configHome() + "/user-dirs.dirs");
    if (file) {
        std::stringstream text;
        text << file.rdbuf();
        std::string dir = userDirFromText(text.str(), name, home);
        if (!dir.empty()) return dir;
    }
    return home + "/" + std::string(fallback);
}

}  // namespace vamu::core
