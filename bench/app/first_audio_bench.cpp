// Click to first sound of the whole program: a click on a channel tile until the first
// audible frame of its song reaches the sound output, and a click on "我要换歌" until the
// first audible frame of the next song does. The program runs in this process on the
// offscreen platform with its own timers, against a vamu-service on loopback (full
// catalogue, every song made before measuring); the engine plays into an output that
// notes when the audio starts.
//
//   bench_first_audio [--rounds N] [--data DIR] [--tile 1..10]
//
// DIR keeps the service's catalogue and songs between runs (default: a folder beside
// this binary); the first run makes the songs, about two minutes of processor time.
#include "bench_service.h"

#include "app/main_window.h"
#include "app/program.h"
#include "catalogue/radio_controller.h"
#include "core/settings.h"
#include "core/settings_keys.h"
#include "net/http_request.h"
#include "net/json_document.h"
#include "platform/application.h"
#include "platform/system.h"
#include "platform/workers.h"
#include "playback/audio_engine.h"
#include "playback/player_controller.h"
#include "playback/silent_output.h"
#include "support/service_process.h"
#include "support/ui_driver.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using vamu::test::UiDriver;

constexpr double kTileTarget = 250;  // ms; a slower click prints the requests it caused

// State shared between the output (mixer thread) and the harness (UI thread). The click
// frees the song that was playing before its handler returns (cut()); the first audible
// block mixed after that, or after the mixer went idle, is the new song's. A block of
// the old song mixed before the cut and written after the click does not count.
class SoundWatch {
public:
    void arm() {
        std::lock_guard lock(m_mutex);
        m_idleSinceArm = m_silentNow;
        m_cut.reset();
        m_firstSound.reset();
        m_armed = true;
    }
    void cut(Clock::time_point when) {
        std::lock_guard lock(m_mutex);
        m_cut = when;
    }
    [[nodiscard]] std::string describe() const {
        std::lock_guard lock(m_mutex);
        return std::string("idle since the click: ") + (m_idleSinceArm ? "yes" : "no") + ", output " +
               (m_silentNow ? "silent" : "audible");
    }
    [[nodiscard]] std::optional<Clock::time_point> firstSound() const {
        std::lock_guard lock(m_mutex);
        return m_firstSound;
    }
    // A block handed to the output (or the mixer idling: not audible), mixed from mixStart on.
    void written(bool audible, Clock::time_point mixStart) {
        const auto now = Clock::now();
        std::lock_guard lock(m_mutex);
        m_silentNow = !audible;
        if (!m_armed) return;
        if (!audible) {
            m_idleSinceArm = true;
        } else if (m_idleSinceArm || (m_cut && mixStart >= *m_cut)) {
            m_firstSound = now;
            m_armed = false;
        }
    }

private:
    mutable std::mutex m_mutex;
    bool m_silentNow = true;
    bool m_idleSinceArm = false;
    bool m_armed = false;
    std::optional<Clock::time_point> m_cut;
    std::optional<Clock::time_point> m_firstSound;
};

// Paces in real time like a device and tells the watch what it got. The mixer mixes the
// next block as soon as write() returns, so that moment is the block's mixing start.
class WatchedOutput final : public vamu::playback::AudioOutput {
public:
    explicit WatchedOutput(std::shared_ptr<SoundWatch> watch)
        : m_watch(std::move(watch)), m_pacer(std::make_shared<vamu::playback::SteadyClock>()) {}
    [[nodiscard]] vamu::playback::OutputKind kind() const override { return vamu::playback::OutputKind::Capturing; }
    bool write(std::span<const std::int16_t> samples) override {
        m_watch->written(std::any_of(samples.begin(), samples.end(), [](std::int16_t s) { return s != 0; }),
                         m_mixStart);
        m_pacer.pace(samples.size() / 2);
        m_mixStart = Clock::now();
        return true;
    }
    void idle() override {
        m_watch->written(false, m_mixStart);
        m_pacer.restart();
    }

private:
    std::shared_ptr<SoundWatch> m_watch;
    vamu::playback::RealTimePacer m_pacer;
    Clock::time_point m_mixStart = Clock::now();  // mixer thread only
};

// Clicks and waits for the first sound; nullopt when none came within the deadline.
std::optional<double> timeToSound(SoundWatch& watch, vamu::toolkit::BaseControl& control, const char* what,
                                  vamu::app::Program& program) {
    watch.arm();
    const auto clicked = Clock::now();
    if (!UiDriver::click(control)) {
        std::fprintf(stderr, "%s: the control could not be clicked\n", what);
        return std::nullopt;
    }
    watch.cut(Clock::now());  // the handlers ran: the old song is freed
    if (!UiDriver::pumpUntil([&] { return watch.firstSound().has_value(); }, 10s)) {
        const auto stream = program.player().stream();
        std::fprintf(stderr, "%s: no sound within 10 s (%s; stream %u, state %d, title %s)\n", what,
                     watch.describe().c_str(), stream, static_cast<int>(program.engine().isActive(stream)),
                     program.mainWindow().host().title().toStdString().c_str());
        return std::nullopt;
    }
    const double ms = std::chrono::duration<double, std::milli>(*watch.firstSound() - clicked).count();
    std::fprintf(stderr, "%s: %.1f ms\n", what, ms);
    return ms;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = 10;
    int fixedTile = 0;  // 0: each round the next tile
    std::filesystem::path data = std::filesystem::path(VAMU_BENCH_BINARY_DIR) / "bench-service";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        if (name == "--rounds")
            rounds = std::max(1, std::atoi(argv[i + 1]));
        else if (name == "--data")
            data = argv[i + 1];
        else if (name == "--tile")
            fixedTile = std::clamp(std::atoi(argv[i + 1]), 0, 10);
    }
    const auto home = vamu::bench::useFreshHome(VAMU_BENCH_BINARY_DIR);

    const auto application = vamu::platform::createApplication(argc, argv);
    vamu::platform::initialize();
    vamu::net::initializeHttp();
    int code = 1;
    {
        vamu::test::ServiceProcessOptions serviceOptions;
        serviceOptions.dataDirectory = data;
        serviceOptions.smallCatalogue = false;
        serviceOptions.backgroundSongs = true;
        serviceOptions.arguments = {"--log-requests"};  // a slow click shows what it asked for
        std::filesystem::create_directories(data);
        vamu::test::ServiceProcess service(serviceOptions);
        if (!service.running()) {
            std::fprintf(stderr, "the service did not start: %s\n", service.startError().c_str());
            return 1;
        }
        if (!vamu::bench::waitForSongs(service)) {
            std::fprintf(stderr, "the service did not make its songs in time\n");
            return 1;
        }
        using vamu::core::CreateFolder;
        vamu::core::writeSetting(vamu::core::setting::kServer, service.apiBase(), CreateFolder::Yes);
        vamu::core::writeSetting(vamu::core::setting::kCompanion, service.companionHost(), CreateFolder::Yes);

        auto watch = std::make_shared<SoundWatch>();
        vamu::app::ProgramOptions options;
        options.makeOutput = [watch] { return std::make_unique<WatchedOutput>(watch); };
        vamu::app::Program program(std::move(options));
        if (program.start() != vamu::app::Program::StartResult::Started ||
            !UiDriver::pumpUntil([&] { return program.radio().gridShown(); }, 20s)) {
            std::fprintf(stderr, "the program showed no channel grid\n");
            return 1;
        }

        std::vector<double> tiles;
        std::vector<double> changes;
        int failures = 0;
        for (int round = 0; round < rounds; ++round) {
            // Each round a different channel, then a change of song once its lock is over.
            vamu::toolkit::BaseControl* tile = program.radio().tileControl(fixedTile ? fixedTile : 1 + round % 10);
            const std::size_t before = service.logLineCount();
            if (const auto ms = tile ? timeToSound(*watch, *tile, "channel tile", program) : std::nullopt) {
                tiles.push_back(*ms);
                if (*ms > kTileTarget) {
                    const auto lines = service.logLines();
                    for (std::size_t k = before; k < lines.size(); ++k)
                        std::fprintf(stderr, "  %s\n", lines[k].c_str());
                }
            } else
                ++failures;
            UiDriver::pump(2s);  // past the change-song button's lock (1.5 s)
            if (const auto ms =
                    timeToSound(*watch, *program.mainWindow().playerPanel().changeSong, "change song", program))
                changes.push_back(*ms);
            else
                ++failures;
            UiDriver::pump(2s);
        }
        program.shutdown();
        vamu::platform::joinWorkers(1000ms);

        std::printf("click to first audio frame, %d rounds (ms)\n", rounds);
        vamu::bench::printStatsHeader();
        vamu::bench::printStatsRow("channel tile", tiles);
        vamu::bench::printStatsRow("change song", changes);
        if (failures) std::printf("%d clicks gave no sound within 10 s\n", failures);
        code = failures ? 1 : 0;
    }
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    vamu::platform::shutdown();
    return code;
}
