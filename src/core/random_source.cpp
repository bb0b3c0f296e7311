#include "core/random_source.h"

#include <memory>
#include <random>

namespace vamu::core {

RandomSource seededRandomSource(std::uint32_t seed) {
    auto engine = std::make_shared<std::mt19937>(seed);
    return [engine](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(*engine); };
}

RandomSource systemRandomSource() {
    std::random_device device;
    return seededRandomSource(device());
}

}  // namespace vamu::core
