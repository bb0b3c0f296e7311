#include "support/x_display.h"

#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <cstdlib>
#include <string_view>
#include <utility>

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
    // The number is ours to pick, above the low ones: Xwayland (started by weston in a
    // test running alongside) takes the lowest free display, and two servers racing for
    // one number can each break the other's lock, leaving a client at the wrong server.
    // Xvfb ends at once when the number is taken, and then the next candidate is tried.
    for (int attempt = 0; attempt < 20; ++attempt) {
        const int number = 200 + static_cast<int>((::getpid() * 7 + attempt * 37) % 700);
        int pipeFds[2];
        if (::pipe(pipeFds) != 0) return "no pipe for Xvfb's display number";
        // With a number given, Xvfb writes it to the descriptor once it accepts clients.
        m_server = spawnQuiet({"Xvfb", ":" + std::to_string(number), "-displayfd", std::to_string(pipeFds[1]),
                               "-screen", "0", std::to_string(width) + "x" + std::to_string(height) + "x24",
                               "-nolisten", "tcp"});
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
            continue;
        }
        m_name = ":" + display;
        ::setenv("DISPLAY", m_name.c_str(), 1);
        return {};
    }
    return "Xvfb did not start";
}

void PrivateDisplay::stop() {
    stopProcess(m_server);
    m_name.clear();
}

std::string PrivateWeston::start(int width, int height, X11 x11) {
    if (!onPath("weston")) return "weston is not installed";
    if (x11 == X11::Xwayland && !onPath("Xwayland")) return "Xwayland is not installed";
    char folder[] = "/tmp/vamu-weston-XXXXXX";
    if (!::mkdtemp(folder)) return "no runtime folder for weston";
    m_runtime = folder;
    ::setenv("XDG_RUNTIME_DIR", m_runtime.c_str(), 1);
    const std::string log = m_runtime + "/weston.log";
    std::vector<std::string> arguments{"weston", "--backend=headless-backend.so", "--use-pixman", "--socket=wayland-vamu",
                                       "--idle-time=0", "--log=" + log, "--width=" + std::to_string(width),
                                       "--height=" + std::to_string(height)};
    if (x11 == X11::Xwayland) {
        // weston binds Xwayland's socket in the X socket folder, which only an X server
        // makes: on a machine that never ran one it is missing and Xwayland never starts.
        if (::mkdir("/tmp/.X11-unix", 01777) == 0) ::chmod("/tmp/.X11-unix", 01777);
        arguments.emplace_back("--xwayland");
    }
    m_server = spawnQuiet(arguments);
    if (m_server <= 0) return "weston did not start";
    const std::string socket = m_runtime + "/wayland-vamu";
    for (int i = 0; i < 100 && ::access(socket.c_str(), F_OK) != 0; ++i) ::usleep(100 * 1000);
    if (::access(socket.c_str(), F_OK) != 0) return "weston made no socket";
    ::setenv("WAYLAND_DISPLAY", "wayland-vamu", 1);
    ::unsetenv("QT_QPA_PLATFORM");
    ::unsetenv("DISPLAY");
    if (x11 == X11::No) return {};
    // weston names its X display in its log once it listens for X clients.
    constexpr std::string_view kMarker = "xserver listening on display ";
    for (int i = 0; i < 100 && m_x11Display.empty(); ++i) {
        std::ifstream file(log);
        for (std::string line; std::getline(file, line);) {
            if (const std::size_t at = line.find(kMarker); at != std::string::npos)
                m_x11Display = line.substr(at + kMarker.size());
        }
        if (m_x11Display.empty()) ::usleep(100 * 1000);
    }
    if (m_x11Display.empty()) return "weston started no Xwayland";
    ::setenv("DISPLAY", m_x11Display.c_str(), 1);
    return {};
}

void PrivateWeston::stop() {
    stopProcess(m_server);
    if (!m_runtime.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_runtime, ignored);
        m_runtime.clear();
    }
    m_x11Display.clear();
}

std::string PrivateSway::start(int width, int height) {
    if (!onPath("sway")) return "sway is not installed";
    if (!onPath("grim")) return "grim (screenshots of sway) is not installed";
    char folder[] = "/tmp/vamu-sway-XXXXXX";
    if (!::mkdtemp(folder)) return "no runtime folder for sway";
    m_runtime = folder;
    {
        std::ofstream config(m_runtime + "/config");
        config << "xwayland disable\n"
               << "output HEADLESS-1 resolution " << width << "x" << height << "\n";
    }
    std::vector<std::string> arguments;
    if (::geteuid() == 0) {
        const passwd* nobody = ::getpwnam("nobody");
        if (!nobody || !onPath("setpriv")) return "sway does not run as root, and there is no user nobody to run it";
        if (::chown(m_runtime.c_str(), nobody->pw_uid, nobody->pw_gid) != 0) return "no runtime folder for sway";
        arguments = {"setpriv", "--reuid=" + std::to_string(nobody->pw_uid),
                     "--regid=" + std::to_string(nobody->pw_gid), "--clear-groups"};
    }
    // Without a GPU: the software renderer; without input devices.
    for (std::string argument : std::initializer_list<std::string>{
             "env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR=" + m_runtime, "WLR_BACKENDS=headless",
             "WLR_LIBINPUT_NO_DEVICES=1", "WLR_RENDERER=pixman", "sway", "-c", m_runtime + "/config"})
        arguments.push_back(std::move(argument));
    m_server = spawnQuiet(arguments);
    if (m_server <= 0) return "sway did not start";
    // sway names its socket itself: the first free wayland-N.
    std::string socket;
    for (int i = 0; i < 100 && socket.empty(); ++i) {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(m_runtime, ignored))
            if (entry.is_socket() && entry.path().filename().string().starts_with("wayland-"))
                socket = entry.path().filename();
        if (socket.empty()) ::usleep(100 * 1000);
    }
    if (socket.empty()) return "sway made no socket";
    ::setenv("XDG_RUNTIME_DIR", m_runtime.c_str(), 1);
    ::setenv("WAYLAND_DISPLAY", socket.c_str(), 1);
    ::unsetenv("QT_QPA_PLATFORM");
    ::unsetenv("DISPLAY");
    return {};
}

void PrivateSway::stop() {
    stopProcess(m_server);
    std::error_code ignored;
    if (!m_runtime.empty()) std::filesystem::remove_all(std::exchange(m_runtime, {}), ignored);
}

}  // namespace vamu::test
