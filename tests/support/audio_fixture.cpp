#include "support/audio_fixture.h"

#include <lame/lame.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <stdexcept>
#include <string>

#include <unistd.h>

namespace vamu::test {
namespace {

constexpr int kLevels = 20;

std::int16_t toneSample(std::int64_t index, int sampleRate) {
    const double t = static_cast<double>(index) / sampleRate;
    return static_cast<std::int16_t>(
        std::lround(toneLevel(index / sampleRate) * std::sin(2 * std::numbers::pi * 440.0 * t)));
}

void putLe(std::vector<std::byte>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::byte>((value >> (8 * i)) & 0xFF));
    }
}

void putTag(std::vector<std::byte>& out, const char* tag) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::byte>(tag[i]));
    }
}

}  // namespace

int toneLevel(std::int64_t second) { return 2000 + 1000 * static_cast<int>(second % kLevels); }

int secondFromLevel(double rms) {
    const double peak = rms * std::numbers::sqrt2;
    if (peak < 1000) {
        return -1;
    }
    return static_cast<int>(std::lround((peak - 2000) / 1000));
}

double leftRms(std::span<const std::int16_t> stereo) {
    double sum = 0;
    std::size_t count = 0;
    for (std::size_t i = 0; i + 1 < stereo.size(); i += 2) {
        sum += static_cast<double>(stereo[i]) * stereo[i];
        ++count;
    }
    return count == 0 ? 0.0 : std::sqrt(sum / static_cast<double>(count));
}

std::vector<std::byte> encodeMp3(const Mp3Sound& sound) {
    lame_global_flags* lame = lame_init();
    lame_set_in_samplerate(lame, sound.sampleRate);
    lame_set_out_samplerate(lame, sound.sampleRate);
    lame_set_num_channels(lame, sound.channels);
    lame_set_mode(lame, sound.channels == 1 ? MONO : JOINT_STEREO);
    lame_set_brate(lame, sound.kbps);
    lame_set_quality(lame, 7);
    lame_set_bWriteVbrTag(lame, sound.infoTag ? 1 : 0);
    if (lame_init_params(lame) < 0) {
        lame_close(lame);
        throw std::runtime_error("lame_init_params failed");
    }
    std::vector<short> left(static_cast<std::size_t>(sound.frames));
    for (std::int64_t i = 0; i < sound.frames; ++i) {
        left[static_cast<std::size_t>(i)] = toneSample(i, sound.sampleRate);
    }
    std::vector<unsigned char> out(static_cast<std::size_t>(sound.frames) * 5 / 4 + 7200 + 65536);
    int size = lame_encode_buffer(lame, left.data(), left.data(), static_cast<int>(sound.frames), out.data(),
                                  static_cast<int>(out.size()));
    size += lame_encode_flush(lame, out.data() + size, static_cast<int>(out.size()) - size);
    if (sound.infoTag) {
        // The encoder reserved the first frame; fill it now that the totals are known.
        unsigned char tag[2880];
        const std::size_t tagSize = lame_get_lametag_frame(lame, tag, sizeof tag);
        std::memcpy(out.data(), tag, tagSize);
    }
    lame_close(lame);
    const auto* bytes = reinterpret_cast<const std::byte*>(out.data());
    return std::vector<std::byte>(bytes, bytes + size);
}

std::vector<std::byte> makeWave(const WaveSound& sound) {
    const int bits = sound.format == WaveSampleFormat::Unsigned8  ? 8
                     : sound.format == WaveSampleFormat::Signed16 ? 16
                     : sound.format == WaveSampleFormat::Signed24 ? 24
                                                                  : 32;
    const std::uint32_t blockAlign = static_cast<std::uint32_t>(sound.channels * bits / 8);
    const auto dataSize = static_cast<std::uint32_t>(sound.frames * blockAlign);
    std::vector<std::byte> out;
    putTag(out, "RIFF");
    putLe(out, 36 + 8 + 4 + dataSize, 4);
    putTag(out, "WAVE");
    putTag(out, "LIST");  // a chunk the reader must step over
    putLe(out, 4, 4);
    putTag(out, "INFO");
    putTag(out, "fmt ");
    putLe(out, 16, 4);
    putLe(out, sound.format == WaveSampleFormat::Float32 ? 3 : 1, 2);
    putLe(out, static_cast<std::uint32_t>(sound.channels), 2);
    putLe(out, static_cast<std::uint32_t>(sound.sampleRate), 4);
    putLe(out, static_cast<std::uint32_t>(sound.sampleRate) * blockAlign, 4);
    putLe(out, blockAlign, 2);
    putLe(out, static_cast<std::uint32_t>(bits), 2);
    putTag(out, "data");
    putLe(out, dataSize, 4);
    for (std::int64_t i = 0; i < sound.frames; ++i) {
        const int value = sound.constant ? sound.constantLevel : toneSample(i, sound.sampleRate);
        for (int c = 0; c < sound.channels; ++c) {
            switch (sound.format) {
            case WaveSampleFormat::Unsigned8:
                putLe(out, static_cast<std::uint32_t>(std::lround(value / 256.0) + 128), 1);
                break;
            case WaveSampleFormat::Signed16:
                putLe(out, static_cast<std::uint32_t>(value), 2);
                break;
            case WaveSampleFormat::Signed24:
                putLe(out, static_cast<std::uint32_t>(value * 256), 3);
                break;
            case WaveSampleFormat::Float32: {
                const float sample = static_cast<float>(value) / 32767.0f;
                std::uint32_t raw = 0;
                std::memcpy(&raw, &sample, sizeof raw);
                putLe(out, raw, 4);
                break;
            }
            }
        }
    }
    return out;
}

std::string writeTempFile(std::span<const std::byte> bytes, const char* suffix) {
    std::string path = "/tmp/vamu-test-XXXXXX" + std::string(suffix);
    const int fd = mkstemps(path.data(), static_cast<int>(std::strlen(suffix)));
    if (fd < 0) {
        throw std::runtime_error("mkstemps failed");
    }
    const auto written = ::write(fd, bytes.data(), bytes.size());
    ::close(fd);
    if (written != static_cast<ssize_t>(bytes.size())) {
        throw std::runtime_error("short write to " + path);
    }
    return path;
}

}  // namespace vamu::test
