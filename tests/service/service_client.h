#pragma once
// Requests to a running vamu-service through the program's own HTTP routine, and the
// JSON reading the tests need. Cookie texts are always passed explicitly, so no test
// depends on the process-wide cookie store.

#include "net/http_request.h"
#include "net/service_call.h"
#include "support/service_process.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <string_view>

namespace vamu::test {

using nlohmann::json;

// A ServiceProcess that checks, when it goes, that the service stops cleanly: exit status
// 0 after SIGTERM. In the sanitizer builds the service is instrumented too, and any
// report it makes turns that status non-zero, so every test also checks the service.
class TestService : public ServiceProcess {
public:
    using ServiceProcess::ServiceProcess;
    TestService(const TestService&) = delete;
    TestService& operator=(const TestService&) = delete;
    ~TestService() {
        if (!running()) return;
        const int status = stop();
        std::string tail;
        const auto lines = logLines();
        for (std::size_t i = lines.size() > 20 ? lines.size() - 20 : 0; i < lines.size(); ++i)
            tail += "\n  " + lines[i];
        EXPECT_EQ(status, 0) << "vamu-service did not stop cleanly; its last lines:" << tail;
    }
};

inline net::HttpReply get(const std::string& url, std::optional<std::string> cookies = std::string()) {
    net::HttpRequestArgs args;
    args.url = url;
    args.cookies = std::move(cookies);
    args.idleTimeout = std::chrono::seconds(10);
    return net::httpRequest(args);
}

inline net::HttpReply post(const std::string& url, const std::string& body,
                           std::optional<std::string> cookies = std::string()) {
    net::HttpRequestArgs args;
    args.url = url;
    args.method = 1;
    args.body = body;
    args.cookies = std::move(cookies);
    args.idleTimeout = std::chrono::seconds(10);
    return net::httpRequest(args);
}

// Requests to the /admin endpoints, with the admin header and any further header lines.
inline net::HttpReply adminGet(const std::string& url, const std::string& headers = {}) {
    net::HttpRequestArgs args;
    args.url = url;
    args.extraHeaders = std::string(kAdminHeader) + (headers.empty() ? "" : "\r\n" + headers);
    args.idleTimeout = std::chrono::seconds(10);
    return net::httpRequest(args);
}

inline net::HttpReply adminPost(const std::string& url, const std::string& body, const std::string& headers = {}) {
    net::HttpRequestArgs args;
    args.url = url;
    args.method = 1;
    args.body = body;
    args.extraHeaders = std::string(kAdminHeader) + (headers.empty() ? "" : "\r\n" + headers);
    args.idleTimeout = std::chrono::seconds(10);
    return net::httpRequest(args);
}

// The reply's body as JSON; a null document (and a test failure) when it is not.
inline json parsed(const net::HttpReply& reply) {
    auto document = json::parse(reply.body, nullptr, false);
    EXPECT_FALSE(document.is_discarded()) << "not JSON: " << reply.body.substr(0, 200);
    return document.is_discarded() ? json() : document;
}

// A value for the admin endpoints: its UTF-8 bytes, every byte outside
// A-Z a-z 0-9 - _ . ~ as %XX.
inline std::string formValue(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const unsigned char c : text) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
            c == '.' || c == '~') {
            out.push_back(static_cast<char>(c));
        } else {
            out += {'%', kHex[c >> 4], kHex[c & 15]};
        }
    }
    return out;
}

// Values exactly as the program sends them.
inline std::string accountValue(std::string_view text) { return net::ParamValue::text(text).encoded(); }
inline std::string keywordValue(std::string_view text) { return net::ParamValue::keyword(text).encoded(); }

inline std::string loginBody(std::string_view phone, std::string_view password) {
    return "act=login&password=" + accountValue(password) +
           "&app=index&device_token=0&username=" + accountValue(phone) + "&v=9&device_type=ios";
}

// Logs the demo account in; answers the session cookie text ("" when the login failed).
inline std::string loginDemo(const ServiceProcess& service) {
    const auto reply = post(service.apiUrl("/index/login"), loginBody(kDemoPhone, kDemoPassword));
    return reply.cookies.value_or("");
}

// Sets fault and stream rules through the admin endpoint (clearing the old ones first).
inline void setFaults(const ServiceProcess& service, const std::vector<std::string>& faults,
                      const std::vector<std::string>& streams = {}) {
    std::string body = "clear=1";
    for (const auto& rule : faults) body += "&fault=" + formValue(rule);
    for (const auto& rule : streams) body += "&stream=" + formValue(rule);
    const auto reply = adminPost(service.apiUrl("/admin/faults"), body);
    ASSERT_EQ(reply.status, 200) << reply.body;
}

// The start of the service, or a test failure that says why it did not start.
#define ASSERT_SERVICE_RUNNING(service) ASSERT_TRUE((service).running()) << (service).startError()

}  // namespace vamu::test
