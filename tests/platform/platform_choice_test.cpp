// The platform the program starts on: X11 where an X server answers and the user chose
// nothing, the user's choice otherwise, Qt's own where no X server answers.
#include "platform/platform_choice.h"

#include <gtest/gtest.h>

#include <vector>

namespace vamu::platform {
namespace {

struct Case {
    const char* name;
    PlatformEnvironment environment;
    std::string platform;  // expected: "" leaves it to Qt
};

TEST(PlatformChoice, X11WhereAnXServerAnswersTheUsersChoiceAlwaysWins) {
    const std::vector<Case> cases = {
        {"Wayland session with Xwayland", {{}, {}, ":0", "wayland-0", true}, "xcb"},
        {"X11 session", {{}, {}, ":0", {}, true}, "xcb"},
        {"an empty QT_QPA_PLATFORM is no choice", {"", {}, ":1", "wayland-0", true}, "xcb"},
        {"the user's QT_QPA_PLATFORM", {"wayland", {}, ":0", "wayland-0", true}, ""},
        {"the user's -platform", {{}, "wayland", ":0", "wayland-0", true}, ""},
        {"DISPLAY names a server that does not answer", {{}, {}, ":5", "wayland-0", false}, ""},
        {"Wayland without Xwayland", {{}, {}, {}, "wayland-0", false}, ""},
        {"nothing at all", {}, ""},
    };
    for (const Case& c : cases) {
        const PlatformChoice choice = choosePlatform(c.environment);
        EXPECT_EQ(choice.platform, c.platform) << c.name;
        EXPECT_FALSE(choice.reason.empty()) << c.name;
    }
    EXPECT_NE(choosePlatform({{}, {}, ":7", {}, true}).reason.find(":7"), std::string::npos);  // names what decided
}

TEST(PlatformChoice, ThePlatformArgumentIsReadAsQtReadsIt) {
    const auto read = [](std::vector<const char*> arguments) {
        arguments.insert(arguments.begin(), "vamu");
        return platformArgument(static_cast<int>(arguments.size()), arguments.data());
    };
    EXPECT_EQ(read({"-platform", "wayland"}), "wayland");
    EXPECT_EQ(read({"vamu:123", "--platform", "xcb"}), "xcb");
    EXPECT_EQ(read({"-platform=offscreen"}), "offscreen");
    EXPECT_EQ(read({"-platform"}), std::nullopt);  // no value: Qt ignores it too
}

}  // namespace
}  // namespace vamu::platform
