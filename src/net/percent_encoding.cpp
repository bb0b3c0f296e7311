#include "net/percent_encoding.h"

namespace vamu::net {
namespace {

bool unreserved(unsigned char byte) {
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') ||
           byte == '-' || byte == '_' || byte == '.' || byte == '~';
}

bool kept(unsigned char byte, PercentKeep keep) {
    switch (keep) {
    case PercentKeep::Unreserved:
        return unreserved(byte);
    case PercentKeep::UnreservedAndSlash:
        return unreserved(byte) || byte == '/';
    case PercentKeep::UrlText:
        return byte > 0x20 && byte < 0x7F && byte != '#';
    case PercentKeep::Nothing:
        break;
    }
    return false;
}

}  // namespace

std::string percentEncoded(std::string_view bytes, PercentKeep keep) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (kept(byte, keep)) {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
    return out;
}

}  // namespace vamu::net
