// The engine's operations on file and memory streams, played into a capturing output.

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdio>
#include <limits>
#include <numbers>
#include <thread>
#include <vector>

#include "playback/stream_time.h"
#include "support/audio_fixture.h"
#include "support/wait_until.h"
#include "playback/engine_fixture.h"

namespace vamu::test {
namespace {

using namespace std::chrono_literals;
using playback::ActivityState;
using playback::Restart;

struct LengthCase {
    const char* name;
    Mp3Sound sound;
    std::int64_t expectedFrames;
    std::int64_t toleranceFrames;  // resampling from another rate may round the end
};

class DecodedLength : public EngineTest, public ::testing::WithParamInterface<LengthCase> {};

TEST_P(DecodedLength, HeaderLengthMatchesEncodedSamplesAndThePlayedEnd) {
    startEngine(16.0);
    const LengthCase& c = GetParam();
    const auto mp3 = encodeMp3(c.sound);
    const auto handle = fromMemory(mp3);
    ASSERT_NE(handle, 0u);

    const std::int64_t length = m_engine.getLength(handle);
    EXPECT_NEAR(static_cast<double>(length), c.expectedFrames * 4.0, c.toleranceFrames * 4.0);
    EXPECT_EQ(length % playback::kBytesPerFrame, 0);

    ASSERT_TRUE(m_engine.play(handle, Restart::No));
    ASSERT_TRUE(waitUntil([&] { return m_engine.isActive(handle) == ActivityState::Stopped; }));
    EXPECT_EQ(m_engine.getPosition(handle), m_engine.getLength(handle));
    EXPECT_NEAR(static_cast<double>(m_engine.getPosition(handle)), c.expectedFrames * 4.0, c.toleranceFrames * 4.0);
}

INSTANTIATE_TEST_SUITE_P(
    Mp3, DecodedLength,
    ::testing::Values(LengthCase{"stereo44k", {44100, 2, 3 * 44100 + 17, 128, true}, 3 * 44100 + 17, 0},
                      LengthCase{"mono48k", {48000, 1, 2 * 48000, 96, true}, 2 * 44100, 20},
                      LengthCase{"mono22k", {22050, 1, 22050 + 500, 64, true}, 2 * (22050 + 500), 20},
                      LengthCase{"tiny", {44100, 2, 1000, 128, true}, 1000, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EngineTest, PositionAdvancesInRealTimeAndPauseFreezesIt) {
    startEngine();
    const auto mp3 = encodeMp3({.frames = 5 * 44100});
    const auto handle = fromMemory(mp3);
    ASSERT_NE(handle, 0u);
    EXPECT_EQ(m_engine.isActive(handle), ActivityState::Stopped);  // created, not yet playing
    EXPECT_EQ(m_engine.getPosition(handle), 0);

    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(m_engine.play(handle, Restart::No));
    std::this_thread::sleep_for(1s);
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const double played = m_engine.bytesToSeconds(handle, m_engine.getPosition(handle));
    EXPECT_EQ(m_engine.isActive(handle), ActivityState::Playing);
    EXPECT_GT(played, 0.6);
    EXPECT_LT(played, elapsed + 0.2);

    ASSERT_TRUE(m_engine.pause(handle));
    EXPECT_EQ(m_engine.isActive(handle), ActivityState::Paused);
    EXPECT_FALSE(m_engine.pause(handle));  // already paused
    std::this_thread::sleep_for(50ms);     // a period in flight may still finish
    const std::int64_t frozen = m_engine.getPosition(handle);
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(m_engine.getPosition(handle), frozen);

    ASSERT_TRUE(m_engine.play(handle, Restart::No));
    EXPECT_TRUE(waitUntil([&] { return m_engine.getPosition(handle) > frozen + secondsToBytes(0.2); }, 3s));
    EXPECT_EQ(m_engine.isActive(handle), ActivityState::Playing);
}

TEST_F(EngineTest, StopKeepsThePositionAndRestartGoesBackToTheStart) {
    startEngine(4.0);
    const auto mp3 = encodeMp3({.frames = 10 * 44100});
    const auto handle = fromMemory(mp3);
    ASSERT_TRUE(m_engine.play(handle, Restart::No));
    ASSERT_TRUE(waitUntil([&] { return m_engine.getPosition(handle) > secondsToBytes(1.0); }));
    ASSERT_TRUE(m_engine.stop(handle));
    EXPECT_EQ(m_engine.isActive(handle), ActivityState::Stopped);
    std::this_thread::sleep_for(50ms);
    const std::int64_t stoppedAt = m_engine.getPosition(handle);
    EXPECT_GT(stoppedAt, secondsToBytes(1.0));

    EXPECT_FALSE(m_engine.pause(handle));  // nothing to pause
    ASSERT_TRUE(m_engine.play(handle, Restart::Yes));
    EXPECT_LT(m_engine.getPosition(handle), stoppedAt);
    EXPECT_TRUE(waitUntil([&] { return m_engine.isActive(handle) == ActivityState::Playing; }));
}

TEST_F(EngineTest, SeekingPlaysFromTheRequestedSecond) {
    startEngine(2.0);
    const auto mp3 = encodeMp3({.frames = 10 * 44100});
    const auto handle = fromMemory(mp3);
    ASSERT_NE(handle, 0u);

    for (const double target : {5.25, 2.5, 8.5}) {
        SCOPED_TRACE(target);
        m_engine.pause(handle);
        const std::int64_t bytes = secondsToBytes(target);
        ASSERT_TRUE(m_engine.setPosition(handle, bytes));
        EXPECT_EQ(m_engine.getPosition(handle), bytes);
        std::this_thread::sleep_for(30ms);  // let a period in flight land before clearing
        m_capture->clear();
        ASSERT_TRUE(m_engine.play(handle, Restart::No));
        ASSERT_TRUE(waitUntil([&] { return m_engine.getPosition(handle) > bytes + secondsToBytes(0.3); }));
        const auto samples = m_capture->samples();
        ASSERT_GE(samples.size(), 2u * 44100 / 5);
        EXPECT_EQ(secondFromLevel(leftRms(std::span(samples).first(2 * 44100 / 5))), static_cast<int>(target));
    }
    EXPECT_FALSE(m_engine.setPosition(handle, m_engine.getLength(handle) + 4));
    EXPECT_FALSE(m_engine.setPosition(handle, -4));
}

TEST_F(EngineTest, SongEndGivesStoppedAndPlayWithoutRestartStaysThere) {
    startEngine(4.0);
    const auto mp3 = encodeMp3({.frames = 44100 / 2});
    const auto handle = fromMemory(mp3);
    ASSERT_TRUE(m_engine.play(handle, Restart::No));
    ASSERT_TRUE(waitUntil([&] { return m_engine.isActive(handle) == ActivityState::Stopped; }, 5s));
    EXPECT_EQ(m_engine.getPosition(handle), 44100 / 2 * 4);
    EXPECT_TRUE(m_engine.play(handle, Restart::No));
    EXPECT_TRUE(waitUntil([&] { return m_engine.isActive(handle) == ActivityState::Stopped; }, 1s));
    EXPECT_EQ(m_engine.getPosition(handle), 44100 / 2 * 4);
}

// A stream chained after another starts in the very period the first one ends: the
// output holds the first song's last sample and then at once the second's first.
TEST_F(EngineTest, AStreamChainedAfterAnotherFollowsItWithoutSilence) {
    startEngine(4.0);
    const auto first = fromMemory(makeWave({.frames = 44100 / 2 + 17, .constant = true, .constantLevel = 16000}));
    const auto second = fromMemory(makeWave({.frames = 44100 / 2, .constant = true, .constantLevel = 8000}));
    ASSERT_TRUE(m_engine.playAfter(first, second));
    EXPECT_FALSE(m_engine.playAfter(first, 999999));
    ASSERT_TRUE(m_engine.play(first, Restart::No));
    ASSERT_TRUE(waitUntil([&] { return m_engine.getPosition(second) == 44100 / 2 * 4; }, 5s));
    const std::vector<std::int16_t> samples = m_capture->samples();
    const auto loud = std::find(samples.begin(), samples.end(), 16000);
    ASSERT_NE(loud, samples.end());
    const auto quiet = std::find(loud, samples.end(), 8000);
    ASSERT_NE(quiet, samples.end());
    EXPECT_EQ(quiet - loud, (44100 / 2 + 17) * 2);  // every sample of the first, nothing between
    EXPECT_TRUE(std::all_of(loud, quiet, [](std::int16_t sample) { return sample == 16000; }));
    EXPECT_TRUE(std::all_of(quiet, quiet + 44100, [](std::int16_t sample) { return sample == 8000; }));
}

TEST_F(EngineTest, VolumeScalesOnlyItsOwnStream) {
    startEngine(2.0);
    const auto loud = makeWave({.frames = 8 * 44100, .constant = true, .constantLevel = 16000});
    const auto first = fromMemory(loud);
    const auto second = fromMemory(loud);
    ASSERT_TRUE(m_engine.setAttribute(first, 0.5f));
    ASSERT_TRUE(m_engine.setAttribute(second, 0.0f));
    EXPECT_EQ(m_engine.getAttribute(first), 0.5f);
    ASSERT_TRUE(m_engine.play(first, Restart::No));
    ASSERT_TRUE(m_engine.play(second, Restart::No));
    ASSERT_TRUE(waitUntil([&] { return m_engine.getPosition(second) > secondsToBytes(0.5); }));
    ASSERT_TRUE(m_engine.setAttribute(second, 0.25f));
    const std::int64_t changedAt = m_engine.getPosition(second);
    ASSERT_TRUE(waitUntil([&] { return m_engine.getPosition(second) > changedAt + secondsToBytes(0.5); }));
    // The mixer may run between the two pauses: stopping the quieter stream first
    // keeps every mixed sample one of the two expected levels.
    m_engine.pause(second);
    m_engine.pause(first);

    int half = 0;
    int sum = 0;
    for (const std::int16_t sample : m_capture->samples()) {
        // Silence where a slow decoder (as under a sanitizer) had not filled a period yet.
        if (sample == 0) continue;
        ASSERT_TRUE(sample == 8000 || sample == 12000) << sample;
        (sample == 8000 ? half : sum) += 1;
    }
    // Both levels last a good part of their 0.5 s (periods a loaded machine left
    // unfilled are silence).
    EXPECT_GT(half, 44100 / 2);  // both channels at 0.5 + 0.0
    EXPECT_GT(sum, 44100 / 2);   // then 0.5 + 0.25

    EXPECT_FALSE(m_engine.setAttribute(first, std::numeric_limits<float>::quiet_NaN()));
    EXPECT_TRUE(m_engine.setAttribute(first, 1.5f));
    EXPECT_EQ(m_engine.getAttribute(first), 1.0f);
}

struct WaveCase {
    const char* name;
    WaveSound sound;
    std::int64_t expectedFrames;
};

class MemoryWave : public EngineTest, public ::testing::WithParamInterface<WaveCase> {};

TEST_P(MemoryWave, PlaysToTheEndWithTheRightLengthAndLevel) {
    startEngine(8.0);
    const auto wave = makeWave(GetParam().sound);
    const auto handle = fromMemory(wave);
    ASSERT_NE(handle, 0u);
    EXPECT_EQ(m_engine.getLength(handle), GetParam().expectedFrames * 4);
    ASSERT_TRUE(m_engine.play(handle, Restart::No));
    ASSERT_TRUE(waitUntil([&] { return m_engine.isActive(handle) == ActivityState::Stopped; }));
    EXPECT_EQ(m_engine.getPosition(handle), GetParam().expectedFrames * 4);
    const auto samples = m_capture->samples();
    ASSERT_GE(samples.size(), 2u * 44100 / 2);
    EXPECT_NEAR(leftRms(std::span(samples).first(44100)), toneLevel(0) / std::numbers::sqrt2, toneLevel(0) * 0.05);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, MemoryWave,
    ::testing::Values(WaveCase{"s16stereo44k", {44100, 2, 44100, WaveSampleFormat::Signed16}, 44100},
                      WaveCase{"u8mono22k", {22050, 1, 22050, WaveSampleFormat::Unsigned8}, 44099},
                      WaveCase{"float48k", {48000, 2, 48000, WaveSampleFormat::Float32}, 44100},
                      WaveCase{"s24mono11k", {11025, 1, 11025, WaveSampleFormat::Signed24}, 44097}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EngineTest, SourcesThatAreNotAudioGiveNoHandle) {
    startEngine();
    const std::string html = "<!DOCTYPE html><html><body>Not here</body></html>";
    const auto htmlBytes = std::as_bytes(std::span(html));
    const std::vector<std::byte> zeros(64 * 1024);
    auto wave = makeWave({.frames = 100});
    const std::vector<std::byte> truncatedHeader(wave.begin(), wave.begin() + 30);
    auto badFormat = wave;
    badFormat[34] = std::byte{0};  // channel count 0: the fmt body starts at byte 32
    badFormat[35] = std::byte{0};

    EXPECT_EQ(m_engine.createStream({}), 0u);
    EXPECT_EQ(m_engine.createStream({.file = "/nonexistent/song.mp3"}), 0u);
    EXPECT_EQ(m_engine.createStream({.file = "/tmp"}), 0u);  // a folder is not a file
    EXPECT_EQ(fromMemory(htmlBytes), 0u);
    EXPECT_EQ(fromMemory(zeros), 0u);
    EXPECT_EQ(fromMemory(truncatedHeader), 0u);
    EXPECT_EQ(fromMemory(badFormat), 0u);
    EXPECT_EQ(m_engine.createStream({.memory = wave, .offset = static_cast<std::int64_t>(wave.size()) + 1}), 0u);
}

TEST_F(EngineTest, OffsetSkipsLeadingBytesOfFileAndMemory) {
    startEngine();
    const auto mp3 = encodeMp3({.frames = 44100});
    std::vector<std::byte> padded;
    padded.reserve(333 + mp3.size());
    padded.resize(333, std::byte{'x'});
    padded.insert(padded.end(), mp3.begin(), mp3.end());
    const std::string path = writeTempFile(padded, ".mp3");

    const auto fromFile = m_engine.createStream({.file = path, .offset = 333});
    const auto fromBlock = m_engine.createStream({.memory = padded, .offset = 333});
    EXPECT_EQ(m_engine.getLength(fromFile), 44100 * 4);
    EXPECT_EQ(m_engine.getLength(fromBlock), 44100 * 4);
    // The file wins over the other sources when it exists.
    const auto preferred = m_engine.createStream({.file = path, .memory = std::span(mp3).first(10), .offset = 333});
    EXPECT_NE(preferred, 0u);
    std::remove(path.c_str());
}

TEST_F(EngineTest, FreedAndUnknownHandlesAreUnknown) {
    EXPECT_EQ(m_engine.createStream({.memory = makeWave({})}), 0u);  // not started
    startEngine();
    const auto wave = makeWave({});
    const auto a = fromMemory(wave);
    const auto b = fromMemory(wave);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EXPECT_NE(a, b);

    ASSERT_TRUE(m_engine.play(a, Restart::No));
    ASSERT_TRUE(m_engine.freeStream(a));
    for (const playback::StreamHandle handle : {a, playback::StreamHandle{0}, playback::StreamHandle{0xDEADBEEF}}) {
        SCOPED_TRACE(handle);
        EXPECT_EQ(m_engine.isActive(handle), ActivityState::Stopped);
        EXPECT_FALSE(m_engine.play(handle, Restart::No));
        EXPECT_FALSE(m_engine.pause(handle));
        EXPECT_FALSE(m_engine.stop(handle));
        EXPECT_FALSE(m_engine.setPosition(handle, 0));
        EXPECT_FALSE(m_engine.setAttribute(handle, 0.5f));
        EXPECT_FALSE(m_engine.getAttribute(handle).has_value());
        EXPECT_EQ(m_engine.getPosition(handle), -1);
        EXPECT_EQ(m_engine.getLength(handle), -1);
        EXPECT_EQ(m_engine.bytesToSeconds(handle, 176400), -1.0);
        EXPECT_EQ(playback::lengthSeconds(m_engine, handle), -1);
        EXPECT_EQ(playback::lengthText(m_engine, handle), "--:--");
        EXPECT_FALSE(m_engine.freeStream(handle));
    }
    EXPECT_EQ(m_engine.bytesToSeconds(b, 176400 * 3), 3.0);
    EXPECT_EQ(m_engine.secondsToBytes(b, 1.5), 264600);

    EXPECT_EQ(m_engine.init(playback::OutputChoice::Silent), playback::OutputKind::Capturing);  // already running
    m_engine.free();
    EXPECT_EQ(m_engine.isActive(b), ActivityState::Stopped);
    EXPECT_EQ(m_engine.outputKind(), playback::OutputKind::None);
    EXPECT_EQ(fromMemory(wave), 0u);
    EXPECT_EQ(m_engine.init(playback::OutputChoice::Silent), playback::OutputKind::Silent);
    const auto c = fromMemory(wave);
    EXPECT_NE(c, 0u);
    EXPECT_NE(c, b);  // handles are not reused
}

TEST_F(EngineTest, OperationsFromManyThreadsWhileStreamsComeAndGo) {
    startEngine(8.0);
    const auto wave = makeWave({.frames = 44100 / 4});
    std::atomic<playback::StreamHandle> current{0};
    std::atomic<bool> done{false};
    std::vector<std::thread> users;
    for (int t = 0; t < 3; ++t) {
        users.emplace_back([&, t] {
            while (!done.load()) {
                const auto handle = current.load();
                m_engine.play(handle, t == 0 ? Restart::Yes : Restart::No);
                m_engine.setAttribute(handle, 0.1f * static_cast<float>(t));
                (void)m_engine.isActive(handle);
                (void)playback::positionText(m_engine, handle);
                m_engine.setPosition(handle, 4 * 1000 * t);
                if (t == 2) {
                    m_engine.pause(handle);
                }
            }
        });
    }
    std::vector<playback::StreamHandle> freed;
    for (int i = 0; i < 40; ++i) {
        const auto handle = fromMemory(wave);
        ASSERT_NE(handle, 0u);
        current.store(handle);
        std::this_thread::sleep_for(5ms);
        EXPECT_TRUE(m_engine.freeStream(handle));
        freed.push_back(handle);
    }
    done.store(true);
    for (auto& user : users) {
        user.join();
    }
    for (const auto handle : freed) {
        EXPECT_EQ(m_engine.isActive(handle), ActivityState::Stopped);
    }
}

}  // namespace
}  // namespace vamu::test
