#pragma once
// One playable stream: its byte source, a decoder thread that fills a ring of PCM, and
// the play state that the engine's callers and the mixer share.
//
// Threads: the decoder thread owns the PcmDecoder and reads the source; the mixer thread
// calls `pull`; any thread calls the play operations. Every shared field is guarded by
// m_mutex, and nothing calls out (source, decoder, mixer) while holding it.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <stop_token>
#include <thread>

#include "playback/activity_state.h"
#include "playback/byte_source.h"
#include "playback/pcm_format.h"
#include "playback/pcm_ring.h"

namespace vamu::playback {

class PcmDecoder;

// A new stream is handed out, and playback resumes after running dry, once this much
// decoded audio waits.
inline constexpr std::int64_t kStartBufferBytes = 2 * kBytesPerSecond;
// Decoded audio held ahead of the output.
inline constexpr std::int64_t kRingBytes = 4 * kBytesPerSecond;
// PCM decoded per step (~93 ms): the decoder waits until the ring has this much room.
inline constexpr std::size_t kDecodeChunkBytes = 16 * 1024;

class Stream {
public:
    // Starts the decoder thread. `onPlayable` is called (from any thread, without locks
    // held) when the stream starts or resumes giving sound, so the mixer can wake.
    Stream(std::unique_ptr<ByteSource> source, std::function<void()> onPlayable);
    ~Stream();  // shuts down

    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    // Waits until the format is known and the first kStartBufferBytes of audio (or the
    // whole song, when shorter) are decoded, so that play gives sound at once. False when
    // the data proved unusable, `stop` fired, or `timeout` passed first.
    bool waitUntilPrimed(std::stop_token stop, std::chrono::milliseconds timeout);
    // Stops the decoder and the source's fetching and waits for both; afterwards the
    // stream is dead and every operation fails. Idempotent.
    void shutdown();

    bool play(bool restart);
    bool pause();
    bool stop();
    bool setPosition(std::int64_t bytes);
    bool setVolume(float volume);
    [[nodiscard]] std::int64_t position() const;  // -1 when dead
    [[nodiscard]] std::int64_t length() const;    // -1 while unknown or dead
    [[nodiscard]] std::optional<float> volume() const;
    [[nodiscard]] ActivityState activity() const;

    struct Pulled {
        std::size_t bytes = 0;
        float volume = 1.0f;
        bool ended = false;  // the song's last bytes were in this pull
    };
    // Mixer thread: moves up to `out.size()` bytes of a playing stream's PCM into `out`.
    Pulled pull(std::span<std::byte> out);

private:
    enum class Phase { Idle, Buffering, Playing, Paused, Ended };
    enum class Open { Pending, Ready, Failed };
    struct Work {
        std::optional<std::int64_t> seekFrame;
        bool canDecode = false;  // the ring has room and the decoder has not ended
        std::uint64_t generation = 0;
    };

    // Decoder thread (stream_decoder.cpp).
    void decodeLoop(std::stop_token stop);
    std::unique_ptr<PcmDecoder> openDecoder(std::stop_token stop, std::span<std::byte> pcm, std::size_t& pcmBytes);
    bool feedDecoder(PcmDecoder& decoder, std::span<std::byte> buffer, std::stop_token stop);
    bool waitForWork(std::stop_token stop, Work& work, bool lengthKnown);
    void push(std::span<const std::byte> pcm, std::uint64_t generation);
    void publishOpen(bool ready, std::optional<std::int64_t> lengthFrames);
    void publishLength(std::int64_t frames, std::uint64_t generation);
    void publishSeekDone(std::int64_t frame, std::uint64_t generation);
    void publishEnd(std::int64_t frame, std::uint64_t generation);

    // Returns true when the stream just became able to give sound.
    bool updateBufferingLocked();
    // Marks the first start buffer as filled; true when that happened just now.
    bool updatePrimedLocked();
    [[nodiscard]] bool bufferFilledLocked() const;
    void requestSeekLocked(std::int64_t bytes);
    void notifyPlayable(bool playable) const;

    const std::unique_ptr<ByteSource> m_source;
    const std::function<void()> m_onPlayable;

    mutable std::mutex m_mutex;             // guards every field below
    std::condition_variable_any m_changed;  // room in the ring, a seek, the open result
    PcmRing m_ring{static_cast<std::size_t>(kRingBytes)};
    Phase m_phase = Phase::Idle;
    Open m_open = Open::Pending;
    std::int64_t m_position = 0;  // bytes handed to the output, from the start of the song
    std::int64_t m_length = -1;
    float m_volume = 1.0f;
    bool m_decodeEnded = false;      // the decoder produced its last byte (for this generation)
    bool m_primed = false;           // the first start buffer was filled (or the song ended first)
    std::uint64_t m_generation = 0;  // bumped by every seek; stale PCM is dropped
    std::optional<std::int64_t> m_seekFrame;
    bool m_dead = false;

    std::jthread m_decoder;  // last member: starts once the fields above exist
};

}  // namespace vamu::playback
