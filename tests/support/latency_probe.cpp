#include "support/latency_probe.h"

#include <algorithm>
#include <fstream>

namespace vamu::test {
namespace {

// Nanoseconds the calling thread has waited in the run queue so far; 0 where the kernel
// does not tell (the gaps are then taken whole).
qint64 runQueueWait() {
    std::ifstream stats("/proc/thread-self/schedstat");
    long long running = 0;
    long long waiting = 0;
    if (!(stats >> running >> waiting)) return 0;
    return waiting;
}

}  // namespace

LatencyProbe::LatencyProbe(std::chrono::milliseconds period) : m_period(period) {
    m_clock.start();
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] { fired(); });
    m_timer.start(static_cast<int>(m_period.count()));
    setUiSpanListener(this);
}

LatencyProbe::~LatencyProbe() { setUiSpanListener(nullptr); }

void LatencyProbe::reset() {
    m_worst = {};
    m_worstWall = {};
    m_worstSpan.clear();
    m_samples = 0;
}

void LatencyProbe::spanBegins(std::string_view what) {
    m_inSpan = true;
    m_span = std::string(what);
    m_last = m_clock.elapsed();
    m_lastWait = runQueueWait();
}

void LatencyProbe::spanEnds() {
    if (!m_inSpan) return;
    record(m_clock.elapsed(), runQueueWait());
    m_inSpan = false;
}

void LatencyProbe::fired() {
    // Outside a span the loop only runs where the test lets it (a nested loop of its
    // own); nothing to measure there.
    if (!m_inSpan) return;
    const qint64 now = m_clock.elapsed();
    const qint64 wait = runQueueWait();
    record(now, wait);
    m_last = now;
    m_lastWait = wait;
}

void LatencyProbe::record(qint64 nowMs, qint64 nowWaitNs) {
    ++m_samples;
    const std::chrono::milliseconds gap(nowMs - m_last);
    const std::chrono::milliseconds waited(std::max<qint64>(0, nowWaitNs - m_lastWait) / 1'000'000);
    const auto wall = std::max(std::chrono::milliseconds(0), gap - m_period);
    const auto own = std::max(std::chrono::milliseconds(0), gap - waited - m_period);
    m_worstWall = std::max(m_worstWall, wall);
    if (own > m_worst) {
        m_worst = own;
        m_worstSpan = m_span;
    }
}

}  // namespace vamu::test
