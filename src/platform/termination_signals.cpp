#include "platform/termination_signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace vamu::platform {
namespace {

constexpr std::array kSignals{SIGTERM, SIGINT, SIGHUP};

// The write end of the self-pipe: a signal handler may do little more than write(2).
volatile std::sig_atomic_t g_writeEnd = -1;

extern "C" void onTerminationSignal(int signal) {
    const int savedErrno = errno;
    // The next one of these signals takes its default action: a shutdown that hangs can
    // still be ended.
    std::signal(signal, SIG_DFL);
    const char byte = static_cast<char>(signal);
    if (g_writeEnd >= 0) {
        const ssize_t written = ::write(g_writeEnd, &byte, 1);  // a full pipe has one waiting already
        static_cast<void>(written);
    }
    errno = savedErrno;
}

}  // namespace

struct TerminationSignals::State {
    int pipe[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier;
    std::array<struct sigaction, kSignals.size()> previous{};
};

TerminationSignals::TerminationSignals() : m_state(std::make_unique<State>()) {
    if (::pipe2(m_state->pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::perror("vamu: no pipe for the termination signals");
        return;
    }
    g_writeEnd = m_state->pipe[1];
    m_state->notifier = std::make_unique<QSocketNotifier>(m_state->pipe[0], QSocketNotifier::Read);
    QObject::connect(m_state->notifier.get(), &QSocketNotifier::activated, [fd = m_state->pipe[0]] {
        char bytes[16];
        while (::read(fd, bytes, sizeof bytes) > 0) {}
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < kSignals.size(); ++i) ::sigaction(kSignals[i], &action, &m_state->previous[i]);
}

TerminationSignals::~TerminationSignals() {
    if (m_state->pipe[0] < 0) return;
    for (std::size_t i = 0; i < kSignals.size(); ++i) ::sigaction(kSignals[i], &m_state->previous[i], nullptr);
    g_writeEnd = -1;
    m_state->notifier.reset();
    ::close(m_state->pipe[0]);
    ::close(m_state->pipe[1]);
}

}  // namespace vamu::platform
