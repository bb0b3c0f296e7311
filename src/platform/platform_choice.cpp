#include "platform/platform_choice.h"

#include <cstdlib>
#include <string_view>

#if VAMU_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace vamu::platform {
namespace {

bool given(const std::optional<std::string>& value) { return value && !value->empty(); }

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    if (!value) return std::nullopt;
    return std::string(value);
}

bool xServerAnswers() {
#if VAMU_HAVE_XCB
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    const bool answers = connection && xcb_connection_has_error(connection) == 0;
    if (connection) xcb_disconnect(connection);
    return answers;
#else
    return false;
#endif
}

}  // namespace

PlatformChoice choosePlatform(const PlatformEnvironment& env) {
    if (given(env.platformArgument)) return {"", "-platform " + *env.platformArgument + " given"};
    if (given(env.qpaPlatform)) return {"", "QT_QPA_PLATFORM=" + *env.qpaPlatform + " given"};
    const std::string wayland = given(env.waylandDisplay) ? " (Wayland session " + *env.waylandDisplay + ")" : "";
    if (given(env.display) && env.xServerAnswers) {
        return {"xcb", "an X server answers on " + *env.display + wayland +
                           "; QT_QPA_PLATFORM=wayland runs natively on Wayland"};
    }
    if (given(env.display)) return {"", "no X server answers on " + *env.display + wayland + "; Qt chooses"};
    return {"", "no DISPLAY" + wayland + "; Qt chooses"};
}

std::optional<std::string> platformArgument(int argc, const char* const* argv) {
    for (int i = 1; i < argc; ++i) {
        std::string_view argument = argv[i];
        if (argument.starts_with("--")) argument.remove_prefix(1);
        if (argument == "-platform" && i + 1 < argc) return std::string(argv[i + 1]);
        if (argument.starts_with("-platform=")) return std::string(argument.substr(10));
    }
    return std::nullopt;
}

PlatformChoice applyPlatformChoice(int argc, const char* const* argv) {
    PlatformEnvironment env;
    env.qpaPlatform = environment("QT_QPA_PLATFORM");
    env.platformArgument = platformArgument(argc, argv);
    env.display = environment("DISPLAY");
    env.waylandDisplay = environment("WAYLAND_DISPLAY");
    // Only asked when it can decide: a connection costs a round trip.
    if (!given(env.platformArgument) && !given(env.qpaPlatform) && given(env.display))
        env.xServerAnswers = xServerAnswers();
    const PlatformChoice choice = choosePlatform(env);
    if (!choice.platform.empty()) ::setenv("QT_QPA_PLATFORM", choice.platform.c_str(), 1);
    return choice;
}

}  // namespace vamu::platform
