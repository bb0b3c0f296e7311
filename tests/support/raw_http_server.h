#pragma once
// A loopback HTTP server for tests that need to see and script the bytes on the wire.
// It binds 127.0.0.1 on a free port, records every request exactly as received and
// answers with whatever bytes the test's handler returns (or stays silent, or hangs up).
// Each connection runs on its own thread and may carry several requests in turn.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vamu::test {

class RawHttpServer {
public:
    enum class Action {
        Reply,   // send `bytes`, then read the next request on the connection
        Silent,  // send `bytes` (may be empty), then say nothing more until the client leaves
        Close,   // send `bytes` (may be empty), then close the connection
    };
    struct Response {
        Action action = Action::Reply;
        std::string bytes;
        // Non-zero: `bytes` go out one at a time with this pause after each (a trickling
        // server), until all are sent, the client leaves or the server stops.
        std::chrono::milliseconds byteInterval{0};
    };
    // Called on the connection's thread with the request's exact bytes and its index
    // (counted from 0 over the server's life).
    using Handler = std::function<Response(const std::string& request, std::size_t index)>;

    // An optional TLS context (an SSL_CTX*) makes it an HTTPS server.
    explicit RawHttpServer(Handler handler, void* tlsContext = nullptr);
    ~RawHttpServer();
    RawHttpServer(const RawHttpServer&) = delete;
    RawHttpServer& operator=(const RawHttpServer&) = delete;

    [[nodiscard]] std::uint16_t port() const { return m_port; }
    // "http://127.0.0.1:<port>" (or https) followed by `path`.
    [[nodiscard]] std::string url(std::string_view path) const;
    // "127.0.0.1:<port>"
    [[nodiscard]] std::string hostAndPort() const;

    // The requests received so far, in the order they completed.
    [[nodiscard]] std::vector<std::string> requests() const;
    [[nodiscard]] std::size_t connectionCount() const;
    // Waits until `count` connections have been accepted; false at the deadline.
    bool waitForConnections(std::size_t count, std::chrono::milliseconds deadline) const;

    // A complete response: status line, `headerLines` (each ended by CR LF), a
    // Content-Length for `body`, the empty line and the body.
    [[nodiscard]] static std::string response(int status, std::string_view headerLines, std::string_view body);
    // That response as a Reply action.
    [[nodiscard]] static Response reply(std::string_view body, std::string_view headerLines = "", int status = 200);

private:
    void acceptLoop();
    void serve(int fd);

    Handler m_handler;
    void* m_tls = nullptr;
    int m_listenFd = -1;
    std::uint16_t m_port = 0;
    std::thread m_acceptThread;

    mutable std::mutex m_mutex;  // guards everything below
    mutable std::condition_variable m_changed;
    std::vector<std::string> m_requests;
    std::size_t m_connections = 0;
    bool m_stopping = false;
    std::vector<int> m_openFds;  // accepted sockets not yet closed
    std::vector<std::thread> m_connectionThreads;
};

// A loopback port on which nothing listens: the socket is bound (so no one else gets
// the port meanwhile) but never listens, so every connection attempt is refused.
class RefusingPort {
public:
    RefusingPort();
    ~RefusingPort();
    RefusingPort(const RefusingPort&) = delete;
    RefusingPort& operator=(const RefusingPort&) = delete;
    [[nodiscard]] std::uint16_t port() const { return m_port; }

private:
    int m_fd = -1;
    std::uint16_t m_port = 0;
};

}  // namespace vamu::test
