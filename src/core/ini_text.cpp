#include "core/ini_text.h"

#include <algorithm>
#include <cstddef>

#include "core/text_encoding.h"

namespace vamu::core {
namespace {

// White space and line-break bytes are single bytes in GB18030 (never parts of a longer
// character), as are "=", ";", "#" and "[", so lines can be split and trimmed as bytes.
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r'; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool isAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The encoding of a file's text, told by its byte-order mark (GB18030 without one).
enum class Encoding { Gb18030, Utf8 };

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kGb18030Mark = "\x84\x31\x95\x33";

// A file split into its byte-order mark (possibly none) and the text after it.
struct FileText {
    std::string_view mark;
    std::string_view body;
    Encoding encoding = Encoding::Gb18030;
};

FileText splitMark(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Mark)) {
        return {bytes.substr(0, kUtf8Mark.size()), bytes.substr(kUtf8Mark.size()), Encoding::Utf8};
    }
    if (bytes.starts_with(kGb18030Mark)) {
        return {bytes.substr(0, kGb18030Mark.size()), bytes.substr(kGb18030Mark.size()), Encoding::Gb18030};
    }
    return {{}, bytes, Encoding::Gb18030};
}

// File bytes as UTF-8; ASCII needs no conversion, which keeps the usual lines cheap.
std::string decoded(std::string_view bytes, Encoding encoding) {
    if (isAscii(bytes)) {
        return std::string(bytes);
    }
    return encoding == Encoding::Utf8 ? toValidUtf8(bytes) : gb18030ToUtf8(bytes);
}

// UTF-8 text as file bytes.
std::string encoded(std::string_view text, Encoding encoding) {
    return encoding == Encoding::Utf8 ? toValidUtf8(text) : utf8ToGb18030(text);
}

char foldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return foldAscii(x) == foldAscii(y); });
}

std::string_view withoutQuotes(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

struct Line {
    std::size_t begin = 0;  // first byte
    std::size_t end = 0;    // past the last byte before the line ending
    std::size_t next = 0;   // first byte of the following line
    bool hasEnding = false;
};

class LineReader {
public:
    explicit LineReader(std::string_view bytes) : m_bytes(bytes) {}

    bool next(Line& line) {
        if (m_position >= m_bytes.size()) {
            return false;
        }
        const std::size_t newline = m_bytes.find('\n', m_position);
        line.begin = m_position;
        line.hasEnding = newline != std::string_view::npos;
        line.next = line.hasEnding ? newline + 1 : m_bytes.size();
        line.end = line.hasEnding ? newline : m_bytes.size();
        if (line.end > line.begin && m_bytes[line.end - 1] == '\r') {
            --line.end;
        }
        m_position = line.next;
        return true;
    }

private:
    std::string_view m_bytes;
    std::size_t m_position = 0;
};

enum class LineKind { Blank, Comment, Section, Entry, Other };

struct ParsedLine {
    LineKind kind = LineKind::Other;
    std::string sectionName;  // Section: UTF-8
    std::string_view key;     // Entry: raw bytes, trimmed
    std::string_view value;   // Entry: raw bytes, trimmed, quotes kept
};

ParsedLine parse(std::string_view content, Encoding encoding) {
    ParsedLine parsed;
    const std::string_view text = trimmed(content);
    if (text.empty()) {
        parsed.kind = LineKind::Blank;
        return parsed;
    }
    if (text.front() == ';' || text.front() == '#') {
        parsed.kind = LineKind::Comment;
        return parsed;
    }
    if (text.front() == '[') {
        // "]" can be the second byte of a GB18030 character, so look for it in UTF-8.
        const std::string header = decoded(text, encoding);
        const std::size_t close = header.rfind(']');
        if (close != std::string::npos && close > 0) {
            parsed.kind = LineKind::Section;
            parsed.sectionName = std::string(trimmed(std::string_view(header).substr(1, close - 1)));
            return parsed;
        }
    }
    const std::size_t equals = text.find('=');
    if (equals != std::string_view::npos) {
        parsed.kind = LineKind::Entry;
        parsed.key = trimmed(text.substr(0, equals));
        parsed.value = trimmed(text.substr(equals + 1));
    }
    return parsed;
}

bool keyMatches(std::string_view rawKey, std::string_view key, Encoding encoding) {
    if (rawKey.empty()) {
        return false;
    }
    return sameName(decoded(rawKey, encoding), key);
}

// Where `key` of `section` stands in a file.
struct Location {
    bool sectionFound = false;
    bool keyFound = false;
    Line keyLine;          // the key's first line, when found
    Line lastSectionLine;  // the section's last line that is not blank, when the section is found
    std::string_view rawKey;
    std::string_view rawValue;
    std::string_view ending = "\n";  // the file's line ending
};

Location locate(std::string_view bytes, std::string_view section, std::string_view key, Encoding encoding) {
    Location where;
    bool endingKnown = false;
    bool inSection = false;
    LineReader reader(bytes);
    Line line;
    while (reader.next(line)) {
        if (!endingKnown && line.hasEnding) {
            where.ending = line.end + 1 < line.next ? "\r\n" : "\n";
            endingKnown = true;
        }
        const ParsedLine parsed = parse(bytes.substr(line.begin, line.end - line.begin), encoding);
        if (parsed.kind == LineKind::Section) {
            inSection = !where.sectionFound && sameName(parsed.sectionName, section);
            if (inSection) {
                where.sectionFound = true;
                where.lastSectionLine = line;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        if (parsed.kind != LineKind::Blank) {
            where.lastSectionLine = line;
        }
        if (parsed.kind == LineKind::Entry && !where.keyFound && keyMatches(parsed.key, key, encoding)) {
            where.keyFound = true;
            where.keyLine = line;
            where.rawKey = parsed.key;
            where.rawValue = parsed.value;
        }
    }
    return where;
}

bool storableName(std::string_view name) {
    if (name.empty() || trimmed(name).size() != name.size() || name.front() == ';' || name.front() == '#' ||
        name.front() == '[') {
        return false;
    }
    return name.find_first_of(std::string_view("=]\r\n\0", 5)) == std::string_view::npos;
}

std::string valueBytes(std::string_view value, Encoding encoding) {
    std::string bytes = encoded(value, encoding);
    const bool loosesEdges = !value.empty() && (isBlank(value.front()) || isBlank(value.back()));
    if (loosesEdges || withoutQuotes(value).size() != value.size()) {
        bytes = '"' + bytes + '"';
    }
    return bytes;
}

// True when the text, which ends with a line ending, has a blank last line.
bool endsWithBlankLine(std::string_view text) {
    text.remove_suffix(1);
    const std::size_t start = text.rfind('\n');
    return start != std::string_view::npos && trimmed(text.substr(start + 1)).empty();
}

}  // namespace

std::optional<std::string> iniValue(std::string_view fileBytes, std::string_view section, std::string_view key) {
    const FileText file = splitMark(fileBytes);
    const Location where = locate(file.body, section, key, file.encoding);
    if (!where.keyFound) {
        return std::nullopt;
    }
    return std::string(withoutQuotes(decoded(where.rawValue, file.encoding)));
}

std::optional<std::string> iniWithValue(std::string_view fileBytes, std::string_view section, std::string_view key,
                                        std::string_view value) {
    if (!storableName(key) || section.find_first_of(std::string_view("]\r\n\0", 4)) != std::string_view::npos ||
        value.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) {
        return std::nullopt;
    }
    const FileText file = splitMark(fileBytes);
    const Location where = locate(file.body, section, key, file.encoding);
    // Offsets in `where` count from the end of the mark.
    std::string result(file.body);
    if (where.keyFound) {
        // The key keeps the spelling it has in the file.
        std::string line(where.rawKey);
        line += '=';
        line += valueBytes(value, file.encoding);
        result.replace(where.keyLine.begin, where.keyLine.end - where.keyLine.begin, line);
        return std::string(file.mark) + result;
    }
    std::string entry = encoded(key, file.encoding) + '=' + valueBytes(value, file.encoding);
    if (where.sectionFound) {
        const Line& last = where.lastSectionLine;
        if (last.hasEnding) {
            result.insert(last.next, entry + std::string(where.ending));
        } else {
            result.insert(last.next, std::string(where.ending) + entry);
        }
        return std::string(file.mark) + result;
    }
    if (!result.empty()) {
        if (result.back() != '\n') {
            result += where.ending;
        }
        if (!endsWithBlankLine(result)) {
            result += where.ending;  // a blank line before the new section
        }
    }
    result += '[' + encoded(section, file.encoding) + ']';
    result += where.ending;
    result += entry;
    result += where.ending;
    return std::string(file.mark) + result;
}

}  // namespace vamu::core
