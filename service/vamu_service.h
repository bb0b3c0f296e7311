#pragma once
// vamu-service as one object: the data directory (catalogue, media, SQLite state), the
// music service API server and the companion server, started and stopped together.

#include "catalogue.h"
#include "service_options.h"

#include <memory>
#include <string>

namespace vamu::service {

class Service {
public:
    // Prepares the data directory (generating the catalogue on first start), binds both
    // ports and starts serving. nullptr with `error` set when anything fails. Sets SIGPIPE
    // to be ignored in the process: a client that hangs up mid-reply must not end it.
    static std::unique_ptr<Service> start(const ServiceOptions& options, std::string& error);
    ~Service();
    Service(const Service&) = delete;
    Service& operator=(const Service&) = delete;

    [[nodiscard]] int apiPort() const;
    [[nodiscard]] int companionPort() const;
    [[nodiscard]] std::string apiBaseUrl() const;        // "http://127.0.0.1:8960"
    [[nodiscard]] std::string companionAddress() const;  // "127.0.0.1:8961"
    [[nodiscard]] const Catalogue& catalogue() const;

    // Ends waits in progress, stops both servers and joins their threads. Idempotent.
    void stop();

private:
    struct Parts;
    explicit Service(std::unique_ptr<Parts> parts);
    std::unique_ptr<Parts> m_parts;
};

}  // namespace vamu::service
