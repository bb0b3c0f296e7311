#pragma once
// A loopback server standing in for the music service: it records every request (with its
// query and form parameters decoded) and answers each path with a configured body and
// Set-Cookie lines (default {"state":1}), or stays silent.

#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "support/raw_http_server.h"

namespace vamu::net {

class FakeService {
public:
    struct Request {
        std::string method;
        std::string path;
        std::string target;  // path and query as sent
        std::string body;
        std::string cookie;                         // the Cookie header, empty when none
        std::map<std::string, std::string> params;  // query and form parameters, decoded
    };
    struct Answer {
        std::string body = R"({"state":1})";
        std::vector<std::string> setCookies;
        bool silent = false;  // send nothing until the client leaves
    };

    FakeService() = default;
    FakeService(const FakeService&) = delete;
    FakeService& operator=(const FakeService&) = delete;

    [[nodiscard]] int port() const { return m_server.port(); }

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
    static int hexValue(char c) {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        if (c >= 'A' && c <= 'F') {
            return c - 'A' + 10;
        }
        return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    }
    // Form decoding: %XX is a byte, "+" a space.
    static std::string decoded(std::string_view text) {
        std::string out;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '+') {
                out += ' ';
            } else if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
                       hexValue(text[i + 2]) >= 0) {
                out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
                i += 2;
            } else {
                out += text[i];
            }
        }
        return out;
    }
    static void addParams(std::string_view text, std::map<std::string, std::string>& params) {
        while (!text.empty()) {
            const std::size_t amp = text.find('&');
            const std::string_view pair = text.substr(0, amp);
            const std::size_t equals = pair.find('=');
            params[decoded(pair.substr(0, equals))] =
                equals == std::string_view::npos ? std::string() : decoded(pair.substr(equals + 1));
            text = amp == std::string_view::npos ? std::string_view() : text.substr(amp + 1);
        }
    }
    static Request parse(const std::string& bytes) {
        Request request;
        const std::size_t headEnd = bytes.find("\r\n\r\n");
        const std::string_view head = std::string_view(bytes).substr(0, headEnd);
        request.body = headEnd == std::string::npos ? std::string() : bytes.substr(headEnd + 4);
        const std::size_t lineEnd = head.find("\r\n");
        const std::string_view requestLine = head.substr(0, lineEnd);
        const std::size_t space = requestLine.find(' ');
        request.method = std::string(requestLine.substr(0, space));
        request.target = std::string(requestLine.substr(space + 1, requestLine.rfind(' ') - space - 1));
        const std::size_t question = request.target.find('?');
        request.path = request.target.substr(0, question);
        if (question != std::string::npos) {
            addParams(std::string_view(request.target).substr(question + 1), request.params);
        }
        if (request.method == "POST") {
            addParams(request.body, request.params);
        }
        for (std::size_t at = lineEnd; at != std::string_view::npos && at < head.size();) {
            const std::size_t next = head.find("\r\n", at + 2);
            const std::string_view line = head.substr(at + 2, next == std::string_view::npos ? next : next - at - 2);
            if (line.size() > 7 && (line.substr(0, 7) == "Cookie:" || line.substr(0, 7) == "cookie:")) {
                request.cookie = std::string(line.substr(line.find_first_not_of(' ', 7)));
            }
            at = next;
        }
        return request;
    }

    test::RawHttpServer::Response handle(const std::string& bytes) {
        Request request = parse(bytes);
        Answer answer;
        {
            const std::lock_guard lock(m_mutex);
            if (const auto found = m_answers.find(request.path); found != m_answers.end()) {
                answer = found->second;
            }
            m_requests.push_back(std::move(request));
        }
        if (answer.silent) {
            return {test::RawHttpServer::Action::Silent, ""};
        }
        std::string headers = "Content-Type: application/json\r\n";
        for (const std::string& cookie : answer.setCookies) {
            headers += "Set-Cookie: " + cookie + "\r\n";
        }
        return test::RawHttpServer::reply(answer.body, headers);
    }

    mutable std::mutex m_mutex;
    std::map<std::string, Answer> m_answers;  // guarded by m_mutex
    std::vector<Request> m_requests;          // guarded by m_mutex
    // Last, so it stops (joining its threads) before the members its handler uses go away.
    test::RawHttpServer m_server{[this](const std::string& bytes, std::size_t) { return handle(bytes); }};
};

}  // namespace vamu::net
