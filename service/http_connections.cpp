#include "http_connections.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace vamu::service {
namespace {

using Clock = Connection::Clock;

constexpr std::size_t kReceiveBytes = 64 * 1024;
constexpr auto kDrainTime = std::chrono::seconds(2);

void addressOf(const sockaddr_storage& address, std::string& text, int& port) {
    char buffer[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
        inet_ntop(AF_INET, &v4.sin_addr, buffer, sizeof buffer);
        port = ntohs(v4.sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
        inet_ntop(AF_INET6, &v6.sin6_addr, buffer, sizeof buffer);
        port = ntohs(v6.sin6_port);
    }
    text = buffer;
}

std::string_view reasonOf(int status) {
    switch (status) {
    case 400:
        return "Bad Request";
    case 408:
        return "Request Timeout";
    case 413:
        return "Payload Too Large";
    case 431:
        return "Request Header Fields Too Large";
    default:
        return "Error";
    }
}

// Best effort, without blocking: the reply is far smaller than any socket buffer.
void sendErrorReply(int fd, int status) {
    const std::string body = std::to_string(status) + " " + std::string(reasonOf(status)) + "\n";
    const std::string reply =
        "HTTP/1.1 " + std::to_string(status) + " " + std::string(reasonOf(status)) +
        "\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " + std::to_string(body.size()) +
        "\r\nConnection: close\r\n\r\n" + body;
    (void)::send(fd, reply.data(), reply.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
}

void closeConnection(Connection& connection) {
    if (connection.fd >= 0) ::close(connection.fd);
    connection.fd = -1;
}

}  // namespace

ConnectionGate::ConnectionGate(ConnectionLimits limits, Serve serve)
    : m_limits(std::move(limits)), m_serve(std::move(serve)), m_wakeFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    m_waiter = std::thread([this] { waitLoop(); });
    for (int i = 0; i < std::max(1, m_limits.workers); ++i) m_workers.emplace_back([this] { workLoop(); });
}

ConnectionGate::~ConnectionGate() {
    stop();
    if (m_wakeFd >= 0) ::close(m_wakeFd);
}

void ConnectionGate::admit(int fd) {
    auto connection = std::make_unique<Connection>();
    connection->fd = fd;
    sockaddr_storage address{};
    socklen_t size = sizeof address;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
        addressOf(address, connection->peerAddress, connection->peerPort);
    }
    size = sizeof address;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
        addressOf(address, connection->localAddress, connection->localPort);
    }
    // The first request has the head's time from the connection on.
    connection->requestStart = Clock::now();
    connection->deadline = connection->requestStart + m_limits.head;
    std::lock_guard lock(m_mutex);
    if (m_stopping) return closeConnection(*connection);
    m_arriving.push_back(std::move(connection));
    wake();
}

void ConnectionGate::stop() {
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping) return;
        m_stopping = true;
        wake();
    }
    m_workAvailable.notify_all();
    if (m_waiter.joinable()) m_waiter.join();
    for (auto& worker : m_workers) worker.join();
    for (auto& connection : m_ready) closeConnection(*connection);
    for (auto& connection : m_arriving) closeConnection(*connection);
    m_ready.clear();
    m_arriving.clear();
}

void ConnectionGate::wake() {
    const std::uint64_t one = 1;
    (void)!::write(m_wakeFd, &one, sizeof one);
}

ConnectionGate::Assessment ConnectionGate::assess(Connection& connection) const {
    if (connection.headBytes == 0) {
        const std::string_view rest = std::string_view(connection.pending).substr(connection.consumed);
        const auto length = requestHeadLength(rest);
        if (length == std::string_view::npos) {
            return {rest.size() > m_limits.heads.maxHeadBytes ? Step::Refuse : Step::Wait, 431};
        }
        if (length > m_limits.heads.maxHeadBytes) return {Step::Refuse, 431};
        auto head = checkRequestHead(rest.substr(0, length), m_limits.heads);
        if (head.refusal != 0) return {Step::Refuse, head.refusal};
        connection.pending.replace(connection.consumed, length, head.head);
        connection.headBytes = head.head.size();
        connection.bodyBytes = head.bodyBytes;
        connection.bodyStreamed = head.bodyStreamed;
    }
    const auto have = connection.pending.size() - connection.consumed;
    const bool whole = have >= connection.headBytes + static_cast<std::size_t>(connection.bodyBytes);
    return {connection.bodyStreamed || whole ? Step::Serve : Step::Wait, 0};
}

void ConnectionGate::refuse(Connection& connection, int status) const {
    sendErrorReply(connection.fd, status);
    // Closing with unread bytes would reset the connection and could destroy the reply
    // before the client reads it, so what still comes is read and dropped for a while.
    ::shutdown(connection.fd, SHUT_WR);
    connection.closing = true;
    connection.pending.clear();
    connection.consumed = 0;
    connection.deadline = Clock::now() + kDrainTime;
}

void ConnectionGate::handBack(std::unique_ptr<Connection> connection) {
    if (!connection->closing) {
        connection->pending.erase(0, connection->consumed);
        connection->consumed = 0;
        const auto now = Clock::now();
        if (connection->inRequest()) {
            connection->requestStart = now;
            connection->deadline = now + (connection->headBytes ? m_limits.request : m_limits.head);
        } else {
            connection->deadline = now + m_limits.idle;
        }
    }
    std::lock_guard lock(m_mutex);
    if (m_stopping) return closeConnection(*connection);
    m_arriving.push_back(std::move(connection));
    wake();
}

void ConnectionGate::dispatch(std::unique_ptr<Connection> connection) {
    {
        std::lock_guard lock(m_mutex);
        m_ready.push_back(std::move(connection));
    }
    m_workAvailable.notify_one();
}

void ConnectionGate::addWaiting(std::unique_ptr<Connection> connection) {
    auto& count = m_waitingPerPeer[connection->peerAddress];
    if (++count > m_limits.waitingPerPeer) {
        const auto oldest = std::find_if(m_waiting.begin(), m_waiting.end(), [&](const auto& waiting) {
            return waiting->peerAddress == connection->peerAddress;
        });
        if (auto it = oldest; it != m_waiting.end()) closeConnection(*takeWaiting(it));
    }
    m_waiting.push_back(std::move(connection));
}

std::unique_ptr<Connection> ConnectionGate::takeWaiting(std::list<std::unique_ptr<Connection>>::iterator& it) {
    if (const auto count = m_waitingPerPeer.find((*it)->peerAddress);
        count != m_waitingPerPeer.end() && --count->second <= 0) {
        m_waitingPerPeer.erase(count);
    }
    auto taken = std::move(*it);
    it = m_waiting.erase(it);
    return taken;
}

void ConnectionGate::waitLoop() {
    std::vector<pollfd> polled;
    std::vector<Connection*> order;
    std::vector<char> buffer(kReceiveBytes);
    for (;;) {
        {
            std::lock_guard lock(m_mutex);
            if (m_stopping) break;
            for (auto& connection : m_arriving) addWaiting(std::move(connection));
            m_arriving.clear();
        }
        auto now = Clock::now();
        polled.assign(1, pollfd{m_wakeFd, POLLIN, 0});
        auto next = Clock::time_point::max();
        for (const auto& connection : m_waiting) {
            polled.push_back({connection->fd, POLLIN, 0});
            next = std::min(next, connection->deadline);
        }
        int timeout = -1;
        if (next != Clock::time_point::max()) {
            timeout = static_cast<int>(
                std::clamp<std::int64_t>(std::chrono::ceil<std::chrono::milliseconds>(next - now).count(), 0, 60'000));
        }
        if (::poll(polled.data(), polled.size(), timeout) < 0 && errno != EINTR) break;
        if (polled[0].revents) {
            std::uint64_t count = 0;
            (void)!::read(m_wakeFd, &count, sizeof count);
        }
        now = Clock::now();
        std::size_t index = 1;
        for (auto it = m_waiting.begin(); it != m_waiting.end(); ++index) {
            Connection& connection = **it;
            // The list has not changed since it was polled, in this order.
            const short events = polled[index].revents;
            bool gone = false;
            if (events) {
                const auto got = ::recv(connection.fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
                if (got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
                    gone = true;
                } else if (got > 0 && !connection.closing) {
                    // A first request's time runs from the connection on; later ones from their first byte.
                    if (!connection.inRequest() && connection.served > 0) {
                        connection.requestStart = now;
                        connection.deadline = now + m_limits.head;
                    }
                    connection.pending.append(buffer.data(), static_cast<std::size_t>(got));
                    const bool headKnown = connection.headBytes != 0;
                    const auto assessment = assess(connection);
                    if (assessment.step == Step::Serve) {
                        dispatch(takeWaiting(it));
                        continue;
                    }
                    if (assessment.step == Step::Refuse) {
                        refuse(connection, assessment.status);
                    } else if (!headKnown && connection.headBytes != 0) {
                        connection.deadline = connection.requestStart + m_limits.request;
                    }
                }
            }
            if (!gone && now >= connection.deadline) {
                // A request begun and not finished in time is told so; an idle one just ends.
                if (connection.inRequest() && !connection.closing) sendErrorReply(connection.fd, 408);
                gone = true;
            }
            if (gone) {
                closeConnection(*takeWaiting(it));
            } else {
                ++it;
            }
        }
    }
    for (auto& connection : m_waiting) closeConnection(*connection);
    m_waiting.clear();
    m_waitingPerPeer.clear();
}

void ConnectionGate::workLoop() {
    for (;;) {
        std::unique_ptr<Connection> connection;
        {
            std::unique_lock lock(m_mutex);
            m_workAvailable.wait(lock, [this] { return m_stopping || !m_ready.empty(); });
            if (m_ready.empty()) return;
            connection = std::move(m_ready.front());
            m_ready.pop_front();
        }
        serveConnection(std::move(connection));
    }
}

void ConnectionGate::serveConnection(std::unique_ptr<Connection> connection) {
    for (;;) {
        {
            std::lock_guard lock(m_mutex);
            if (m_stopping) return closeConnection(*connection);
        }
        const auto assessment = assess(*connection);
        if (assessment.step == Step::Wait) return handBack(std::move(connection));
        if (assessment.step == Step::Refuse) {
            refuse(*connection, assessment.status);
            return handBack(std::move(connection));
        }
        const auto start = connection->consumed;
        const auto framed = connection->bodyStreamed
                                ? std::size_t{0}
                                : connection->headBytes + static_cast<std::size_t>(connection->bodyBytes);
        const bool last = ++connection->served >= m_limits.requestsPerConnection;
        connection->readDeadline =
            connection->bodyStreamed ? Connection::Clock::now() + m_limits.request : Connection::Clock::time_point::max();
        connection->readFailed = false;
        bool keep = false;
        try {
            keep = m_serve(*connection, last);
        } catch (...) {
            keep = false;
        }
        // A streamed body cut off (at its deadline, say) leaves the rest of it unread on the socket.
        const bool cutOff = connection->bodyStreamed && connection->readFailed;
        if (!keep || last || cutOff) return closeConnection(*connection);
        // A body the library left unread (a GET that carried one) is no next request.
        connection->consumed = std::max(connection->consumed, std::min(start + framed, connection->pending.size()));
        connection->headBytes = 0;
        connection->bodyBytes = 0;
        connection->bodyStreamed = false;
    }
}

}  // namespace vamu::service
