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

}  // namespace vamu::test
