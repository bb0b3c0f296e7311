#pragma once
// The Range request header, resolved against a resource's size (single ranges only).

#include <cstdint>
#include <string_view>

namespace vamu::service {

enum class RangeOutcome {
    Whole,          // no usable Range header: send everything with 200
    Partial,        // send [first, last] with 206
    Unsatisfiable,  // answer 416
};

struct ByteRange {
    RangeOutcome outcome = RangeOutcome::Whole;
    std::int64_t first = 0;  // both included
    std::int64_t last = -1;
};

// "bytes=A-B", "bytes=A-" and "bytes=-N". A last byte past the end is clamped to the end.
// Malformed headers, other units and lists of ranges are ignored (the whole resource), as
// a server may; a first byte at or past the end is unsatisfiable.
[[nodiscard]] ByteRange resolveRange(std::string_view header, std::int64_t size);

}  // namespace vamu::service
