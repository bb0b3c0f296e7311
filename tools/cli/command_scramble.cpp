// vamu-cli scramble / unscramble: the remembered-credentials form, with the program's key.

#include <cstdio>
#include <string>

#include "account/scramble.h"
#include "cli_command.h"

namespace vamu::cli {
namespace {

int runScramble(std::span<const std::string_view> arguments);
int runUnscramble(std::span<const std::string_view> arguments);

constexpr Command kScramble{"scramble", "TEXT", "prints TEXT scrambled with the credentials key", runScramble};
constexpr Command kUnscramble{
    "unscramble", "TEXT", "prints scrambled TEXT read back (fails when it was not made with the key)", runUnscramble};

int runScramble(std::span<const std::string_view> arguments) {
    if (arguments.size() != 1) {
        return usageOf(kScramble);
    }
    std::printf("%s\n", account::scrambleText(arguments[0], account::kCredentialKey).c_str());
    return kExitOk;
}

int runUnscramble(std::span<const std::string_view> arguments) {
    if (arguments.size() != 1) {
        return usageOf(kUnscramble);
    }
    const std::string text = account::unscrambleText(arguments[0], account::kCredentialKey);
    std::printf("%s\n", text.c_str());
    // Only the bare check stands for the empty text; anything else that reads as empty is broken.
    return text.empty() && arguments[0] != account::scrambleText("", account::kCredentialKey) ? kExitFailure : kExitOk;
}

}  // namespace

const Command& scrambleCommand() { return kScramble; }
const Command& unscrambleCommand() { return kUnscramble; }

}  // namespace vamu::cli
