#include "playback/audio_engine.h"

#include <cmath>
#include <filesystem>

#include "playback/byte_source.h"
#include "playback/mixer.h"
#include "playback/pcm_format.h"
#include "playback/pulse_output.h"
#include "playback/silent_output.h"
#include "playback/stream.h"
#include "playback/url_source.h"

namespace vamu::playback {
namespace {

std::unique_ptr<ByteSource> openSource(const StreamSource& source) {
    std::error_code error;
    if (!source.file.empty() && std::filesystem::is_regular_file(source.file, error)) {
        return makeFileSource(source.file, source.offset);
    }
    if (!source.memory.empty()) {
        return makeMemorySource(source.memory, source.offset);
    }
    if (!source.url.empty()) {
        return std::make_unique<UrlSource>(source.url, source.offset, UrlSourceLimits{}, source.sink);
    }
    return nullptr;
}

}  // namespace

AudioEngine::AudioEngine() = default;

AudioEngine::~AudioEngine() { free(); }

OutputKind AudioEngine::init(OutputChoice choice) {
    if (outputKind() != OutputKind::None) {
        return outputKind();
    }
    std::unique_ptr<AudioOutput> output;
    if (choice == OutputChoice::Automatic) {
        output = PulseOutput::open();
    }
    if (!output) {
        output = std::make_unique<SilentOutput>();
    }
    return init(std::move(output));
}

OutputKind AudioEngine::init(std::unique_ptr<AudioOutput> output) {
    std::lock_guard lock(m_mutex);
    if (!m_mixer && output) {
        m_mixer = std::make_shared<Mixer>(std::move(output));
    }
    return m_mixer ? m_mixer->outputKind() : OutputKind::None;
}

void AudioEngine::free() {
    std::unordered_map<StreamHandle, std::shared_ptr<Stream>> streams;
    std::shared_ptr<Mixer> mixer;
    {
        std::lock_guard lock(m_mutex);
        streams.swap(m_streams);
        mixer.swap(m_mixer);
    }
    for (auto& [handle, stream] : streams) {
        stream->shutdown();
    }
    // The mixer thread stops when the last reference goes (a createStream in flight may hold one).
}

OutputKind AudioEngine::outputKind() const {
    std::lock_guard lock(m_mutex);
    return m_mixer ? m_mixer->outputKind() : OutputKind::None;
}

StreamHandle AudioEngine::createStream(const StreamSource& source, std::stop_token stop) {
    std::shared_ptr<Mixer> mixer;
    {
        std::lock_guard lock(m_mutex);
        mixer = m_mixer;
    }
    if (!mixer) {
        return 0;
    }
    std::unique_ptr<ByteSource> bytes = openSource(source);
    if (!bytes) {
        return 0;
    }
    std::weak_ptr<Mixer> weakMixer = mixer;
    auto stream = std::make_shared<Stream>(std::move(bytes), [weakMixer] {
        if (const auto held = weakMixer.lock()) {
            held->wake();
        }
    });
    if (!stream->waitUntilPrimed(stop, kOpenTimeout)) {
        stream->shutdown();
        return 0;
    }
    StreamHandle handle = 0;
    {
        std::lock_guard lock(m_mutex);
        if (m_mixer == mixer) {  // not freed meanwhile
            handle = registerLocked(stream);
        }
    }
    if (handle == 0) {
        stream->shutdown();
        return 0;
    }
    mixer->attach(std::move(stream));
    return handle;
}

bool AudioEngine::freeStream(StreamHandle handle) {
    std::shared_ptr<Stream> stream;
    std::shared_ptr<Mixer> mixer;
    {
        std::lock_guard lock(m_mutex);
        const auto found = m_streams.find(handle);
        if (found == m_streams.end()) {
            return false;
        }
        stream = std::move(found->second);
        m_streams.erase(found);
        mixer = m_mixer;
    }
    if (mixer) {
        mixer->detach(stream.get());
    }
    stream->shutdown();
    return true;
}

bool AudioEngine::play(StreamHandle handle, Restart restart) {
    const auto stream = find(handle);
    return stream && stream->play(restart == Restart::Yes);
}

bool AudioEngine::playAfter(StreamHandle current, StreamHandle next) {
    const auto first = find(current);
    const auto second = next != 0 ? find(next) : nullptr;
    std::shared_ptr<Mixer> mixer;
    {
        std::lock_guard lock(m_mutex);
        mixer = m_mixer;
    }
    if (!first || !mixer || (next != 0 && !second)) return false;
    mixer->setSuccessor(first.get(), second);
    return true;
}

bool AudioEngine::pause(StreamHandle handle) {
    const auto stream = find(handle);
    return stream && stream->pause();
}

bool AudioEngine::stop(StreamHandle handle) {
    const auto stream = find(handle);
    return stream && stream->stop();
}

ActivityState AudioEngine::isActive(StreamHandle handle) const {
    const auto stream = find(handle);
    return stream ? stream->activity() : ActivityState::Stopped;
}

std::int64_t AudioEngine::getPosition(StreamHandle handle) const {
    const auto stream = find(handle);
    return stream ? stream->position() : -1;
}

bool AudioEngine::setPosition(StreamHandle handle, std::int64_t bytes) {
    const auto stream = find(handle);
    return stream && stream->setPosition(bytes);
}

std::int64_t AudioEngine::getLength(StreamHandle handle) const {
    const auto stream = find(handle);
    return stream ? stream->length() : -1;
}

bool AudioEngine::setAttribute(StreamHandle handle, float volume) {
    const auto stream = find(handle);
    return stream && stream->setVolume(volume);
}

std::optional<float> AudioEngine::getAttribute(StreamHandle handle) const {
    const auto stream = find(handle);
    return stream ? stream->volume() : std::nullopt;
}

double AudioEngine::bytesToSeconds(StreamHandle handle, std::int64_t bytes) const {
    if (bytes < 0 || !find(handle)) {
        return -1.0;
    }
    return static_cast<double>(bytes) / static_cast<double>(kBytesPerSecond);
}

std::int64_t AudioEngine::secondsToBytes(StreamHandle handle, double seconds) const {
    if (!std::isfinite(seconds) || seconds < 0 || !find(handle)) {
        return -1;
    }
    return static_cast<std::int64_t>(std::floor(seconds * kSampleRate)) * kBytesPerFrame;
}

std::shared_ptr<Stream> AudioEngine::find(StreamHandle handle) const {
    std::lock_guard lock(m_mutex);
    const auto found = m_streams.find(handle);
    return found == m_streams.end() ? nullptr : found->second;
}

StreamHandle AudioEngine::registerLocked(std::shared_ptr<Stream> stream) {
    // Counting up, a handle comes round again only after four billion streams.
    do {
        ++m_lastHandle;
    } while (m_lastHandle == 0 || m_streams.contains(m_lastHandle));
    m_streams.emplace(m_lastHandle, std::move(stream));
    return m_lastHandle;
}

}  // namespace vamu::playback
