#include "net/json_path.h"

#include <limits>

namespace vamu::net {
namespace {

bool isNameStart(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$' || c >= 0x80;
}

bool isNamePart(unsigned char c) { return isNameStart(c) || (c >= '0' && c <= '9'); }

}  // namespace

bool JsonPathReader::next(JsonPathStep& step) {
    if (m_malformed || m_position >= m_path.size()) {
        return false;
    }
    const char c = m_path[m_position];
    if (c == '[') {
        return readIndex(step);
    }
    if (m_position == 0) {
        return readMember(step);
    }
    if (c != '.') {
        return fail();
    }
    ++m_position;
    return readMember(step);
}

bool JsonPathReader::readMember(JsonPathStep& step) {
    const std::size_t start = m_position;
    if (start >= m_path.size() || !isNameStart(static_cast<unsigned char>(m_path[start]))) {
        return fail();
    }
    std::size_t end = start + 1;
    while (end < m_path.size() && isNamePart(static_cast<unsigned char>(m_path[end]))) {
        ++end;
    }
    m_position = end;
    step.kind = JsonPathStep::Kind::Member;
    step.name = m_path.substr(start, end - start);
    step.index = 0;
    return true;
}

bool JsonPathReader::readIndex(JsonPathStep& step) {
    std::size_t position = m_position + 1;  // past "["
    const std::size_t digitsStart = position;
    std::size_t value = 0;
    constexpr std::size_t kLimit = std::numeric_limits<std::size_t>::max() / 10 - 1;
    while (position < m_path.size() && m_path[position] >= '0' && m_path[position] <= '9') {
        // An index too large to hold can name no element; keep it at the limit.
        value = value > kLimit ? std::numeric_limits<std::size_t>::max()
                               : value * 10 + static_cast<std::size_t>(m_path[position] - '0');
        ++position;
    }
    if (position == digitsStart || position >= m_path.size() || m_path[position] != ']') {
        return fail();
    }
    m_position = position + 1;
    step.kind = JsonPathStep::Kind::Index;
    step.name = {};
    step.index = value;
    return true;
}

bool JsonPathReader::fail() {
    m_malformed = true;
    return false;
}

bool isValidJsonPath(std::string_view path) {
    JsonPathReader reader(path);
    JsonPathStep step;
    while (reader.next(step)) {}
    return !reader.malformed();
}

}  // namespace vamu::net
