#include "companion/first_run_launcher.h"

#include "companion/companion_replies.h"
#include "core/settings.h"
#include "core/settings_keys.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace vamu::companion {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kLauncherName = "vamu.desktop";
constexpr std::string_view kIconName = "vamu";

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

}  // namespace

std::string desktopEntryText(std::string_view program) {
    // Exec quotes the path: a folder name with spaces must still start the program.
    std::string quoted = "\"";
    for (const char c : program) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    return "[Desktop Entry]\nType=Application\nVersion=1.0\nName=vamu\nComment=vamu\nExec=" + quoted +
           "\nIcon=" + std::string(kIconName) + "\nTerminal=false\nCategories=AudioVideo;Audio;Player;\n";
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

    if (!places.iconBytes.empty()) {
        fs::create_directories(places.iconFolder, error);
        (void)writeFile(fs::path(places.iconFolder) / (std::string(kIconName) + ".png"), places.iconBytes);
    }
    fs::create_directories(places.dataFolder, error);
    const fs::path made = fs::path(places.dataFolder) / kLauncherName;
    if (!writeFile(made, desktopEntryText(places.program))) return LauncherOutcome::Failed;
    // Desktops start only launchers marked executable.
    fs::permissions(made, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec,
                    error);
    if (!moveFile(made, onDesktop)) return LauncherOutcome::Failed;
    core::writeSetting(kFirstStart, "0");
    return LauncherOutcome::Made;
}

}  // namespace vamu::companion
