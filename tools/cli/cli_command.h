#pragma once
// The commands of vamu-cli. Each command lives in its own command_*.cpp file, defines the
// accessor that command_list.h names, and is registered by its one line there.

#include <span>
#include <string_view>

namespace vamu::cli {

enum ExitCode : int {
    kExitOk = 0,
    kExitFailure = 1,  // the command ran and failed (no reply, unreadable file, refused write)
    kExitUsage = 2,    // the arguments were wrong; usage was printed
};

struct Command {
    std::string_view name;
    std::string_view arguments;  // synopsis after the name, as shown in the usage text
    std::string_view summary;
    // Runs with the arguments after the command name; returns an ExitCode.
    int (*run)(std::span<const std::string_view> arguments) = nullptr;
};

#define VAMU_CLI_COMMAND(accessor) const Command& accessor();
#include "command_list.h"
#undef VAMU_CLI_COMMAND

// Every registered command, in the order of command_list.h.
[[nodiscard]] std::span<const Command* const> commands();

// Prints "usage: vamu-cli NAME ARGUMENTS" for one command to stderr; returns kExitUsage.
int usageOf(const Command& command);

}  // namespace vamu::cli
