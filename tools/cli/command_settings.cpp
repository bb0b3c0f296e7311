// vamu-cli settings: the real settings file, key by key.

#include <cstdio>
#include <string>

#include "core/settings.h"
#include "cli_command.h"

namespace vamu::cli {
namespace {

int run(std::span<const std::string_view> arguments);

constexpr Command kSettings{
    "settings",
    "get KEY [DEFAULT] | set KEY VALUE | path",
    "reads or writes a key of section 配置文件 (set creates the folder); a known key's default applies",
    run,
};

std::string_view knownDefault(std::string_view key) {
    for (const core::SettingKey& known : core::setting::kAll) {
        if (known.name == key) {
            return known.defaultValue;
        }
    }
    return {};
}

int run(std::span<const std::string_view> arguments) {
    if (arguments.size() == 1 && arguments[0] == "path") {
        std::printf("%s\n", core::settingsPath().c_str());
        return kExitOk;
    }
    if (arguments.size() >= 2 && arguments.size() <= 3 && arguments[0] == "get") {
        const std::string_view fallback = arguments.size() == 3 ? arguments[2] : knownDefault(arguments[1]);
        std::printf("%s\n", core::readSetting(arguments[1], fallback).c_str());
        return kExitOk;
    }
    if (arguments.size() == 3 && arguments[0] == "set") {
        if (!core::writeSetting(arguments[1], arguments[2], core::CreateFolder::Yes)) {
            std::fprintf(stderr, "vamu-cli settings: could not write %s\n", core::settingsPath().c_str());
            return kExitFailure;
        }
        return kExitOk;
    }
    return usageOf(kSettings);
}

}  // namespace

const Command& settingsCommand() { return kSettings; }

}  // namespace vamu::cli
