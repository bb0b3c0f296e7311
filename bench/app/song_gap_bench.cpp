// The silence between songs, through the whole program: at a natural end, from the last
// audible sample of one song to the first audible sample of the next; and "我要换歌" to the
// first audible block of the next song. Both with the next song held ahead (opened in the
// background while the current one plays) and without (the end noticed by the clock, then
// a new open). The program runs in this process on the offscreen platform against a
// vamu-service on loopback whose songs arrive at their own byte rate, as on a modest
// network; the engine plays into an output that keeps a timeline of what it was given.
//
//   bench_song_gap [--ends N] [--changes N] [--holding on|off|both] [--hold-after MS]
//                  [--data DIR] [--full]
//
// The small catalogue's songs last 2 to 5 s, so a natural end comes quickly; the next
// song is opened ahead --hold-after ms into the current one (default 0: at the first
// clock tick, since the usual 10 s never come in such songs). --full takes the demo
// catalogue (20 s to 3 min) with the usual 10 s. DIR keeps the service's songs between
// runs (default: bench-service-small, or bench-service with --full, beside this binary).
#include "bench_service.h"

#include "app/main_window.h"
#include "app/program.h"
#include "catalogue/radio_controller.h"
#include "core/settings.h"
#include "core/settings_keys.h"
#include "platform/application.h"
#include "platform/system.h"
#include "platform/workers.h"
#include "playback/audio_engine.h"
#include "playback/pcm_decoder.h"
#include "playback/pcm_format.h"
#include "playback/player_controller.h"
#include "playback/silent_output.h"
#include "support/service_process.h"
#include "support/ui_driver.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using vamu::test::UiDriver;
using Milliseconds = std::chrono::duration<double, std::milli>;

// What the output was given, on the output's own clock: a block handed at t plays its
// frame i at t + i / rate, since the pacer hands blocks over in real time. Written by the
// mixer thread, read by the harness on the UI thread.
class Timeline {
public:
    // A stretch without an audible frame: from the end of the last audible frame to the
    // start of the next one (the mixer idling counts as silent).
    struct Silence {
        Clock::time_point from;
        Clock::time_point to;
        [[nodiscard]] double milliseconds() const { return Milliseconds(to - from).count(); }
    };

    // Mixer thread: a block handed over at `handed`, mixed from `mixStart` on.
    void written(std::span<const std::int16_t> samples, Clock::time_point handed, Clock::time_point mixStart) {
        constexpr auto kChannels = static_cast<std::size_t>(vamu::playback::kChannels);
        using vamu::playback::kSampleRate;
        const auto frameTime = [handed](std::size_t frame) {
            return handed + std::chrono::duration_cast<Clock::duration>(
                                std::chrono::duration<double>(static_cast<double>(frame) / kSampleRate));
        };
        std::lock_guard lock(m_mutex);
        bool blockAudible = false;
        std::optional<Clock::time_point> firstAudible;
        for (std::size_t frame = 0; frame * kChannels < samples.size(); ++frame) {
            const bool audible = samples[frame * kChannels] != 0 || samples[frame * kChannels + 1] != 0;
            if (!audible) {
                m_silentSinceAudible = true;
                continue;
            }
            blockAudible = true;
            if (!firstAudible) firstAudible = frameTime(frame);
            if (m_silentSinceAudible && m_lastAudibleEnd) {
                m_silences.push_back({*m_lastAudibleEnd, frameTime(frame)});
                if (m_silences.size() > kKept) m_silences.pop_front();
            }
            m_silentSinceAudible = false;
            m_lastAudibleEnd = frameTime(frame + 1);
        }
        m_audibleNow = blockAudible;
        if (!m_armed) return;
        if (!blockAudible) {
            m_idleSinceArm = true;
        } else if (m_idleSinceArm || mixStart >= m_cut) {
            m_firstSound = handed;
            m_firstSoundFrame = firstAudible;
            m_armed = false;
        }
    }
    void idle() {
        std::lock_guard lock(m_mutex);
        m_silentSinceAudible = true;
        m_audibleNow = false;
        if (m_armed) m_idleSinceArm = true;
    }

    // UI thread. A click frees the song that played before its handler returns (`cut`);
    // the first audible block mixed after that, or after the mixer went idle, is the next
    // song's. A block of the old song mixed before the cut and handed over later does not count.
    void arm(Clock::time_point cut) {
        std::lock_guard lock(m_mutex);
        m_idleSinceArm = !m_audibleNow;
        m_cut = cut;
        m_firstSound.reset();
        m_armed = true;
    }
    [[nodiscard]] std::optional<Clock::time_point> firstSound() const {
        std::lock_guard lock(m_mutex);
        return m_firstSound;
    }
    // The first audible frame itself, on the output's clock.
    [[nodiscard]] std::optional<Clock::time_point> firstSoundFrame() const {
        std::lock_guard lock(m_mutex);
        return m_firstSoundFrame;
    }
    [[nodiscard]] bool audibleNow() const {
        std::lock_guard lock(m_mutex);
        return m_audibleNow;
    }
    // The longest silence that ended within [from, now]; none when none did.
    [[nodiscard]] std::optional<Silence> longestEndingSince(Clock::time_point from) const {
        std::lock_guard lock(m_mutex);
        std::optional<Silence> longest;
        for (const Silence& silence : m_silences) {
            if (silence.to >= from && (!longest || silence.to - silence.from > longest->to - longest->from)) {
                longest = silence;
            }
        }
        return longest;
    }

private:
    static constexpr std::size_t kKept = 4096;
    mutable std::mutex m_mutex;  // guards everything below
    std::deque<Silence> m_silences;
    std::optional<Clock::time_point> m_lastAudibleEnd;
    bool m_silentSinceAudible = true;
    bool m_audibleNow = false;
    bool m_armed = false;
    bool m_idleSinceArm = false;
    Clock::time_point m_cut{};
    std::optional<Clock::time_point> m_firstSound;
    std::optional<Clock::time_point> m_firstSoundFrame;
};

// Paces in real time like a device and hands every block to the timeline. The mixer mixes
// the next block as soon as write() returns, so that moment is the block's mixing start.
class TimelineOutput final : public vamu::playback::AudioOutput {
public:
    explicit TimelineOutput(std::shared_ptr<Timeline> timeline)
        : m_timeline(std::move(timeline)), m_pacer(std::make_shared<vamu::playback::SteadyClock>()) {}
    [[nodiscard]] vamu::playback::OutputKind kind() const override { return vamu::playback::OutputKind::Capturing; }
    bool write(std::span<const std::int16_t> samples) override {
        m_timeline->written(samples, Clock::now(), m_mixStart);
        m_pacer.pace(samples.size() / static_cast<std::size_t>(vamu::playback::kChannels));
        m_mixStart = Clock::now();
        return true;
    }
    void idle() override {
        m_timeline->idle();
        m_pacer.restart();
    }

private:
    std::shared_ptr<Timeline> m_timeline;
    vamu::playback::RealTimePacer m_pacer;
    Clock::time_point m_mixStart = Clock::now();  // mixer thread only
};

// How much digital silence a song file has at its start and its end once decoded (ms):
// part of any gap between two songs, whatever the player does. The synthesised songs fade
// in and out, and the quietest stretch encodes to zeros.
struct SongEdges {
    double leading = 0;
    double trailing = 0;
};

std::optional<SongEdges> songEdges(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (bytes.empty()) return std::nullopt;
    auto decoder = vamu::playback::makeMp3Decoder();
    decoder->feed(std::as_bytes(std::span(bytes)));
    decoder->endOfInput();
    std::vector<std::int16_t> block(4096);
    std::int64_t frames = 0;
    std::optional<std::int64_t> first;
    std::int64_t last = -1;
    for (;;) {
        const auto step = decoder->decode(std::as_writable_bytes(std::span(block)));
        if (step.status == vamu::playback::DecodeStatus::Failed) return std::nullopt;
        if (step.status == vamu::playback::DecodeStatus::Finished) break;
        if (step.status == vamu::playback::DecodeStatus::NeedInput) break;
        const std::size_t count = step.bytes / sizeof(std::int16_t) / 2;
        for (std::size_t i = 0; i < count; ++i, ++frames) {
            if (block[2 * i] == 0 && block[2 * i + 1] == 0) continue;
            if (!first) first = frames;
            last = frames;
        }
    }
    if (!first) return std::nullopt;
    constexpr double kFramesPerMs = vamu::playback::kSampleRate / 1000.0;
    return SongEdges{static_cast<double>(*first) / kFramesPerMs, static_cast<double>(frames - 1 - last) / kFramesPerMs};
}

struct Figures {
    std::vector<double> heldEnds;     // natural ends with the next song held and ready
    std::vector<double> openedEnds;   // natural ends where the next song was opened then
    std::vector<double> heldChanges;  // "我要换歌" with the next song held and ready
    std::vector<double> openedChanges;
    std::vector<double> heldChangesToFirstFrame;  // to the next song's first frame, audible or not
    std::vector<double> heldOwnSilence;  // the songs' own share of heldEnds (songEdges)
    std::vector<double> heldPlayerShare;  // heldEnds less that share
    int pageEnds = 0;  // ends of a catalogue page: a new page loads first, not counted
    int failures = 0;
};

class Harness {
public:
    Harness(vamu::app::Program& program, Timeline& timeline, std::filesystem::path songs)
        : m_program(program), m_timeline(timeline), m_songs(std::move(songs)) {}

    bool startChannel(int tile) {
        vamu::toolkit::BaseControl* control = m_program.radio().tileControl(tile);
        if (!control || !UiDriver::click(*control)) return false;
        m_timeline.arm(Clock::now());
        return UiDriver::pumpUntil([&] { return m_timeline.firstSound().has_value(); }, 20s);
    }

    // Waits for the playing song to end by itself and measures the silence to the next one.
    void naturalEnd(Figures& figures) {
        auto& player = m_program.player();
        const std::string song = player.model().currentSong().id;
        const std::string page = pageOf();
        bool held = false;
        std::optional<Clock::time_point> heldSince;  // when the harness first saw it held
        if (!UiDriver::pumpUntil(
                [&] {
                    // Taken over at the end, so only the look before the change tells.
                    if (player.model().currentSong().id != song) return true;
                    held = player.holdingNext();
                    if (held && !heldSince) heldSince = Clock::now();
                    return false;
                },
                10min)) {
            ++figures.failures;
            return;
        }
        const auto noticed = Clock::now();
        const bool newPage = pageOf() != page;
        // The held song sounds before the player notices the end; an opened one after.
        const auto since = noticed - 1s;
        if (!UiDriver::pumpUntil(
                [&] { return m_timeline.audibleNow() && m_timeline.longestEndingSince(since).has_value(); }, 20s)) {
            std::fprintf(stderr, "natural end: no sound of the next song within 20 s\n");
            ++figures.failures;
            return;
        }
        UiDriver::pump(50ms);
        const Timeline::Silence silence = *m_timeline.longestEndingSince(since);
        const double ms = silence.milliseconds();
        const auto own = ownSilence(song, player.model().currentSong().id);
        const char* kind = newPage ? "new page" : held ? "held" : "opened";
        std::fprintf(stderr, "natural end (%s): %.1f ms of silence, %.1f ms of it the songs' own", kind, ms,
                     own.value_or(-1));
        if (held && heldSince)
            std::fprintf(stderr, ", held %.0f ms before the end", Milliseconds(silence.from - *heldSince).count());
        std::fprintf(stderr, ", noticed %.0f ms after the end\n", Milliseconds(noticed - silence.from).count());
        if (newPage) {
            ++figures.pageEnds;
        } else if (held) {
            figures.heldEnds.push_back(ms);
            if (own) {
                figures.heldOwnSilence.push_back(*own);
                figures.heldPlayerShare.push_back(ms - *own);
            }
        } else {
            figures.openedEnds.push_back(ms);
        }
    }

    // "我要换歌" once its lock is over, while the song still plays (with `holding`, once the
    // next one is held), to the first audible block of the next song.
    void changeSong(bool holding, Figures& figures) {
        auto& player = m_program.player();
        auto& engine = m_program.engine();
        auto& button = *m_program.mainWindow().playerPanel().changeSong;
        const auto secondsLeft = [&] {
            const auto stream = player.stream();
            const auto length = engine.getLength(stream);
            return length < 0 ? 60.0 : engine.bytesToSeconds(stream, length - engine.getPosition(stream));
        };
        const bool ready = UiDriver::pumpUntil(
            [&] {
                const auto stream = player.stream();
                return UiDriver::enabled(button) &&
                       engine.isActive(stream) == vamu::playback::ActivityState::Playing &&
                       engine.bytesToSeconds(stream, engine.getPosition(stream)) >= 0.5 && secondsLeft() > 0.5 &&
                       (!holding || player.holdingNext());
            },
            10min);
        const bool held = player.holdingNext();
        if (!ready || (holding && !held)) {
            ++figures.failures;
            return;
        }
        const auto clicked = Clock::now();
        if (!UiDriver::click(button)) {
            ++figures.failures;
            return;
        }
        const auto handled = Clock::now();
        m_timeline.arm(handled);  // the handlers ran: the old song is freed
        if (!UiDriver::pumpUntil([&] { return m_timeline.firstSound().has_value(); }, 20s)) {
            std::fprintf(stderr, "change song: no sound within 20 s\n");
            ++figures.failures;
            return;
        }
        const double ms = Milliseconds(*m_timeline.firstSound() - clicked).count();
        // The song's own leading silence plays first: its first frame came that much earlier.
        const auto leading = edgesOf(player.model().currentSong().id);
        const double toFirstFrame =
            Milliseconds(*m_timeline.firstSoundFrame() - clicked).count() - (leading ? leading->leading : 0);
        std::fprintf(stderr,
                     "change song (%s): %.1f ms, %.1f ms of it in the click's handlers; its first frame after %.1f ms\n",
                     held ? "held" : "opened", ms, Milliseconds(handled - clicked).count(), toFirstFrame);
        (held ? figures.heldChanges : figures.openedChanges).push_back(ms);
        if (held && leading) figures.heldChangesToFirstFrame.push_back(toFirstFrame);
    }

private:
    // The trailing silence of song `ended` and the leading silence of song `next`.
    std::optional<SongEdges> edgesOf(const std::string& id) {
        if (const auto found = m_edges.find(id); found != m_edges.end()) return found->second;
        auto decoded = songEdges(m_songs / (fileOf(id) + ".mp3"));
        if (decoded) m_edges.emplace(id, *decoded);
        return decoded;
    }
    std::optional<double> ownSilence(const std::string& ended, const std::string& next) {
        const auto a = edgesOf(ended);
        const auto b = edgesOf(next);
        if (!a || !b) return std::nullopt;
        return a->trailing + b->leading;
    }

    // A song that is a version of another plays its original's file.
    std::string fileOf(const std::string& id) {
        if (m_files.empty()) {
            std::ifstream in(m_songs.parent_path().parent_path() / "catalogue.json", std::ios::binary);
            const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            vamu::net::JsonDocument catalogue;
            if (catalogue.load(text)) {
                const int count = catalogue.countMembers("songs");
                for (int i = 0; i < count; ++i) {
                    const std::string at = "songs[" + std::to_string(i) + "].";
                    const std::string audio = catalogue.getText(at + "audio");
                    m_files.emplace(catalogue.getText(at + "id"), audio.empty() || audio == "0" ? catalogue.getText(at + "id") : audio);
                }
            }
        }
        const auto found = m_files.find(id);
        return found == m_files.end() ? id : found->second;
    }

    // The catalogue page playing, by its first song.
    [[nodiscard]] std::string pageOf() const {
        const auto& queue = m_program.player().model().queue();
        return queue.empty() ? std::string() : queue.front().id;
    }

    vamu::app::Program& m_program;
    Timeline& m_timeline;
    std::filesystem::path m_songs;  // the service's song files, named by id
    std::map<std::string, SongEdges> m_edges;
    std::map<std::string, std::string> m_files;  // song id to the id its file is named by
};

std::string loadAverage() {
    double load[3] = {};
    if (::getloadavg(load, 3) != 3) return "unknown";
    char text[64];
    std::snprintf(text, sizeof text, "%.2f %.2f %.2f", load[0], load[1], load[2]);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    int ends = 12;
    int changes = 12;
    std::string holding = "both";
    std::optional<int> holdAfter;
    bool full = false;
    std::filesystem::path data;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : "";
        if (name == "--full") {
            full = true;
            continue;
        }
        ++i;
        if (name == "--ends")
            ends = std::max(0, std::atoi(value));
        else if (name == "--changes")
            changes = std::max(0, std::atoi(value));
        else if (name == "--holding")
            holding = value;
        else if (name == "--hold-after")
            holdAfter = std::max(0, std::atoi(value));
        else if (name == "--data")
            data = value;
    }
    if (holding != "on" && holding != "off" && holding != "both") {
        std::fprintf(stderr, "--holding takes on, off or both\n");
        return 2;
    }
    const auto heldAfter = std::chrono::milliseconds(holdAfter.value_or(full ? 10000 : 0));
    if (data.empty()) data = std::filesystem::path(VAMU_BENCH_BINARY_DIR) / (full ? "bench-service" : "bench-service-small");
    const auto home = vamu::bench::useFreshHome(VAMU_BENCH_BINARY_DIR);

    const auto application = vamu::platform::createApplication(argc, argv);
    vamu::platform::initialize();
    vamu::net::initializeHttp();
    int code = 1;
    {
        vamu::test::ServiceProcessOptions serviceOptions;
        serviceOptions.dataDirectory = data;
        serviceOptions.smallCatalogue = !full;
        serviceOptions.backgroundSongs = true;
        serviceOptions.arguments = {"--stream", "all=throttle:real"};
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
        // Every song from the network, at its byte rate, even one that comes round again.
        vamu::core::writeSetting(vamu::core::setting::kSongCacheLimit, "0", CreateFolder::Yes);

        auto timeline = std::make_shared<Timeline>();
        vamu::app::ProgramOptions options;
        options.makeOutput = [timeline] { return std::make_unique<TimelineOutput>(timeline); };
        vamu::app::Program program(std::move(options));
        if (program.start() != vamu::app::Program::StartResult::Started ||
            !UiDriver::pumpUntil([&] { return program.radio().gridShown(); }, 20s)) {
            std::fprintf(stderr, "the program showed no channel grid\n");
            return 1;
        }
        const std::string loadBefore = loadAverage();

        Harness harness(program, *timeline, data / "media" / "sound");
        Figures on;
        Figures off;
        int tile = 1;
        for (const bool withHolding : {true, false}) {
            if ((withHolding && holding == "off") || (!withHolding && holding == "on")) continue;
            Figures& figures = withHolding ? on : off;
            // Without holding: the next song is never opened ahead, as before there was any.
            program.player().setHoldAfter(withHolding ? heldAfter : std::chrono::milliseconds(24h));
            std::fprintf(stderr, "holding %s\n", withHolding ? "on" : "off");
            // A channel click drops whatever was held for the other setting.
            if (!harness.startChannel(tile++)) {
                std::fprintf(stderr, "the channel gave no sound\n");
                ++figures.failures;
                continue;
            }
            // With holding, the ends where the next song was held count; a song shorter than
            // the next one's open gives one that was not ready, listed apart.
            auto& counted = withHolding ? figures.heldEnds : figures.openedEnds;
            for (int tries = 0; static_cast<int>(counted.size()) < ends && tries < 4 * ends && figures.failures < 3;
                 ++tries) {
                harness.naturalEnd(figures);
            }
            for (int i = 0; i < changes && figures.failures < 3; ++i) harness.changeSong(withHolding, figures);
        }
        program.shutdown();
        vamu::platform::joinWorkers(1000ms);

        std::printf("silence between songs (ms); %s catalogue, songs at their own byte rate, held %lld ms in\n",
                    full ? "demo" : "small", static_cast<long long>(heldAfter.count()));
        std::printf("load average at start %s, at the end %s\n", loadBefore.c_str(), loadAverage().c_str());
        vamu::bench::printStatsHeader();
        if (holding != "off") {
            vamu::bench::printStatsRow("natural end, holding on, held ready", on.heldEnds);
            vamu::bench::printStatsRow("  of it the songs' own silence", on.heldOwnSilence);
            vamu::bench::printStatsRow("  the rest", on.heldPlayerShare);
            vamu::bench::printStatsRow("natural end, holding on, not ready", on.openedEnds);
            vamu::bench::printStatsRow("change song, holding on, held ready", on.heldChanges);
            vamu::bench::printStatsRow("  to its first frame (own silence off)", on.heldChangesToFirstFrame);
        }
        if (holding != "on") {
            vamu::bench::printStatsRow("natural end, holding off", off.openedEnds);
            vamu::bench::printStatsRow("change song, holding off", off.openedChanges);
        }
        if (on.pageEnds + off.pageEnds > 0) {
            std::printf("%d ends of a catalogue page (a new page loads first) not counted\n", on.pageEnds + off.pageEnds);
        }
        const int failures = on.failures + off.failures;
        if (failures) std::printf("%d measurements failed\n", failures);
        code = failures ? 1 : 0;
    }
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    vamu::platform::shutdown();
    return code;
}
