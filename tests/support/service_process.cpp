#include "support/service_process.h"

#include "net/http_request.h"
#include "net/percent_encoding.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <regex>

extern char** environ;

namespace vamu::test {
namespace {

constexpr std::string_view kPrefix = "vamu-service: ";

std::filesystem::path makeTemporaryDirectory() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/vamu-service-test-XXXXXX";
    if (!::mkdtemp(pattern.data())) return {};
    return pattern;
}

}  // namespace

std::filesystem::path ServiceProcess::binaryPath() {
    const char* binaryDir = std::getenv("VAMU_BINARY_DIR");
    return std::filesystem::path(binaryDir && *binaryDir ? binaryDir : "build") / "service" / "vamu-service";
}

ServiceProcess::ServiceProcess(ServiceProcessOptions options) {
    m_dataDirectory = options.dataDirectory;
    if (m_dataDirectory.empty()) {
        m_dataDirectory = makeTemporaryDirectory();
        m_ownsDataDirectory = !m_dataDirectory.empty();
    }
    const auto binary = binaryPath();
    std::vector<std::string> arguments = {binary.string(),
                                          "--data",
                                          m_dataDirectory.string(),
                                          "--api-port",
                                          "0",
                                          "--companion-port",
                                          "0",
                                          "--generator-threads",
                                          options.backgroundSongs ? "1" : "0"};
    if (options.smallCatalogue) arguments.emplace_back("--small-catalogue");
    arguments.insert(arguments.end(), options.arguments.begin(), options.arguments.end());
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    int pipeFds[2] = {-1, -1};
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        m_startError = std::string("pipe: ") + std::strerror(errno);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
    const int spawned = ::posix_spawn(&m_pid, binary.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned != 0) {
        m_pid = -1;
        ::close(pipeFds[0]);
        m_startError = "cannot start " + binary.string() + ": " + std::strerror(spawned);
        return;
    }
    m_reader = std::thread([this, fd = pipeFds[0]] { readOutput(fd); });
    if (!waitForAddresses(options.startDeadline)) {
        std::string output;
        for (const auto& line : logLines()) output += "\n  " + line;
        m_startError = "vamu-service did not report its addresses; its output:" + output;
        stop(std::chrono::seconds(5));
    }
}

ServiceProcess::~ServiceProcess() {
    stop();
    if (m_reader.joinable()) m_reader.join();
    if (m_ownsDataDirectory) {
        std::error_code ignored;
        std::filesystem::remove_all(m_dataDirectory, ignored);
    }
}

void ServiceProcess::readOutput(int fd) {
    std::string pending;
    char buffer[4096];
    for (;;) {
        const auto n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        pending.append(buffer, static_cast<std::size_t>(n));
        std::size_t end = 0;
        std::lock_guard lock(m_mutex);
        while ((end = pending.find('\n')) != std::string::npos) {
            std::string line = pending.substr(0, end);
            if (line.starts_with(kPrefix)) line.erase(0, kPrefix.size());
            m_lines.push_back(std::move(line));
            pending.erase(0, end + 1);
        }
        m_changed.notify_all();
    }
    ::close(fd);
    std::lock_guard lock(m_mutex);
    if (!pending.empty()) m_lines.push_back(pending);
    m_outputClosed = true;
    m_changed.notify_all();
}

bool ServiceProcess::waitForAddresses(std::chrono::milliseconds deadline) {
    static const std::regex kAddresses(R"(^api http://[^ ]*:(\d+) companion [^ ]*:(\d+)$)");
    const auto line = waitForLogLine("api http://", deadline);
    std::smatch match;
    if (!line || !std::regex_match(*line, match, kAddresses)) return false;
    m_apiPort = std::stoi(match[1].str());
    m_companionPort = std::stoi(match[2].str());
    return true;
}

std::string ServiceProcess::apiBase() const { return "http://127.0.0.1:" + std::to_string(m_apiPort); }

std::string ServiceProcess::apiUrl(std::string_view pathAndQuery) const {
    return apiBase() + std::string(pathAndQuery);
}

std::string ServiceProcess::companionHost() const { return "127.0.0.1:" + std::to_string(m_companionPort); }

std::string ServiceProcess::companionUrl(std::string_view pathAndQuery) const {
    return "http://" + companionHost() + std::string(pathAndQuery);
}

std::vector<std::string> ServiceProcess::logLines() const {
    std::lock_guard lock(m_mutex);
    return m_lines;
}

std::size_t ServiceProcess::logLineCount() const {
    std::lock_guard lock(m_mutex);
    return m_lines.size();
}

std::optional<std::string> ServiceProcess::waitForLogLine(std::string_view text, std::chrono::milliseconds deadline,
                                                          std::size_t from) const {
    std::unique_lock lock(m_mutex);
    std::optional<std::string> found;
    m_changed.wait_for(lock, deadline, [&] {
        for (std::size_t i = from; i < m_lines.size(); ++i) {
            if (m_lines[i].find(text) != std::string::npos) {
                found = m_lines[i];
                return true;
            }
        }
        return m_outputClosed;
    });
    return found;
}

std::optional<std::string> ServiceProcess::waitForSmsCode(std::string_view phone, std::size_t from,
                                                          std::chrono::milliseconds deadline) const {
    // "sms code 123456 for 13900000001"
    const auto line = waitForLogLine(" for " + std::string(phone), deadline, from);
    static const std::regex kCode(R"(sms code (\d+) for )");
    std::smatch match;
    if (!line || !std::regex_search(*line, match, kCode)) return std::nullopt;
    return match[1].str();
}

int ServiceProcess::stop(std::chrono::milliseconds deadline) {
    if (m_pid <= 0) return -1;
    const pid_t pid = m_pid;
    m_pid = -1;
    m_apiPort = 0;
    ::kill(pid, SIGTERM);
    const auto until = std::chrono::steady_clock::now() + deadline;
    int status = 0;
    while (std::chrono::steady_clock::now() < until) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (done < 0) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    return -1;
}

bool ServiceProcess::setFaults(const std::vector<std::string>& faults, const std::vector<std::string>& streams,
                               bool clear) const {
    std::string body = clear ? "clear=1" : "";
    const auto add = [&body](std::string_view name, const std::string& rule) {
        body += (body.empty() ? "" : "&") + std::string(name) + "=" +
                net::percentEncoded(rule, net::PercentKeep::Unreserved);
    };
    for (const auto& rule : faults) add("fault", rule);
    for (const auto& rule : streams) add("stream", rule);
    net::HttpRequestArgs args;
    args.url = apiUrl("/admin/faults");
    args.method = 1;
    args.extraHeaders = std::string(kAdminHeader);  // the admin endpoint asks for it
    args.body = body;
    return net::httpRequest(args).status == 200;
}

}  // namespace vamu::test
