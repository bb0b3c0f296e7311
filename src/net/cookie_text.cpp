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

std::string_view cookieName(std::string_view pair) { return trimSpaces(pair.substr(0, pair.find('='))); }

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
    // Empty pieces (";;", a trailing ";") are no cookies and are dropped.
    const auto newPairs = splitNonEmpty(newText, ";");
    const auto oldPairs = splitNonEmpty(oldText, ";");

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
