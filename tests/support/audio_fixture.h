#pragma once
// Test sounds made on the spot: MP3 through libmp3lame and WAVE files, all carrying a
// 440 Hz tone whose loudness steps once a second, so any stretch of decoded audio tells
// which second of the song it came from.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vamu::test {

// Peak amplitude of the tone during second `second` of every generated sound.
[[nodiscard]] int toneLevel(std::int64_t second);
// Which second's level lies nearest to the RMS of a stretch of one channel, modulo 20
// (the levels repeat every 20 seconds); -1 for silence.
[[nodiscard]] int secondFromLevel(double rms);
// RMS of the left channel of interleaved stereo samples.
[[nodiscard]] double leftRms(std::span<const std::int16_t> stereo);

struct Mp3Sound {
    int sampleRate = 44100;
    int channels = 2;
    std::int64_t frames = 44100;  // samples per channel
    int kbps = 128;
    bool infoTag = true;  // the Info/Xing frame with the exact length (encoder delay and padding)
};
[[nodiscard]] std::vector<std::byte> encodeMp3(const Mp3Sound& sound);

enum class WaveSampleFormat { Unsigned8, Signed16, Signed24, Float32 };

struct WaveSound {
    int sampleRate = 44100;
    int channels = 2;
    std::int64_t frames = 44100;
    WaveSampleFormat format = WaveSampleFormat::Signed16;
    bool constant = false;  // every sample at `constantLevel` instead of the tone
    int constantLevel = 16000;
};
[[nodiscard]] std::vector<std::byte> makeWave(const WaveSound& sound);

// Writes the bytes to a new file under /tmp; returns its path (the caller removes it).
[[nodiscard]] std::string writeTempFile(std::span<const std::byte> bytes, const char* suffix);

}  // namespace vamu::test
