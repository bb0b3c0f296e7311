// The synthesiser: a handful of cheap voices (FM keys and bell, plucked string, flute,
// pad, bass, drums), a small stereo reverb and a soft limiter.

#include "song_score.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace vamu::service {
namespace {

constexpr double kRate = kSongSampleRate;
constexpr int kTableSize = 4096;
using Table = std::array<float, kTableSize + 1>;  // one period plus the first sample again

struct Tables {
    Table sine{};
    Table saw{};    // band-limited, soft
    Table organ{};  // a few even and odd partials
};

const Tables& tables() {
    static const Tables built = [] {
        Tables t;
        for (int i = 0; i <= kTableSize; ++i) {
            const double x = 2.0 * std::numbers::pi * i / kTableSize;
            double saw = 0;
            for (int k = 1; k <= 12; ++k) saw += std::sin(k * x) / k;
            t.sine[static_cast<std::size_t>(i)] = static_cast<float>(std::sin(x));
            t.saw[static_cast<std::size_t>(i)] = static_cast<float>(saw * 0.55);
            t.organ[static_cast<std::size_t>(i)] = static_cast<float>(
                (std::sin(x) + 0.45 * std::sin(2 * x) + 0.2 * std::sin(3 * x) + 0.08 * std::sin(4 * x)) / 1.5);
        }
        return t;
    }();
    return built;
}

// `phase` in cycles; any real value.
float lookup(const Table& table, double phase) {
    const double wrapped = (phase - std::floor(phase)) * kTableSize;
    const auto index = static_cast<std::size_t>(wrapped);
    const auto fraction = static_cast<float>(wrapped - static_cast<double>(index));
    return table[index] + (table[index + 1] - table[index]) * fraction;
}

struct Sound {
    float gain = 0;
    float reverbSend = 0;
    double tailSeconds = 0;  // sounding after the gate closes
};

Sound soundOf(Instrument instrument) {
    switch (instrument) {
    case Instrument::ElectricPiano:
        return {0.30f, 0.25f, 0.3};
    case Instrument::Bell:
        return {0.20f, 0.40f, 1.2};
    case Instrument::Pluck:
        return {0.34f, 0.30f, 0.15};
    case Instrument::Flute:
        return {0.22f, 0.30f, 0.2};
    case Instrument::Pad:
        return {0.09f, 0.45f, 1.2};
    case Instrument::Bass:
        return {0.32f, 0.0f, 0.1};
    case Instrument::Kick:
        return {0.55f, 0.03f, 0.6};
    case Instrument::Snare:
        return {0.22f, 0.15f, 0.5};
    case Instrument::HiHat:
        return {0.06f, 0.10f, 0.2};
    }
    return {};
}

double attack(double t, double seconds) { return t < seconds ? t / seconds : 1.0; }

// Fades linearly to silence over `seconds` once the gate has closed.
double release(double t, double gate, double seconds) {
    return t < gate ? 1.0 : std::max(0.0, 1.0 - (t - gate) / seconds);
}

double adsr(double t, double gate, double a, double d, double s, double r) {
    const double held = t < a ? t / a : t < a + d ? 1.0 - (1.0 - s) * (t - a) / d : s;
    return held * release(t, gate, r);
}

// exp(-t / seconds), advanced by one multiplication a frame instead of an exp() call.
class Decay {
public:
    explicit Decay(double seconds = 1.0) : m_step(std::exp(-1.0 / (seconds * kRate))) {}
    double next() {
        const double current = m_value;
        m_value *= m_step;
        return current;
    }

private:
    double m_value = 1.0;
    double m_step = 1.0;
};

// A soft limiter shaped like tanh, without its cost.
float softClip(double x) {
    const double clamped = std::clamp(x, -3.0, 3.0);
    const double square = clamped * clamped;
    return static_cast<float>(clamped * (27.0 + square) / (27.0 + 9.0 * square));
}

class Voice {
public:
    explicit Voice(const Note& note)
        : m_note(note),
          m_sound(soundOf(note.instrument)),
          m_gate(static_cast<double>(note.gateFrames) / kRate),
          m_noise(static_cast<std::uint32_t>(note.startFrame * 2654435761u) | 1u) {
        const double angle = (std::clamp(note.pan, -1.0f, 1.0f) + 1.0) * std::numbers::pi / 4;
        m_left = static_cast<float>(std::cos(angle)) * m_sound.gain * note.velocity;
        m_right = static_cast<float>(std::sin(angle)) * m_sound.gain * note.velocity;
        if (note.instrument == Instrument::Pluck) startString();
        switch (note.instrument) {
        case Instrument::ElectricPiano:
            m_decay = Decay(1.4);
            m_decay2 = Decay(0.5);
            break;
        case Instrument::Bell:
            m_decay = Decay(2.0);
            m_decay2 = Decay(0.7);
            break;
        case Instrument::Bass:
            m_decay = Decay(0.9);
            break;
        case Instrument::Kick:
            m_decay = Decay(0.16);
            m_decay2 = Decay(0.035);
            break;
        case Instrument::Snare:
            m_decay = Decay(0.1);
            m_decay2 = Decay(0.05);
            break;
        case Instrument::HiHat:
            m_decay = Decay(0.03);
            break;
        default:
            break;
        }
    }

    [[nodiscard]] bool finished() const {
        return m_age > static_cast<std::int64_t>((m_gate + m_sound.tailSeconds) * kRate);
    }
    [[nodiscard]] std::int64_t startFrame() const { return m_note.startFrame; }
    [[nodiscard]] float left() const { return m_left; }
    [[nodiscard]] float right() const { return m_right; }
    [[nodiscard]] float send() const { return m_sound.reverbSend; }

    float next() {
        const double t = static_cast<double>(m_age++) / kRate;
        const double f = m_note.frequency;
        switch (m_note.instrument) {
        case Instrument::ElectricPiano:
            return fm(t, f, 1.0, 0.2 + 1.6 * m_decay2.next(), 0.004, 0.3);
        case Instrument::Bell:
            return fm(t, f, 3.5, 0.3 + 2.0 * m_decay2.next(), 0.002, 1.2);
        case Instrument::Pluck:
            return pluck(t);
        case Instrument::Flute:
            return flute(t, f);
        case Instrument::Pad:
            return pad(t, f);
        case Instrument::Bass:
            return bass(t, f);
        case Instrument::Kick:
            return kick(t);
        case Instrument::Snare:
            return snare(t);
        case Instrument::HiHat:
            return hiHat();
        }
        return 0;
    }

private:
    float fm(double t, double f, double ratio, double index, double attackSeconds, double releaseSeconds) {
        m_phase += f / kRate;
        m_modPhase += f * ratio / kRate;
        const auto& sine = tables().sine;
        const double modulated = m_phase + index * lookup(sine, m_modPhase) / (2 * std::numbers::pi);
        const double envelope = attack(t, attackSeconds) * m_decay.next() * release(t, m_gate, releaseSeconds);
        return static_cast<float>(lookup(sine, modulated) * envelope);
    }

    void startString() {
        const auto length = static_cast<std::size_t>(std::max(2.0, std::round(kRate / m_note.frequency)));
        m_string.resize(length);
        float previous = 0;
        for (auto& sample : m_string) {
            const float white = noise();
            sample = 0.5f * (white + previous);  // a softer pluck than white noise
            previous = white;
        }
    }

    float pluck(double t) {
        const std::size_t n = m_string.size();
        const float out = m_string[m_index];
        const std::size_t following = m_index + 1 == n ? 0 : m_index + 1;
        m_string[m_index] = 0.4985f * (out + m_string[following]);
        m_index = following;
        return static_cast<float>(out * release(t, m_gate, 0.15));
    }

    float flute(double t, double f) {
        const double depth = std::clamp((t - 0.2) / 0.3, 0.0, 1.0) * 0.004;
        m_phase += f * (1.0 + depth * std::sin(2 * std::numbers::pi * 5.0 * t)) / kRate;
        const double envelope = adsr(t, m_gate, 0.06, 0.15, 0.75, 0.2);
        return static_cast<float>((lookup(tables().organ, m_phase) + 0.02 * noise()) * envelope);
    }

    float pad(double t, double f) {
        m_phase += f * 1.0035 / kRate;
        m_modPhase += f * 0.9965 / kRate;
        const double raw = lookup(tables().saw, m_phase) + lookup(tables().saw, m_modPhase);
        m_filter += static_cast<float>((raw - m_filter) * 0.19);  // one pole near 1.5 kHz
        return static_cast<float>(m_filter * adsr(t, m_gate, 0.7, 0.6, 0.75, 1.2));
    }

    float bass(double t, double f) {
        m_phase += f / kRate;
        const double raw = lookup(tables().sine, m_phase) + 0.25 * lookup(tables().saw, m_phase);
        return static_cast<float>(raw * attack(t, 0.005) * m_decay.next() * release(t, m_gate, 0.1));
    }

    float kick(double t) {
        m_phase += (45.0 + 85.0 * m_decay2.next()) / kRate;
        return static_cast<float>(lookup(tables().sine, m_phase) * attack(t, 0.001) * m_decay.next());
    }

    float snare(double t) {
        const float white = noise();
        const float bright = white - m_filter;  // first difference: the rattle without the rumble
        m_filter = white;
        m_phase += 185.0 / kRate;
        const double tone = 0.5 * lookup(tables().sine, m_phase) * m_decay2.next();
        return static_cast<float>((bright * 0.6 * m_decay.next() + tone) * attack(t, 0.001));
    }

    float hiHat() {
        const float white = noise();
        const float once = white - m_filter;
        m_filter = white;
        const float twice = once - m_filter2;
        m_filter2 = once;
        return static_cast<float>(twice * 0.5 * m_decay.next());
    }

    float noise() {
        m_noise ^= m_noise << 13;
        m_noise ^= m_noise >> 17;
        m_noise ^= m_noise << 5;
        return static_cast<float>(m_noise) / 2147483648.0f - 1.0f;
    }

    Note m_note;
    Sound m_sound;
    double m_gate = 0;
    std::uint32_t m_noise = 1;
    std::int64_t m_age = 0;
    double m_phase = 0;
    double m_modPhase = 0;
    float m_filter = 0;
    float m_filter2 = 0;
    float m_left = 0;
    float m_right = 0;
    std::vector<float> m_string;
    std::size_t m_index = 0;
    Decay m_decay;
    Decay m_decay2;
};

// A small Schroeder-Moorer reverb: four damped combs and two all-passes per side.
class Reverb {
public:
    Reverb() {
        static constexpr std::array<std::size_t, 4> kCombs = {1116, 1188, 1277, 1356};
        static constexpr std::array<std::size_t, 2> kAllPasses = {556, 441};
        for (int side = 0; side < 2; ++side) {
            const std::size_t spread = side == 0 ? 0 : 23;  // decorrelates left and right
            for (std::size_t i = 0; i < kCombs.size(); ++i) m_combs[side][i].buffer.assign(kCombs[i] + spread, 0.0f);
            for (std::size_t i = 0; i < kAllPasses.size(); ++i)
                m_allPasses[side][i].buffer.assign(kAllPasses[i] + spread, 0.0f);
        }
    }

    void process(float input, float& left, float& right) {
        left = side(0, input);
        right = side(1, input);
    }

private:
    struct Line {
        std::vector<float> buffer;
        std::size_t index = 0;
        float store = 0;
    };

    float side(int which, float input) {
        float sum = 0;
        for (auto& comb : m_combs[which]) {
            const float out = comb.buffer[comb.index];
            comb.store = out * 0.7f + comb.store * 0.3f;
            comb.buffer[comb.index] = input * 0.03f + comb.store * 0.8f;
            if (++comb.index == comb.buffer.size()) comb.index = 0;
            sum += out;
        }
        for (auto& pass : m_allPasses[which]) {
            const float delayed = pass.buffer[pass.index];
            pass.buffer[pass.index] = sum + delayed * 0.5f;
            if (++pass.index == pass.buffer.size()) pass.index = 0;
            sum = delayed - sum;
        }
        return sum;
    }

    std::array<std::array<Line, 4>, 2> m_combs;
    std::array<std::array<Line, 2>, 2> m_allPasses;
};

}  // namespace

struct SongSynth::State {
    Score score;
    std::size_t nextNote = 0;
    std::int64_t frame = 0;
    std::vector<Voice> voices;
    Reverb reverb;
    double fadeInFrames = 0.3 * kRate;
    double fadeOutFrames = 0;
};

SongSynth::SongSynth(Score score) : m_state(std::make_unique<State>()) {
    m_state->score = std::move(score);
    const double total = static_cast<double>(m_state->score.totalFrames);
    m_state->fadeOutFrames = std::min(3.0 * kRate, total * 0.15);
}

SongSynth::~SongSynth() = default;

std::int64_t SongSynth::totalFrames() const { return m_state->score.totalFrames; }

std::size_t SongSynth::render(std::span<float> left, std::span<float> right) {
    auto& s = *m_state;
    const auto remaining = std::max<std::int64_t>(0, s.score.totalFrames - s.frame);
    const auto count = static_cast<std::size_t>(
        std::min<std::int64_t>(remaining, static_cast<std::int64_t>(std::min(left.size(), right.size()))));
    const auto blockEnd = s.frame + static_cast<std::int64_t>(count);
    while (s.nextNote < s.score.notes.size() && s.score.notes[s.nextNote].startFrame < blockEnd) {
        s.voices.emplace_back(s.score.notes[s.nextNote++]);
    }

    std::fill_n(left.begin(), count, 0.0f);
    std::fill_n(right.begin(), count, 0.0f);
    std::vector<float> send(count, 0.0f);
    for (auto& voice : s.voices) {
        const auto first = static_cast<std::size_t>(std::max<std::int64_t>(0, voice.startFrame() - s.frame));
        for (std::size_t i = first; i < count; ++i) {
            const float sample = voice.next();
            left[i] += sample * voice.left();
            right[i] += sample * voice.right();
            send[i] += sample * voice.send() * (voice.left() + voice.right());
        }
    }
    std::erase_if(s.voices, [](const Voice& v) { return v.finished(); });

    const double total = static_cast<double>(s.score.totalFrames);
    for (std::size_t i = 0; i < count; ++i) {
        float wetLeft = 0;
        float wetRight = 0;
        s.reverb.process(send[i], wetLeft, wetRight);
        const double at = static_cast<double>(s.frame) + static_cast<double>(i);
        const double fade =
            std::min({1.0, at / s.fadeInFrames, s.fadeOutFrames > 0 ? (total - at) / s.fadeOutFrames : 1.0});
        left[i] = 0.92f * softClip((left[i] + wetLeft) * fade);
        right[i] = 0.92f * softClip((right[i] + wetRight) * fade);
    }
    s.frame = blockEnd;
    return count;
}

}  // namespace vamu::service
