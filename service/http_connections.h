#pragma once
// The connections of one HTTP server. One thread waits for the requests of every open
// connection, so a client that sends slowly holds no worker; a worker takes a connection
// only once a whole request is there (a streamed body aside), serves it and any request
// already behind it, and hands the connection back for the next one.

#include "request_head.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace vamu::service {

struct ConnectionLimits {
    int workers = 64;
    // Connections of one peer address waiting for a request; past it the oldest goes.
    // The program holds about 8 at once.
    int waitingPerPeer = 32;
    std::chrono::milliseconds head{10'000};     // first byte of a request to the end of its head
    std::chrono::milliseconds request{30'000};  // first byte of a request to the end of its body
    std::chrono::milliseconds idle{5'000};      // a kept-alive connection between requests
    int requestsPerConnection = 1000;
    RequestHeadLimits heads;
};

// One client connection; owned by one thread at a time.
struct Connection {
    using Clock = std::chrono::steady_clock;

    int fd = -1;
    std::string peerAddress;
    int peerPort = 0;
    std::string localAddress;
    int localPort = 0;
    std::string pending;  // received; bytes before `consumed` are read already
    std::size_t consumed = 0;
    std::size_t headBytes = 0;  // of the checked head at `consumed`; 0 before it is checked
    std::int64_t bodyBytes = 0;
    bool bodyStreamed = false;
    int served = 0;
    // While waiting: when the current request began, when the wait ends, and whether the
    // connection only drains what the client still sends after a refusal.
    Clock::time_point requestStart;
    Clock::time_point deadline;
    bool closing = false;
    // While served: reading from the socket ends here (a streamed body is read then).
    Clock::time_point readDeadline = Clock::time_point::max();
    bool readFailed = false;  // a read from the socket timed out or failed while served

    [[nodiscard]] bool inRequest() const { return consumed < pending.size(); }
};

class ConnectionGate {
public:
    // Serves the request at the connection's `consumed` offset, reading through it;
    // `last` says no further request follows on this connection. False closes it.
    using Serve = std::function<bool(Connection& connection, bool last)>;

    ConnectionGate(ConnectionLimits limits, Serve serve);
    ~ConnectionGate();
    ConnectionGate(const ConnectionGate&) = delete;
    ConnectionGate& operator=(const ConnectionGate&) = delete;

    // Takes over an accepted socket.
    void admit(int fd);
    // Closes every connection not being served and ends the threads once the served ones
    // end (the caller shuts their sockets down to hurry them).
    void stop();

private:
    enum class Step { Wait, Serve, Refuse };
    struct Assessment {
        Step step = Step::Wait;
        int status = 0;
    };

    void waitLoop();
    void workLoop();
    void serveConnection(std::unique_ptr<Connection> connection);
    // Looks at the request at `consumed`: checks its head once it is there, then waits
    // for its body.
    Assessment assess(Connection& connection) const;
    // To the waiting thread, with the deadline its state calls for.
    void handBack(std::unique_ptr<Connection> connection);
    void dispatch(std::unique_ptr<Connection> connection);
    // Sends a short error reply and lets the connection drain until the client closes.
    void refuse(Connection& connection, int status) const;
    void wake();

    // Waiting-thread state.
    void addWaiting(std::unique_ptr<Connection> connection);
    // Out of the waiting list; `it` moves on to the next entry.
    std::unique_ptr<Connection> takeWaiting(std::list<std::unique_ptr<Connection>>::iterator& it);
    std::list<std::unique_ptr<Connection>> m_waiting;  // oldest first
    std::unordered_map<std::string, int> m_waitingPerPeer;

    const ConnectionLimits m_limits;
    const Serve m_serve;
    int m_wakeFd = -1;
    std::mutex m_mutex;
    std::condition_variable m_workAvailable;
    std::deque<std::unique_ptr<Connection>> m_ready;      // for the workers
    std::vector<std::unique_ptr<Connection>> m_arriving;  // for the waiting thread
    bool m_stopping = false;
    std::thread m_waiter;
    std::vector<std::thread> m_workers;
};

}  // namespace vamu::service
