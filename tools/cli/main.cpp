// vamu-cli: developer commands over the program's core modules.

#include <cstdio>
#include <string_view>
#include <vector>

#include "cli_command.h"

namespace vamu::cli {
namespace {

const Command* const kCommands[] = {
#define VAMU_CLI_COMMAND(accessor) &accessor(),
#include "command_list.h"
#undef VAMU_CLI_COMMAND
};

int usage(std::FILE* out, int code) {
    std::fprintf(out, "usage: vamu-cli COMMAND [ARGUMENTS]\n\ncommands:\n");
    for (const Command* command : kCommands) {
        std::fprintf(out, "  %.*s %.*s\n      %.*s\n", static_cast<int>(command->name.size()), command->name.data(),
                     static_cast<int>(command->arguments.size()), command->arguments.data(),
                     static_cast<int>(command->summary.size()), command->summary.data());
    }
    std::fprintf(out, "\nexit status: 0 done, 1 failed, 2 wrong arguments\n");
    return code;
}

}  // namespace

std::span<const Command* const> commands() { return kCommands; }

int usageOf(const Command& command) {
    std::fprintf(stderr, "usage: vamu-cli %.*s %.*s\n", static_cast<int>(command.name.size()), command.name.data(),
                 static_cast<int>(command.arguments.size()), command.arguments.data());
    return kExitUsage;
}

}  // namespace vamu::cli

int main(int argc, char** argv) {
    using namespace vamu::cli;
    if (argc < 2) {
        return usage(stderr, kExitUsage);
    }
    const std::string_view name = argv[1];
    if (name == "help" || name == "--help" || name == "-h") {
        return usage(stdout, kExitOk);
    }
    const std::vector<std::string_view> arguments(argv + 2, argv + argc);
    for (const Command* command : commands()) {
        if (command->name == name) {
            return command->run(arguments);
        }
    }
    std::fprintf(stderr, "vamu-cli: unknown command \"%s\"\n\n", argv[1]);
    return usage(stderr, kExitUsage);
}
