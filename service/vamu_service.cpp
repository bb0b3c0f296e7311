#include "vamu_service.h"

#include "catalogue_generator.h"
#include "service_log.h"
#include "service_routes.h"
#include "sqlite_database.h"

#include <csignal>
#include <chrono>

namespace vamu::service {
namespace {

constexpr const char* kCatalogueFile = "catalogue.json";
constexpr const char* kStateFile = "state.sqlite";

std::int64_t unixNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// The host part of an address as clients reach it: the wildcard addresses are not reachable.
std::string reachableHost(const std::string& bindAddress) {
    if (bindAddress == "0.0.0.0" || bindAddress.empty()) return "127.0.0.1";
    if (bindAddress == "::") return "[::1]";
    if (bindAddress.find(':') != std::string::npos) return "[" + bindAddress + "]";
    return bindAddress;
}

std::optional<CatalogueData> loadOrGenerate(const std::filesystem::path& directory, CatalogueSize size,
                                            std::string& error) {
    const auto file = directory / kCatalogueFile;
    const auto header = readCatalogueFileHeader(file);
    // An older service's catalogue is made again in its size: the generator keeps the ids,
    // titles and likes it had, so accounts, likes and MP3 files stay valid.
    const bool outdated = header && header->format < kCatalogueFormat;
    if (outdated) {
        logLine("note: " + file.string() + " is from an older service; it is made again");
        size = header->size;
    }
    if (!outdated && std::filesystem::exists(file)) {
        auto data = loadCatalogueFile(file, error);
        if (data && data->size != size) {
            logLine("note: " + directory.string() + " holds the " + std::string(catalogueSizeName(data->size)) +
                    " catalogue; it is kept");
        }
        return data;
    }
    auto data = generateCatalogue(size);
    if (!saveCatalogueFile(data, file, error)) return std::nullopt;
    logLine("generated the " + std::string(catalogueSizeName(size)) + " catalogue into " + file.string());
    return data;
}

}  // namespace

// Members in order of construction; destruction runs backwards, so the servers stop
// before anything they use goes away.
struct Service::Parts {
    ServiceOptions options;
    StopSignal stop;
    FaultTable faults;
    std::unique_ptr<Catalogue> catalogue;
    std::unique_ptr<Database> database;
    std::unique_ptr<AccountStore> accounts;
    std::unique_ptr<CompanionStore> companion;
    std::unique_ptr<MediaLibrary> media;
    std::unique_ptr<ServiceContext> context;
    std::unique_ptr<HttpServer> api;
    std::unique_ptr<HttpServer> companionServer;
};

std::unique_ptr<Service> Service::start(const ServiceOptions& options, std::string& error) {
    ::signal(SIGPIPE, SIG_IGN);
    auto parts = std::make_unique<Parts>();
    parts->options = options;
    const auto& directory = options.dataDirectory;
    std::error_code ec;
    std::filesystem::create_directories(directory, ec);
    if (ec) {
        error = "cannot create " + directory.string() + ": " + ec.message();
        return nullptr;
    }
    auto data = loadOrGenerate(directory, options.catalogueSize, error);
    if (!data) return nullptr;
    parts->catalogue = std::make_unique<Catalogue>(std::move(*data));
    const auto& catalogue = *parts->catalogue;

    parts->database = Database::open(directory / kStateFile, error);
    if (!parts->database) return nullptr;
    parts->accounts = std::make_unique<AccountStore>(*parts->database, options.accountRules);
    parts->companion = std::make_unique<CompanionStore>(*parts->database);
    const auto& demo = catalogue.data().demo;
    const User* demoUser = catalogue.user(demo.userId);
    if (!parts->accounts->initialise(demo, demoUser ? demoUser->name : "demo", unixNow(), error) ||
        !parts->companion->initialise(error)) {
        return nullptr;
    }
    if (options.update) parts->companion->setUpdateOffer(options.update);
    if (options.notice) parts->companion->setNotice(options.notice);
    for (const auto& rule : options.faults) parts->faults.apply(rule);
    for (const auto& rule : options.streamFaults) parts->faults.apply(rule);

    parts->media = std::make_unique<MediaLibrary>(directory, catalogue, parts->stop);
    if (!parts->media->prepareFolders(error)) return nullptr;

    const std::chrono::milliseconds requestTime = std::chrono::seconds(options.requestSeconds);
    const HttpServerOptions apiOptions{"api", options.httpThreads, options.logRequests, requestTime};
    const HttpServerOptions companionOptions{"companion", options.httpThreads, options.logRequests, requestTime};
    parts->api = std::make_unique<HttpServer>(apiOptions, parts->faults, parts->stop);
    parts->companionServer = std::make_unique<HttpServer>(companionOptions, parts->faults, parts->stop);
    if (!parts->api->bind(options.bindAddress, options.apiPort, error) ||
        !parts->companionServer->bind(options.bindAddress, options.companionPort, error)) {
        return nullptr;
    }
    const auto mediaBase = options.mediaBase.empty() ? "http://" + reachableHost(options.bindAddress) + ":" +
                                                           std::to_string(parts->api->port())
                                                     : options.mediaBase;
    parts->context.reset(new ServiceContext{catalogue, *parts->media, *parts->accounts, *parts->companion,
                                            parts->faults, parts->stop, MediaUrls(mediaBase), unixNow});
    addCatalogueRoutes(*parts->api, *parts->context);
    addAccountRoutes(*parts->api, *parts->context);
    addMediaRoutes(*parts->api, *parts->context);
    addAdminRoutes(*parts->api, *parts->context);
    addCompanionRoutes(*parts->companionServer, *parts->context);
    parts->api->start();
    parts->companionServer->start();
    if (options.generatorThreads > 0) parts->media->startBackgroundGeneration(options.generatorThreads);
    return std::unique_ptr<Service>(new Service(std::move(parts)));
}

Service::Service(std::unique_ptr<Parts> parts) : m_parts(std::move(parts)) {}

Service::~Service() { stop(); }

void Service::stop() {
    m_parts->stop.trigger();
    m_parts->api->stop();
    m_parts->companionServer->stop();
}

int Service::apiPort() const { return m_parts->api->port(); }
int Service::companionPort() const { return m_parts->companionServer->port(); }

std::string Service::apiBaseUrl() const {
    return "http://" + reachableHost(m_parts->options.bindAddress) + ":" + std::to_string(apiPort());
}

std::string Service::companionAddress() const {
    return reachableHost(m_parts->options.bindAddress) + ":" + std::to_string(companionPort());
}

const Catalogue& Service::catalogue() const { return *m_parts->catalogue; }

}  // namespace vamu::service
