// vamu-service: the local music service and companion server.

#include "service_log.h"
#include "vamu_service.h"

#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace vamu::service;

    // Every thread inherits this mask, so SIGINT and SIGTERM reach only the sigwait below.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    const auto commandLine = parseCommandLine(arguments);
    if (commandLine.help) {
        std::fwrite(usageText().data(), 1, usageText().size(), stdout);
        return 0;
    }
    if (!commandLine.options) {
        std::fprintf(stderr, "vamu-service: %s\n(vamu-service --help lists the options)\n", commandLine.error.c_str());
        return 2;
    }
    const auto& options = *commandLine.options;

    std::string error;
    auto service = Service::start(options, error);
    if (!service) {
        std::fprintf(stderr, "vamu-service: %s\n", error.c_str());
        return 1;
    }
    const auto& data = service->catalogue().data();
    logLine("data " + options.dataDirectory.string() + " (" + std::string(catalogueSizeName(data.size)) +
            " catalogue: " + std::to_string(data.channels.size()) + " channels, " + std::to_string(data.songs.size()) +
            " songs)");
    logLine("demo account: phone " + data.demo.phone + " password " + data.demo.password);
    logLine("api " + service->apiBaseUrl() + " companion " + service->companionAddress());
    logLine("admin " + service->apiBaseUrl() + "/admin/status (loopback only)");
    logLine("ready");

    int received = 0;
    sigwait(&stopSignals, &received);
    logLine(received == SIGINT ? "stopping (interrupt)" : "stopping");
    service->stop();
    service.reset();
    logLine("stopped");
    return 0;
}
