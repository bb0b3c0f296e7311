// Writes the download tone: a two-note bell chime, 1.2 s of 44,100 Hz 16-bit stereo WAVE.
//   vamu-make-tone resources/download_tone.wav
// The output is the same on every run, so the committed file can be checked against it.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr double kSeconds = 1.2;
constexpr double kPeak = 0.5;  // of full scale: a notice, not an alarm

struct Note {
    double start;      // seconds
    double frequency;  // Hz
    double pan;        // 0 left, 1 right
};

// A struck bell: a fundamental with two quieter partials, a quick attack and a long decay.
double bell(double t, double frequency) {
    if (t < 0) {
        return 0;
    }
    const double attack = std::min(1.0, t / 0.005);
    const double decay = std::exp(-t / 0.35);
    const double w = 2 * std::numbers::pi * frequency * t;
    return attack * decay *
           (std::sin(w) + 0.3 * std::sin(2 * w) * std::exp(-t / 0.12) + 0.1 * std::sin(3 * w) * std::exp(-t / 0.08));
}

void put(std::vector<unsigned char>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.wav\n", argv[0]);
        return 2;
    }
    const Note notes[] = {{0.0, 1046.50, 0.4}, {0.16, 1318.51, 0.6}};  // C6 then E6
    const int frames = static_cast<int>(kSeconds * kRate);
    std::vector<double> left(frames);
    std::vector<double> right(frames);
    double loudest = 0;
    for (int i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double fadeOut = std::min(1.0, (kSeconds - t) / 0.05);
        for (const Note& note : notes) {
            const double sample = bell(t - note.start, note.frequency) * fadeOut;
            left[i] += sample * (1 - note.pan);
            right[i] += sample * note.pan;
        }
        loudest = std::max({loudest, std::abs(left[i]), std::abs(right[i])});
    }

    const std::uint32_t dataBytes = static_cast<std::uint32_t>(frames) * 4;
    std::vector<unsigned char> out;
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    put(out, 36 + dataBytes, 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put(out, 16, 4);
    put(out, 1, 2);  // integer PCM
    put(out, 2, 2);
    put(out, kRate, 4);
    put(out, kRate * 4, 4);
    put(out, 4, 2);
    put(out, 16, 2);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    put(out, dataBytes, 4);
    const double scale = kPeak * 32767 / loudest;
    for (int i = 0; i < frames; ++i) {
        put(out, static_cast<std::uint32_t>(static_cast<std::int16_t>(std::lround(left[i] * scale))), 2);
        put(out, static_cast<std::uint32_t>(static_cast<std::int16_t>(std::lround(right[i] * scale))), 2);
    }

    std::FILE* file = std::fopen(argv[1], "wb");
    if (file == nullptr || std::fwrite(out.data(), 1, out.size(), file) != out.size() || std::fclose(file) != 0) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
