#include "service_crypto.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <cstdlib>
#include <vector>

namespace vamu::service {
namespace {

std::string toHex(const unsigned char* data, std::size_t size) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(size * 2);
    for (std::size_t i = 0; i < size; ++i) {
        hex.push_back(kDigits[data[i] >> 4]);
        hex.push_back(kDigits[data[i] & 0x0F]);
    }
    return hex;
}

std::vector<unsigned char> randomBytes(std::size_t count) {
    std::vector<unsigned char> bytes(count);
    // Without entropy nothing the service hands out would be secret; stopping is the only safe answer.
    if (RAND_bytes(bytes.data(), static_cast<int>(count)) != 1) std::abort();
    return bytes;
}

}  // namespace

std::string randomHex(std::size_t bytes) {
    const auto random = randomBytes(bytes);
    return toHex(random.data(), random.size());
}

std::string randomDigits(std::size_t count) {
    std::string digits;
    while (digits.size() < count) {
        // 250 is the largest multiple of 10 below 256: larger bytes are dropped so every digit is equally likely.
        for (const unsigned char b : randomBytes(count)) {
            if (b < 250 && digits.size() < count) digits.push_back(static_cast<char>('0' + b % 10));
        }
    }
    return digits;
}

std::string passwordHash(std::string_view salt, std::string_view password) {
    std::string input(salt);
    input.append(password);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(input.data(), input.size(), digest, &length, EVP_sha256(), nullptr) != 1) return {};
    return toHex(digest, length);
}

bool sameSecret(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace vamu::service
