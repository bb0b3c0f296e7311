#pragma once
// Secrets of the service: session and registration values, SMS codes, password hashes.

#include <cstddef>
#include <string>
#include <string_view>

namespace vamu::service {

// `bytes` random bytes from the system's generator, as lower-case hex (2 * bytes characters).
[[nodiscard]] std::string randomHex(std::size_t bytes);
// `count` random decimal digits.
[[nodiscard]] std::string randomDigits(std::size_t count);
// SHA-256 of salt followed by password, as lower-case hex.
[[nodiscard]] std::string passwordHash(std::string_view salt, std::string_view password);
// Compares without leaking where the texts differ.
[[nodiscard]] bool sameSecret(std::string_view a, std::string_view b);

}  // namespace vamu::service
