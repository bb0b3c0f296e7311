#pragma once
// The one seam through which the program draws random numbers (catalogue pages and their
// order, the details' key, the comments' lanes), so tests can fix them. Qt-free.

#include <cstdint>
#include <functional>

namespace vamu::core {

// Draws a whole number from `lo` to `hi`, both included; callers pass lo <= hi. A source
// keeps its own generator state: use it from one thread at a time.
using RandomSource = std::function<int(int lo, int hi)>;

// A Mersenne twister seeded with `seed`: the same seed gives the same draws (tests).
[[nodiscard]] RandomSource seededRandomSource(std::uint32_t seed);
// A Mersenne twister seeded from std::random_device (the program).
[[nodiscard]] RandomSource systemRandomSource();

}  // namespace vamu::core
