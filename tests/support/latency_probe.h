#pragma once
// Measures how long the UI thread's event loop goes without answering while a test
// scenario runs: a precise 10 ms timer on the UI thread records how late each firing
// comes after the one before (lateness = gap - period). Tests drive the event loop
// themselves, so only the UiSpans count (tests/support/ui_span.h): the test pumping in
// UiDriver::pump/pumpUntil, an input it delivers, a timer tick of the ManualScheduler.
// The gap is measured from the start of a span to the first firing in it, between
// firings in it, and from the last firing to the span's end; the test's own blocking
// work between spans is never measured. A handler that takes 300 ms of the UI thread,
// whether run from the loop or from a tick, shows as about 290 ms.
//
// The machine is shared (CI on two cores, builds beside the tests): a UI thread that is
// ready to run but waits for a processor is not frozen by the program. So each gap is
// also reduced by the time the thread spent waiting in the run queue (Linux schedstat),
// and by the run-queue waits of Qt's pooled threads, which the raster engine hands big
// fills to while the UI thread waits for them; but never below the processor time the
// UI thread itself used in the gap. What remains is the program's own stall: time the
// thread computed or was blocked. Both figures are kept; the budget applies to the
// program's own.
//
//   test::LatencyProbe probe;
//   ... scenario ...
//   EXPECT_LT(probe.worst(), test::LatencyProbe::kBudget) << probe.worstSpan();
//
// UI thread only; one probe at a time; needs the application object.

#include "support/ui_span.h"

#include <QElapsedTimer>
#include <QTimer>

#include <chrono>
#include <string>
#include <vector>

namespace vamu::test {

class LatencyProbe final : private UiSpanListener {
public:
    // The longest stall a scenario may show.
    static constexpr std::chrono::milliseconds kBudget{100};
    // Whether the budget means anything in this build: a sanitizer's build runs several
    // times slower and blocks in its own runtime, so there the probe only reports.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    static constexpr bool kBudgetApplies = false;
#else
    static constexpr bool kBudgetApplies = true;
#endif

    explicit LatencyProbe(std::chrono::milliseconds period = std::chrono::milliseconds(10));
    ~LatencyProbe();
    LatencyProbe(const LatencyProbe&) = delete;
    LatencyProbe& operator=(const LatencyProbe&) = delete;

    // The longest lateness the program caused (run-queue waits taken out), and the span
    // it was seen in ("pumpUntil", "input", a timer's name).
    [[nodiscard]] std::chrono::milliseconds worst() const { return m_worst; }
    [[nodiscard]] const std::string& worstSpan() const { return m_worstSpan; }
    // The longest lateness by the wall clock, run-queue waits included.
    [[nodiscard]] std::chrono::milliseconds worstWall() const { return m_worstWall; }
    // Gaps measured so far (a probe that measured nothing proves nothing).
    [[nodiscard]] int samples() const { return m_samples; }
    void reset();

private:
    void spanBegins(std::string_view what) override;
    void spanEnds() override;
    void fired();
    // Nanoseconds so far: the UI thread on a processor, it and Qt's pooled threads in the run queue.
    struct Times {
        qint64 running = 0;
        qint64 waiting = 0;
    };
    Times times();
    void record(qint64 nowMs, Times now);

    std::chrono::milliseconds m_period;
    QTimer m_timer;
    QElapsedTimer m_clock;
    bool m_inSpan = false;
    std::string m_span;
    qint64 m_last = 0;          // m_clock's milliseconds at the span's start or the last firing in it
    Times m_lastTimes;          // times() then
    std::vector<int> m_pooled;  // thread ids of Qt's pooled threads
    int m_sinceScan = 0;
    std::chrono::milliseconds m_worst{0};
    std::chrono::milliseconds m_worstWall{0};
    std::string m_worstSpan;
    int m_samples = 0;
};

}  // namespace vamu::test
