// Song start and running costs of the audio engine, against a loopback HTTP server:
//   FirstFrame          createStream to the first PCM handed to the output (local URL)
//   MpvFirstFrame       the same song and server through `mpv --no-video --ao=null`, for reference
//   SourceFirstFrame    the same from the song cache's file (0), the local URL (1) and the URL
//                       at the song's own byte rate (2), as a modest network sends it
//   CacheCheck          SongCache::fileToPlay of a kept 4-minute song among 200 (the size and
//                       decoding check, and the index written anew)
//   CpuPerMinute        process CPU time per minute of audio, paced in real time and flat out
//   MemoryPerStream     resident memory per open, fully downloaded stream of a 4-minute song
//                       (run it alone, --benchmark_filter=MemoryPerStream: memory freed by the
//                       earlier benchmarks is reused and would hide part of the growth)

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <utility>

#include "playback/audio_engine.h"
#include "playback/capturing_output.h"
#include "playback/silent_output.h"
#include "playback/song_cache.h"
#include "support/audio_fixture.h"
#include "support/loopback_http_server.h"
#include "support/scaled_clock.h"
#include "support/wait_until.h"

namespace {

using namespace vamu;
using Clock = std::chrono::steady_clock;

test::LoopbackHttpServer& server() {
    static test::LoopbackHttpServer instance;
    static const bool served = [] {
        instance.serve("/song.mp3", {.body = test::encodeMp3({.frames = 4 * 60 * 44100})});
        instance.serve("/minute.mp3", {.body = test::encodeMp3({.frames = 60 * 44100})});
        instance.serve("/paced.mp3", {.body = test::encodeMp3({.frames = 4 * 60 * 44100}), .bytesPerSecond = 16000});
        return true;
    }();
    (void)served;
    return instance;
}

double processCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmRSS:") {
            status >> value;
            return value;
        }
        status.ignore(1 << 16, '\n');
    }
    return 0;
}

void FirstFrame(benchmark::State& state) {
    const std::string url = server().url("/song.mp3");
    double openSeconds = 0;
    for (auto _ : state) {
        playback::AudioEngine engine;
        auto output = std::make_unique<playback::CapturingOutput>();
        const auto* capture = output.get();
        engine.init(std::move(output));
        const auto started = Clock::now();
        const auto handle = engine.createStream({.url = url});
        openSeconds += std::chrono::duration<double>(Clock::now() - started).count();
        engine.play(handle, playback::Restart::No);
        if (handle == 0 || !test::waitUntil([&] { return capture->firstWriteTime().has_value(); })) {
            state.SkipWithError("no sound");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(*capture->firstWriteTime() - started).count());
    }
    state.counters["createStream_ms"] =
        benchmark::Counter(openSeconds * 1000 / static_cast<double>(state.iterations()));
}
BENCHMARK(FirstFrame)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

void SourceFirstFrame(benchmark::State& state) {
    const std::string file = test::writeTempFile(test::encodeMp3({.frames = 4 * 60 * 44100}), ".mp3");
    playback::StreamSource source;
    if (state.range(0) == 0) source.file = file;
    if (state.range(0) > 0) source.url = server().url(state.range(0) == 1 ? "/song.mp3" : "/paced.mp3");
    for (auto _ : state) {
        playback::AudioEngine engine;
        auto output = std::make_unique<playback::CapturingOutput>();
        const auto* capture = output.get();
        engine.init(std::move(output));
        const auto started = Clock::now();
        const auto handle = engine.createStream(source);
        engine.play(handle, playback::Restart::No);
        if (handle == 0 || !test::waitUntil([&] { return capture->firstWriteTime().has_value(); })) {
            state.SkipWithError("no sound");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(*capture->firstWriteTime() - started).count());
    }
    std::remove(file.c_str());
}
BENCHMARK(SourceFirstFrame)->Arg(0)->Arg(1)->Arg(2)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

void CacheCheck(benchmark::State& state) {
    const std::string folder = "/tmp/vamu-bench-cache-" + std::to_string(::getpid());
    const std::vector<std::byte> song = test::encodeMp3({.frames = 4 * 60 * 44100});
    {
        playback::SongCache cache(folder, std::int64_t{1} << 40);
        for (int id = 0; id < 200; ++id) {
            const std::string name = std::to_string(id);
            const auto sink = cache.writer(name, "http://127.0.0.1:8960/media/sound/" + name + ".mp3");
            sink->write(song);
            sink->finish(std::ssize(song));
        }
        for (auto _ : state) {
            benchmark::DoNotOptimize(cache.fileToPlay("0", "http://127.0.0.1:8960/media/sound/0.mp3"));
        }
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(CacheCheck)->Unit(benchmark::kMicrosecond);

// mpv's own log stamps when it opens the URL and when it starts its audio output.
void MpvFirstFrame(benchmark::State& state) {
    const std::string command =
        "mpv --no-config --no-video --ao=null --length=0.5 --msg-time "
        "--msg-level=all=v '" +
        server().url("/song.mp3") + "' 2>&1";
    double fromLaunch = 0;
    for (auto _ : state) {
        const auto launched = Clock::now();
        std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
        if (!pipe) {
            state.SkipWithError("mpv did not start");
            return;
        }
        double opening = -1;
        double starting = -1;
        char line[4096];
        while (std::fgets(line, sizeof line, pipe.get()) != nullptr) {
            double stamp = 0;
            if (std::sscanf(line, "[%lf]", &stamp) != 1) {
                continue;
            }
            const std::string text = line;
            if (opening < 0 && text.find("Opening http") != std::string::npos) {
                opening = stamp;
            } else if (starting < 0 && text.find("starting AO") != std::string::npos) {
                starting = stamp;
                fromLaunch += std::chrono::duration<double>(Clock::now() - launched).count();
            }
        }
        if (opening < 0 || starting < 0) {
            state.SkipWithError("mpv log without the expected lines");
            return;
        }
        state.SetIterationTime(starting - opening);
    }
    state.counters["from_launch_ms"] = benchmark::Counter(fromLaunch * 1000 / static_cast<double>(state.iterations()));
}
BENCHMARK(MpvFirstFrame)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);

// Plays `seconds` of the minute-long song through a silent output whose clock runs
// `speed` times faster than real time; reports CPU seconds per minute of audio.
void CpuPerMinute(benchmark::State& state) {
    const double speed = static_cast<double>(state.range(0));
    const double seconds = state.range(1);
    const std::string url = server().url("/minute.mp3");  // the songs are encoded outside the measurement
    double cpuPerMinute = 0;
    for (auto _ : state) {
        playback::AudioEngine engine;
        engine.init(std::make_unique<playback::SilentOutput>(std::make_shared<test::ScaledClock>(speed)));
        const double cpuBefore = processCpuSeconds();
        const auto handle = engine.createStream({.url = url});
        engine.play(handle, playback::Restart::No);
        // Sleep rather than poll, so the measuring thread costs nothing.
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds / speed));
        const double played = engine.bytesToSeconds(handle, engine.getPosition(handle));
        engine.freeStream(handle);
        cpuPerMinute += (processCpuSeconds() - cpuBefore) * 60.0 / played;
    }
    state.counters["cpu_s_per_audio_min"] = cpuPerMinute / static_cast<double>(state.iterations());
}
BENCHMARK(CpuPerMinute)->Args({1, 20})->Args({30, 60})->Iterations(1)->Unit(benchmark::kMillisecond);

void MemoryPerStream(benchmark::State& state) {
    constexpr int kStreams = 8;
    for (auto _ : state) {
        const std::string url = server().url("/song.mp3");  // the songs are encoded before measuring
        playback::AudioEngine engine;
        engine.init(std::make_unique<playback::SilentOutput>());
        const long before = residentKilobytes();
        std::vector<playback::StreamHandle> handles;
        for (int i = 0; i < kStreams; ++i) {
            handles.push_back(engine.createStream({.url = url}));
        }
        // Downloads done and rings full: resident memory stops growing.
        long previous = -1;
        test::waitUntil(
            [&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(500));
                const long now = residentKilobytes();
                return std::exchange(previous, now) == now;
            },
            std::chrono::seconds(60));
        state.counters["rss_kb_per_stream"] = static_cast<double>(residentKilobytes() - before) / kStreams;
        for (const auto handle : handles) {
            engine.freeStream(handle);
        }
    }
}
BENCHMARK(MemoryPerStream)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
