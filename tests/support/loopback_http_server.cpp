#include "support/loopback_http_server.h"

#include <httplib.h>

#include <algorithm>
#include <chrono>

namespace vamu::test {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kWriteChunk = 4096;

// Counts a body in flight for as long as it lives.
struct BodyGuard {
    explicit BodyGuard(std::atomic<int>& count) : m_count(count) { ++m_count; }
    ~BodyGuard() { --m_count; }
    std::atomic<int>& m_count;
};

// Sends body[offset, end) with the route's pace, stall and cut. False closes the connection.
bool sendPart(const Route& route, std::size_t offset, std::size_t end, httplib::DataSink& sink,
              const std::atomic<bool>& stopping, Clock::time_point started, std::int64_t& sentSinceStart) {
    while (offset < end) {
        if (stopping.load()) {
            return false;
        }
        if (route.closeAt && static_cast<std::int64_t>(offset) >= *route.closeAt) {
            return false;
        }
        if (route.stallAt && static_cast<std::int64_t>(offset) >= *route.stallAt) {
            // Hold the connection open, sending nothing, until the client leaves or we stop.
            while (!stopping.load() && sink.is_writable()) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
            return false;
        }
        std::size_t count = std::min(kWriteChunk, end - offset);
        if (route.closeAt) {
            count = std::min<std::size_t>(count, static_cast<std::size_t>(*route.closeAt) - offset);
        }
        if (route.stallAt) {
            count = std::min<std::size_t>(count, static_cast<std::size_t>(*route.stallAt) - offset);
        }
        if (route.bytesPerSecond > 0) {
            const auto due = started + std::chrono::microseconds(sentSinceStart * 1'000'000 / route.bytesPerSecond);
            std::this_thread::sleep_until(due);
        }
        if (!sink.write(reinterpret_cast<const char*>(route.body.data()) + offset, count)) {
            return false;
        }
        offset += count;
        sentSinceStart += static_cast<std::int64_t>(count);
    }
    return true;
}

}  // namespace

LoopbackHttpServer::LoopbackHttpServer() : m_server(std::make_unique<httplib::Server>()) {
    m_server->Get(R"(/.*)", [this](const httplib::Request& request, httplib::Response& response) {
        std::shared_ptr<const Route> route;
        {
            std::lock_guard lock(m_mutex);
            Log& log = m_logs[request.path];
            ++log.requests;
            if (request.has_header("Range")) {
                log.ranges.push_back(request.get_header_value("Range"));
            }
            if (const auto found = m_routes.find(request.path); found != m_routes.end()) {
                route = found->second;
            }
        }
        if (!route) {
            response.status = 404;
            response.set_content("<html><body>not found</body></html>", "text/html");
            return;
        }
        const auto started = Clock::now();
        if (route->status != 200 || route->body.empty()) {
            if (route->status != 200) {
                response.status = route->status;  // left unset, the library picks 200 or 206
            }
            response.set_content(reinterpret_cast<const char*>(route->body.data()), route->body.size(),
                                 route->contentType);
            return;
        }
        if (route->announceLength) {
            response.set_content_provider(route->body.size(), route->contentType,
                                          [this, route, started, sent = std::int64_t{0}](
                                              std::size_t offset, std::size_t length, httplib::DataSink& sink) mutable {
                                              BodyGuard guard(m_activeBodies);
                                              return sendPart(*route, offset, offset + length, sink, m_stopping,
                                                              started, sent);
                                          });
        } else {
            response.set_chunked_content_provider(
                route->contentType,
                [this, route, started, sent = std::int64_t{0}](std::size_t offset, httplib::DataSink& sink) mutable {
                    BodyGuard guard(m_activeBodies);
                    if (!sendPart(*route, offset, route->body.size(), sink, m_stopping, started, sent)) {
                        return false;
                    }
                    sink.done();
                    return true;
                });
        }
    });
    m_port = m_server->bind_to_any_port("127.0.0.1");
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    // A stop that comes before the listening loop runs is lost, and the destructor would
    // then wait for ever: a test that ends at once (a skip) must not meet that.
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!m_server->is_running() && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

LoopbackHttpServer::~LoopbackHttpServer() {
    m_stopping.store(true);
    m_server->stop();
    m_thread.join();
}

void LoopbackHttpServer::serve(const std::string& path, Route route) {
    std::lock_guard lock(m_mutex);
    m_routes[path] = std::make_shared<const Route>(std::move(route));
}

std::string LoopbackHttpServer::url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + std::string(path);
}

int LoopbackHttpServer::requestCount(const std::string& path) const {
    std::lock_guard lock(m_mutex);
    const auto found = m_logs.find(path);
    return found == m_logs.end() ? 0 : found->second.requests;
}

std::vector<std::string> LoopbackHttpServer::rangeHeaders(const std::string& path) const {
    std::lock_guard lock(m_mutex);
    const auto found = m_logs.find(path);
    return found == m_logs.end() ? std::vector<std::string>() : found->second.ranges;
}

}  // namespace vamu::test
