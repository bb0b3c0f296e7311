#include "support/x_display.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

extern char** environ;

namespace vamu::test {

bool onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string rest = path ? path : "";
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::string dir = rest.substr(0, colon);
        if (!dir.empty() && ::access((dir + "/" + program).c_str(), X_OK) == 0) return true;
        if (colon == std::string::npos) break;
        rest.erase(0, colon + 1);
    }
    return false;
}

pid_t spawnQuiet(std::vector<std::string> arguments) {
    if (arguments.empty()) return 0;
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed ? 0 : pid;
}

void stopProcess(pid_t& pid) {
    if (pid <= 0) return;
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    pid = 0;
}

std::string PrivateDisplay::start(int width, int height) {
    if (!onPath("Xvfb")) return "Xvfb is not installed";
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return "no pipe for Xvfb's display number";
    // Xvfb picks a free display itself and writes its number to the descriptor.
    m_server = spawnQuiet({"Xvfb", "-displayfd", std::to_string(pipeFds[1]), "-screen", "0",
                           std::to_string(width) + "x" + std::to_string(height) + "x24", "-nolisten", "tcp"});
    ::close(pipeFds[1]);
    std::string display;
    pollfd wait{pipeFds[0], POLLIN, 0};
    char buffer[16];
    while (m_server && ::poll(&wait, 1, 10000) > 0) {
        const ssize_t n = ::read(pipeFds[0], buffer, sizeof buffer);
        if (n <= 0) break;
        display.append(buffer, static_cast<std::size_t>(n));
        if (display.find('\n') != std::string::npos) break;
    }
    ::close(pipeFds[0]);
    while (!display.empty() && (display.back() == '\n' || display.back() == ' ')) display.pop_back();
    if (display.empty()) {
        stopProcess(m_server);
        return "Xvfb did not start";
    }
    m_name = ":" + display;
    ::setenv("DISPLAY", m_name.c_str(), 1);
    return {};
}

void PrivateDisplay::stop() {
    stopProcess(m_server);
    m_name.clear();
}

}  // namespace vamu::test
