// The composer: key, tempo, progression, motifs and arrangement of one generated song.

#include "demo_random.h"
#include "song_score.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace vamu::service {
namespace {

constexpr std::array<int, 7> kMajor = {0, 2, 4, 5, 7, 9, 11};
constexpr std::array<int, 7> kMinor = {0, 2, 3, 5, 7, 8, 10};
using Progression = std::array<int, 4>;  // scale degrees counted from 0, one a bar
constexpr std::array<Progression, 5> kMajorProgressions = {
    {{0, 4, 5, 3}, {0, 5, 3, 4}, {0, 3, 4, 3}, {5, 3, 0, 4}, {0, 3, 5, 4}}};
constexpr std::array<Progression, 4> kMinorProgressions = {{{0, 5, 2, 6}, {0, 3, 6, 2}, {0, 6, 5, 6}, {0, 5, 3, 4}}};
// Rhythms of one bar in beats; a negative length is a rest.
using BarRhythm = std::vector<double>;
const std::array<BarRhythm, 7> kRhythms = {{{1, 1, 1, 1},
                                            {0.5, 0.5, 1, 2},
                                            {1.5, 0.5, 1, 1},
                                            {2, 1, 1},
                                            {0.5, 0.5, 0.5, 0.5, 1, -1},
                                            {1, 0.5, 0.5, 2},
                                            {3, -1}}};

struct MotifNote {
    double beat = 0;    // from the motif's start
    double length = 0;  // beats
    int step = 0;       // scale steps above the chord's root
};
using Motif = std::vector<MotifNote>;  // two bars

float midiToHz(double midi) { return static_cast<float>(440.0 * std::pow(2.0, (midi - 69.0) / 12.0)); }

class Composer {
public:
    Composer(std::uint64_t seed, double seconds) : m_random(seed) {
        m_score.totalFrames = static_cast<std::int64_t>(seconds * kSongSampleRate);
        m_framesPerBeat = kSongSampleRate * 60.0 / m_random.between(78, 124);
        const bool major = m_random.chance(0.6);
        m_scale = major ? kMajor : kMinor;
        m_progression = major ? m_random.pick(std::span<const Progression>(kMajorProgressions))
                              : m_random.pick(std::span<const Progression>(kMinorProgressions));
        m_tonic = 48 + m_random.between(0, 11);
        static constexpr std::array kLeads = {Instrument::ElectricPiano, Instrument::Pluck, Instrument::Flute,
                                              Instrument::Bell};
        m_lead = m_random.pick(std::span<const Instrument>(kLeads));
        m_arpeggio = m_random.chance(0.6);
        m_drums = m_random.chance(0.65);
    }

    Score compose() {
        const int bars = static_cast<int>(std::ceil(m_score.totalFrames / (4 * m_framesPerBeat)));
        const Motif verse = makeMotif();
        const Motif chorus = makeMotif();
        for (int bar = 0; bar < bars; ++bar) {
            const int chordDegree = m_progression[static_cast<std::size_t>(bar % 4)];
            addChord(bar, chordDegree);
            addBass(bar, chordDegree);
            const bool intro = bar < 2;
            const bool outro = bar >= bars - 2;
            if (!intro && m_drums && !outro) addDrums(bar, (bar - 2) % 8 == 7);
            if (intro || outro) continue;
            // Eight-bar sections: verse, verse varied, chorus a third higher, verse.
            const int section = ((bar - 2) / 8) % 4;
            const int inPhrase = (bar - 2) % 4;
            if (inPhrase % 2 != 0) continue;  // a motif covers two bars
            const Motif& motif = section == 2 ? chorus : verse;
            const bool vary = section == 1 || inPhrase == 2;
            addMotif(bar, motif, chordDegree, section == 2 ? 2 : 0, vary);
        }
        std::sort(m_score.notes.begin(), m_score.notes.end(),
                  [](const Note& a, const Note& b) { return a.startFrame < b.startFrame; });
        return std::move(m_score);
    }

private:
    Motif makeMotif() {
        Motif motif;
        int step = m_random.between(0, 4);
        for (int bar = 0; bar < 2; ++bar) {
            double beat = bar * 4.0;
            for (const double length : m_random.pick(std::span<const BarRhythm>(kRhythms))) {
                if (length > 0) {
                    const bool strong = std::fmod(beat, 2.0) == 0.0;
                    if (strong) {
                        // Strong beats land on a chord tone near the last note.
                        static constexpr std::array kChordSteps = {0, 2, 4, 7};
                        step = m_random.pick(std::span<const int>(kChordSteps));
                    } else {
                        static constexpr std::array kMoves = {-2, -1, -1, 1, 1, 2};
                        step = std::clamp(step + m_random.pick(std::span<const int>(kMoves)), -2, 7);
                    }
                    motif.push_back({beat, length, step});
                }
                beat += std::fabs(length);
            }
        }
        return motif;
    }

    int scaleNote(int step) const {
        const int octave = step >= 0 ? step / 7 : -((-step + 6) / 7);
        const int index = step - octave * 7;
        return m_scale[static_cast<std::size_t>(index)] + 12 * octave;
    }

    std::int64_t frameAt(int bar, double beat) const {
        return static_cast<std::int64_t>((bar * 4 + beat) * m_framesPerBeat);
    }

    // Nudges a start by a few milliseconds so the parts do not sound machine-locked.
    std::int64_t humanise(std::int64_t frame) { return std::max<std::int64_t>(0, frame + m_random.between(-200, 200)); }

    void add(Instrument instrument, std::int64_t start, double beats, double midi, double velocity, double pan) {
        if (start >= m_score.totalFrames) return;
        m_score.notes.push_back({start, static_cast<std::int64_t>(beats * m_framesPerBeat), midiToHz(midi),
                                 static_cast<float>(std::clamp(velocity, 0.0, 1.0)), static_cast<float>(pan),
                                 instrument});
    }

    void addChord(int bar, int degree) {
        for (int voice = 0; voice < 3; ++voice) {
            const double midi = m_tonic + scaleNote(degree + voice * 2);
            add(Instrument::Pad, frameAt(bar, 0), 4.2, midi, 0.6, voice == 1 ? 0.0 : (voice == 0 ? -0.45 : 0.45));
        }
        if (!m_arpeggio) return;
        static constexpr std::array kPattern = {0, 2, 4, 7, 4, 2, 0, 2};
        const auto arpInstrument = m_lead == Instrument::Pluck ? Instrument::ElectricPiano : Instrument::Pluck;
        for (int i = 0; i < 8; ++i) {
            const double midi = m_tonic + 12 + scaleNote(degree + kPattern[static_cast<std::size_t>(i)]);
            add(arpInstrument, humanise(frameAt(bar, i * 0.5)), 0.45, midi, i % 2 == 0 ? 0.55 : 0.42,
                i % 2 == 0 ? -0.3 : 0.3);
        }
    }

    void addBass(int bar, int degree) {
        const double root = m_tonic - 12 + scaleNote(degree);
        add(Instrument::Bass, frameAt(bar, 0), 1.4, root, 0.9, 0);
        if (m_drums) add(Instrument::Bass, frameAt(bar, 1.5), 0.4, root, 0.6, 0);
        add(Instrument::Bass, frameAt(bar, 2), 1.4, root + (m_random.chance(0.3) ? 7 : 0), 0.8, 0);
    }

    void addDrums(int bar, bool fill) {
        for (int beat = 0; beat < 4; ++beat) {
            if (beat % 2 == 0) add(Instrument::Kick, frameAt(bar, beat), 0.5, 0, 0.9, 0);
            if (beat % 2 == 1) add(Instrument::Snare, frameAt(bar, beat), 0.5, 0, 0.7, 0.1);
            add(Instrument::HiHat, humanise(frameAt(bar, beat)), 0.25, 0, 0.6, 0.3);
            add(Instrument::HiHat, humanise(frameAt(bar, beat + 0.5)), 0.25, 0, 0.35, 0.3);
        }
        if (m_random.chance(0.3)) add(Instrument::Kick, frameAt(bar, 2.5), 0.5, 0, 0.6, 0);
        if (fill) {
            for (int i = 0; i < 4; ++i)
                add(Instrument::Snare, frameAt(bar, 3 + i * 0.25), 0.25, 0, 0.35 + 0.1 * i, 0.1);
        }
    }

    void addMotif(int bar, const Motif& motif, int chordDegree, int lift, bool vary) {
        for (std::size_t i = 0; i < motif.size(); ++i) {
            const auto& note = motif[i];
            int step = chordDegree + note.step + lift;
            // A varied repeat ends on the chord's root instead.
            if (vary && i + 1 == motif.size()) step = chordDegree + lift + (lift > 0 ? 0 : 7);
            const double velocity = (std::fmod(note.beat, 2.0) == 0.0 ? 0.85 : 0.7) + m_random.between(-0.08, 0.08);
            add(m_lead, humanise(frameAt(bar, note.beat)), note.length * 0.92, m_tonic + 12 + scaleNote(step), velocity,
                0.05);
        }
    }

    DemoRandom m_random;
    Score m_score;
    double m_framesPerBeat = 0;
    std::array<int, 7> m_scale = kMajor;
    Progression m_progression = {};
    int m_tonic = 48;
    Instrument m_lead = Instrument::ElectricPiano;
    bool m_arpeggio = false;
    bool m_drums = false;
};

}  // namespace

Score composeSong(std::uint64_t seed, double seconds) { return Composer(seed, std::max(0.0, seconds)).compose(); }

}  // namespace vamu::service
