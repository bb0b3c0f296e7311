// Fuzz target for the theme pack loader. The first input byte picks what the rest is:
//   0  a stored pack, header and all;
//   1  the inflated contents (lengths, description, picture), which the harness deflates
//      and wraps in a valid header so that mutations reach the XML and PNG readers.
// Built with clang it is a libFuzzer binary (`theme_pack_fuzz -runs=N dir`); otherwise
// its main() replays the files and folders given to it, which is how the regression
// inputs in fuzz/theme_pack/ run as a test.
#include "toolkit/pack_format.h"
#include "toolkit/theme_pack.h"

#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::vector<std::byte> deflateBytes(std::span<const std::byte> data) {
    std::vector<std::byte> out(compressBound(static_cast<uLong>(data.size())));
    uLongf size = static_cast<uLongf>(out.size());
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                  static_cast<uLong>(data.size()), 1) != Z_OK)
        return {};
    out.resize(size);
    return out;
}

void exercise(const vamu::toolkit::ThemePack& pack) {
    const QRect bounds = pack.atlas().rect();
    for (const char* element : {"SysButton.Close", "Button", "ScrollBar", "MsgBox", "a"}) {
        for (const char* key : {"normal", "v_bg", "m16", "rect", "gird", "b"}) {
            const auto region = pack.rect(element, key);
            // Regions were validated against the atlas at load; sizes and grids need not be.
            if (region && std::string_view(key) != "gird" && !bounds.contains(*region)) std::abort();
            (void)pack.rectF(element, key);
            (void)pack.colours(element, key);
            (void)pack.number(element, key);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > (4u << 20)) return 0;
    const auto input = std::as_bytes(std::span(data + 1, size - 1));
    std::unique_ptr<vamu::toolkit::ThemePack> pack;
    if (data[0] == 0) {
        pack = vamu::toolkit::ThemePack::load(input);
    } else {
        const auto stream = deflateBytes(input);
        if (stream.size() <= vamu::toolkit::kMaxPackStreamSize)
            pack = vamu::toolkit::ThemePack::load(vamu::toolkit::wrapPackStream(stream));
    }
    if (pack) exercise(*pack);
    return 0;
}

#ifndef VAMU_LIBFUZZER
int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    int runs = 0;
    auto run = [&runs](const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        ++runs;
    };
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-') continue;  // libFuzzer options
        const fs::path path(argv[i]);
        if (fs::is_directory(path)) {
            for (const auto& entry : fs::directory_iterator(path)) run(entry.path());
        } else {
            run(path);
        }
    }
    std::printf("theme_pack_fuzz: %d inputs ran\n", runs);
    return runs > 0 ? 0 : 1;
}
#endif
