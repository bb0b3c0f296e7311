#include "playback/mixer.h"

#include <algorithm>
#include <cmath>

#include "playback/pcm_format.h"
#include "playback/silent_output.h"
#include "playback/stream.h"

namespace vamu::playback {
namespace {

constexpr std::size_t kPeriodFrames = kSampleRate / 50;  // 20 ms
constexpr std::size_t kPeriodSamples = kPeriodFrames * kChannels;
// A wake-up is never missed, but an idle thread still looks around now and then.
constexpr auto kIdleCheck = std::chrono::seconds(1);

}  // namespace

Mixer::Mixer(std::unique_ptr<AudioOutput> output)
    : m_kind(output->kind()),
      m_output(std::move(output)),
      m_pulled(kPeriodSamples),
      m_sum(kPeriodSamples),
      m_mixed(kPeriodSamples) {
    m_thread = std::jthread([this](std::stop_token stop) { run(stop); });
}

Mixer::~Mixer() {
    m_thread.request_stop();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void Mixer::attach(std::shared_ptr<Stream> stream) {
    {
        std::lock_guard lock(m_mutex);
        m_streams.push_back(std::move(stream));
        m_woken = true;
    }
    m_wakeup.notify_all();
}

void Mixer::detach(const Stream* stream) {
    std::lock_guard lock(m_mutex);
    std::erase_if(m_streams, [stream](const auto& held) { return held.get() == stream; });
    std::erase_if(m_successors, [stream](const auto& pair) { return pair.first == stream || pair.second.get() == stream; });
}

void Mixer::setSuccessor(const Stream* current, std::shared_ptr<Stream> next) {
    std::lock_guard lock(m_mutex);
    std::erase_if(m_successors, [current](const auto& pair) { return pair.first == current; });
    if (next) m_successors.emplace_back(current, std::move(next));
}

std::shared_ptr<Stream> Mixer::takeSuccessor(const Stream* stream) {
    std::lock_guard lock(m_mutex);
    for (auto it = m_successors.begin(); it != m_successors.end(); ++it) {
        if (it->first != stream) continue;
        std::shared_ptr<Stream> next = std::move(it->second);
        m_successors.erase(it);
        return next;
    }
    return nullptr;
}

void Mixer::wake() {
    {
        std::lock_guard lock(m_mutex);
        m_woken = true;
    }
    m_wakeup.notify_all();
}

void Mixer::run(std::stop_token stop) {
    std::vector<std::shared_ptr<Stream>> streams;
    while (!stop.stop_requested()) {
        {
            std::lock_guard lock(m_mutex);
            streams = m_streams;
            m_woken = false;
        }
        const bool sounded = mixOnce(streams);
        streams.clear();  // drop our references before any wait
        if (sounded) {
            continue;
        }
        m_output->idle();
        std::unique_lock lock(m_mutex);
        m_wakeup.wait_for(lock, stop, kIdleCheck, [&] { return m_woken; });
    }
}

std::size_t Mixer::addFrom(Stream& stream, std::size_t offset, bool& ended) {
    const std::span<std::int16_t> room = std::span(m_pulled).first(kPeriodSamples - offset);
    const Stream::Pulled pulled = stream.pull(std::as_writable_bytes(room));
    ended = pulled.ended;
    const std::size_t count = pulled.bytes / kBytesPerSample;
    if (pulled.volume >= 1.0f) {
        for (std::size_t i = 0; i < count; ++i) {
            m_sum[offset + i] += m_pulled[i];
        }
    } else {
        for (std::size_t i = 0; i < count; ++i) {
            m_sum[offset + i] += static_cast<std::int32_t>(std::lround(m_pulled[i] * pulled.volume));
        }
    }
    return count;
}

// Mixes and writes one period; false when no stream gave anything.
bool Mixer::mixOnce(std::vector<std::shared_ptr<Stream>>& streams) {
    std::fill(m_sum.begin(), m_sum.end(), 0);
    bool any = false;
    std::vector<const Stream*> started;  // successors that already gave this period's rest
    for (const auto& stream : streams) {
        if (std::find(started.begin(), started.end(), stream.get()) != started.end()) continue;
        bool ended = false;
        std::size_t count = addFrom(*stream, 0, ended);
        // A song that ends hands the rest of the period to the one chained after it.
        for (std::shared_ptr<Stream> next = ended ? takeSuccessor(stream.get()) : nullptr;
             next && count < kPeriodSamples && next->play(false);
             next = ended ? takeSuccessor(next.get()) : nullptr) {
            started.push_back(next.get());
            count += addFrom(*next, count, ended);
        }
        any = any || count > 0;
    }
    if (!any) {
        return false;
    }
    for (std::size_t i = 0; i < kPeriodSamples; ++i) {
        m_mixed[i] = static_cast<std::int16_t>(std::clamp(m_sum[i], -32768, 32767));
    }
    if (!m_output->write(m_mixed)) {
        // The audio server went away: keep time with the silent output rather than stop.
        m_output = std::make_unique<SilentOutput>();
        m_kind.store(OutputKind::Silent);
    }
    return true;
}

}  // namespace vamu::playback
