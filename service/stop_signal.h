#pragma once
// The service's shutdown flag. Request threads that wait on purpose (delays, throttled
// or stalled streams) wait on it, so a stop ends their waits at once.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stop_token>

namespace vamu::service {

class StopSignal {
public:
    void trigger() {
        {
            std::lock_guard lock(m_mutex);
            m_stopped.store(true);
        }
        m_changed.notify_all();
        m_source.request_stop();
    }

    // For work that takes a stop token, such as making a song.
    [[nodiscard]] std::stop_token token() const { return m_source.get_token(); }

    [[nodiscard]] bool stopped() const { return m_stopped.load(); }

    // Waits for `duration` unless the signal comes first; true when the whole wait passed.
    template <typename Rep, typename Period>
    bool waitFor(std::chrono::duration<Rep, Period> duration) {
        std::unique_lock lock(m_mutex);
        return !m_changed.wait_for(lock, duration, [this] { return m_stopped.load(); });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::atomic<bool> m_stopped{false};
    std::stop_source m_source;
};

}  // namespace vamu::service
