#include "http_server.h"

#include "http_connections.h"
#include "json_replies.h"
#include "service_log.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <regex>

namespace vamu::service {
namespace {

constexpr std::string_view kProxyErrorPage =
    "<!DOCTYPE html>\n<html><head><title>502 Bad Gateway</title></head>\n"
    "<body><h1>502 Bad Gateway</h1><p>The upstream server did not answer in time.</p><hr><p>proxy</p></body></html>\n";

std::string_view reasonPhrase(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 413:
        return "Payload Too Large";
    case 414:
        return "URI Too Long";
    case 416:
        return "Range Not Satisfiable";
    case 500:
        return "Internal Server Error";
    case 502:
        return "Bad Gateway";
    case 503:
        return "Service Unavailable";
    case 504:
        return "Gateway Timeout";
    default:
        return status < 400 ? "OK" : "Error";
    }
}

std::string escapeForRegex(std::string_view path) {
    static const std::string kSpecial = R"(\^$.|?*+()[]{})";
    std::string escaped;
    for (const char c : path) {
        if (kSpecial.find(c) != std::string::npos) escaped.push_back('\\');
        escaped.push_back(c);
    }
    return escaped;
}

// Writes `count` bytes at `offset` of an oversized reply: valid JSON when read whole,
// so only its size makes it a fault.
void writeOversized(std::int64_t offset, std::int64_t count, std::int64_t total, std::string& out) {
    static constexpr std::string_view kHead = R"({"state":1,"result":{"padding":")";
    static constexpr std::string_view kTail = R"("}})";
    const auto headSize = static_cast<std::int64_t>(kHead.size());
    const auto tailSize = static_cast<std::int64_t>(kTail.size());
    const bool framed = total >= headSize + tailSize;
    out.clear();
    for (std::int64_t i = offset; i < offset + count; ++i) {
        if (framed && i < headSize) {
            out.push_back(kHead[static_cast<std::size_t>(i)]);
        } else if (framed && i >= total - tailSize) {
            out.push_back(kTail[static_cast<std::size_t>(i - (total - tailSize))]);
        } else {
            out.push_back(framed ? 'x' : ' ');
        }
    }
}

std::string addressText(const sockaddr_storage& address) {
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
        inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in&>(address).sin_addr, text, sizeof text);
    } else if (address.ss_family == AF_INET6) {
        inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6&>(address).sin6_addr, text, sizeof text);
    }
    return text;
}

int portOf(const sockaddr_storage& address) {
    if (address.ss_family == AF_INET) return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    if (address.ss_family == AF_INET6) return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    return -1;
}

// Calls `visit` with every connected socket of this process and its two ends; stops
// when `visit` answers true.
template <class Visit>
void forEachConnectedSocket(Visit&& visit) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", ec)) {
        const auto name = entry.path().filename().string();
        int fd = -1;
        if (std::from_chars(name.data(), name.data() + name.size(), fd).ec != std::errc()) continue;
        sockaddr_storage peer{};
        sockaddr_storage local{};
        socklen_t peerSize = sizeof peer;
        socklen_t localSize = sizeof local;
        if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerSize) != 0 ||
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localSize) != 0) {
            continue;
        }
        if (visit(fd, local, peer)) return;
    }
}

constexpr auto kReadTimeout = std::chrono::seconds(30);
// A paused player stops reading its stream for a while; a short write time-out would cut it off.
constexpr auto kWriteTimeout = std::chrono::seconds(120);
constexpr int kRequestsPerConnection = 1000;

bool waitFor(int fd, short events, std::chrono::milliseconds timeout) {
    pollfd polled{fd, events, 0};
    for (;;) {
        const int ready = ::poll(&polled, 1, static_cast<int>(timeout.count()));
        if (ready >= 0 || errno != EINTR) return ready > 0;
    }
}

// The library's view of one connection: the bytes the gate has read first, then the socket.
class ConnectionStream final : public httplib::Stream {
public:
    explicit ConnectionStream(Connection& connection) : m_connection(connection) {}

    bool is_readable() const override { return m_connection.inRequest() || waitToRead(); }
    bool is_writable() const override { return waitFor(m_connection.fd, POLLOUT, kWriteTimeout); }
    ssize_t read(char* ptr, size_t size) override {
        if (m_connection.inRequest()) {
            const auto count = std::min(size, m_connection.pending.size() - m_connection.consumed);
            std::memcpy(ptr, m_connection.pending.data() + m_connection.consumed, count);
            m_connection.consumed += count;
            return static_cast<ssize_t>(count);
        }
        if (!waitToRead()) return -1;
        for (;;) {
            const auto got = ::recv(m_connection.fd, ptr, size, 0);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) m_connection.readFailed = true;
            return got;
        }
    }
    ssize_t write(const char* ptr, size_t size) override {
        if (!waitFor(m_connection.fd, POLLOUT, kWriteTimeout)) return -1;
        for (;;) {
            const auto sent = ::send(m_connection.fd, ptr, size, MSG_NOSIGNAL);
            if (sent >= 0 || errno != EINTR) return sent;
        }
    }
    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        ip = m_connection.peerAddress;
        port = m_connection.peerPort;
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override {
        ip = m_connection.localAddress;
        port = m_connection.localPort;
    }
    socket_t socket() const override { return m_connection.fd; }

private:
    // Each read waits at most kReadTimeout, and none past the request's deadline: a body
    // trickled a byte at a time would otherwise hold a worker for as long as it likes.
    bool waitToRead() const {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(m_connection.readDeadline -
                                                                                 Connection::Clock::now());
        const bool ready =
            left.count() > 0 && waitFor(m_connection.fd, POLLIN, std::min<std::chrono::milliseconds>(left, kReadTimeout));
        if (!ready) m_connection.readFailed = true;
        return ready;
    }

    Connection& m_connection;
};

// The listening thread only hands each accepted socket to the gate.
class AdmitAtOnce final : public httplib::TaskQueue {
public:
    void enqueue(std::function<void()> task) override { task(); }
    void shutdown() override {}
};

}  // namespace

// The library's server with its connection handling replaced: the library reads each
// connection through a fresh buffer per request (a request pipelined behind another is
// lost) and holds a thread while a client sends its head byte by byte. Requests,
// routing and replies stay the library's.
class GatedServer final : public httplib::Server {
public:
    explicit GatedServer(ConnectionLimits limits)
        : m_gate(std::move(limits), [this](Connection& connection, bool last) {
              ConnectionStream stream(connection);
              bool closed = false;
              const bool ok = process_request(stream, last, closed, nullptr);
              return ok && !closed;
          }) {
        new_task_queue = [] { return new AdmitAtOnce; };
    }
    ~GatedServer() override { m_gate.stop(); }

    ConnectionGate& gate() { return m_gate; }
    // The library listens with a backlog of 5: a burst of connections (a page of covers)
    // overflows it, and each connection past it waits a second for its SYN to be sent again.
    void widenBacklog() { ::listen(svr_sock_, SOMAXCONN); }

private:
    bool process_and_close_socket(socket_t sock) override {
        m_gate.admit(sock);
        return true;
    }

    ConnectionGate m_gate;
};

HttpServer::HttpServer(HttpServerOptions options, FaultTable& faults, StopSignal& stop)
    : m_options(std::move(options)),
      m_faults(faults),
      m_stop(stop),
      m_server(std::make_unique<GatedServer>(ConnectionLimits{.workers = std::max(1, m_options.threads),
                                                              .request = m_options.requestTime,
                                                              .requestsPerConnection = kRequestsPerConnection})) {
    // Without SO_REUSEPORT, a second service on a port in use fails instead of sharing it.
    m_server->set_socket_options([](socket_t sock) {
        const int yes = 1;
        ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    // The library writes a reply's head and body separately; with Nagle's algorithm the body
    // waits for the client's delayed ACK (40 ms) on every kept-alive request.
    m_server->set_tcp_nodelay(true);
    // The connections' own time-outs are ConnectionStream's and the gate's; these set what
    // the library writes into replies and the socket options of accepted connections.
    m_server->set_read_timeout(kReadTimeout);
    m_server->set_write_timeout(kWriteTimeout);
    m_server->set_keep_alive_max_count(kRequestsPerConnection);
    m_server->set_keep_alive_timeout(std::chrono::duration_cast<std::chrono::seconds>(ConnectionLimits{}.idle).count());
    m_server->set_payload_max_length(static_cast<std::size_t>(RequestHeadLimits{}.maxBodyBytes));
    m_server->set_exception_handler([](const Request& request, Response& response, std::exception_ptr error) {
        std::string what = "unknown error";
        try {
            if (error) std::rethrow_exception(error);
        } catch (const std::exception& e) {
            what = e.what();
        } catch (...) {}
        logLine("error in " + request.method + " " + request.path + ": " + what);
        response.status = 500;
        response.set_content("500 Internal Server Error\n", "text/plain; charset=utf-8");
    });
    m_server->set_error_handler([](const Request&, Response& response) {
        if (response.body.empty() && response.status >= 400) {
            response.set_content(
                std::to_string(response.status) + " " + std::string(reasonPhrase(response.status)) + "\n",
                "text/plain; charset=utf-8");
        }
    });
    if (m_options.logRequests) {
        m_server->set_logger([name = m_options.name](const Request& request, const Response& response) {
            logLine(name + " " + request.method + " " + request.target + " -> " + std::to_string(response.status));
        });
    }
}

HttpServer::~HttpServer() { stop(); }

void HttpServer::route(Method method, std::string_view path, Handler handler, Faults faults, FaultKeys keys) {
    auto wrapped = [this, handler = std::move(handler), faults, keys = std::move(keys)](
                       const Request& request, Response& response) { serve(handler, faults, keys, request, response); };
    if (method == Method::Get) {
        m_server->Get(escapeForRegex(path), std::move(wrapped));
    } else {
        m_server->Post(escapeForRegex(path), std::move(wrapped));
    }
}

void HttpServer::routePattern(Method method, const std::string& pattern, Handler handler, FaultKeys keys) {
    auto wrapped = [this, handler = std::move(handler), keys = std::move(keys)](const Request& request,
                                                                                Response& response) {
        serve(handler, Faults::Apply, keys, request, response);
    };
    if (method == Method::Get) {
        m_server->Get(pattern, std::move(wrapped));
    } else {
        m_server->Post(pattern, std::move(wrapped));
    }
}

void HttpServer::serve(const Handler& handler, Faults faults, const FaultKeys& keys, const Request& request,
                       Response& response) {
    std::optional<Fault> fault;
    if (faults == Faults::Apply) {
        const auto requestKeys = keys ? keys(request) : std::vector<std::string>{request.path};
        fault = m_faults.take(requestKeys);
    }
    if (fault) {
        injectFault(*fault, handler, request, response);
    } else {
        handler(request, response);
    }
}

void HttpServer::injectFault(const Fault& fault, const Handler& handler, const Request& request, Response& response) {
    switch (fault.kind) {
    case FaultKind::HtmlPage:
        response.status = 502;
        response.set_content(std::string(kProxyErrorPage), "text/html; charset=utf-8");
        return;
    case FaultKind::BrokenJson:
        // Replies with a body are cut in half; streamed songs have stream rules instead.
        handler(request, response);
        response.body.resize(response.body.size() / 2);
        return;
    case FaultKind::EmptyBody:
        response.status = 200;
        response.set_content("", "application/json; charset=utf-8");
        return;
    case FaultKind::Drop:
        dropConnection(request);
        return;
    case FaultKind::Oversized: {
        const auto total = fault.argument;
        response.set_content_provider(
            static_cast<std::size_t>(total), "application/json; charset=utf-8",
            [this, total](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                if (m_stop.stopped()) return false;
                std::string chunk;
                writeOversized(static_cast<std::int64_t>(offset),
                               static_cast<std::int64_t>(std::min<std::size_t>(length, 64 * 1024)), total, chunk);
                return sink.write(chunk.data(), chunk.size());
            });
        return;
    }
    case FaultKind::Delay:
        if (!m_stop.waitFor(std::chrono::milliseconds(fault.argument))) {
            dropConnection(request);
            return;
        }
        handler(request, response);
        return;
    case FaultKind::StateText:
    case FaultKind::StateMissing:
        handler(request, response);
        if (auto changed =
                withStateAs(response.body, fault.kind == FaultKind::StateText ? StateForm::Text : StateForm::Missing)) {
            response.body = std::move(*changed);
        }
        return;
    case FaultKind::NoSources:
        handler(request, response);
        if (auto changed = withoutSources(response.body)) response.body = std::move(*changed);
        return;
    case FaultKind::Status:
        response.status = static_cast<int>(fault.argument);
        response.set_content(std::to_string(fault.argument) + " " + std::string(reasonPhrase(response.status)) + "\n",
                             "text/plain; charset=utf-8");
        return;
    }
}

bool HttpServer::bind(const std::string& address, int port, std::string& error) {
    if (port == 0) {
        m_port = m_server->bind_to_any_port(address);
    } else if (m_server->bind_to_port(address, port)) {
        m_port = port;
    } else {
        m_port = -1;
    }
    if (m_port <= 0) {
        error =
            "cannot listen on " + address + ":" + std::to_string(port) + " (in use, or not an address of this host)";
        return false;
    }
    m_server->widenBacklog();
    return true;
}

void HttpServer::start() {
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
}

void HttpServer::stop() {
    if (!m_thread.joinable()) return;
    m_server->stop();
    // The server's threads finish a connection only when its client goes quiet for the
    // keep-alive time, or later while a slow client holds a reply; ending the
    // connections lets them go now.
    const int port = m_port;
    forEachConnectedSocket([port](int fd, const sockaddr_storage& local, const sockaddr_storage&) {
        if (portOf(local) == port) ::shutdown(fd, SHUT_RDWR);
        return false;
    });
    m_thread.join();
    m_server->gate().stop();
}

int connectionSocket(const Request& request) {
    int found = -1;
    forEachConnectedSocket([&](int fd, const sockaddr_storage& local, const sockaddr_storage& peer) {
        if (portOf(peer) == request.remote_port && portOf(local) == request.local_port &&
            addressText(peer) == request.remote_addr) {
            found = fd;
        }
        return found >= 0;
    });
    return found;
}

void dropConnection(const Request& request) {
    if (const int fd = connectionSocket(request); fd >= 0) ::shutdown(fd, SHUT_RDWR);
}

bool peerHasClosed(int socket) {
    char byte = 0;
    const auto received = ::recv(socket, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    return received == 0 || (received < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
}

}  // namespace vamu::service
