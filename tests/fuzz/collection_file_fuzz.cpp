// Input: a collection file's bytes. The rows it loads must save to bytes that load to the
// same rows, so a collection read from any file survives the next save unchanged.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "library/collection_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto rows = vamu::library::parseCollection(bytes);
    if (vamu::library::parseCollection(vamu::library::formatCollection(rows)) != rows) {
        std::abort();
    }
    return 0;
}
