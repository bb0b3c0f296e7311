#pragma once
// A loopback HTTP server standing in for the music service: it records every request and
// answers each path with a configured body and Set-Cookie lines (default {"state":1}).

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <httplib.h>

namespace vamu::net {

class FakeService {
public:
    struct Request {
        std::string method;
        std::string path;
        std::string target;  // path and query as sent
        std::string body;
        std::string cookie;  // the Cookie header, empty when none
        httplib::Params params;
    };
    struct Answer {
        std::string body = R"({"state":1})";
        std::vector<std::string> setCookies;
        std::chrono::milliseconds delay{0};
    };

    FakeService() {
        const auto handler = [this](const httplib::Request& request, httplib::Response& response) {
            handle(request, response);
        };
        m_server.Get(".*", handler);
        m_server.Post(".*", handler);
        m_port = m_server.bind_to_any_port("127.0.0.1");
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
        while (!m_server.is_running()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    ~FakeService() {
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_server.stop();
        m_thread.join();
    }
    FakeService(const FakeService&) = delete;
    FakeService& operator=(const FakeService&) = delete;

    [[nodiscard]] int port() const { return m_port; }

    void answer(const std::string& path, Answer answer) {
        const std::lock_guard lock(m_mutex);
        m_answers[path] = std::move(answer);
    }
    [[nodiscard]] std::vector<Request> requests() const {
        const std::lock_guard lock(m_mutex);
        return m_requests;
    }
    [[nodiscard]] Request lastRequest() const {
        const std::lock_guard lock(m_mutex);
        return m_requests.empty() ? Request{} : m_requests.back();
    }

private:
    void handle(const httplib::Request& request, httplib::Response& response) {
        Answer answer;
        {
            const std::lock_guard lock(m_mutex);
            m_requests.push_back({request.method, request.path, request.target, request.body,
                                  request.get_header_value("Cookie"), request.params});
            if (const auto found = m_answers.find(request.path); found != m_answers.end()) {
                answer = found->second;
            }
        }
        // A slow answer ends early when the server stops, so no test waits it out.
        const auto until = std::chrono::steady_clock::now() + answer.delay;
        while (std::chrono::steady_clock::now() < until) {
            {
                const std::lock_guard lock(m_mutex);
                if (m_stopping) {
                    break;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        for (const std::string& cookie : answer.setCookies) {
            response.headers.emplace("Set-Cookie", cookie);
        }
        response.set_content(answer.body, "application/json");
    }

    httplib::Server m_server;
    int m_port = 0;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::map<std::string, Answer> m_answers;  // guarded by m_mutex
    std::vector<Request> m_requests;          // guarded by m_mutex
    bool m_stopping = false;                  // guarded by m_mutex
};

}  // namespace vamu::net
