#pragma once
// A song as notes (the composer writes it from a seed) and the synthesiser that plays a
// score into 44.1 kHz stereo samples, block by block, so a song of minutes never sits
// in memory as audio.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace vamu::service {

inline constexpr int kSongSampleRate = 44100;

enum class Instrument : std::uint8_t { ElectricPiano, Bell, Pluck, Flute, Pad, Bass, Kick, Snare, HiHat };

struct Note {
    std::int64_t startFrame = 0;
    std::int64_t gateFrames = 0;  // held this long, then released
    float frequency = 0;          // Hz; ignored by the drums
    float velocity = 0;           // 0..1
    float pan = 0;                // -1 left .. +1 right
    Instrument instrument = Instrument::Pad;
};

struct Score {
    std::int64_t totalFrames = 0;
    std::vector<Note> notes;  // sorted by startFrame
};

// Writes a short piece in one key and tempo with a chord progression, a lead melody built
// from repeated motifs, accompaniment and, in most songs, drums. Same seed, same score.
[[nodiscard]] Score composeSong(std::uint64_t seed, double seconds);

class SongSynth {
public:
    explicit SongSynth(Score score);
    ~SongSynth();
    SongSynth(const SongSynth&) = delete;
    SongSynth& operator=(const SongSynth&) = delete;

    // Renders the next frames into `left` and `right` (equal lengths, values within
    // -1..1) and returns how many were written: fewer than asked only at the song's end.
    std::size_t render(std::span<float> left, std::span<float> right);

    [[nodiscard]] std::int64_t totalFrames() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

}  // namespace vamu::service
