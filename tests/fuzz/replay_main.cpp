// Without libFuzzer: runs LLVMFuzzerTestOneInput once on every file named on the command
// line or held in a folder named there; options ("-runs=0") are ignored. Fails when no
// input ran, so a missing corpus is noticed.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    int runs = 0;
    const auto run = [&runs](const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        ++runs;
    };
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-') {
            continue;
        }
        const fs::path path(argv[i]);
        if (fs::is_directory(path)) {
            for (const auto& entry : fs::directory_iterator(path)) {
                run(entry.path());
            }
        } else {
            run(path);
        }
    }
    std::printf("%d inputs ran\n", runs);
    return runs > 0 ? 0 : 1;
}
