#include "playback/stream.h"

#include <algorithm>
#include <cmath>

#include "playback/pcm_decoder.h"

namespace vamu::playback {
namespace {

// Below this much free room the ring counts as full: waiting for more cannot help.
constexpr std::size_t kRingFullMargin = 16 * 1024;

}  // namespace

Stream::Stream(std::unique_ptr<ByteSource> source, std::function<void()> onPlayable)
    : m_source(std::move(source)), m_onPlayable(std::move(onPlayable)) {
    m_decoder = std::jthread([this](std::stop_token stop) { decodeLoop(stop); });
}

Stream::~Stream() { shutdown(); }

bool Stream::waitUntilPrimed(std::stop_token stop, std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    m_changed.wait_for(lock, stop, timeout, [&] { return m_dead || m_open == Open::Failed || m_primed; });
    return m_open == Open::Ready && m_primed && !m_dead;
}

void Stream::shutdown() {
    {
        std::lock_guard lock(m_mutex);
        if (m_dead) {
            return;
        }
        m_dead = true;
        m_phase = Phase::Ended;
    }
    m_decoder.request_stop();
    m_source->close();
    if (m_decoder.joinable()) {
        m_decoder.join();
    }
}

bool Stream::play(bool restart) {
    bool playable = false;
    {
        std::lock_guard lock(m_mutex);
        if (m_dead || m_open != Open::Ready) {
            return false;
        }
        // Restarting where nothing has been played yet keeps the decoded start instead of
        // decoding it again.
        restart = restart && (m_position != 0 || m_seekFrame.has_value() || m_generation != 0);
        if (restart) {
            requestSeekLocked(0);
        }
        if (restart || m_phase != Phase::Playing) {
            m_phase = Phase::Buffering;
            playable = updateBufferingLocked();
        }
    }
    if (restart) {
        m_changed.notify_all();
        m_source->interrupt();
    }
    notifyPlayable(playable);
    return true;
}

bool Stream::pause() {
    std::lock_guard lock(m_mutex);
    if (m_dead || (m_phase != Phase::Playing && m_phase != Phase::Buffering)) {
        return false;
    }
    m_phase = Phase::Paused;
    return true;
}

bool Stream::stop() {
    std::lock_guard lock(m_mutex);
    if (m_dead) {
        return false;
    }
    if (m_phase != Phase::Ended) {
        m_phase = Phase::Idle;
    }
    return true;
}

bool Stream::setPosition(std::int64_t bytes) {
    {
        std::lock_guard lock(m_mutex);
        bytes = alignToFrame(bytes);
        if (m_dead || m_open != Open::Ready || bytes < 0 || (m_length >= 0 && bytes > m_length)) {
            return false;
        }
        requestSeekLocked(bytes);
        if (m_phase == Phase::Playing) {
            m_phase = Phase::Buffering;  // refill before sound flows again
        }
    }
    m_changed.notify_all();
    m_source->interrupt();  // the decoder may be waiting for network data
    return true;
}

bool Stream::setVolume(float volume) {
    if (std::isnan(volume)) {
        return false;
    }
    std::lock_guard lock(m_mutex);
    if (m_dead) {
        return false;
    }
    m_volume = std::clamp(volume, 0.0f, 1.0f);
    return true;
}

std::int64_t Stream::position() const {
    std::lock_guard lock(m_mutex);
    return m_dead ? -1 : m_position;
}

std::int64_t Stream::length() const {
    std::lock_guard lock(m_mutex);
    return m_dead ? -1 : m_length;
}

std::optional<float> Stream::volume() const {
    std::lock_guard lock(m_mutex);
    return m_dead ? std::nullopt : std::optional(m_volume);
}

ActivityState Stream::activity() const {
    std::lock_guard lock(m_mutex);
    if (m_dead) {
        return ActivityState::Stopped;
    }
    switch (m_phase) {
    case Phase::Playing:
        return ActivityState::Playing;
    case Phase::Buffering:
        return ActivityState::Stalled;
    case Phase::Paused:
        return ActivityState::Paused;
    case Phase::Idle:
    case Phase::Ended:
        break;
    }
    return ActivityState::Stopped;
}

Stream::Pulled Stream::pull(std::span<std::byte> out) {
    Pulled pulled;
    bool roomForDecoder = false;
    {
        std::lock_guard lock(m_mutex);
        if (m_phase != Phase::Playing) {
            return pulled;
        }
        const std::size_t wanted = static_cast<std::size_t>(alignToFrame(std::ssize(out)));
        pulled.bytes = m_ring.read(out.first(wanted));
        pulled.volume = m_volume;
        m_position += static_cast<std::int64_t>(pulled.bytes);
        if (pulled.bytes < wanted) {
            // Ran dry: the song ended, or the network fell behind and we refill first.
            m_phase = m_decodeEnded ? Phase::Ended : Phase::Buffering;
            pulled.ended = m_decodeEnded;
        }
        roomForDecoder = m_ring.freeSpace() >= kDecodeChunkBytes;
    }
    if (roomForDecoder) {
        m_changed.notify_all();  // the decoder waits for a chunk's worth of room, not every period
    }
    return pulled;
}

void Stream::push(std::span<const std::byte> pcm, std::uint64_t generation) {
    bool playable = false;
    bool primed = false;
    {
        std::lock_guard lock(m_mutex);
        if (generation != m_generation) {
            return;  // decoded before a seek
        }
        m_ring.write(pcm);
        playable = updateBufferingLocked();
        primed = updatePrimedLocked();
    }
    if (primed) {
        m_changed.notify_all();
    }
    notifyPlayable(playable);
}

void Stream::publishOpen(bool ready, std::optional<std::int64_t> lengthFrames) {
    {
        std::lock_guard lock(m_mutex);
        m_open = ready ? Open::Ready : Open::Failed;
        if (lengthFrames) {
            m_length = *lengthFrames * kBytesPerFrame;
        }
        static_cast<void>(updatePrimedLocked());
    }
    m_changed.notify_all();
}

void Stream::publishLength(std::int64_t frames, std::uint64_t generation) {
    std::lock_guard lock(m_mutex);
    if (generation == m_generation && m_length < 0) {
        m_length = frames * kBytesPerFrame;
    }
}

void Stream::publishSeekDone(std::int64_t frame, std::uint64_t generation) {
    std::lock_guard lock(m_mutex);
    if (generation == m_generation) {
        m_position = frame * kBytesPerFrame;  // where the decoder really resumes
    }
}

void Stream::publishEnd(std::int64_t frame, std::uint64_t generation) {
    bool playable = false;
    bool primed = false;
    {
        std::lock_guard lock(m_mutex);
        if (generation != m_generation) {
            return;
        }
        m_decodeEnded = true;
        m_length = frame * kBytesPerFrame;  // the exact end replaces any estimate
        playable = updateBufferingLocked();
        primed = updatePrimedLocked();
    }
    if (primed) {
        m_changed.notify_all();
    }
    notifyPlayable(playable);
}

bool Stream::updateBufferingLocked() {
    if (m_phase != Phase::Buffering) {
        return false;
    }
    if (m_decodeEnded && m_ring.size() == 0) {
        m_phase = Phase::Ended;
        return false;
    }
    const bool enough = bufferFilledLocked();
    if (enough) {
        m_phase = Phase::Playing;
    }
    return enough;
}

bool Stream::bufferFilledLocked() const {
    return static_cast<std::int64_t>(m_ring.size()) >= kStartBufferBytes || m_decodeEnded ||
           m_ring.freeSpace() < kRingFullMargin;
}

bool Stream::updatePrimedLocked() {
    if (m_primed || m_open != Open::Ready || !bufferFilledLocked()) {
        return false;
    }
    m_primed = true;
    return true;
}

void Stream::requestSeekLocked(std::int64_t bytes) {
    m_seekFrame = bytes / kBytesPerFrame;
    ++m_generation;
    m_ring.clear();
    m_position = bytes;
    m_decodeEnded = false;
}

void Stream::notifyPlayable(bool playable) const {
    if (playable && m_onPlayable) {
        m_onPlayable();
    }
}

}  // namespace vamu::playback
