#include "net/request_headers.h"

#include "net/ascii.h"

namespace vamu::net {

std::string userAgentFor(std::string_view extraHeaders) {
    constexpr std::string_view kName = "User-Agent:";
    const auto at = findIgnoringCase(extraHeaders, kName);
    if (at == std::string_view::npos) {
        return std::string(kDefaultUserAgent);
    }
    const auto valueStart = at + kName.size();
    const auto lineEnd = extraHeaders.find_first_of("\r\n", valueStart);
    return std::string(trimSpaces(extraHeaders.substr(valueStart, lineEnd - valueStart)));
}

std::string completeHeaderBlock(std::string_view extraHeaders, std::string_view url, std::string_view cookies) {
    std::string block(extraHeaders);
    const auto lacks = [&block](std::string_view name) { return block.find(name) == std::string::npos; };
    const auto append = [&block](std::string_view line) {
        block += "\r\n";
        block += line;
    };
    if (block.empty()) {
        block = "Accept: */*";
    } else if (lacks("Accept:")) {
        append("Accept: */*");
    }
    if (lacks("Referer:")) {
        append("Referer: " + std::string(url));
    }
    if (lacks("Accept-Language:")) {
        append("Accept-Language: zh-cn");
    }
    if (lacks("Content-Type:")) {
        append("Content-Type: application/x-www-form-urlencoded");
    }
    if (!cookies.empty()) {
        append("Cookie: " + std::string(cookies));
    }
    return block;
}

std::vector<std::string> headerLines(std::string_view block) {
    const auto pieces = splitNonEmpty(block, "\r\n");
    return {pieces.begin(), pieces.end()};
}

}  // namespace vamu::net
