#include "core/text_encoding.h"

#include <cerrno>
#include <iconv.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>

#include "core/utf8.h"

namespace vamu::core {
namespace {

// Valid UTF-8 of `text`: every ill-formed subpart becomes U+FFFD.
std::string sanitizeUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const auto step = readUtf8(text, pos);
        if (step.valid) {
            out.append(text.substr(pos, step.length));
        } else {
            out.append(kReplacementCharacter);
        }
        pos += step.length;
    }
    return out;
}

struct IconvCloser {
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

IconvHandle openIconv(const char* to, const char* from) {
    const iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return nullptr;
    }
    return IconvHandle(cd);
}

// What stands in for an input sequence that the converter refuses: how many bytes of
// the remaining input it covers (at least 1) and the output written in its place.
struct Fallback {
    std::size_t skip = 1;
    std::string replacement;
};

// Runs `input` through the converter (or, without one, through `fallback` alone for every
// byte that is not ASCII). A fallback that gives nothing ends the conversion with nullopt;
// otherwise the conversion always reaches the end of the input.
template <typename FallbackFor>
std::optional<std::string> convert(iconv_t cd, std::string_view input, FallbackFor fallback) {
    std::string out;
    out.resize(input.size() * 2 + 16);
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    std::size_t written = 0;
    while (inLeft > 0) {
        if (out.size() - written < 16) {
            out.resize(out.size() * 2);
        }
        char* dest = out.data() + written;
        std::size_t destLeft = out.size() - written;
        std::size_t result = static_cast<std::size_t>(-1);
        if (cd != nullptr) {
            errno = 0;
            result = iconv(cd, &in, &inLeft, &dest, &destLeft);
            written = out.size() - destLeft;
            if (result != static_cast<std::size_t>(-1)) {
                break;
            }
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
        } else if (static_cast<unsigned char>(*in) < 0x80) {
            out[written++] = *in++;
            --inLeft;
            continue;
        }
        // EILSEQ (no such character), EINVAL (cut off at the end) or no converter.
        const std::optional<Fallback> stand = fallback(std::string_view(in, inLeft));
        if (!stand) {
            return std::nullopt;
        }
        const std::size_t skip = std::min(std::max<std::size_t>(stand->skip, 1), inLeft);
        in += skip;
        inLeft -= skip;
        out.resize(std::max(out.size(), written + stand->replacement.size() + 16));
        out.replace(written, stand->replacement.size(), stand->replacement);
        written += stand->replacement.size();
    }
    out.resize(written);
    return out;
}

constexpr std::string_view kEuroSign = "\u20AC";
constexpr unsigned char kCodePageEuroByte = 0x80;

constexpr std::string_view kGb18030Replacement = "\x84\x31\xA4\x37";  // U+FFFD

// GB18030 four-byte form of a character beyond the Basic Multilingual Plane: the planes
// map linearly onto the sequences from 90 30 81 30.
std::string gb18030Supplementary(char32_t codePoint) {
    std::uint32_t index = codePoint - 0x10000;
    std::string out(4, '\0');
    out[3] = static_cast<char>(0x30 + index % 10);
    index /= 10;
    out[2] = static_cast<char>(0x81 + index % 126);
    index /= 126;
    out[1] = static_cast<char>(0x30 + index % 10);
    index /= 10;
    out[0] = static_cast<char>(0x90 + index);
    return out;
}

// Private-use code points that older GB18030 tables (and GBK) gave these two-byte codes.
// The converter knows the codes only as the standard characters that later took their
// place (U+FE10 and on, U+9FB4 and on, some beyond the BMP) and refuses the private-use
// ones, so they go out in the codes that files of earlier versions use for them.
struct LegacyCode {
    char32_t codePoint;
    const char* bytes;
};
constexpr LegacyCode kLegacyPrivateUse[] = {
    {0xE78D, "\xA6\xD9"}, {0xE78E, "\xA6\xDA"}, {0xE78F, "\xA6\xDB"}, {0xE790, "\xA6\xDC"}, {0xE791, "\xA6\xDD"},
    {0xE792, "\xA6\xDE"}, {0xE793, "\xA6\xDF"}, {0xE794, "\xA6\xEC"}, {0xE795, "\xA6\xED"}, {0xE796, "\xA6\xF3"},
    {0xE816, "\xFE\x51"}, {0xE817, "\xFE\x52"}, {0xE818, "\xFE\x53"}, {0xE81E, "\xFE\x59"}, {0xE826, "\xFE\x61"},
    {0xE82B, "\xFE\x66"}, {0xE82C, "\xFE\x67"}, {0xE831, "\xFE\x6C"}, {0xE832, "\xFE\x6D"}, {0xE83B, "\xFE\x76"},
    {0xE843, "\xFE\x7E"}, {0xE854, "\xFE\x90"}, {0xE855, "\xFE\x91"}, {0xE864, "\xFE\xA0"},
};

// GB18030 for a character the converter refused.
std::string gb18030Fallback(char32_t codePoint) {
    if (codePoint >= 0x10000) {
        return gb18030Supplementary(codePoint);
    }
    for (const auto& legacy : kLegacyPrivateUse) {
        if (legacy.codePoint == codePoint) {
            return legacy.bytes;
        }
    }
    return std::string(kGb18030Replacement);
}

}  // namespace

std::string replyBodyToText(std::string_view body) { return sanitizeUtf8(body.substr(0, body.find('\0'))); }

std::string toValidUtf8(std::string_view text) { return sanitizeUtf8(text); }

std::string gb18030ToUtf8(std::string_view bytes) {
    if (bytes.empty()) {
        return {};
    }
    const auto cd = openIconv("UTF-8", "GB18030");
    return *convert(static_cast<iconv_t>(cd.get()), bytes, [](std::string_view rest) {
        // The converter refuses the single byte of the euro sign that code page 936 has.
        if (static_cast<unsigned char>(rest.front()) == kCodePageEuroByte) {
            return std::optional<Fallback>(Fallback{1, std::string(kEuroSign)});
        }
        return std::optional<Fallback>(Fallback{1, std::string(kReplacementCharacter)});
    });
}

std::string utf8ToGb18030(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const std::string valid = sanitizeUtf8(text);
    const auto cd = openIconv("GB18030", "UTF-8");
    // The input is valid UTF-8 now, and GB18030 encodes every character, so the fallback
    // only runs where the converter lacks a mapping (or there is no converter).
    const auto encode = [&cd](std::string_view piece) {
        return *convert(static_cast<iconv_t>(cd.get()), piece, [](std::string_view rest) {
            const auto step = readUtf8(rest, 0);
            return std::optional<Fallback>(Fallback{step.length, gb18030Fallback(step.codePoint)});
        });
    };
    // The euro sign goes out as the one byte that files of code page 936 hold for it, not
    // as GB18030's two-byte code, so such a file reads back byte for byte.
    std::string out;
    std::string_view rest = valid;
    for (std::size_t at = rest.find(kEuroSign); at != std::string_view::npos; at = rest.find(kEuroSign)) {
        if (at > 0) out += encode(rest.substr(0, at));
        out += static_cast<char>(kCodePageEuroByte);
        rest.remove_prefix(at + kEuroSign.size());
    }
    if (!rest.empty()) out += encode(rest);
    return out;
}

std::optional<std::string> convertStrictly(std::string_view input, const char* to, const char* from) {
    const auto cd = openIconv(to, from);
    if (!cd) {
        return std::nullopt;
    }
    return convert(static_cast<iconv_t>(cd.get()), input, [](std::string_view) { return std::optional<Fallback>(); });
}

std::size_t gbkByteLength(std::string_view text) {
    std::size_t length = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const auto step = readUtf8(text, pos);
        length += (step.valid && step.codePoint < 0x80) ? 1 : 2;
        pos += step.length;
    }
    return length;
}

std::string_view gbkPrefix(std::string_view text, std::size_t maxBytes) {
    std::size_t length = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto step = readUtf8(text, pos);
        const std::size_t width = (step.valid && step.codePoint < 0x80) ? 1 : 2;
        if (length + width > maxBytes) {
            break;
        }
        length += width;
        pos += step.length;
    }
    return text.substr(0, pos);
}

}  // namespace vamu::core
