// Compose-and-present time of a host window of 380 x 415 with 60 controls, when one
// control changes and when all of them change. Runs on the offscreen platform.
#include "bench_window.h"
#include "toolkit/controls/control.h"
#include "toolkit/controls/paint.h"
#include "toolkit/controls/text_paint.h"
#include "toolkit/host_window.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

using namespace vamu::toolkit;

// A control like a list row or a button: a gradient, a border and a text.
class Tile final : public BaseControl {
public:
    void flip() {
        m_on = !m_on;
        redraw();
    }

protected:
    void onPaint(QPainter& painter, const PaintContext& context) override {
        const QRectF whole(context.whole);
        paint::fillGradient(painter, whole, m_on ? 0xFF3A6EA5 : 0xFFF4F6F8, m_on ? 0xFF86B3DC : 0xFFDDE3E9);
        paint::drawBorder(painter, whole, 3);
        paint::TextFormat format;
        format.alignment = Qt::AlignCenter;
        paint::drawText(painter, whole, QStringLiteral("歌曲 42"), font(), m_on ? 0xFFFFFFFF : 0xFF1E2A38, format);
    }

private:
    bool m_on = false;
};

struct Fixture {
    Fixture() {
        AttachOptions options;
        options.alpha = 255;
        options.captionFlags = caption::kIcon | caption::kTitle | caption::kClose | caption::kMin;
        options.backgroundColour = 0xF7F3EF;
        bench::openBenchWindow(host, QSize(380, 415), options);
        // 6 columns x 10 rows of 58 x 34 tiles under the caption.
        for (int row = 0; row < 10; ++row) {
            for (int column = 0; column < 6; ++column) {
                tiles.push_back(BaseControl::create(std::make_unique<Tile>(), host,
                                                    QRect(4 + column * 62, 30 + row * 37, 58, 34), kind::kButton,
                                                    "Button"));
            }
        }
        host.controls().flush();
    }
    HostWindow host;
    std::vector<Tile*> tiles;
};

Fixture& fixture() {
    static Fixture instance;
    return instance;
}

void oneControlChanges(benchmark::State& state) {
    Fixture& f = fixture();
    const int before = f.host.nativeWindow()->presentCount();
    std::size_t next = 0;
    for (auto _ : state) {
        f.tiles[next]->flip();
        f.host.controls().flush();
        next = (next + 7) % f.tiles.size();
    }
    state.counters["presents_per_change"] =
        static_cast<double>(f.host.nativeWindow()->presentCount() - before) / static_cast<double>(state.iterations());
}
BENCHMARK(oneControlChanges)->Unit(benchmark::kMicrosecond);

void allControlsChange(benchmark::State& state) {
    Fixture& f = fixture();
    const int before = f.host.nativeWindow()->presentCount();
    for (auto _ : state) {
        for (Tile* tile : f.tiles) tile->flip();
        f.host.controls().flush();
    }
    state.counters["presents_per_change"] =
        static_cast<double>(f.host.nativeWindow()->presentCount() - before) / static_cast<double>(state.iterations());
}
BENCHMARK(allControlsChange)->Unit(benchmark::kMicrosecond);

void composeOnly(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        f.host.controls().invalidateAll();
        f.host.controls().flush();
    }
}
BENCHMARK(composeOnly)->Unit(benchmark::kMicrosecond);

}  // namespace
