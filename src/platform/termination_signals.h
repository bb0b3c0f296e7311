#pragma once
// SIGTERM, SIGINT and SIGHUP (a logout, `kill`, a closed terminal, the session manager
// stopping the program) end the event loop instead of the process, so that the program's
// own shutdown runs: the collection, the settings and the song to come back to are kept.
// A second such signal while that shutdown runs ends the process at once.

#include <memory>

namespace vamu::platform {

class TerminationSignals {
public:
    // Call on the UI thread after the application object exists; while the object
    // lives, the signals quit the application's event loop.
    TerminationSignals();
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

}  // namespace vamu::platform
