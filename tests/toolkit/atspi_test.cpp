// The screen reader's own route: a probe program on an X server of its own with
// accessibility switched on publishes its window on a private AT-SPI bus; the test
// reads the tree over that bus with gdbus, as a reader does, and presses a button
// through it. Skips where Xvfb, dbus-daemon, gdbus or the AT-SPI bus launcher are
// missing.
#include "support/x_display.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace vamu::test {
namespace {

using namespace std::chrono_literals;

// Runs the program and answers what it printed, or nothing when it failed.
std::optional<std::string> capture(std::vector<std::string> arguments) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    int out[2];
    if (::pipe(out) != 0) return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    std::string text;
    char buffer[4096];
    ssize_t n = 0;
    while (!failed && (n = ::read(out[0], buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(n));
    ::close(out[0]);
    if (failed) return std::nullopt;
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return text;
}

// Starts the program with its output written to the file; 0 when it could not be started.
pid_t spawnLogged(std::vector<std::string> arguments, const std::filesystem::path& log) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed ? 0 : pid;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A session bus of the test's own (dbus-daemon picks the address and prints it).
class PrivateBus {
public:
    ~PrivateBus() { stopProcess(m_daemon); }
    std::string start() {
        int fds[2];
        if (::pipe(fds) != 0) return "no pipe for the bus address";
        m_daemon = spawnQuiet({"dbus-daemon", "--session", "--nofork", "--print-address=" + std::to_string(fds[1])});
        ::close(fds[1]);
        pollfd wait{fds[0], POLLIN, 0};
        char buffer[512];
        while (m_daemon && ::poll(&wait, 1, 10000) > 0) {
            const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
            if (n <= 0) break;
            m_address.append(buffer, static_cast<std::size_t>(n));
            if (m_address.find('\n') != std::string::npos) break;
        }
        ::close(fds[0]);
        while (!m_address.empty() && (m_address.back() == '\n' || m_address.back() == ' ')) m_address.pop_back();
        if (m_address.empty()) return "dbus-daemon did not start";
        ::setenv("DBUS_SESSION_BUS_ADDRESS", m_address.c_str(), 1);
        return {};
    }

private:
    pid_t m_daemon = 0;
    std::string m_address;
};

// Calls over the accessibility bus, to one application.
class Reader {
public:
    Reader(std::string address, std::string application)
        : m_address(std::move(address)), m_app(std::move(application)) {}

    std::optional<std::string> call(const std::string& path, const std::string& method,
                                    std::vector<std::string> arguments = {}) const {
        std::vector<std::string> command = {"gdbus",  "call", "--timeout",     "10", "--address", m_address,
                                            "--dest", m_app,  "--object-path", path, "--method",  method};
        command.insert(command.end(), arguments.begin(), arguments.end());
        return capture(command);
    }
    std::vector<std::string> children(const std::string& path) const {
        std::vector<std::string> paths;
        const std::optional<std::string> reply = call(path, "org.a11y.atspi.Accessible.GetChildren");
        if (!reply) return paths;
        // GVariant text names the type of the first element only.
        static const std::regex child(R"(', (?:objectpath )?'(/[^']*)')");
        for (std::sregex_iterator it(reply->begin(), reply->end(), child), end; it != end; ++it) {
            paths.push_back((*it)[1]);
        }
        return paths;
    }
    std::string name(const std::string& path) const {
        return quoted(call(path, "org.freedesktop.DBus.Properties.Get", {"org.a11y.atspi.Accessible", "Name"}));
    }
    std::string role(const std::string& path) const {
        return quoted(call(path, "org.a11y.atspi.Accessible.GetRoleName"));
    }
    // The first 32 state bits (AT-SPI's state set).
    std::uint32_t states(const std::string& path) const {
        const std::optional<std::string> reply = call(path, "org.a11y.atspi.Accessible.GetState");
        static const std::regex first(R"(uint32 (\d+))");
        std::smatch match;
        if (!reply || !std::regex_search(*reply, match, first)) return 0;
        return static_cast<std::uint32_t>(std::stoul(match[1]));
    }
    std::vector<std::string> actions(const std::string& path) const {
        std::vector<std::string> names;
        const std::optional<std::string> reply = call(path, "org.a11y.atspi.Action.GetActions");
        if (!reply) return names;
        static const std::regex action(R"(\('([^']*)', ')");
        for (std::sregex_iterator it(reply->begin(), reply->end(), action), end; it != end; ++it) {
            names.push_back((*it)[1]);
        }
        return names;
    }

    static std::string quoted(const std::optional<std::string>& reply) {
        static const std::regex text(R"('((?:[^'\\]|\\.)*)')");
        std::smatch match;
        return reply && std::regex_search(*reply, match, text) ? std::string(match[1]) : std::string();
    }

private:
    std::string m_address;
    std::string m_app;
};

constexpr std::uint32_t kStateChecked = 1u << 4;
constexpr std::uint32_t kStateEnabled = 1u << 8;

template <class F>
bool waitFor(F&& condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (condition()) return true;
        std::this_thread::sleep_for(100ms);
    }
    return condition();
}

TEST(AtspiBus, ReaderSeesTheWindowsControlsAndPressesAButton) {
    for (const char* tool : {"dbus-daemon", "gdbus"}) {
        if (!onPath(tool)) GTEST_SKIP() << tool << " is not installed";
    }
    if (!std::filesystem::exists("/usr/libexec/at-spi-bus-launcher")) GTEST_SKIP() << "at-spi2-core is not installed";
    const char* binaryDir = std::getenv("VAMU_BINARY_DIR");
    ASSERT_NE(binaryDir, nullptr);
    const std::string probe = std::string(binaryDir) + "/tests/toolkit/atspi_probe_app";
    ASSERT_TRUE(std::filesystem::exists(probe)) << probe;

    PrivateDisplay display;
    if (const std::string failed = display.start(800, 600); !failed.empty()) GTEST_SKIP() << failed;
    const std::filesystem::path runtime =
        std::filesystem::temp_directory_path() / ("vamu-atspi-" + std::to_string(::getpid()));
    std::filesystem::create_directories(runtime);
    std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    ::unsetenv("AT_SPI_BUS_ADDRESS");
    PrivateBus bus;
    if (const std::string failed = bus.start(); !failed.empty()) GTEST_SKIP() << failed;
    pid_t app = 0;
    struct Cleanup {
        pid_t& app;
        std::filesystem::path runtime;
        ~Cleanup() {
            stopProcess(app);
            std::error_code ignored;
            std::filesystem::remove_all(runtime, ignored);
        }
    } cleanup{app, runtime};

    // The bus launcher starts on the first request; the probe starts only once it
    // answers. Qt loses its own start signal when it finds the bus through the
    // launcher's X property (or AT_SPI_BUS_ADDRESS) before the launcher's name is
    // on the session bus, and then never registers.
    std::string address;
    ASSERT_TRUE(waitFor(
        [&] {
            address = Reader::quoted(capture({"gdbus", "call", "--session", "--dest", "org.a11y.Bus", "--object-path",
                                              "/org/a11y/bus", "--method", "org.a11y.Bus.GetAddress"}));
            return !address.empty();
        },
        20s))
        << "no accessibility bus";
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    ::setenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1", 1);
    const std::filesystem::path probeLog = runtime / "probe.log";
    app = spawnLogged({probe}, probeLog);
    ASSERT_GT(app, 0);
    std::optional<Reader> reader;
    std::string lastRegistryReply = "(no reply)";
    std::string window;
    const bool found = waitFor(
        [&] {
            const std::optional<std::string> apps =
                capture({"gdbus", "call", "--timeout", "10", "--address", address, "--dest", "org.a11y.atspi.Registry",
                         "--object-path", "/org/a11y/atspi/accessible/root", "--method",
                         "org.a11y.atspi.Accessible.GetChildren"});
            if (!apps) return false;
            lastRegistryReply = *apps;
            static const std::regex entry(R"(\('(:[^']+)', )");
            for (std::sregex_iterator it(apps->begin(), apps->end(), entry), end; it != end; ++it) {
                Reader candidate(address, (*it)[1]);
                for (const std::string& path : candidate.children("/org/a11y/atspi/accessible/root")) {
                    if (candidate.name(path) == "Probe") {
                        reader.emplace(candidate);
                        window = path;
                        return true;
                    }
                }
            }
            return false;
        },
        30s);
    ASSERT_TRUE(found) << "the probe's window never reached the registry\nregistry: " << lastRegistryReply
                       << "\nprobe " << (::waitpid(app, nullptr, WNOHANG) == 0 ? "running" : "ended")
                       << ", its output:\n"
                       << readFile(probeLog);

    EXPECT_EQ(reader->role(window), "frame");
    const std::vector<std::string> controls = reader->children(window);
    std::vector<std::string> seen;
    for (const std::string& path : controls) seen.push_back(reader->role(path) + " " + reader->name(path));
    const std::vector<std::string> expected = {"push button Play", "check box Loop", "label Ready", "text Search"};
    ASSERT_EQ(seen, expected);

    EXPECT_TRUE(reader->states(controls[1]) & kStateChecked);
    EXPECT_FALSE(reader->states(controls[0]) & kStateChecked);
    EXPECT_TRUE(reader->states(controls[0]) & kStateEnabled);

    // Pressing "Play" over the bus runs its click handler, which renames the label.
    const std::vector<std::string> actions = reader->actions(controls[0]);
    const auto press = std::find(actions.begin(), actions.end(), "Press");
    ASSERT_NE(press, actions.end());
    const std::optional<std::string> done =
        reader->call(controls[0], "org.a11y.atspi.Action.DoAction", {std::to_string(press - actions.begin())});
    ASSERT_TRUE(done.has_value());
    EXPECT_NE(done->find("true"), std::string::npos) << *done;
    EXPECT_TRUE(waitFor([&] { return reader->name(controls[2]) == "Clicked"; }, 5s)) << reader->name(controls[2]);
}

}  // namespace
}  // namespace vamu::test
