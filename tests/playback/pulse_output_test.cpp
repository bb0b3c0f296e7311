// The engine's sound through a real PulseAudio server: a private server with a null
// sink whose monitor records what the engine played.

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "playback/audio_engine.h"
#include "support/audio_fixture.h"
#include "support/pulse_server.h"
#include "support/wait_until.h"

namespace vamu::test {
namespace {

using namespace std::chrono_literals;
using playback::ActivityState;
using playback::OutputKind;
using playback::Restart;
using Clock = std::chrono::steady_clock;

class PulseEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!m_server.running()) GTEST_SKIP() << m_server.why();
    }
    PulseServer m_server;
    playback::AudioEngine m_engine;  // after the server, so it lets go of it first
};

TEST_F(PulseEngineTest, PlaysTheSongIntoTheServerInRealTimeAtItsVolume) {
    ASSERT_EQ(m_engine.init(), OutputKind::Pulse);
    SinkRecorder recorder(m_server);
    ASSERT_TRUE(recorder.connected());
    const auto wave = makeWave({.frames = 44100, .constant = true, .constantLevel = 16000});
    const auto handle = m_engine.createStream({.memory = wave});
    ASSERT_NE(handle, 0u);
    ASSERT_TRUE(m_engine.setAttribute(handle, 0.5f));

    const auto start = Clock::now();
    ASSERT_TRUE(m_engine.play(handle, Restart::No));
    ASSERT_TRUE(waitUntil([&] { return m_engine.isActive(handle) == ActivityState::Stopped; }));
    // The server paces the mixer: a second of sound cannot be played much faster.
    EXPECT_GT(std::chrono::duration<double>(Clock::now() - start).count(), 0.85);
    EXPECT_EQ(m_engine.getPosition(handle), m_engine.getLength(handle));
    std::this_thread::sleep_for(400ms);  // what the server still buffers reaches the sink

    const auto samples = recorder.stop();
    int atHalf = 0;
    int other = 0;
    for (const std::int16_t sample : samples) {
        if (std::abs(sample - 8000) <= 2)
            ++atHalf;
        else if (sample != 0)
            ++other;
    }
    EXPECT_GE(atHalf, 2 * 44100 * 95 / 100);  // (nearly) every sample of both channels
    EXPECT_LE(atHalf, 2 * 44100 + 2);
    EXPECT_LT(other, 2 * 44100 / 100);  // at most a ramp at the edges
}

TEST_F(PulseEngineTest, AServerThatGoesAwayLeavesTheSongPlayingOnInSilence) {
    ASSERT_EQ(m_engine.init(), OutputKind::Pulse);
    const auto wave = makeWave({.frames = 3 * 44100, .constant = true});
    const auto handle = m_engine.createStream({.memory = wave});
    ASSERT_NE(handle, 0u);
    ASSERT_TRUE(m_engine.play(handle, Restart::No));
    ASSERT_TRUE(waitUntil([&] { return m_engine.getPosition(handle) > 44100 * 4 / 2; }));

    m_server.kill();
    ASSERT_TRUE(waitUntil([&] { return m_engine.outputKind() == OutputKind::Silent; }, 5s));
    const std::int64_t afterLoss = m_engine.getPosition(handle);
    ASSERT_TRUE(waitUntil([&] { return m_engine.isActive(handle) == ActivityState::Stopped; }));
    EXPECT_GT(m_engine.getPosition(handle), afterLoss);
    EXPECT_EQ(m_engine.getPosition(handle), m_engine.getLength(handle));
}

TEST(PulseEngine, WithNoServerToReachTheEngineKeepsTimeSilently) {
    ::setenv("PULSE_SERVER", "unix:/nonexistent/vamu/native", 1);
    playback::AudioEngine engine;
    ASSERT_EQ(engine.init(), OutputKind::Silent);
    const auto wave = makeWave({.frames = 44100 / 2});
    const auto handle = engine.createStream({.memory = wave});
    ASSERT_NE(handle, 0u);
    const auto start = Clock::now();
    ASSERT_TRUE(engine.play(handle, Restart::No));
    ASSERT_TRUE(waitUntil([&] { return engine.isActive(handle) == ActivityState::Stopped; }));
    EXPECT_GT(std::chrono::duration<double>(Clock::now() - start).count(), 0.4);
    EXPECT_EQ(engine.getPosition(handle), engine.getLength(handle));
}

}  // namespace
}  // namespace vamu::test
