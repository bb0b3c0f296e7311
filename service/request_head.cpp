#include "request_head.h"

#include <algorithm>
#include <cctype>

namespace vamu::service {
namespace {

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// Digits only (no sign, no list): anything else is no length at all. Lengths past
// `limit` answer limit + 1, without overflowing on any number of digits.
std::int64_t contentLength(std::string_view text, std::int64_t limit) {
    if (text.empty()) return -1;
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return -1;
        if (value <= limit) value = value * 10 + (c - '0');
    }
    return std::min(value, limit + 1);
}

}  // namespace

std::size_t requestHeadLength(std::string_view bytes) {
    const auto end = bytes.find("\r\n\r\n");
    return end == std::string_view::npos ? end : end + 4;
}

RequestHead checkRequestHead(std::string_view head, const RequestHeadLimits& limits) {
    RequestHead result;
    int lengths = 0;
    int encodings = 0;
    bool chunked = false;
    bool expectContinue = false;
    result.head.reserve(head.size() + 16);
    std::size_t start = 0;
    for (bool firstLine = true; start < head.size(); firstLine = false) {
        const auto end = std::min(head.find("\r\n", start), head.size());
        const auto line = head.substr(start, end - start);
        start = end + 2;
        const auto colon = line.find(':');
        if (firstLine || line.empty() || colon == std::string_view::npos) {
            result.head.append(line).append("\r\n");
            continue;
        }
        const auto name = line.substr(0, colon);
        const auto value = trimmed(line.substr(colon + 1));
        if (sameName(name, "Content-Length")) {
            ++lengths;
            result.bodyBytes = contentLength(value, limits.maxBodyBytes);
        } else if (sameName(name, "Transfer-Encoding")) {
            ++encodings;
            chunked = sameName(value, "chunked");
        } else if (sameName(name, "Expect")) {
            expectContinue = sameName(value, "100-continue");
        } else if (sameName(name, "Range")) {
            result.head.append(kRangeHeader).append(": ").append(value).append("\r\n");
            continue;
        } else if (sameName(name, kRangeHeader)) {
            continue;  // only ever the renamed Range
        }
        result.head.append(line).append("\r\n");
    }
    // A length beside chunked framing, two lengths or an unknown framing leave the
    // body's end open to two readings: refused, as is a length that is no number.
    if (lengths > 1 || encodings > 1 || (lengths && encodings) || (encodings && !chunked) || result.bodyBytes < 0) {
        result.refusal = 400;
    } else if (result.bodyBytes > limits.maxBodyBytes) {
        result.refusal = 413;
    }
    result.bodyStreamed = chunked || (expectContinue && result.bodyBytes > 0);
    return result;
}

}  // namespace vamu::service
