#include "companion/first_run_launcher.h"

#include "companion/companion_replies.h"
#include "core/settings.h"
#include "core/settings_keys.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace vamu::companion {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kLauncherName = "vamu.desktop";
constexpr std::string_view kIconName = "vamu";
constexpr std::string_view kMainGroup = "[Desktop Entry]";
// An installed entry is a few hundred bytes; anything past this is not ours.
constexpr std::uintmax_t kMaxEntryBytes = 64 * 1024;

bool writeFile(const fs::path& path, std::string_view bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    return static_cast<bool>(file);
}

// rename(), or copy and remove where the two folders lie on different file systems.
bool moveFile(const fs::path& from, const fs::path& to) {
    std::error_code error;
    fs::rename(from, to, error);
    if (!error) return true;
    if (error != std::errc::cross_device_link) return false;
    if (!fs::copy_file(from, to, fs::copy_options::overwrite_existing, error)) return false;
    fs::remove(from, error);
    return true;
}

// Exec quotes the path: a folder name with spaces must still start the program.
std::string quotedProgram(std::string_view program) {
    std::string quoted = "\"";
    for (const char c : program) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::optional<std::string> readEntry(const fs::path& path) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error || size > kMaxEntryBytes) return std::nullopt;
    std::ifstream file(path, std::ios::binary);
    std::string text(static_cast<std::size_t>(size), '\0');
    if (!file.read(text.data(), static_cast<std::streamsize>(text.size()))) return std::nullopt;
    return text;
}

// Whether writing the icon copy would overwrite the installation's own icon file.
bool iconIsInstalledOne(const LauncherPlaces& places) {
    if (places.installedEntry.empty()) return false;
    const fs::path prefix = fs::path(places.installedEntry).parent_path().parent_path().parent_path();
    std::error_code error;
    return fs::equivalent(fs::path(places.iconFolder) / (std::string(kIconName) + ".png"),
                          prefix / "share/icons/hicolor/128x128/apps" / (std::string(kIconName) + ".png"), error);
}

std::string launcherText(const LauncherPlaces& places) {
    if (!places.installedEntry.empty()) {
        if (const auto entry = readEntry(places.installedEntry)) {
            if (auto text = launcherFromInstalledEntry(*entry, places.program)) return std::move(*text);
        }
    }
    return desktopEntryText(places.program);
}

}  // namespace

std::string desktopEntryText(std::string_view program) {
    const std::string quoted = quotedProgram(program);
    return "[Desktop Entry]\nType=Application\nVersion=1.0\nName=vamu\nComment=vamu\nExec=" + quoted +
           "\nIcon=" + std::string(kIconName) + "\nTerminal=false\nCategories=AudioVideo;Audio;Player;\n";
}

std::optional<std::string> installedDesktopEntry(std::string_view program) {
    const fs::path path(program);
    if (!path.is_absolute() || path.filename() != "vamu" || path.parent_path().filename() != "bin") return std::nullopt;
    const fs::path entry = path.parent_path().parent_path() / "share/applications" / kLauncherName;
    std::error_code error;
    if (!fs::is_regular_file(entry, error)) return std::nullopt;
    return entry.string();
}

std::optional<std::string> launcherFromInstalledEntry(std::string_view entryText, std::string_view program) {
    std::string text;
    bool inMainGroup = false;
    bool replaced = false;
    while (!entryText.empty()) {
        const std::size_t end = entryText.find('\n');
        const std::string_view line = entryText.substr(0, end);
        entryText.remove_prefix(end == std::string_view::npos ? entryText.size() : end + 1);
        if (line.starts_with('[')) inMainGroup = line == kMainGroup;
        if (inMainGroup && line.starts_with("Exec=")) {
            if (replaced) continue;  // a second Exec would make the entry invalid
            // Desktops hand a vamu: link to the launcher as they do to the installed entry.
            text += "Exec=" + quotedProgram(program) + " %u\n";
            replaced = true;
            continue;
        }
        text += line;
        text += '\n';
    }
    if (!replaced) return std::nullopt;
    return text;
}

LauncherOutcome makeFirstRunLauncher(const LauncherPlaces& places) {
    using namespace core::setting;
    if (core::readSetting(kVersion) != kProgramVersion) {
        core::writeSetting(kVersion, kProgramVersion, core::CreateFolder::Yes);
        core::writeSetting(kFirstStart, "1");
    }
    const std::string folder = fs::path(places.program).parent_path().string();
    if (core::readSetting(kProgramFolder) != folder) {
        core::writeSetting(kProgramFolder, folder, core::CreateFolder::Yes);
        core::writeSetting(kFirstStart, "1");
    }
    if (core::readSetting(kFirstStart) != "1") return LauncherOutcome::NotDue;

    std::error_code error;
    const fs::path onDesktop = fs::path(places.desktop) / kLauncherName;
    if (fs::exists(onDesktop, error) && !fs::remove(onDesktop, error)) return LauncherOutcome::Failed;

    if (!places.iconBytes.empty() && !iconIsInstalledOne(places)) {
        fs::create_directories(places.iconFolder, error);
        (void)writeFile(fs::path(places.iconFolder) / (std::string(kIconName) + ".png"), places.iconBytes);
    }
    fs::create_directories(places.dataFolder, error);
    const fs::path made = fs::path(places.dataFolder) / kLauncherName;
    if (!writeFile(made, launcherText(places))) return LauncherOutcome::Failed;
    // Desktops start only launchers marked executable.
    fs::permissions(made,
                    fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                        fs::perms::others_exec,
                    error);
    if (!moveFile(made, onDesktop)) return LauncherOutcome::Failed;
    core::writeSetting(kFirstStart, "0");
    return LauncherOutcome::Made;
}

}  // namespace vamu::companion
