// The comment strip's cost per 30 ms frame: 120 comments (avatar, bubble, two labels
// each) on a 1,620 x 150 layered strip, the page moved 2 px and the strip composed and
// presented, as one tick of "弹幕" does while the song plays. Also the cost of laying
// the page out, and of a tick once the page has left the strip. Offscreen platform.
#include "bench_window.h"
#include "comments/comments_controller.h"

#include <QBuffer>
#include <QImage>

#include <benchmark/benchmark.h>

#include <map>
#include <random>

namespace {

using namespace vamu;

constexpr QSize kStrip{1620, 150};

// Timers that never fire: the benchmark runs the ticks itself.
class IdleScheduler final : public platform::Scheduler {
public:
    void startTimer(std::string_view name, std::chrono::milliseconds, std::function<void()>) override {
        m_running[std::string(name)] = true;
    }
    void stopTimer(std::string_view name) override { m_running.erase(std::string(name)); }
    [[nodiscard]] bool timerRunning(std::string_view name) const override {
        return m_running.count(std::string(name)) != 0;
    }

private:
    std::map<std::string, bool> m_running;
};

QByteArray placeholderPicture() {
    QImage icon(30, 30, QImage::Format_ARGB32_Premultiplied);
    icon.fill(0xFF3A6EA5);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    icon.save(&buffer, "PNG");
    return bytes;
}

// 120 comments as the demo service writes them: short names, mostly Chinese texts.
std::vector<comments::Comment> demoComments() {
    static const char* kNames[] = {"听众", "Lily", "夜猫子", "kk", "路过的人", "小明同学"};
    static const char* kTexts[] = {"好听",           "这首歌真好听",           "单曲循环中", "nice!",
                                   "前奏一响就哭了", "第一次听到这么好听的歌", "来了来了",   "2026年还在听"};
    std::vector<comments::Comment> list;
    for (int i = 0; i < comments::kMaxComments; ++i) {
        list.push_back({"", std::string(kNames[i % 6]) + std::to_string(i), kTexts[(i * 5) % 8]});
    }
    return list;
}

struct Strip {
    Strip() {
        toolkit::AttachOptions options;
        options.backgroundColour = 0xFFFFFF;
        options.captionFlags = 0;
        options.alpha = 0;
        options.borderColours = std::vector<QRgb>{0, 0, 0, 0};
        options.cornerRadius = 20;
        options.movable = false;
        toolkit::bench::openBenchWindow(host, kStrip, options);
        comments::CommentsSetup setup;
        setup.strip = &host;
        setup.placeholder = placeholderPicture();
        setup.random = [engine = std::make_shared<std::mt19937>(7)](int lowest, int highest) {
            return std::uniform_int_distribution<int>(lowest, highest)(*engine);
        };
        setup.fetchAvatar = [](const std::string&, std::stop_token) { return QByteArray(); };
        comments::CommentsHooks hooks;
        hooks.player = [] {
            playback::PlayerSnapshot playing;
            playing.activity = playback::ActivityState::Playing;
            return playing;
        };
        controller = std::make_unique<comments::CommentsController>(std::move(setup), net::ServiceContext{}, scheduler,
                                                                    std::move(hooks));
    }
    // A fresh page, moved until its first comments are well inside the strip.
    void freshPage() {
        controller->showComments(demoComments());
        while (controller->page()->left() > 0) controller->scrollComments();
        host.controls().flush();
    }
    toolkit::HostWindow host;
    IdleScheduler scheduler;
    std::unique_ptr<comments::CommentsController> controller;
};

Strip& strip() {
    static Strip instance;
    return instance;
}

void frameWith120Comments(benchmark::State& state) {
    Strip& s = strip();
    s.freshPage();
    const int before = s.host.nativeWindow()->presentCount();
    for (auto _ : state) {
        s.controller->scrollComments();
        s.host.controls().flush();
        if (s.controller->page()->left() + s.controller->layout().extent < kStrip.width()) {
            state.PauseTiming();  // the page runs thin: a new one, as the next song would bring
            s.freshPage();
            state.ResumeTiming();
        }
    }
    state.counters["presents_per_frame"] =
        static_cast<double>(s.host.nativeWindow()->presentCount() - before) / static_cast<double>(state.iterations());
}
BENCHMARK(frameWith120Comments)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void layOut120Comments(benchmark::State& state) {
    Strip& s = strip();
    for (auto _ : state) {
        s.controller->showComments(demoComments());
        s.host.controls().flush();
    }
}
BENCHMARK(layOut120Comments)->Unit(benchmark::kMillisecond);

void frameAfterThePageHasPassed(benchmark::State& state) {
    Strip& s = strip();
    s.controller->showComments(demoComments());
    while (s.controller->page()->left() + s.controller->layout().extent > 0) s.controller->scrollComments();
    s.host.controls().flush();
    const int before = s.host.nativeWindow()->presentCount();
    for (auto _ : state) {
        s.controller->scrollComments();
        s.host.controls().flush();
    }
    state.counters["presents_per_frame"] =
        static_cast<double>(s.host.nativeWindow()->presentCount() - before) / static_cast<double>(state.iterations());
}
BENCHMARK(frameAfterThePageHasPassed)->Unit(benchmark::kMicrosecond);

}  // namespace
