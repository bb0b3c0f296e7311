#include "support/latency_probe.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace vamu::test {
namespace {

// The first two numbers of a schedstat file: on a processor, waiting in the run queue.
bool readSchedstat(const std::string& path, qint64& running, qint64& waiting) {
    std::ifstream stats(path);
    long long onCpu = 0;
    long long inQueue = 0;
    if (!(stats >> onCpu >> inQueue)) return false;
    running = onCpu;
    waiting = inQueue;
    return true;
}

std::vector<int> pooledThreads() {
    std::vector<int> ids;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task", error)) {
        std::ifstream comm(entry.path() / "comm");
        std::string name;
        std::getline(comm, name);
        if (name.starts_with("Thread (pooled)")) ids.push_back(std::stoi(entry.path().filename().string()));
    }
    return ids;
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

LatencyProbe::Times LatencyProbe::times() {
    // Pools grow on demand: look for new threads now and then.
    if (m_sinceScan++ % 50 == 0) m_pooled = pooledThreads();
    Times now;
    qint64 waiting = 0;
    if (!readSchedstat("/proc/thread-self/schedstat", now.running, waiting)) return {};
    now.waiting = waiting;
    for (const int id : m_pooled) {
        qint64 running = 0;
        if (readSchedstat("/proc/self/task/" + std::to_string(id) + "/schedstat", running, waiting))
            now.waiting += waiting;
    }
    return now;
}

void LatencyProbe::spanBegins(std::string_view what) {
    m_inSpan = true;
    m_span = std::string(what);
    m_sinceScan = 0;
    m_last = m_clock.elapsed();
    m_lastTimes = times();
}

void LatencyProbe::spanEnds() {
    if (!m_inSpan) return;
    record(m_clock.elapsed(), times());
    m_inSpan = false;
}

void LatencyProbe::fired() {
    // Outside a span the loop only runs where the test lets it (a nested loop of its
    // own); nothing to measure there.
    if (!m_inSpan) return;
    const qint64 now = m_clock.elapsed();
    const Times sample = times();
    record(now, sample);
    m_last = now;
    m_lastTimes = sample;
}

void LatencyProbe::record(qint64 nowMs, Times now) {
    using std::chrono::milliseconds;
    ++m_samples;
    const milliseconds gap(nowMs - m_last);
    const milliseconds ran(std::max<qint64>(0, now.running - m_lastTimes.running) / 1'000'000);
    const milliseconds waited(std::max<qint64>(0, now.waiting - m_lastTimes.waiting) / 1'000'000);
    const auto wall = std::max(milliseconds(0), gap - m_period);
    const auto own = std::max(milliseconds(0), std::max(ran, gap - waited) - m_period);
    m_worstWall = std::max(m_worstWall, wall);
    if (own > m_worst) {
        m_worst = std::min(own, wall);
        m_worstSpan = m_span;
    }
}

}  // namespace vamu::test
