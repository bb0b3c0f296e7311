#include "support/raw_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <stdexcept>

namespace vamu::test {
namespace {

// Every wait in the server is a blocking call; the destructor ends them by shutting the
// sockets down, which makes accept() fail and reads return end of stream.

int boundLoopbackSocket(std::uint16_t& port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        throw std::runtime_error("socket failed");
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(fd);
        throw std::runtime_error("bind failed");
    }
    port = ntohs(address.sin_port);
    return fd;
}

// One accepted connection, plain or TLS.
class Channel {
public:
    Channel(int fd, SSL_CTX* tls) : m_fd(fd) {
        if (tls != nullptr) {
            m_ssl = SSL_new(tls);
            SSL_set_fd(m_ssl, fd);
            m_open = SSL_accept(m_ssl) == 1;
        }
    }
    ~Channel() {
        if (m_ssl != nullptr) {
            if (m_open) {
                SSL_shutdown(m_ssl);
            }
            SSL_free(m_ssl);
        }
    }
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    [[nodiscard]] bool open() const { return m_open; }

    // Bytes read, 0 at end of stream or on an error.
    std::size_t read(char* buffer, std::size_t size) {
        if (m_ssl != nullptr) {
            const int n = SSL_read(m_ssl, buffer, static_cast<int>(size));
            return n > 0 ? static_cast<std::size_t>(n) : 0;
        }
        const ssize_t n = recv(m_fd, buffer, size, 0);
        return n > 0 ? static_cast<std::size_t>(n) : 0;
    }

    // False when the peer is gone before every byte went out.
    bool write(std::string_view bytes) {
        while (!bytes.empty()) {
            const long n = m_ssl != nullptr ? SSL_write(m_ssl, bytes.data(), static_cast<int>(bytes.size()))
                                            : send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (n <= 0) {
                return false;
            }
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
        return true;
    }

private:
    int m_fd = -1;
    SSL* m_ssl = nullptr;
    bool m_open = true;
};

// Length of the first complete request in `buffer` (head plus a Content-Length body),
// 0 while it is incomplete.
std::size_t completeRequestLength(const std::string& buffer) {
    const auto headEnd = buffer.find("\r\n\r\n");
    if (headEnd == std::string::npos) {
        return 0;
    }
    std::string head = buffer.substr(0, headEnd + 2);
    std::transform(head.begin(), head.end(), head.begin(), [](unsigned char c) { return std::tolower(c); });
    std::size_t contentLength = 0;
    if (const auto at = head.find("\r\ncontent-length:"); at != std::string::npos) {
        contentLength = std::stoul(head.substr(at + 17));
    }
    const std::size_t total = headEnd + 4 + contentLength;
    return buffer.size() >= total ? total : 0;
}

const char* reasonPhrase(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 303:
        return "See Other";
    case 307:
        return "Temporary Redirect";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

}  // namespace

RawHttpServer::RawHttpServer(Handler handler, void* tlsContext) : m_handler(std::move(handler)), m_tls(tlsContext) {
    // A client that hangs up while a TLS reply is written must not kill the test process.
    std::signal(SIGPIPE, SIG_IGN);
    m_listenFd = boundLoopbackSocket(m_port);
    if (listen(m_listenFd, 64) != 0) {
        close(m_listenFd);
        throw std::runtime_error("listen failed");
    }
    m_acceptThread = std::thread([this] { acceptLoop(); });
}

RawHttpServer::~RawHttpServer() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    shutdown(m_listenFd, SHUT_RDWR);
    m_acceptThread.join();
    std::vector<std::thread> threads;
    {
        std::lock_guard lock(m_mutex);
        for (const int fd : m_openFds) {
            shutdown(fd, SHUT_RDWR);
        }
        threads.swap(m_connectionThreads);
    }
    for (auto& thread : threads) {
        thread.join();
    }
    close(m_listenFd);
}

std::string RawHttpServer::url(std::string_view path) const {
    return std::string(m_tls != nullptr ? "https://" : "http://") + hostAndPort() + std::string(path);
}

std::string RawHttpServer::hostAndPort() const { return "127.0.0.1:" + std::to_string(m_port); }

std::vector<std::string> RawHttpServer::requests() const {
    std::lock_guard lock(m_mutex);
    return m_requests;
}

std::size_t RawHttpServer::connectionCount() const {
    std::lock_guard lock(m_mutex);
    return m_connections;
}

bool RawHttpServer::waitForConnections(std::size_t count, std::chrono::milliseconds deadline) const {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, deadline, [&] { return m_connections >= count; });
}

std::string RawHttpServer::response(int status, std::string_view headerLines, std::string_view body) {
    std::string out = "HTTP/1.1 " + std::to_string(status) + " " + reasonPhrase(status) + "\r\n";
    out += headerLines;
    out += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    out += body;
    return out;
}

RawHttpServer::Response RawHttpServer::reply(std::string_view body, std::string_view headerLines, int status) {
    return {Action::Reply, response(status, headerLines, body)};
}

void RawHttpServer::acceptLoop() {
    for (;;) {
        const int fd = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        std::lock_guard lock(m_mutex);
        if (fd < 0 || m_stopping) {
            if (fd >= 0) {
                close(fd);
            }
            if (m_stopping) {
                return;
            }
            continue;
        }
        ++m_connections;
        m_openFds.push_back(fd);
        m_connectionThreads.emplace_back([this, fd] { serve(fd); });
        m_changed.notify_all();
    }
}

void RawHttpServer::serve(int fd) {
    {
        Channel channel(fd, static_cast<SSL_CTX*>(m_tls));
        std::string buffer;
        char chunk[16384];
        bool open = channel.open();
        while (open) {
            std::size_t length = completeRequestLength(buffer);
            while (length == 0) {
                const std::size_t n = channel.read(chunk, sizeof chunk);
                if (n == 0) {
                    break;
                }
                buffer.append(chunk, n);
                length = completeRequestLength(buffer);
            }
            if (length == 0) {
                break;  // the client left (or the server stops)
            }
            const std::string request = buffer.substr(0, length);
            buffer.erase(0, length);
            std::size_t index = 0;
            {
                std::lock_guard lock(m_mutex);
                index = m_requests.size();
                m_requests.push_back(request);
                m_changed.notify_all();
            }
            const Response answer = m_handler(request, index);
            if (answer.byteInterval.count() > 0) {
                for (std::size_t i = 0; i < answer.bytes.size(); ++i) {
                    if (!channel.write(std::string_view(answer.bytes).substr(i, 1))) {
                        break;
                    }
                    std::this_thread::sleep_for(answer.byteInterval);
                    std::lock_guard lock(m_mutex);
                    if (m_stopping) {
                        break;
                    }
                }
            } else {
                channel.write(answer.bytes);
            }
            if (answer.action == Action::Close) {
                open = false;
            } else if (answer.action == Action::Silent) {
                while (channel.read(chunk, sizeof chunk) > 0) {}
                open = false;
            }
        }
    }
    std::lock_guard lock(m_mutex);
    m_openFds.erase(std::remove(m_openFds.begin(), m_openFds.end(), fd), m_openFds.end());
    close(fd);
}

RefusingPort::RefusingPort() { m_fd = boundLoopbackSocket(m_port); }

RefusingPort::~RefusingPort() { close(m_fd); }

}  // namespace vamu::test
