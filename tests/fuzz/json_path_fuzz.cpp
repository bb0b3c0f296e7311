// Input: a path, a newline, then JSON text. Every reader and writer runs on the path; the
// document must survive and serialise to text that loads again to the same document.

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>

#include "net/json_document.h"
#include "net/json_path.h"

using vamu::net::JsonDocument;

namespace {

// Deepest bracket nesting outside strings; writes may push a document past what load takes.
int nesting(std::string_view text) {
    int depth = 0;
    int deepest = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (inString) {
            if (text[i] == '\\') {
                ++i;
            } else if (text[i] == '"') {
                inString = false;
            }
            continue;
        }
        if (text[i] == '"') {
            inString = true;
        } else if (text[i] == '[' || text[i] == '{') {
            deepest = std::max(deepest, ++depth);
        } else if (text[i] == ']' || text[i] == '}') {
            --depth;
        }
    }
    return deepest;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t newline = input.find('\n');
    const std::string_view path = input.substr(0, newline);
    const std::string_view text = newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);

    (void)vamu::net::isValidJsonPath(path);
    JsonDocument document;
    (void)document.load(text);
    (void)document.getText(path);
    (void)document.getText(path, vamu::net::TextForm::Json);
    (void)document.countMembers(path);
    (void)document.typeOf(path);
    (void)document.memberNames(path);
    (void)document.getNumber(path);
    (void)document.getElement(1, path);
    (void)document.getDocument(path).serialize();
    document.appendToArray("x", path, vamu::net::ValueForm::Text);
    document.setMember(path, "12", vamu::net::ValueForm::Raw);
    document.setMemberNumber(path, 2.5);
    document.deleteMember(path);

    const std::string serialized = document.serialize();
    JsonDocument again;
    if (serialized != "null" && nesting(serialized) <= 512 &&
        (!again.load(serialized) || again.serialize() != serialized)) {
        std::abort();
    }
    return 0;
}
