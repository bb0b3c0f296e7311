#include "service_options.h"

#include "whole_number.h"

#include <array>
#include <cstdlib>
#include <functional>
#include <map>

namespace vamu::service {
namespace {

constexpr std::string_view kUsage = R"(usage: vamu-service [options]

Runs the music service API and the companion server on this host, with a demo
catalogue generated into the data directory on first start.

  --data DIR                  data directory (default $XDG_DATA_HOME/vamu-service)
  --bind ADDRESS              address to listen on (default 127.0.0.1)
  --api-port N                music service port (default 8960; 0 picks a free port)
  --companion-port N          companion server port (default 8961; 0 picks a free port)
  --small-catalogue           songs of a few seconds (for tests; first start only)
  --generator-threads N       background song makers (default 2; 0: on first request only)
  --http-threads N            connections served at once per server (default 64)
  --request-time SECONDS      time to send a whole request, body included (default 30)
  --session-lifetime SECONDS  login lifetime (default 2592000)
  --rotate-session N          new session cookie value every N-th request (default 20; 0 never)
  --code-interval SECONDS     time between two SMS codes for one phone (default 10)
  --fault KEY=MODE[*COUNT]    endpoint fault; MODE is html, broken-json, empty, drop,
                              oversized[:BYTES], delay:MS, status:CODE, state-text
                              ("state" sent as "1" or "0"), state-missing,
                              no-sources (songs without their "source") or none
  --stream SONG=MODE          song stream fault; SONG is an id or all, MODE is
                              throttle:BYTES_PER_S, throttle:real, stall:BYTES,
                              drop:BYTES or none
  --throttle-streams          every song at its own byte rate (--stream all=throttle:real)
  --update VERSION,URL,NOTES  offer an update to older clients
  --notice KIND,ID,TEXT       notice for clients (kind 0 stops them, 2 is shown once)
  --media-base URL            scheme, host and port of media addresses in replies
  --log-requests              log every request
  --help                      this text

Faults, the update offer and the notice can be changed while running with
POST /admin/faults, /admin/update and /admin/notice on the API port (loopback only;
every admin request carries the header X-Vamu-Admin: 1).
)";

// Splits "a,b,c" into three parts at the first two commas; the last part keeps any further commas.
std::optional<std::array<std::string, 3>> threeParts(std::string_view text) {
    const auto first = text.find(',');
    const auto second = first == std::string_view::npos ? first : text.find(',', first + 1);
    if (second == std::string_view::npos) return std::nullopt;
    return std::array<std::string, 3>{std::string(text.substr(0, first)),
                                      std::string(text.substr(first + 1, second - first - 1)),
                                      std::string(text.substr(second + 1))};
}

using ValueOption = std::function<std::string(ServiceOptions&, std::string_view)>;  // answers an error text or ""
using SwitchOption = std::function<void(ServiceOptions&)>;

ValueOption numberOption(std::int64_t low, std::int64_t high, std::function<void(ServiceOptions&, std::int64_t)> set) {
    return [=](ServiceOptions& o, std::string_view v) -> std::string {
        const auto n = wholeNumber(v, low, high);
        if (!n) return "needs a whole number from " + std::to_string(low) + " to " + std::to_string(high);
        set(o, *n);
        return {};
    };
}

ValueOption textOption(std::function<void(ServiceOptions&, std::string_view)> set) {
    return [=](ServiceOptions& o, std::string_view v) -> std::string {
        set(o, v);
        return {};
    };
}

template <typename Rule>
ValueOption ruleOption(std::optional<Rule> (*parse)(std::string_view, std::string&),
                       std::vector<Rule> ServiceOptions::*rules) {
    return [=](ServiceOptions& o, std::string_view v) {
        std::string error;
        auto rule = parse(v, error);
        if (rule) (o.*rules).push_back(std::move(*rule));
        return error;
    };
}

template <typename Value>
ValueOption threePartOption(std::optional<Value> ServiceOptions::*field, std::string_view form) {
    return [=](ServiceOptions& o, std::string_view v) {
        const auto parts = threeParts(v);
        if (parts) o.*field = Value{(*parts)[0], (*parts)[1], (*parts)[2]};
        return parts ? std::string() : "needs " + std::string(form);
    };
}

const std::map<std::string_view, ValueOption>& valueOptions() {
    static const std::map<std::string_view, ValueOption> options = {
        {"--data", textOption([](ServiceOptions& o, std::string_view v) { o.dataDirectory = v; })},
        {"--bind", textOption([](ServiceOptions& o, std::string_view v) { o.bindAddress = v; })},
        {"--media-base", textOption([](ServiceOptions& o, std::string_view v) { o.mediaBase = v; })},
        {"--api-port",
         numberOption(0, 65535, [](ServiceOptions& o, std::int64_t n) { o.apiPort = static_cast<int>(n); })},
        {"--companion-port",
         numberOption(0, 65535, [](ServiceOptions& o, std::int64_t n) { o.companionPort = static_cast<int>(n); })},
        {"--generator-threads",
         numberOption(0, 16, [](ServiceOptions& o, std::int64_t n) { o.generatorThreads = static_cast<int>(n); })},
        {"--http-threads",
         numberOption(1, 1024, [](ServiceOptions& o, std::int64_t n) { o.httpThreads = static_cast<int>(n); })},
        {"--request-time",
         numberOption(1, 3600, [](ServiceOptions& o, std::int64_t n) { o.requestSeconds = static_cast<int>(n); })},
        {"--session-lifetime",
         numberOption(1, 10LL * 365 * 86400,
                      [](ServiceOptions& o, std::int64_t n) { o.accountRules.sessionLifetime = n; })},
        {"--rotate-session",
         numberOption(0, 1'000'000,
                      [](ServiceOptions& o, std::int64_t n) { o.accountRules.rotateEvery = static_cast<int>(n); })},
        {"--code-interval",
         numberOption(0, 86400, [](ServiceOptions& o, std::int64_t n) { o.accountRules.codeInterval = n; })},
        {"--fault", ruleOption(&parseEndpointRule, &ServiceOptions::faults)},
        {"--stream", ruleOption(&parseStreamRule, &ServiceOptions::streamFaults)},
        {"--update", threePartOption(&ServiceOptions::update, "VERSION,URL,NOTES")},
        {"--notice", threePartOption(&ServiceOptions::notice, "KIND,ID,TEXT")},
    };
    return options;
}

const std::map<std::string_view, SwitchOption>& switchOptions() {
    static const std::map<std::string_view, SwitchOption> options = {
        {"--small-catalogue", [](ServiceOptions& o) { o.catalogueSize = CatalogueSize::Small; }},
        {"--throttle-streams",
         [](ServiceOptions& o) {
             o.streamFaults.push_back({0, StreamFault{StreamFaultKind::ThrottleReal, 0}});
         }},
        {"--log-requests", [](ServiceOptions& o) { o.logRequests = true; }},
    };
    return options;
}

}  // namespace

std::string_view usageText() { return kUsage; }

std::filesystem::path defaultDataDirectory() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) return std::filesystem::path(xdg) / "vamu-service";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : ".") / ".local" / "share" / "vamu-service";
}

CommandLine parseCommandLine(std::span<const std::string_view> arguments) {
    CommandLine result;
    ServiceOptions options;
    options.dataDirectory = defaultDataDirectory();
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string_view name = arguments[i];
        std::optional<std::string_view> value;
        if (const auto equals = name.find('='); name.starts_with("--") && equals != std::string_view::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
        }
        if (name == "--help" || name == "-h") {
            result.help = true;
            return result;
        }
        if (const auto flag = switchOptions().find(name); flag != switchOptions().end()) {
            if (value) {
                result.error = std::string(name) + " takes no value";
                return result;
            }
            flag->second(options);
            continue;
        }
        const auto option = valueOptions().find(name);
        if (option == valueOptions().end()) {
            result.error = "unknown option " + std::string(name);
            return result;
        }
        if (!value) {
            if (i + 1 >= arguments.size()) {
                result.error = std::string(name) + " needs a value";
                return result;
            }
            value = arguments[++i];
        }
        if (auto error = option->second(options, *value); !error.empty()) {
            result.error = std::string(name) + ": " + error;
            return result;
        }
    }
    result.options = std::move(options);
    return result;
}

}  // namespace vamu::service
