#include "net/cookie_text.h"

#include <string_view>
#include <unordered_set>
#include <vector>

#include "net/ascii.h"
#include "net/http_request.h"

namespace vamu::net {
namespace {

constexpr std::string_view kFullWidthSpace = "\xE3\x80\x80";  // U+3000 in UTF-8
constexpr std::string_view kDeletedSuffix = "=deleted";

std::string withoutSpaces(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == ' ') {
            continue;
        }
        if (text.substr(i, kFullWidthSpace.size()) == kFullWidthSpace) {
            i += kFullWidthSpace.size() - 1;
            continue;
        }
        out += text[i];
    }
    return out;
}

// The pairs of a cookie text split at ";". Empty pieces (";;", a trailing ";") are no
// cookies and are dropped.
std::vector<std::string_view> splitPairs(std::string_view text) {
    std::vector<std::string_view> pairs;
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto end = text.find(';', start);
        const auto pair = text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (!pair.empty()) {
            pairs.push_back(pair);
        }
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    return pairs;
}

std::string_view cookieName(std::string_view pair) {
    return trimSpaces(pair.substr(0, pair.find('=')));
}

}  // namespace

std::string collectResponseCookies(std::string_view headerBlock) {
    std::string cookies;
    std::size_t start = 0;
    while (start < headerBlock.size()) {
        auto end = headerBlock.find("\r\n", start);
        if (end == std::string_view::npos) {
            end = headerBlock.size();
        }
        const auto line = headerBlock.substr(start, end - start);
        start = end + 2;
        const auto colon = line.find(':');
        if (colon == std::string_view::npos || !equalsIgnoringCase(trimSpaces(line.substr(0, colon)), "Set-Cookie")) {
            continue;
        }
        const auto value = line.substr(colon + 1);
        const auto pair = trimSpaces(value.substr(0, value.find(';')));
        if (pair.empty()) {
            continue;
        }
        if (!cookies.empty()) {
            cookies += "; ";
        }
        cookies += pair;
    }
    return cookies;
}

std::string mergeCookies(const std::string& oldCookies, const std::string& newCookies) {
    const std::string oldText = withoutSpaces(oldCookies);
    const std::string newText = withoutSpaces(newCookies);
    const auto newPairs = splitPairs(newText);
    const auto oldPairs = splitPairs(oldText);

    std::unordered_set<std::string_view> newNames;
    for (const auto pair : newPairs) {
        newNames.insert(cookieName(pair));
    }
    std::vector<std::string_view> merged(newPairs);
    for (const auto pair : oldPairs) {
        if (!newNames.contains(cookieName(pair))) {
            merged.push_back(pair);
        }
    }

    // Pairs that the server deleted go; of pairs that are exactly equal the first stays.
    std::unordered_set<std::string_view> seen;
    std::string result;
    for (const auto pair : merged) {
        if (pair.ends_with(kDeletedSuffix) || !seen.insert(pair).second) {
            continue;
        }
        if (!result.empty()) {
            result += "; ";
        }
        result += pair;
    }
    return result;
}

}  // namespace vamu::net
