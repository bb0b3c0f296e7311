// A list loader's work on one reply page: load the JSON, count "result.data", then read
// five fields of every row through indexed paths, the way the catalogue and likes lists do.

#include <string>

#include <benchmark/benchmark.h>

#include "net/json_document.h"

namespace {

std::string page(int rows) {
    std::string text = R"({"state":1,"message":"","result":{"total":99999,"data":[)";
    for (int i = 0; i < rows; ++i) {
        const std::string n = std::to_string(i);
        if (i > 0) {
            text += ',';
        }
        text += R"({"id":)" + std::to_string(100000 + i) + R"(,"name":"第)" + n + R"(首歌 Song )" + n +
                R"(","source":"http://127.0.0.1:8960/media/sound/)" + n +
                R"(.mp3","pic_100":"http://127.0.0.1:8960/media/cover/)" + n + R"(.jpg","user_id":)" +
                std::to_string(500 + i % 97) + R"(,"user":{"id":)" + std::to_string(500 + i % 97) + R"(,"name":"用户)" +
                std::to_string(i % 97) + R"(","avatar_50":"http://127.0.0.1:8960/media/avatar/1.jpg"},"play_count":)" +
                std::to_string(i * 7) + R"(,"duration":215.5})";
    }
    return text + "]}}";
}

constexpr const char* kSuffixes[] = {"].source", "].name", "].user.name", "].id", "].user_id"};

std::size_t readRows(const vamu::net::JsonDocument& document) {
    const int rows = document.countMembers("result.data");
    std::size_t bytes = 0;
    std::string path;
    for (int i = 0; i < rows; ++i) {
        for (const char* suffix : kSuffixes) {
            path = "result.data[";
            path += std::to_string(i);
            path += suffix;
            bytes += document.getText(path).size();
        }
    }
    return bytes;
}

void loadAndRead(benchmark::State& state) {
    const std::string text = page(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        vamu::net::JsonDocument document;
        benchmark::DoNotOptimize(document.load(text));
        benchmark::DoNotOptimize(readRows(document));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
    state.counters["reply_bytes"] = static_cast<double>(text.size());
}

void loadOnly(benchmark::State& state) {
    const std::string text = page(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        vamu::net::JsonDocument document;
        benchmark::DoNotOptimize(document.load(text));
    }
}

void readOnly(benchmark::State& state) {
    vamu::net::JsonDocument document;
    document.load(page(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        benchmark::DoNotOptimize(readRows(document));
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0) * 5);
}

BENCHMARK(loadAndRead)->Arg(20)->Arg(10'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(loadOnly)->Arg(20)->Arg(10'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(readOnly)->Arg(20)->Arg(10'000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
