#pragma once
// An engine that plays into a capturing output, optionally faster than real time.

#include <gtest/gtest.h>

#include <memory>

#include "playback/audio_engine.h"
#include "playback/capturing_output.h"
#include "playback/pcm_format.h"
#include "support/scaled_clock.h"

namespace vamu::test {

class EngineTest : public ::testing::Test {
protected:
    void startEngine(double speed = 1.0) {
        auto output = std::make_unique<playback::CapturingOutput>(std::make_shared<ScaledClock>(speed));
        m_capture = output.get();
        ASSERT_EQ(m_engine.init(std::move(output)), playback::OutputKind::Capturing);
    }
    playback::StreamHandle fromMemory(std::span<const std::byte> bytes) {
        return m_engine.createStream({.memory = bytes});
    }
    static std::int64_t secondsToBytes(double seconds) {
        return playback::alignToFrame(static_cast<std::int64_t>(seconds * playback::kBytesPerSecond));
    }

    playback::AudioEngine m_engine;
    playback::CapturingOutput* m_capture = nullptr;  // owned by the engine's mixer
};

}  // namespace vamu::test
