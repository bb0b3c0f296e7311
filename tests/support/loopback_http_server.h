#pragma once
// A small HTTP server on a free loopback port for tests: each path serves fixed bytes with
// a chosen misbehaviour (slow, stalling, cut off, error status). Range requests are honoured
// when the body's length is announced.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace vamu::test {

struct Route {
    std::vector<std::byte> body;
    std::string contentType = "audio/mpeg";
    int status = 200;                     // anything but 200 sends the body as an error page
    bool announceLength = true;           // false: chunked, no Content-Length
    std::int64_t bytesPerSecond = 0;      // 0: as fast as the socket takes it
    std::optional<std::int64_t> stallAt;  // body offset where sending stops, connection held open
    std::optional<std::int64_t> closeAt;  // body offset where the connection is closed
};

class LoopbackHttpServer {
public:
    LoopbackHttpServer();
    ~LoopbackHttpServer();  // releases stalled connections and stops

    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    void serve(const std::string& path, Route route);
    [[nodiscard]] std::string url(std::string_view path) const;
    [[nodiscard]] int port() const { return m_port; }

    // What the clients did, per path.
    [[nodiscard]] int requestCount(const std::string& path) const;
    [[nodiscard]] std::vector<std::string> rangeHeaders(const std::string& path) const;
    // Bodies being sent right now, over all paths.
    [[nodiscard]] int activeBodies() const { return m_activeBodies.load(); }

private:
    struct Log {
        int requests = 0;
        std::vector<std::string> ranges;
    };

    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_activeBodies{0};
    mutable std::mutex m_mutex;  // guards the two maps
    std::map<std::string, std::shared_ptr<const Route>> m_routes;
    std::map<std::string, Log> m_logs;
};

}  // namespace vamu::test
