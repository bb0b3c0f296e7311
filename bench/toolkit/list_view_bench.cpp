// Paint and scroll cost of a song list (370 x 245, the application's five columns)
// holding 100 or 10,000 rows: repainting it whole, scrolling by one row (the wheel),
// jumping by more than a screen, and hot tracking between two rows. Each step
// includes composing and presenting the changed area. Runs on the offscreen platform.
#include "bench_window.h"
#include "toolkit/controls/list_view.h"
#include "toolkit/host_window.h"

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace {

using namespace vamu;
using namespace vamu::toolkit;

struct SongList {
    explicit SongList(int rows) {
        AttachOptions options;
        options.captionFlags = 0;
        options.backgroundColour = 0xFFFFFF;
        bench::openBenchWindow(host, QSize(380, 300), options);
        ListViewOptions listOptions;
        listOptions.headerHot = false;
        listOptions.checkBoxes = true;
        list = ListView::create(host, QRect(1, 40, 370, 245), listOptions);
        list->insertColumn(0, "", 0);
        list->insertColumn(0, "编号", 45);
        list->insertColumn(0, "歌曲名称", 180);
        list->insertColumn(0, "上传用户", 80);
        list->insertColumn(0, "歌曲id", 60);
        for (int i = 1; i <= rows; ++i) {
            const int row = list->insertRow(0, QString("http://127.0.0.1:8960/stream/%1.mp3").arg(i), 0, i);
            list->setCellText(row, 2, QString::number(i));
            list->setCellText(row, 3, QString("第%1首 Song title %1").arg(i));
            list->setCellText(row, 4, QString("上传者%1").arg(i % 97));
            list->setCellText(row, 5, QString::number(100000 + i));
        }
        middle = (rows / 2) * list->rowHeight();
        list->setVerticalPosition(middle);
        host.controls().flush();
    }
    HostWindow host;
    ListView* list = nullptr;
    int middle = 0;
};

SongList& songList(int rows) {
    static std::map<int, std::unique_ptr<SongList>> lists;
    auto& slot = lists[rows];
    if (!slot) slot = std::make_unique<SongList>(rows);
    return *slot;
}

void reportRows(benchmark::State& state, const SongList& s, long long before) {
    state.counters["rows_painted"] =
        static_cast<double>(s.list->paintedRowCount() - before) / static_cast<double>(state.iterations());
}

void paintWhole(benchmark::State& state) {
    SongList& s = songList(static_cast<int>(state.range(0)));
    const long long before = s.list->paintedRowCount();
    for (auto _ : state) {
        s.list->redraw();
        s.host.controls().flush();
    }
    reportRows(state, s, before);
}
BENCHMARK(paintWhole)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);

void scrollOneRow(benchmark::State& state) {
    SongList& s = songList(static_cast<int>(state.range(0)));
    const long long before = s.list->paintedRowCount();
    int step = s.list->rowHeight();
    for (auto _ : state) {
        s.list->setVerticalPosition(s.list->verticalPosition() + step);
        s.host.controls().flush();
        step = -step;
    }
    reportRows(state, s, before);
}
BENCHMARK(scrollOneRow)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);

void jumpPastAScreen(benchmark::State& state) {
    SongList& s = songList(static_cast<int>(state.range(0)));
    const long long before = s.list->paintedRowCount();
    int step = 20 * s.list->rowHeight();
    for (auto _ : state) {
        s.list->setVerticalPosition(s.list->verticalPosition() + step);
        s.host.controls().flush();
        step = -step;
    }
    reportRows(state, s, before);
}
BENCHMARK(jumpPastAScreen)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);

void hotTracking(benchmark::State& state) {
    SongList& s = songList(static_cast<int>(state.range(0)));
    platform::NativeWindow& native = *s.host.nativeWindow();
    const QRect rows = s.list->rowsArea().translated(s.list->absoluteRect().topLeft());
    const int rh = s.list->rowHeight();
    const long long before = s.list->paintedRowCount();
    int y = rows.top() + rh / 2;
    for (auto _ : state) {
        native.deliver({platform::msg::kMouseMove, 0, platform::packPoint(rows.left() + 120, y)});
        s.host.controls().flush();
        y = y == rows.top() + rh / 2 ? y + rh : rows.top() + rh / 2;
    }
    reportRows(state, s, before);
}
BENCHMARK(hotTracking)->Arg(100)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace
