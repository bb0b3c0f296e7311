#include "core/user_dirs.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace vamu::core {
namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

}  // namespace

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
    const std::string home = environment("HOME");
    std::string config = environment("XDG_CONFIG_HOME");
    if (config.empty()) config = home + "/.config";
    std::ifstream file(config + "/user-dirs.dirs");
    if (file) {
        std::stringstream text;
        text << file.rdbuf();
        std::string dir = userDirFromText(text.str(), name, home);
        if (!dir.empty()) return dir;
    }
    return home + "/" + std::string(fallback);
}

}  // namespace vamu::core
