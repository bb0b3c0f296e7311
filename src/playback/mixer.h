#pragma once
// The output thread: every 20 ms it pulls PCM from each playing stream, scales it by the
// stream's volume, adds the streams up and writes the sum to the output, which paces it.
// With nothing playing it sleeps until a stream wakes it.

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "playback/audio_output.h"

namespace vamu::playback {

class Stream;

class Mixer {
public:
    explicit Mixer(std::unique_ptr<AudioOutput> output);
    ~Mixer();  // stops and joins the output thread

    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // Any thread.
    void attach(std::shared_ptr<Stream> stream);
    void detach(const Stream* stream);
    void wake();  // a stream can give sound now
    // `next` starts playing the moment `current` ends, in the same period, so that no
    // silence lies between them; a null `next` cancels. Any thread.
    void setSuccessor(const Stream* current, std::shared_ptr<Stream> next);
    // Changes from Pulse to Silent if the audio server goes away while playing.
    [[nodiscard]] OutputKind outputKind() const { return m_kind.load(); }

private:
    void run(std::stop_token stop);
    bool mixOnce(std::vector<std::shared_ptr<Stream>>& streams);
    // Pulls what `stream` gives into m_sum from sample `offset` on; the samples it gave.
    std::size_t addFrom(Stream& stream, std::size_t offset, bool& ended);
    [[nodiscard]] std::shared_ptr<Stream> takeSuccessor(const Stream* stream);

    mutable std::mutex m_mutex;  // guards m_streams, m_successors and m_woken
    std::condition_variable_any m_wakeup;
    std::vector<std::shared_ptr<Stream>> m_streams;
    std::vector<std::pair<const Stream*, std::shared_ptr<Stream>>> m_successors;
    bool m_woken = false;

    std::atomic<OutputKind> m_kind;
    std::unique_ptr<AudioOutput> m_output;  // output thread only
    std::vector<std::int16_t> m_pulled;     // output thread only
    std::vector<std::int32_t> m_sum;
    std::vector<std::int16_t> m_mixed;
    std::jthread m_thread;  // last member
};

}  // namespace vamu::playback
