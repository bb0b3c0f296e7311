#pragma once
// The one random generator of the demo catalogue. Its own arithmetic (splitmix64), not
// the standard distributions, whose results differ between library versions: the same
// seed must give the same catalogue, pictures and songs everywhere.

#include <cstddef>
#include <cstdint>
#include <span>

namespace vamu::service {

class DemoRandom {
public:
    explicit DemoRandom(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // Uniform in [0, 1).
    double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

    // Uniform whole number in [low, high], both included; low when high < low.
    int between(int low, int high) {
        if (high <= low) return low;
        const auto span = static_cast<std::uint64_t>(high - low) + 1;
        return low + static_cast<int>(next() % span);
    }

    double between(double low, double high) { return low + (high - low) * unit(); }

    bool chance(double probability) { return unit() < probability; }

    template <typename T>
    const T& pick(std::span<const T> items) {
        return items[static_cast<std::size_t>(next() % items.size())];
    }

    // A seed for an independent stream, so that adding draws to one part of the
    // generation does not shift every later part.
    std::uint64_t fork() { return next() ^ 0xD1B54A32D192ED03ull; }

private:
    std::uint64_t m_state = 0;
};

}  // namespace vamu::service
