#pragma once
// A private X server (Xvfb) for one test process, and the desktop programs a test
// runs on it (a compositor, a window manager, a tray). Each program is looked up on
// PATH first, so that a test can skip with a reason where one is missing.

#include <sys/types.h>

#include <string>
#include <vector>

namespace vamu::test {

// Whether an executable of that name lies on PATH.
[[nodiscard]] bool onPath(const std::string& program);

// Starts the program with its output dropped; 0 when it could not be started.
[[nodiscard]] pid_t spawnQuiet(std::vector<std::string> arguments);
// Ends a program started by spawnQuiet (SIGTERM, then waits) and clears the id.
void stopProcess(pid_t& pid);

class PrivateDisplay {
public:
    PrivateDisplay() = default;
    ~PrivateDisplay() { stop(); }
    PrivateDisplay(const PrivateDisplay&) = delete;
    PrivateDisplay& operator=(const PrivateDisplay&) = delete;

    // Starts Xvfb with one screen of that size and points DISPLAY at it. Answers an
    // empty text on success, else why it failed.
    std::string start(int width, int height);
    void stop();
    [[nodiscard]] const std::string& name() const { return m_name; }  // ":N"

private:
    pid_t m_server = 0;
    std::string m_name;
};

// weston (headless) for one test process, with Xwayland on request. start() points
// WAYLAND_DISPLAY (and DISPLAY) at it and unsets QT_QPA_PLATFORM.
class PrivateWeston {
public:
    enum class X11 { No, Xwayland };
    PrivateWeston() = default;
    ~PrivateWeston() { stop(); }
    PrivateWeston(const PrivateWeston&) = delete;
    PrivateWeston& operator=(const PrivateWeston&) = delete;

    // An empty text on success, else why it failed (a missing program included).
    std::string start(int width, int height, X11 x11);
    void stop();

private:
    pid_t m_server = 0;
    std::string m_runtime;  // a private XDG_RUNTIME_DIR
    std::string m_x11Display;
};

// sway (headless, no Xwayland; grim for screenshots) for one test process: a compositor with layer surfaces.
// start() points WAYLAND_DISPLAY at it and unsets DISPLAY and QT_QPA_PLATFORM. As root, sway runs as nobody.
class PrivateSway {
public:
    PrivateSway() = default;
    ~PrivateSway() { stop(); }
    PrivateSway(const PrivateSway&) = delete;
    PrivateSway& operator=(const PrivateSway&) = delete;

    // An empty text on success, else why it failed (a missing program included).
    std::string start(int width, int height);
    void stop();

private:
    pid_t m_server = 0;
    std::string m_runtime;  // a private XDG_RUNTIME_DIR
};

}  // namespace vamu::test
