#pragma once
// Which Qt platform the program starts on. Where the user named none (no
// QT_QPA_PLATFORM, no -platform argument) and an X server answers, the program runs on
// X11: GNOME and Plasma sessions run Xwayland, and there the strip stays on top, lets
// clicks through and slides, which no portable Wayland protocol allows. Without an X
// server Qt's own choice holds (Wayland in a Wayland session). The user's choice always
// wins. The rule is Qt-free; applyPlatformChoice() reads the process's environment and
// arguments, probes the X server and tells Qt before the application object exists.

#include <optional>
#include <string>

namespace vamu::platform {

struct PlatformEnvironment {
    std::optional<std::string> qpaPlatform;     // QT_QPA_PLATFORM
    std::optional<std::string> platformArgument;  // the value of -platform / --platform
    std::optional<std::string> display;         // DISPLAY
    std::optional<std::string> waylandDisplay;  // WAYLAND_DISPLAY
    bool xServerAnswers = false;                // a connection to DISPLAY succeeded
};

struct PlatformChoice {
    std::string platform;  // what to hand Qt; empty: leave it to Qt
    std::string reason;    // for the log line
};

[[nodiscard]] PlatformChoice choosePlatform(const PlatformEnvironment& environment);

// The -platform value among the arguments, as Qt reads it ("-platform NAME",
// "--platform NAME" or "-platform=NAME").
[[nodiscard]] std::optional<std::string> platformArgument(int argc, const char* const* argv);

// Call before the application object is made: reads the environment and the
// arguments, asks the X server when that decides, and sets QT_QPA_PLATFORM when the
// rule chooses X11. The caller logs the platform Qt then started on with the reason.
PlatformChoice applyPlatformChoice(int argc, const char* const* argv);

}  // namespace vamu::platform
