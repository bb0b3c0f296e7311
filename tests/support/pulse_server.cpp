#include "support/pulse_server.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <thread>

extern char** environ;

namespace vamu::test {
namespace {

using namespace std::chrono_literals;

std::filesystem::path findProgram(const char* name) {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        const std::size_t end = std::min(folders.find(':', start), folders.size());
        const std::filesystem::path candidate = std::filesystem::path(folders.substr(start, end - start)) / name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return {};
}

}  // namespace

PulseServer::PulseServer() {
    const auto program = findProgram("pulseaudio");
    if (program.empty()) {
        m_why = "no pulseaudio program installed";
        return;
    }
    char pattern[] = "/tmp/vamu-pulse-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        m_why = "cannot create a directory for the server";
        return;
    }
    m_directory = pattern;
    const auto socket = m_directory / "native";
    const auto script = m_directory / "default.pa";
    std::ofstream(script) << "load-module module-null-sink sink_name=" << kSinkName
                          << " rate=44100 channels=2 format=s16le\n"
                          << "load-module module-native-protocol-unix auth-anonymous=1 socket=" << socket.string()
                          << "\n"
                          << "set-default-sink " << kSinkName << "\n";
    const std::string home = "HOME=" + m_directory.string();
    const std::string runtime = "XDG_RUNTIME_DIR=" + m_directory.string();
    const std::string scriptArgument = script.string();
    const std::string logFile = (m_directory / "log").string();
    std::vector<std::string> arguments{program.string(),
                                       "-n",
                                       "-F",
                                       scriptArgument,
                                       "--daemonize=no",
                                       "--exit-idle-time=-1",
                                       "--use-pid-file=no",
                                       "--disable-shm=yes",
                                       "--log-target=file:" + logFile};
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<std::string> environment{home, runtime, "PATH=/usr/bin:/bin"};
    std::vector<char*> envp;
    for (auto& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    if (::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data()) != 0) {
        m_why = "cannot start pulseaudio";
        return;
    }
    m_pid = pid;
    m_address = "unix:" + socket.string();
    // Ready once a client gets through.
    const auto deadline = std::chrono::steady_clock::now() + 15s;
    const pa_sample_spec format{PA_SAMPLE_S16LE, 44100, 2};
    while (std::chrono::steady_clock::now() < deadline) {
        int error = 0;
        if (pa_simple* probe = pa_simple_new(m_address.c_str(), "vamu-test-probe", PA_STREAM_PLAYBACK, nullptr, "probe",
                                             &format, nullptr, nullptr, &error)) {
            pa_simple_free(probe);
            ::setenv("PULSE_SERVER", m_address.c_str(), 1);
            return;
        }
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            m_why = "pulseaudio exited at start (see its log)";
            return;
        }
        std::this_thread::sleep_for(50ms);
    }
    kill();
    m_why = "pulseaudio did not answer within 15 s";
}

PulseServer::~PulseServer() {
    kill();  // nothing of the server's state is worth a graceful stop
    if (!m_directory.empty()) {
        std::error_code ec;
        std::filesystem::remove_all(m_directory, ec);
    }
}

void PulseServer::kill() {
    if (m_pid <= 0) return;
    ::kill(m_pid, SIGKILL);
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    m_pid = -1;
}

struct SinkRecorder::State {
    pa_simple* connection = nullptr;
    std::atomic<bool> stopping{false};
    std::mutex mutex;
    std::vector<std::int16_t> samples;
    std::thread reader;
};

SinkRecorder::SinkRecorder(const PulseServer& server) : m_state(std::make_unique<State>()) {
    const pa_sample_spec format{PA_SAMPLE_S16LE, 44100, 2};
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<std::uint32_t>(-1);
    attributes.fragsize = 44100 * 4 / 50;  // 20 ms reads
    const std::string monitor = std::string(PulseServer::kSinkName) + ".monitor";
    int error = 0;
    m_state->connection = pa_simple_new(server.address().c_str(), "vamu-test-recorder", PA_STREAM_RECORD,
                                        monitor.c_str(), "monitor", &format, nullptr, &attributes, &error);
    if (m_state->connection == nullptr) return;
    m_state->reader = std::thread([state = m_state.get()] {
        std::vector<std::int16_t> chunk(44100 * 2 / 50);
        while (!state->stopping.load()) {
            int error = 0;
            if (pa_simple_read(state->connection, chunk.data(), chunk.size() * sizeof(std::int16_t), &error) < 0) break;
            std::lock_guard lock(state->mutex);
            state->samples.insert(state->samples.end(), chunk.begin(), chunk.end());
        }
    });
}

SinkRecorder::~SinkRecorder() {
    (void)stop();
    if (m_state->connection) pa_simple_free(m_state->connection);
}

bool SinkRecorder::connected() const { return m_state->connection != nullptr; }

std::vector<std::int16_t> SinkRecorder::stop() {
    m_state->stopping.store(true);
    if (m_state->reader.joinable()) m_state->reader.join();
    std::lock_guard lock(m_state->mutex);
    return m_state->samples;
}

}  // namespace vamu::test
