#pragma once
// One HTTP server (cpp-httplib for requests and replies, its connections our own, see
// http_connections.h) listening on its own thread, whose routes pass through fault
// injection, plus the connection-level helpers the fault modes need.

#include "faults.h"
#include "stop_signal.h"

#include <httplib.h>

#include <functional>
#include <memory>
#include <chrono>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace vamu::service {

using Request = httplib::Request;
using Response = httplib::Response;
using Handler = std::function<void(const Request&, Response&)>;
// The fault keys of one request, most specific first.
using FaultKeys = std::function<std::vector<std::string>(const Request&)>;

enum class Method { Get, Post };
enum class Faults { Apply, Never };

struct HttpServerOptions {
    std::string name;  // for the log
    int threads = 64;  // requests served at once; throttled streams each hold one
    bool logRequests = false;
    // From a request's first byte to the end of its body, a streamed one's included.
    std::chrono::milliseconds requestTime{30'000};
};

class GatedServer;

class HttpServer {
public:
    HttpServer(HttpServerOptions options, FaultTable& faults, StopSignal& stop);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // `path` is matched exactly; GET routes answer HEAD too. Without `keys` a request's
    // fault key is its path.
    void route(Method method, std::string_view path, Handler handler, Faults faults = Faults::Apply,
               FaultKeys keys = {});
    // `pattern` is a regular expression over the whole path; its groups land in Request::matches.
    void routePattern(Method method, const std::string& pattern, Handler handler, FaultKeys keys);

    // Binds `address`:`port` (0 picks a free port). Call before start().
    [[nodiscard]] bool bind(const std::string& address, int port, std::string& error);
    [[nodiscard]] int port() const { return m_port; }

    void start();
    // Stops listening, lets running requests see the stop signal, joins the thread.
    void stop();

private:
    void serve(const Handler& handler, Faults faults, const FaultKeys& keys, const Request& request,
               Response& response);
    void injectFault(const Fault& fault, const Handler& handler, const Request& request, Response& response);

    HttpServerOptions m_options;
    FaultTable& m_faults;
    StopSignal& m_stop;
    std::unique_ptr<GatedServer> m_server;
    std::thread m_thread;
    int m_port = 0;
};

// The socket of the connection that carries `request`, found by its addresses; -1 when
// it cannot be found. Valid while the request's handler runs.
[[nodiscard]] int connectionSocket(const Request& request);
// Closes the connection under the request at once: the client gets no answer.
void dropConnection(const Request& request);
// True when the peer has closed or reset the connection on `socket`.
[[nodiscard]] bool peerHasClosed(int socket);

}  // namespace vamu::service
