// The decoder thread of a stream: recognises the format, then keeps the PCM ring filled
// from the source and carries out seeks.

#include <array>
#include <utility>
#include <vector>

#include "playback/pcm_decoder.h"
#include "playback/stream.h"

namespace vamu::playback {
namespace {

constexpr std::size_t kInputChunkBytes = 16 * 1024;  // encoded bytes read per step
// Input allowed before the first audio frame: enough for a large tag with a cover picture.
constexpr std::int64_t kMaxProbeBytes = 8 << 20;
constexpr auto kLengthPoll = std::chrono::milliseconds(250);

}  // namespace

void Stream::decodeLoop(std::stop_token stop) {
    std::vector<std::byte> pcm(kDecodeChunkBytes);
    std::size_t firstBytes = 0;
    const std::unique_ptr<PcmDecoder> decoder = openDecoder(stop, pcm, firstBytes);
    if (!decoder) {
        publishOpen(false, std::nullopt);
        return;
    }
    publishOpen(true, decoder->lengthFrames());
    bool lengthKnown = decoder->lengthFrames().has_value();
    // The download may finish without a length header while the ring is full and nothing
    // plays: learn the size then too, not only when decoding goes on.
    const auto refreshLength = [&](std::uint64_t generation) {
        if (lengthKnown) {
            return;
        }
        if (const auto total = m_source->totalSize()) {
            decoder->setInputSize(*total);
            if (const auto length = decoder->lengthFrames()) {
                publishLength(*length, generation);
                lengthKnown = true;
            }
        }
    };
    Work work;  // generation 0 until the first seek
    push(std::span(pcm).first(firstBytes), work.generation);
    std::int64_t frame = static_cast<std::int64_t>(firstBytes) / kBytesPerFrame;  // frame of the next PCM byte

    std::vector<std::byte> input(kInputChunkBytes);
    while (waitForWork(stop, work, lengthKnown)) {
        if (!work.seekFrame && !work.canDecode) {
            refreshLength(work.generation);
            continue;
        }
        if (work.seekFrame) {
            const auto plan = decoder->seek(*work.seekFrame);
            if (!plan) {
                publishEnd(*work.seekFrame, work.generation);
                continue;
            }
            m_source->seek(plan->inputOffset);
            frame = plan->frame;
            publishSeekDone(frame, work.generation);
            continue;
        }
        const DecodeStep step = decoder->decode(pcm);
        switch (step.status) {
        case DecodeStatus::Output:
            push(std::span(pcm).first(step.bytes), work.generation);
            frame += static_cast<std::int64_t>(step.bytes) / kBytesPerFrame;
            break;
        case DecodeStatus::NeedInput:
            if (!feedDecoder(*decoder, input, stop)) {
                return;
            }
            refreshLength(work.generation);
            break;
        case DecodeStatus::Finished:
        case DecodeStatus::Failed:
            publishEnd(frame, work.generation);
            lengthKnown = true;
            break;
        }
    }
}

// Reads the first bytes, picks the decoder by their signature and feeds it until the
// format is known. Nullptr when the data is not audio or never arrives.
// `pcm` receives any PCM decoded along the way, `pcmBytes` long.
std::unique_ptr<PcmDecoder> Stream::openDecoder(std::stop_token stop, std::span<std::byte> pcm, std::size_t& pcmBytes) {
    std::array<std::byte, 12> head{};
    std::size_t have = 0;
    while (have < head.size()) {
        const ReadResult result = m_source->read(std::span(head).subspan(have), stop);
        if (result.status == ReadStatus::Data) {
            have += result.bytes;
        } else if (result.status == ReadStatus::End) {
            break;
        } else if (result.status != ReadStatus::Interrupted) {
            return nullptr;
        }
    }
    const auto headBytes = std::span<const std::byte>(head).first(have);
    std::unique_ptr<PcmDecoder> decoder = looksLikeWave(headBytes) ? makeWaveDecoder() : makeMp3Decoder();
    if (const auto total = m_source->totalSize()) {
        decoder->setInputSize(*total);
    }
    decoder->feed(headBytes);
    if (have < head.size()) {
        decoder->endOfInput();
    }

    std::vector<std::byte> input(kInputChunkBytes);
    std::int64_t fed = static_cast<std::int64_t>(have);
    while (!decoder->formatKnown()) {
        const DecodeStep step = decoder->decode(pcm);
        if (decoder->formatKnown()) {
            pcmBytes = step.status == DecodeStatus::Output ? step.bytes : 0;
            break;
        }
        if (step.status != DecodeStatus::NeedInput || fed > kMaxProbeBytes) {
            return nullptr;
        }
        const ReadResult result = m_source->read(input, stop);
        switch (result.status) {
        case ReadStatus::Data:
            decoder->feed(std::span(input).first(result.bytes));
            fed += static_cast<std::int64_t>(result.bytes);
            break;
        case ReadStatus::End:
            decoder->endOfInput();
            break;
        case ReadStatus::Interrupted:
            break;
        case ReadStatus::Failed:
        case ReadStatus::Stopped:
            return nullptr;
        }
    }
    return decoder;
}

// Gives the decoder the next input; false only when the thread must stop.
bool Stream::feedDecoder(PcmDecoder& decoder, std::span<std::byte> buffer, std::stop_token stop) {
    const ReadResult result = m_source->read(buffer, stop);
    switch (result.status) {
    case ReadStatus::Data:
        decoder.feed(buffer.first(result.bytes));
        return true;
    case ReadStatus::End:
    case ReadStatus::Failed:
        // A broken connection ends the song where the data ends.
        decoder.endOfInput();
        return true;
    case ReadStatus::Interrupted:
        return true;  // a seek is waiting
    case ReadStatus::Stopped:
        return false;
    }
    return false;
}

// Waits until there is room to decode into or a seek to carry out; false on stop. While
// the length is unknown it also returns now and then with neither, to look for the size.
bool Stream::waitForWork(std::stop_token stop, Work& work, bool lengthKnown) {
    std::unique_lock lock(m_mutex);
    const auto ready = [&] {
        return m_seekFrame.has_value() || (!m_decodeEnded && m_ring.freeSpace() >= kDecodeChunkBytes);
    };
    if (lengthKnown) {
        m_changed.wait(lock, stop, ready);
    } else {
        m_changed.wait_for(lock, stop, kLengthPoll, ready);
    }
    if (stop.stop_requested()) {
        return false;
    }
    work.seekFrame = std::exchange(m_seekFrame, std::nullopt);
    work.canDecode = !m_decodeEnded && m_ring.freeSpace() >= kDecodeChunkBytes;
    work.generation = m_generation;
    return true;
}

}  // namespace vamu::playback
