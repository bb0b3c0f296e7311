#pragma once
// Runs the bundled vamu-service as a child process for integration tests.
//
//   vamu::test::ServiceProcess service;            // fresh data directory, free ports
//   ASSERT_TRUE(service.running()) << service.startError();
//   auto url = service.apiUrl("/sound/hot?page=1");  // "http://127.0.0.1:<port>/sound/hot?page=1"
//   auto host = service.companionHost();            // "127.0.0.1:<port>"
//
// The binary is $VAMU_BINARY_DIR/service/vamu-service (ctest sets VAMU_BINARY_DIR for
// every test). By default it runs with the small catalogue (songs of 2 to 5 seconds),
// songs made on first request only, and a temporary data directory that is removed
// when the object goes. Everything the service prints is kept as log lines; the SMS
// codes of registrations are read from there. The destructor stops the service.
//
// Start-up blocks until the service prints its addresses (or fails, or the deadline
// passes). A reader thread drains the service's output, so tests using this class
// exercise threads: give them the label `threads`.

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace vamu::test {

// The demo account that every new data directory holds, with 45 liked songs.
inline constexpr std::string_view kDemoPhone = "13800138000";
inline constexpr std::string_view kDemoPassword = "vamu1234";
// The header line every request to the service's /admin endpoints carries.
inline constexpr std::string_view kAdminHeader = "X-Vamu-Admin: 1";

struct ServiceProcessOptions {
    // Further command-line arguments, such as {"--fault", "/sound/hot=html"}.
    std::vector<std::string> arguments;
    // Empty: a new temporary directory, removed at the end. Given: used and kept, so a
    // second ServiceProcess can start on the same data (restart tests).
    std::filesystem::path dataDirectory;
    bool smallCatalogue = true;
    bool backgroundSongs = false;  // false: --generator-threads 0
    std::chrono::milliseconds startDeadline{60'000};
};

class ServiceProcess {
public:
    explicit ServiceProcess(ServiceProcessOptions options = {});
    ~ServiceProcess();
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    // True once the service printed its addresses and until stop().
    [[nodiscard]] bool running() const { return m_pid > 0 && m_apiPort > 0; }
    // Why start-up failed, with the service's output so far.
    [[nodiscard]] const std::string& startError() const { return m_startError; }

    [[nodiscard]] int apiPort() const { return m_apiPort; }
    [[nodiscard]] int companionPort() const { return m_companionPort; }
    [[nodiscard]] std::string apiBase() const;  // "http://127.0.0.1:<port>"
    [[nodiscard]] std::string apiUrl(std::string_view pathAndQuery) const;
    [[nodiscard]] std::string companionHost() const;  // "127.0.0.1:<port>"
    [[nodiscard]] std::string companionUrl(std::string_view pathAndQuery) const;
    [[nodiscard]] const std::filesystem::path& dataDirectory() const { return m_dataDirectory; }

    // Log lines so far, without the "vamu-service: " prefix.
    [[nodiscard]] std::vector<std::string> logLines() const;
    [[nodiscard]] std::size_t logLineCount() const;
    // The first line from index `from` on that contains `text`; nullopt at the deadline.
    [[nodiscard]] std::optional<std::string> waitForLogLine(std::string_view text, std::chrono::milliseconds deadline,
                                                            std::size_t from = 0) const;
    // The SMS code logged for `phone` at or after line `from`.
    [[nodiscard]] std::optional<std::string> waitForSmsCode(
        std::string_view phone, std::size_t from = 0,
        std::chrono::milliseconds deadline = std::chrono::seconds(10)) const;

    // The fault rules while the service runs, in the text form of --fault and --stream,
    // through its admin endpoint; `clear` drops every rule first. False when refused.
    bool setFaults(const std::vector<std::string>& faults, const std::vector<std::string>& streams = {},
                   bool clear = false) const;

    // SIGTERM, then waits up to `deadline` (SIGKILL after it). Answers the exit status,
    // or -1 when the process had to be killed or was not running.
    int stop(std::chrono::milliseconds deadline = std::chrono::seconds(15));

    // Where the binary is expected.
    [[nodiscard]] static std::filesystem::path binaryPath();

private:
    void readOutput(int fd);
    bool waitForAddresses(std::chrono::milliseconds deadline);

    std::filesystem::path m_dataDirectory;
    bool m_ownsDataDirectory = false;
    pid_t m_pid = -1;
    int m_apiPort = 0;
    int m_companionPort = 0;
    std::string m_startError;
    std::thread m_reader;

    mutable std::mutex m_mutex;  // guards m_lines and m_outputClosed
    mutable std::condition_variable m_changed;
    std::vector<std::string> m_lines;
    bool m_outputClosed = false;
};

}  // namespace vamu::test
