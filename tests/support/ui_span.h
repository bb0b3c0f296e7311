#pragma once
// Spans of a test in which the UI thread is the program's: the test pumps the event loop
// (UiDriver::pump/pumpUntil), hands it one input (a click, a key) or fires one of its
// timers (ManualScheduler). A latency probe measures the event loop only inside such
// spans, so the test's own blocking work between them (admin calls, reading the service's
// log) never counts as a freeze of the program. Spans nest; only the outermost counts.
// UI thread only.

#include <string_view>

namespace vamu::test {

class UiSpanListener {
public:
    virtual void spanBegins(std::string_view what) = 0;
    virtual void spanEnds() = 0;

protected:
    ~UiSpanListener() = default;
};

namespace detail {
inline UiSpanListener* g_uiSpanListener = nullptr;
inline int g_uiSpanDepth = 0;
}  // namespace detail

// One listener at a time (the probe of the running test); null removes it.
inline void setUiSpanListener(UiSpanListener* listener) { detail::g_uiSpanListener = listener; }

class UiSpan {
public:
    explicit UiSpan(std::string_view what) {
        if (detail::g_uiSpanDepth++ == 0 && detail::g_uiSpanListener) detail::g_uiSpanListener->spanBegins(what);
    }
    ~UiSpan() {
        if (--detail::g_uiSpanDepth == 0 && detail::g_uiSpanListener) detail::g_uiSpanListener->spanEnds();
    }
    UiSpan(const UiSpan&) = delete;
    UiSpan& operator=(const UiSpan&) = delete;
};

}  // namespace vamu::test
