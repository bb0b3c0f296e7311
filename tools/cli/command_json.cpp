// vamu-cli json: what the JSON document reads at a path of a file.

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "cli_command.h"
#include "net/json_document.h"

namespace vamu::cli {
namespace {

int run(std::span<const std::string_view> arguments);

constexpr Command kJson{
    "json",
    "FILE PATH",
    "loads FILE and prints getText, countMembers and typeOf of PATH (\"\" is the whole value)",
    run,
};

std::string_view kindName(net::JsonKind kind) {
    switch (kind) {
    case net::JsonKind::Absent:
        return "absent";
    case net::JsonKind::Number:
        return "number";
    case net::JsonKind::Array:
        return "array";
    case net::JsonKind::Object:
        return "object";
    case net::JsonKind::String:
        return "string";
    case net::JsonKind::Other:
        return "other";
    }
    return "unknown";
}

int run(std::span<const std::string_view> arguments) {
    if (arguments.size() != 2) {
        return usageOf(kJson);
    }
    const std::string file(arguments[0]);
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "vamu-cli json: cannot read %s\n", file.c_str());
        return kExitFailure;
    }
    std::ostringstream text;
    text << in.rdbuf();
    net::JsonDocument document;
    if (!document.load(text.str())) {
        std::fprintf(stderr, "vamu-cli json: %s holds no JSON value\n", file.c_str());
        return kExitFailure;
    }
    const std::string value = document.getText(arguments[1]);
    const net::JsonKind kind = document.typeOf(arguments[1]);
    std::printf("text: %s\ncount: %d\ntype: %d (%.*s)\n", value.c_str(), document.countMembers(arguments[1]),
                static_cast<int>(kind), static_cast<int>(kindName(kind).size()), kindName(kind).data());
    return kExitOk;
}

}  // namespace

const Command& jsonCommand() { return kJson; }

}  // namespace vamu::cli
