// Typing latency of an edit box holding 2,000 characters: one key from the window's
// message to the recomposed and presented window, with the caret at the end and in
// the middle of the text, in a wrapping multi-line box and in a one-line box.
// Runs on the offscreen platform.
#include "platform/keys.h"
#include "bench_window.h"
#include "toolkit/controls/edit.h"
#include "toolkit/host_window.h"

#include <benchmark/benchmark.h>

namespace {

using namespace vamu;
using namespace vamu::toolkit;

QString sampleText() {
    const QString sentence = QStringLiteral("这首歌的旋律很好听, the chorus stays with you. ");
    QString text;
    while (text.size() < 2000) text += sentence;
    text.truncate(2000);
    return text;
}

struct Fixture {
    explicit Fixture(bool multiline) {
        AttachOptions options;
        options.alpha = 255;
        options.captionFlags = caption::kIcon | caption::kTitle | caption::kClose;
        options.backgroundColour = 0xF7F3EF;
        bench::openBenchWindow(host, QSize(380, 415), options);
        EditOptions edit;
        edit.multiline = multiline;
        edit.scroll = multiline ? edit_scroll::kWrapVertical : edit_scroll::kNone;
        edit.text = sampleText();
        box = Edit::create(host, multiline ? QRect(15, 100, 330, 165) : QRect(15, 40, 330, 26), edit);
        box->setFocus();
    }
    void deliver(platform::MessageId id, std::uintptr_t wParam) {
        host.nativeWindow()->deliver(platform::Message{id, wParam, 1});
    }
    HostWindow host;
    Edit* box = nullptr;
};

// One iteration is two keys: a letter and the Backspace that takes it away again,
// each followed by the composition and presentation of the changed area.
void typing(benchmark::State& state, bool multiline, bool middle) {
    Fixture f(multiline);
    f.box->setSelection(middle ? 1000 : -1, middle ? 1000 : -1);
    for (auto _ : state) {
        f.deliver(platform::msg::kChar, 'a');
        f.host.controls().flush();
        f.deliver(platform::msg::kKeyDown, platform::vk::kBack);
        f.host.controls().flush();
    }
    state.counters["keys"] =
        benchmark::Counter(2.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    if (f.box->text().size() != 2000) state.SkipWithError("the text changed length");
}

void multilineAtEnd(benchmark::State& state) { typing(state, true, false); }
void multilineInMiddle(benchmark::State& state) { typing(state, true, true); }
void singleLineAtEnd(benchmark::State& state) { typing(state, false, false); }
void singleLineInMiddle(benchmark::State& state) { typing(state, false, true); }
BENCHMARK(multilineAtEnd)->Unit(benchmark::kMicrosecond);
BENCHMARK(multilineInMiddle)->Unit(benchmark::kMicrosecond);
BENCHMARK(singleLineAtEnd)->Unit(benchmark::kMicrosecond);
BENCHMARK(singleLineInMiddle)->Unit(benchmark::kMicrosecond);

}  // namespace
