#pragma once
// A private PulseAudio server for tests: one null sink ("vamu_test", 44,100 Hz stereo)
// whose monitor source records what is played, on a socket in a directory of its own.
// Construction sets PULSE_SERVER for this process, so the engine's default connection
// reaches it; the destructor stops the server and removes the directory.

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace vamu::test {

class PulseServer {
public:
    static constexpr const char* kSinkName = "vamu_test";

    PulseServer();
    ~PulseServer();
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    // False when no pulseaudio program is installed or it did not come up.
    [[nodiscard]] bool running() const { return m_pid > 0; }
    [[nodiscard]] const std::string& why() const { return m_why; }
    [[nodiscard]] const std::string& address() const { return m_address; }
    // Ends the server at once, as a crash or a logout would.
    void kill();

private:
    std::filesystem::path m_directory;
    std::string m_address;
    std::string m_why;
    pid_t m_pid = -1;
};

// Records interleaved stereo samples from the sink's monitor on a thread of its own
// until stopped.
class SinkRecorder {
public:
    explicit SinkRecorder(const PulseServer& server);
    ~SinkRecorder();
    SinkRecorder(const SinkRecorder&) = delete;
    SinkRecorder& operator=(const SinkRecorder&) = delete;

    [[nodiscard]] bool connected() const;
    // Stops recording and answers everything recorded.
    std::vector<std::int16_t> stop();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

}  // namespace vamu::test
