#pragma once
// Start-up options of vamu-service and their command line.

#include "account_store.h"
#include "catalogue.h"
#include "companion_store.h"
#include "faults.h"

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vamu::service {

inline constexpr int kDefaultApiPort = 8960;
inline constexpr int kDefaultCompanionPort = 8961;

struct ServiceOptions {
    std::filesystem::path dataDirectory;
    std::string bindAddress = "127.0.0.1";
    int apiPort = kDefaultApiPort;  // 0: any free port
    int companionPort = kDefaultCompanionPort;
    CatalogueSize catalogueSize = CatalogueSize::Demo;  // used when the data directory has no catalogue yet
    int generatorThreads =
        2;                 // background song makers, at the lowest priority; 0: songs are made on first request only
    int httpThreads = 64;  // per server
    int requestSeconds = 30;  // a client's time to send one whole request
    bool logRequests = false;
    std::string mediaBase;  // scheme, host and port of media addresses; empty: the API server's
    AccountRules accountRules;
    std::vector<EndpointRule> faults;
    std::vector<StreamRule> streamFaults;
    std::optional<UpdateOffer> update;  // set at start when given
    std::optional<Notice> notice;
};

struct CommandLine {
    std::optional<ServiceOptions> options;  // nullopt: see `help` or `error`
    bool help = false;
    std::string error;
};

// Parses the arguments after the program name. "--name value" and "--name=value" both work.
[[nodiscard]] CommandLine parseCommandLine(std::span<const std::string_view> arguments);
[[nodiscard]] std::string_view usageText();
// $XDG_DATA_HOME/vamu-service, else ~/.local/share/vamu-service.
[[nodiscard]] std::filesystem::path defaultDataDirectory();

}  // namespace vamu::service
