// The decoders and the PCM ring on their own, fed in awkward pieces.

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "playback/pcm_decoder.h"
#include "playback/pcm_ring.h"
#include "support/audio_fixture.h"

namespace vamu::playback {
namespace {

using test::makeWave;
using test::WaveSampleFormat;

struct Decoded {
    std::vector<std::byte> pcm;
    bool formatKnown = false;
    bool failed = false;
    std::optional<std::int64_t> length;
};

// Feeds `input` in pieces of `piece` bytes, as a slow network would, and collects the PCM.
Decoded decodeAll(PcmDecoder& decoder, std::span<const std::byte> input, std::size_t piece) {
    Decoded result;
    std::vector<std::byte> out(4096);
    std::size_t fed = 0;
    for (int guard = 0; guard < 10'000'000; ++guard) {
        const DecodeStep step = decoder.decode(out);
        if (decoder.formatKnown() && !result.formatKnown) {
            result.formatKnown = true;
            result.length = decoder.lengthFrames();
        }
        if (step.status == DecodeStatus::Output) {
            result.pcm.insert(result.pcm.end(), out.begin(), out.begin() + static_cast<std::ptrdiff_t>(step.bytes));
        } else if (step.status == DecodeStatus::NeedInput) {
            if (fed == input.size()) {
                decoder.endOfInput();
            } else {
                const std::size_t count = std::min(piece, input.size() - fed);
                decoder.feed(input.subspan(fed, count));
                fed += count;
            }
        } else {
            result.failed = step.status == DecodeStatus::Failed;
            break;
        }
    }
    return result;
}

TEST(WaveDecoder, PieceSizeDoesNotChangeTheResult) {
    const auto wave = makeWave({.sampleRate = 32000, .channels = 1, .frames = 9000});
    std::vector<std::byte> reference;
    for (const std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{7}, std::size_t{65536}}) {
        SCOPED_TRACE(piece);
        auto decoder = makeWaveDecoder();
        const Decoded decoded = decodeAll(*decoder, wave, piece);
        ASSERT_FALSE(decoded.failed);
        const std::int64_t expected = (9000 - 1) * 44100 / 32000 + 1;
        EXPECT_EQ(decoded.length, expected);
        EXPECT_EQ(std::ssize(decoded.pcm), expected * 4);
        if (reference.empty()) {
            reference = decoded.pcm;
        }
        EXPECT_EQ(decoded.pcm, reference);
    }
}

TEST(WaveDecoder, SameRateStereoPassesSamplesThroughUnchanged) {
    const auto wave = makeWave({.frames = 1000});
    auto decoder = makeWaveDecoder();
    const Decoded decoded = decodeAll(*decoder, wave, 100);
    ASSERT_EQ(decoded.pcm.size(), 4000u);
    const std::size_t dataStart = wave.size() - 4000;
    EXPECT_TRUE(
        std::equal(decoded.pcm.begin(), decoded.pcm.end(), wave.begin() + static_cast<std::ptrdiff_t>(dataStart)));
}

TEST(WaveDecoder, SeekResumesAtTheExactFrame) {
    const auto wave = makeWave({.sampleRate = 22050, .channels = 2, .frames = 22050});
    auto whole = makeWaveDecoder();
    const Decoded reference = decodeAll(*whole, wave, 4096);

    auto decoder = makeWaveDecoder();
    decoder->feed(std::span(wave).first(64));
    std::vector<std::byte> out(4096);
    ASSERT_EQ(decoder->decode(out).status, DecodeStatus::Output);
    ASSERT_TRUE(decoder->formatKnown());
    const auto plan = decoder->seek(10001);
    ASSERT_TRUE(plan.has_value());
    EXPECT_EQ(plan->frame, 10001);
    const Decoded rest =
        decodeAll(*decoder, std::span(wave).subspan(static_cast<std::size_t>(plan->inputOffset)), 4096);
    ASSERT_GE(reference.pcm.size(), 10001u * 4 + rest.pcm.size());
    EXPECT_TRUE(std::equal(rest.pcm.begin(), rest.pcm.end(), reference.pcm.begin() + 10001 * 4));
    EXPECT_EQ(10001 * 4 + rest.pcm.size(), reference.pcm.size());
}

TEST(WaveDecoder, RejectsMalformedHeaders) {
    const auto good = makeWave({.frames = 10});
    auto withField = [&](std::size_t offset, std::uint8_t value) {
        auto bytes = good;
        bytes[offset] = std::byte{value};
        return bytes;
    };
    const std::vector<std::vector<std::byte>> cases = {
        std::vector<std::byte>(good.begin(), good.begin() + 20),  // ends inside the chunks
        withField(8, 'X'),                                        // not WAVE
        withField(32, 2),                                         // ADPCM
        withField(34, 0),                                         // no channels
        withField(46, 12),                                        // 12-bit samples
        withField(29, 0xF0),                                      // fmt chunk far too large
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        auto decoder = makeWaveDecoder();
        EXPECT_TRUE(decodeAll(*decoder, cases[i], 16).failed);
    }
}

TEST(Mp3Decoder, PieceSizeDoesNotChangeTheResult) {
    const auto mp3 = test::encodeMp3({.frames = 30000});
    std::vector<std::byte> reference;
    for (const std::size_t piece : {std::size_t{1}, std::size_t{417}, std::size_t{1 << 20}}) {
        SCOPED_TRACE(piece);
        auto decoder = makeMp3Decoder();
        const Decoded decoded = decodeAll(*decoder, mp3, piece);
        EXPECT_EQ(decoded.length, 30000);
        EXPECT_EQ(decoded.pcm.size(), 30000u * 4);
        if (reference.empty()) {
            reference = decoded.pcm;
        }
        EXPECT_EQ(decoded.pcm, reference);
    }
}

TEST(Mp3Decoder, LengthWithoutInfoTagNeedsTheInputSize) {
    const auto mp3 = test::encodeMp3({.frames = 5 * 44100, .infoTag = false});
    auto unsized = makeMp3Decoder();
    EXPECT_FALSE(decodeAll(*unsized, mp3, 4096).length.has_value());

    auto sized = makeMp3Decoder();
    sized->setInputSize(std::ssize(mp3));
    const Decoded decoded = decodeAll(*sized, mp3, 4096);
    ASSERT_TRUE(decoded.length.has_value());
    // An estimate from the frame size: within a frame or two of what decodes.
    EXPECT_NEAR(static_cast<double>(*decoded.length), static_cast<double>(decoded.pcm.size() / 4), 2 * 1152);
}

TEST(Mp3Decoder, TextIsNotAudio) {
    std::string page = "<html><head><title>502 Bad Gateway</title></head><body>";
    page.append(20000, ' ');
    auto decoder = makeMp3Decoder();
    const Decoded decoded = decodeAll(*decoder, std::as_bytes(std::span(page)), 512);
    EXPECT_TRUE(decoded.failed || !decoded.formatKnown);
    EXPECT_TRUE(decoded.pcm.empty());
}

TEST(PcmRing, KeepsOrderAcrossTheWrap) {
    PcmRing ring(10);
    std::vector<std::byte> source(100);
    std::iota(reinterpret_cast<unsigned char*>(source.data()), reinterpret_cast<unsigned char*>(source.data()) + 100,
              static_cast<unsigned char>(0));
    std::vector<std::byte> drained;
    std::size_t written = 0;
    const std::size_t writes[] = {7, 5, 9, 3, 10, 1};
    const std::size_t reads[] = {4, 6, 10, 2, 8, 3};
    for (std::size_t i = 0; i < std::size(writes); ++i) {
        written += ring.write(std::span(source).subspan(written, writes[i]));
        EXPECT_LE(ring.size(), ring.capacity());
        std::vector<std::byte> out(reads[i]);
        out.resize(ring.read(out));
        drained.insert(drained.end(), out.begin(), out.end());
    }
    const std::size_t room = ring.freeSpace();
    EXPECT_EQ(ring.write(std::span(source).first(20)), room);  // only what fits
    EXPECT_EQ(ring.size(), ring.capacity());
    EXPECT_TRUE(std::equal(drained.begin(), drained.end(), source.begin()));
}

}  // namespace
}  // namespace vamu::playback
