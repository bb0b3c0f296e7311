#pragma once
// The desktop launcher made at the first start of a version or from a new folder: a
// freedesktop "vamu.desktop" written in the data folder and moved onto the desktop.
// A move that fails leaves 首次启动 at "1", so the next start tries again. Qt-free.

#include <string>
#include <string_view>

namespace vamu::companion {

struct LauncherPlaces {
    std::string program;     // the running program's absolute path (Exec)
    std::string dataFolder;  // where the launcher is made ($XDG_DATA_HOME/vamu)
    std::string desktop;     // the desktop folder (XDG DESKTOP)
    std::string iconFolder;  // the user's icon theme folder for the icon's size
    std::string iconBytes;   // the program's icon (PNG)
};

enum class LauncherOutcome {
    NotDue,  // already made for this version and folder
    Made,    // on the desktop now
    Failed,  // tried; the next start tries again
};

// The launcher's text: Name "vamu", Exec the program, Icon "vamu".
[[nodiscard]] std::string desktopEntryText(std::string_view program);

// Reads and writes 版本, 程序目录 and 首次启动; makes the launcher when they say so.
LauncherOutcome makeFirstRunLauncher(const LauncherPlaces& places);

}  // namespace vamu::companion
