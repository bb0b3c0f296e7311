#pragma once
// Paths into a JSON value, written the way the features write them: dot-separated member
// names and bracketed array indexes counted from 0, such as "result.data[3].name". A path
// may also begin with an index ("[0].id", for a document that is an array), and the empty
// path names the whole value. Paths are read step by step and never evaluated.

#include <cstddef>
#include <string_view>

namespace vamu::net {

struct JsonPathStep {
    enum class Kind { Member, Index };
    Kind kind = Kind::Member;
    std::string_view name;  // Member: the member name, a view into the path text
    std::size_t index = 0;  // Index: counted from 0
};

// Reads one path without allocating. A member name is an identifier (ASCII letters, digits,
// "_" and "$", not starting with a digit; bytes of non-ASCII characters count as letters);
// an index is decimal digits between "[" and "]". Anything else makes the path malformed.
//
//     JsonPathReader reader(path);
//     JsonPathStep step;
//     while (reader.next(step)) { ... }
//     if (reader.malformed()) { ... }
class JsonPathReader {
public:
    explicit JsonPathReader(std::string_view path) : m_path(path) {}

    // The next step; false at the end of the path or at the first malformed piece.
    bool next(JsonPathStep& step);
    [[nodiscard]] bool malformed() const { return m_malformed; }
    // True once every character of the path has been read.
    [[nodiscard]] bool atEnd() const { return m_position >= m_path.size(); }

private:
    bool readMember(JsonPathStep& step);
    bool readIndex(JsonPathStep& step);
    bool fail();

    std::string_view m_path;
    std::size_t m_position = 0;
    bool m_malformed = false;
};

// True when `path` reads to its end without a malformed piece.
[[nodiscard]] bool isValidJsonPath(std::string_view path);

}  // namespace vamu::net
