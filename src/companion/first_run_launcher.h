#pragma once
// The desktop launcher made at the first start of a version or from a new folder: a
// freedesktop "vamu.desktop" written in the data folder and moved onto the desktop.
// A move that fails leaves 首次启动 at "1", so the next start tries again. Qt-free.
//
// An installed program (<prefix>/bin/vamu beside <prefix>/share/applications/vamu.desktop)
// gets a copy of the installed desktop entry instead, so the launcher has the entry's
// names, comments and link handling; only Exec names the installed program by its path.

#include <optional>
#include <string>
#include <string_view>

namespace vamu::companion {

struct LauncherPlaces {
    std::string program;     // the running program's absolute path (Exec)
    std::string dataFolder;  // where the launcher is made ($XDG_DATA_HOME/vamu)
    std::string desktop;     // the desktop folder (XDG DESKTOP)
    std::string iconFolder;  // the user's icon theme folder for the icon's size
    std::string iconBytes;   // the program's icon (PNG)
    // The installed desktop entry of an installed program (installedDesktopEntry());
    // empty when the program does not run from an install prefix.
    std::string installedEntry;
};

enum class LauncherOutcome {
    NotDue,  // already made for this version and folder
    Made,    // on the desktop now
    Failed,  // tried; the next start tries again
};

// The launcher's text: Name "vamu", Exec the program, Icon "vamu".
[[nodiscard]] std::string desktopEntryText(std::string_view program);

// <prefix>/share/applications/vamu.desktop when `program` (an absolute path) is
// <prefix>/bin/vamu and that entry exists; nothing otherwise.
[[nodiscard]] std::optional<std::string> installedDesktopEntry(std::string_view program);

// The installed entry's text with the main group's Exec naming `program` (link
// argument kept); nothing when the text has no such Exec line to replace.
[[nodiscard]] std::optional<std::string> launcherFromInstalledEntry(std::string_view entryText,
                                                                    std::string_view program);

// Reads and writes 版本, 程序目录 and 首次启动; makes the launcher when they say so.
LauncherOutcome makeFirstRunLauncher(const LauncherPlaces& places);

}  // namespace vamu::companion
