#include "account/scramble.h"

#include <openssl/evp.h>

#include "core/text_encoding.h"

namespace vamu::account {
namespace {

constexpr char kUpperDigits[] = "0123456789ABCDEF";
constexpr char kLowerDigits[] = "0123456789abcdef";
constexpr std::size_t kCheckLength = 9;

void appendHex(std::string& out, unsigned char byte, const char* digits) {
    out += digits[byte >> 4];
    out += digits[byte & 0x0F];
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

std::string checkSuffix(std::string_view key) {
    std::string digest = md5Hex(core::utf8ToGb18030(key));
    if (digest.size() != 32) {
        return {};
    }
    std::string suffix = digest.substr(2, kCheckLength);
    for (char& c : suffix) {
        if (c >= 'a' && c <= 'f') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return suffix;
}

}  // namespace

std::string md5Hex(std::string_view bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr) != 1 || length != 16) {
        return {};
    }
    std::string text;
    text.reserve(32);
    for (unsigned int i = 0; i < length; ++i) {
        appendHex(text, digest[i], kLowerDigits);
    }
    return text;
}

std::string scrambleText(std::string_view text, std::string_view key) {
    const std::string suffix = checkSuffix(key);
    if (suffix.empty()) {
        return {};
    }
    const std::string bytes = core::utf8ToGb18030(text);
    std::string scrambled;
    scrambled.reserve(bytes.size() * 2 + kCheckLength);
    for (char byte : bytes) {
        appendHex(scrambled, static_cast<unsigned char>(byte) ^ 0x10, kUpperDigits);
    }
    return scrambled + suffix;
}

std::string unscrambleText(std::string_view scrambled, std::string_view key) {
    const std::string suffix = checkSuffix(key);
    if (suffix.empty() || scrambled.size() < kCheckLength || !scrambled.ends_with(suffix)) {
        return {};
    }
    const std::string_view hex = scrambled.substr(0, scrambled.size() - kCheckLength);
    if (hex.size() % 2 != 0) {
        return {};
    }
    std::string bytes;
    bytes.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = hexValue(hex[i]);
        const int low = hexValue(hex[i + 1]);
        if (high < 0 || low < 0) {
            return {};
        }
        bytes += static_cast<char>(((high << 4) | low) ^ 0x10);
    }
    return core::gb18030ToUtf8(bytes);
}

}  // namespace vamu::account
