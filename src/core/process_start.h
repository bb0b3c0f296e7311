#pragma once
// When this process started, for telling files a killed earlier run left behind from
// those of this run. Qt-free.

#include <optional>

namespace vamu::core {

// Seconds since the epoch, rounded down to a second; nullopt when /proc does not tell.
[[nodiscard]] std::optional<long long> processStartTime();

}  // namespace vamu::core
