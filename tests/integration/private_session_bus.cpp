#include "integration/private_session_bus.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <spawn.h>
#include <sys/wait.h>
#include <poll.h>
#include <unistd.h>

extern char** environ;

namespace vamu::test {
namespace {

constexpr const char* kConfig = R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";
constexpr const char* kNoBus = "unix:path=/nonexistent/vamu-test-bus";

}  // namespace

PrivateSessionBus& PrivateSessionBus::instance() {
    static PrivateSessionBus bus;
    return bus;
}

PrivateSessionBus::~PrivateSessionBus() { stop(); }

bool PrivateSessionBus::start() {
    ::setenv("DBUS_SESSION_BUS_ADDRESS", kNoBus, 1);
    m_config = "/tmp/vamu-test-bus-" + std::to_string(std::random_device{}()) + ".conf";
    std::ofstream(m_config) << kConfig;
    int out[2];
    if (::pipe(out) != 0) {
        m_error = "no pipe";
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const std::string config = "--config-file=" + m_config;
    char* argv[] = {const_cast<char*>("dbus-daemon"),       const_cast<char*>(config.c_str()),
                    const_cast<char*>("--nofork"),          const_cast<char*>("--nopidfile"),
                    const_cast<char*>("--print-address=1"), nullptr};
    const int spawned = ::posix_spawnp(&m_pid, "dbus-daemon", &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
        m_pid = 0;
        ::close(out[0]);
        m_error = "dbus-daemon cannot be started (install the package dbus-daemon)";
        return false;
    }
    // The address is the daemon's first line, printed once it listens.
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd fd{out[0], POLLIN, 0};
        if (::poll(&fd, 1, 100) <= 0) continue;
        char buffer[256];
        const ssize_t got = ::read(out[0], buffer, sizeof(buffer));
        if (got <= 0) break;
        line.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(out[0]);
    if (line.find('\n') == std::string::npos) {
        m_error = "dbus-daemon printed no address";
        stop();
        return false;
    }
    m_address = line.substr(0, line.find('\n'));
    ::setenv("DBUS_SESSION_BUS_ADDRESS", m_address.c_str(), 1);
    return true;
}

void PrivateSessionBus::stop() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {}
        m_pid = 0;
    }
    if (!m_config.empty()) std::remove(m_config.c_str());
    m_config.clear();
}

}  // namespace vamu::test
