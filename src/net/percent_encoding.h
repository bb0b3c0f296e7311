#pragma once
// Percent-encoding of bytes for the places the program puts them: form and query values,
// the search keyword, file URLs and request paths. Every byte outside the kept set goes
// out as "%" and two upper-case hexadecimal digits. Qt-free.

#include <string>
#include <string_view>

namespace vamu::net {

// Which bytes pass as they are.
enum class PercentKeep {
    Unreserved,          // A-Z a-z 0-9 - _ . ~ (form and query values)
    UnreservedAndSlash,  // the same and "/" (the path of a file URL)
    UrlText,             // everything but controls, space, DEL, "#" and bytes from 0x80 (a path as given)
    Nothing,             // no byte (the search keyword)
};

[[nodiscard]] std::string percentEncoded(std::string_view bytes, PercentKeep keep);

}  // namespace vamu::net
