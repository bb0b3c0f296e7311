// vamu-cli http: one exchange through the program's HTTP routine.

#include <cstdio>
#include <string>

#include "cli_command.h"
#include "net/http_request.h"

namespace vamu::cli {
namespace {

int run(std::span<const std::string_view> arguments);

constexpr Command kHttp{
    "http",
    "[--method 0|1|2|GET|POST|HEAD] [--body B] [--cookies C] [--headers H]... [--no-redirect] URL",
    "one exchange; prints the body, then the status and the cookies on labelled lines",
    run,
};

std::string_view outcomeName(net::HttpOutcome outcome) {
    switch (outcome) {
    case net::HttpOutcome::Completed:
        return "completed";
    case net::HttpOutcome::NotOpened:
        return "not opened";
    case net::HttpOutcome::TransportFailed:
        return "transport failed";
    case net::HttpOutcome::Cancelled:
        return "cancelled";
    case net::HttpOutcome::TooLarge:
        return "too large";
    }
    return "unknown";
}

bool parseMethod(std::string_view text, int& method) {
    if (text == "0" || text == "GET") {
        method = 0;
    } else if (text == "1" || text == "POST") {
        method = 1;
    } else if (text == "2" || text == "HEAD") {
        method = 2;
    } else {
        return false;
    }
    return true;
}

void printLine(std::string_view label, std::string_view value) {
    std::printf("%.*s: %.*s\n", static_cast<int>(label.size()), label.data(), static_cast<int>(value.size()),
                value.data());
}

int run(std::span<const std::string_view> arguments) {
    net::HttpRequestArgs args;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (argument == "--no-redirect") {
            args.noRedirect = true;
        } else if (argument == "--method" && hasValue) {
            if (!parseMethod(arguments[++i], args.method)) {
                return usageOf(kHttp);
            }
        } else if (argument == "--body" && hasValue) {
            args.body = arguments[++i];
        } else if (argument == "--cookies" && hasValue) {
            args.cookies = std::string(arguments[++i]);
        } else if (argument == "--headers" && hasValue) {
            if (!args.extraHeaders.empty()) {
                args.extraHeaders += "\r\n";
            }
            args.extraHeaders += arguments[++i];
        } else if (argument.starts_with("--") || !args.url.empty()) {
            return usageOf(kHttp);
        } else {
            args.url = argument;
        }
    }
    if (args.url.empty()) {
        return usageOf(kHttp);
    }
    const net::HttpReply reply = net::httpRequest(args);
    std::fwrite(reply.body.data(), 1, reply.body.size(), stdout);
    if (!reply.body.empty() && reply.body.back() != '\n') {
        std::fputc('\n', stdout);
    }
    std::printf("-- status: %ld (%.*s)\n", reply.status, static_cast<int>(outcomeName(reply.outcome).size()),
                outcomeName(reply.outcome).data());
    printLine("-- response cookies", reply.responseCookies.value_or(""));
    if (args.cookies) {
        printLine("-- merged cookies", reply.cookies.value_or(*args.cookies));
    }
    return reply.outcome == net::HttpOutcome::Completed ? kExitOk : kExitFailure;
}

}  // namespace

const Command& httpCommand() { return kHttp; }

}  // namespace vamu::cli
