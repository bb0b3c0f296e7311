// vamu-cli play URL-or-FILE [--seconds N] [--volume V] [--silent]: plays through the audio
// engine and prints, once a second, the activity state, the position and length texts and
// the byte position, so the engine can be checked by ear and by script. Ends with the
// song or after N seconds. --silent uses the silent output even when a server answers.

#include <charconv>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "cli_command.h"
#include "playback/audio_engine.h"
#include "playback/stream_time.h"

namespace vamu::cli {
namespace {

using vamu::playback::ActivityState;
using vamu::playback::AudioEngine;
using vamu::playback::OutputKind;

struct PlayOptions {
    std::string source;
    std::optional<double> seconds;
    float volume = 1.0f;
    bool silent = false;
};

std::optional<double> parseNumber(std::string_view text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<PlayOptions> parsePlayOptions(std::span<const std::string_view> arguments) {
    PlayOptions options;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view arg = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        if (arg == "--seconds" && hasValue) {
            options.seconds = parseNumber(arguments[++i]);
            if (!options.seconds || *options.seconds < 0) {
                return std::nullopt;
            }
        } else if (arg == "--volume" && hasValue) {
            const auto volume = parseNumber(arguments[++i]);
            if (!volume || *volume < 0 || *volume > 1) {
                return std::nullopt;
            }
            options.volume = static_cast<float>(*volume);
        } else if (arg == "--silent") {
            options.silent = true;
        } else if (options.source.empty() && !arg.starts_with("--")) {
            options.source = arg;
        } else {
            return std::nullopt;
        }
    }
    return options.source.empty() ? std::nullopt : std::optional(options);
}

const char* outputName(OutputKind kind) {
    switch (kind) {
    case OutputKind::Pulse:
        return "pulse";
    case OutputKind::Silent:
        return "silent";
    case OutputKind::Capturing:
        return "capturing";
    case OutputKind::None:
        break;
    }
    return "none";
}

void printStatus(const AudioEngine& engine, vamu::playback::StreamHandle handle) {
    std::printf("state=%d time=%s/%s position=%lld\n", static_cast<int>(engine.isActive(handle)),
                vamu::playback::positionText(engine, handle).c_str(),
                vamu::playback::lengthText(engine, handle).c_str(), static_cast<long long>(engine.getPosition(handle)));
    std::fflush(stdout);
}

int runPlay(std::span<const std::string_view> arguments);

constexpr Command kPlay{"play", "URL-or-FILE [--seconds N] [--volume 0..1] [--silent]",
                        "plays a song, printing state, time texts and byte position once a second", runPlay};

int runPlay(std::span<const std::string_view> arguments) {
    const auto options = parsePlayOptions(arguments);
    if (!options) {
        return usageOf(kPlay);
    }
    AudioEngine engine;
    const OutputKind output =
        engine.init(options->silent ? vamu::playback::OutputChoice::Silent : vamu::playback::OutputChoice::Automatic);
    std::printf("output=%s\n", outputName(output));

    std::error_code error;
    const bool isFile = std::filesystem::is_regular_file(options->source, error);
    const auto handle = engine.createStream(isFile ? vamu::playback::StreamSource{.file = options->source}
                                                   : vamu::playback::StreamSource{.url = options->source});
    if (handle == 0) {
        std::fprintf(stderr, "cannot play %s\n", options->source.c_str());
        return kExitFailure;
    }
    engine.setAttribute(handle, options->volume);
    engine.play(handle, vamu::playback::Restart::No);

    const auto started = std::chrono::steady_clock::now();
    auto nextPrint = started;
    for (;;) {
        const auto now = std::chrono::steady_clock::now();
        const bool ended = engine.isActive(handle) == ActivityState::Stopped;
        const bool timeUp = options->seconds && now - started >= std::chrono::duration<double>(*options->seconds);
        if (now >= nextPrint || ended || timeUp) {
            printStatus(engine, handle);
            nextPrint += std::chrono::seconds(1);
        }
        if (ended || timeUp) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    engine.freeStream(handle);
    return kExitOk;
}

}  // namespace

const Command& playCommand() { return kPlay; }

}  // namespace vamu::cli
