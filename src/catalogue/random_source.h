#pragma once
// The one seam through which the catalogue draws random numbers, so tests can fix them.

#include <cstdint>
#include <functional>

namespace vamu::catalogue {

// Draws a whole number from `lo` to `hi`, both included; callers pass lo <= hi. A source
// keeps its own generator state: use it from one thread at a time.
using RandomSource = std::function<int(int lo, int hi)>;

// A Mersenne twister seeded with `seed`: the same seed gives the same draws (tests).
[[nodiscard]] RandomSource seededRandomSource(std::uint32_t seed);
// A Mersenne twister seeded from std::random_device (the program).
[[nodiscard]] RandomSource systemRandomSource();

}  // namespace vamu::catalogue
