// Input: a collection file's bytes. The rows it loads must save to bytes that load to the
// same rows, so a collection read from any file survives the next save unchanged, but
// for line breaks inside a field, which the save writes as spaces.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "library/collection_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto rows = vamu::library::parseCollection(bytes);
    const auto saved = vamu::library::parseCollection(vamu::library::formatCollection(rows));
    for (auto& row : rows) {
        for (std::string* field : {&row.source, &row.name, &row.uploader, &row.id}) {
            for (char& c : *field) c = (c == '\r' || c == '\n') ? ' ' : c;
        }
    }
    if (saved != rows) {
        std::abort();
    }
    return 0;
}
