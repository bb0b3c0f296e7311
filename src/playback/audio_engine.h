#pragma once
// The program's only way to make sound: streams from a URL, a file or a memory block,
// decoded to 44,100 Hz 16-bit stereo and mixed into one output.
//
// Handles are 32-bit numbers, never 0 and never reused within a run; a handle that was
// freed, or never existed, is simply unknown: isActive gives Stopped and every other
// operation fails (false, -1, 0).
//
// Threads: every operation may be called from any thread (the UI thread and workers).
// The handle table has its own mutex and each stream another; no operation holds the
// table's lock while it works on a stream or waits, and none calls out under a lock.
// Only createStream blocks for long (until the first seconds are decoded, bounded and
// cancellable);
// freeStream returns promptly even while a download runs.

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <unordered_map>

#include "playback/activity_state.h"
#include "playback/audio_output.h"
#include "playback/byte_source.h"

namespace vamu::playback {

class Mixer;
class Stream;

using StreamHandle = std::uint32_t;

enum class OutputChoice {
    Automatic,  // the audio server when one answers, else the silent output
    Silent,
};

enum class Restart { No, Yes };

// Exactly one source is used, in this order: an existing file, else a non-empty memory
// block (copied, so it need not outlive the call), else a non-empty URL.
struct StreamSource {
    std::string file;
    std::span<const std::byte> memory;
    std::string url;
    std::int64_t offset = 0;  // byte of the file, block or URL where the stream starts
    // A URL stream writes every byte it fetches here (byte_source.h); unused otherwise.
    std::shared_ptr<ByteSink> sink;
};

class AudioEngine {
public:
    // createStream gives up on a source that has not delivered its first kStartBufferBytes
    // of audio (or the whole song, when shorter) by then.
    static constexpr std::chrono::seconds kOpenTimeout{5};

    AudioEngine();
    ~AudioEngine();  // frees everything

    AudioEngine(const AudioEngine&) = delete;
    AudioEngine& operator=(const AudioEngine&) = delete;

    // Starts the output; the engine always mixes at 44,100 Hz. Returns the output in
    // use; a second call keeps the running output and returns its kind.
    OutputKind init(OutputChoice choice = OutputChoice::Automatic);
    OutputKind init(std::unique_ptr<AudioOutput> output);  // a given output (tests, benchmarks)
    // Frees every stream and stops the output; createStream fails until the next init.
    void free();
    [[nodiscard]] OutputKind outputKind() const;

    // 0 when every source is empty, the engine is not started, the server cannot be
    // reached or answers with an error status, the data is not audio, `stop` fires, or
    // kOpenTimeout passes first. Returns once about two seconds of audio (the whole song
    // when shorter) are decoded, while the rest still downloads: play then gives sound at
    // once, and Stalled afterwards always means that playing ran dry.
    [[nodiscard]] StreamHandle createStream(const StreamSource& source, std::stop_token stop = {});
    bool freeStream(StreamHandle handle);

    bool play(StreamHandle handle, Restart restart = Restart::Yes);  // No resumes where it was
    // `next` plays from where it is the moment `current` ends, with no silence between
    // them; `next` 0 cancels. False when `current`, or a non-zero `next`, is unknown.
    bool playAfter(StreamHandle current, StreamHandle next);
    bool pause(StreamHandle handle);
    bool stop(StreamHandle handle);  // keeps the position
    [[nodiscard]] ActivityState isActive(StreamHandle handle) const;

    // Byte counts of the decoded output (4 bytes a frame). The length is -1 until known.
    [[nodiscard]] std::int64_t getPosition(StreamHandle handle) const;
    bool setPosition(StreamHandle handle, std::int64_t bytes);  // fails beyond a known length
    [[nodiscard]] std::int64_t getLength(StreamHandle handle) const;

    // Volume of this stream only, 0.0 to 1.0 (clamped; NaN fails).
    bool setAttribute(StreamHandle handle, float volume);
    [[nodiscard]] std::optional<float> getAttribute(StreamHandle handle) const;

    // -1 for an unknown handle or a negative input.
    [[nodiscard]] double bytesToSeconds(StreamHandle handle, std::int64_t bytes) const;
    [[nodiscard]] std::int64_t secondsToBytes(StreamHandle handle, double seconds) const;

private:
    [[nodiscard]] std::shared_ptr<Stream> find(StreamHandle handle) const;
    StreamHandle registerLocked(std::shared_ptr<Stream> stream);

    mutable std::mutex m_mutex;  // guards the three fields below
    std::unordered_map<StreamHandle, std::shared_ptr<Stream>> m_streams;
    StreamHandle m_lastHandle = 0;
    std::shared_ptr<Mixer> m_mixer;
};

}  // namespace vamu::playback
