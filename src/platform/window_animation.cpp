#include "platform/window_animation.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cmath>
#include <memory>
#include <unordered_map>

namespace vamu::platform {
namespace {

constexpr std::chrono::milliseconds kFrame{15};

struct Running {
    bool showing = true;
    WindowAnimation type = WindowAnimation::None;
    QRect geometry;  // the window's resting geometry
    QElapsedTimer clock;
    std::chrono::milliseconds duration{0};
    std::function<void()> finished;
};

std::unordered_map<std::uint32_t, std::shared_ptr<Running>>& running() {
    static std::unordered_map<std::uint32_t, std::shared_ptr<Running>> instance;
    return instance;
}

bool fades(WindowAnimation type) { return type == WindowAnimation::Fade || type == WindowAnimation::FadeSlideUp; }

QPoint slideOffset(WindowAnimation type, const QRect& geometry) {
    const int dx = std::max(8, geometry.width() / 10);
    const int dy = std::max(8, geometry.height() / 10);
    switch (type) {
    case WindowAnimation::SlideUp:
    case WindowAnimation::FadeSlideUp:
        return {0, dy};
    case WindowAnimation::SlideDown:
        return {0, -dy};
    case WindowAnimation::SlideLeft:
        return {dx, 0};
    case WindowAnimation::SlideRight:
        return {-dx, 0};
    default:
        return {0, 0};
    }
}

// Applies the look at visibility v (0 hidden .. 1 fully shown).
void applyFrame(NativeWindow& window, const Running& state, double v) {
    if (fades(state.type)) window.setOpacity(v);
    const QPoint offset = slideOffset(state.type, state.geometry);
    if (!offset.isNull()) {
        // The slide moves the window only: a size set meanwhile (a window that grows
        // while it appears) is kept.
        const double away = 1.0 - v;
        const QRect frame(state.geometry.topLeft(), window.geometry().size());
        window.setGeometry(frame.translated(static_cast<int>(std::lround(offset.x() * away)),
                                            static_cast<int>(std::lround(offset.y() * away))));
    }
}

void finish(WindowHandle handle) {
    auto it = running().find(handle.value);
    if (it == running().end()) return;
    const std::shared_ptr<Running> state = it->second;
    running().erase(it);
    if (NativeWindow* window = NativeWindow::find(handle)) {
        window->killTimer(kWindowAnimationTimer);
        if (state->type != WindowAnimation::None) applyFrame(*window, *state, 1.0);
        if (!state->showing) {
            window->hide();
            window->setGeometry(QRect(state->geometry.topLeft(), window->geometry().size()));
            window->setOpacity(1.0);
        }
    }
    if (state->finished) state->finished();
}

void tick(WindowHandle handle) {
    auto it = running().find(handle.value);
    NativeWindow* window = NativeWindow::find(handle);
    if (it == running().end() || !window) {
        finish(handle);
        return;
    }
    const Running& state = *it->second;
    const double t =
        std::clamp(static_cast<double>(state.clock.elapsed()) / std::max<double>(1, state.duration.count()), 0.0, 1.0);
    if (t >= 1.0) {
        finish(handle);
        return;
    }
    const double eased = 1.0 - std::pow(1.0 - t, 3.0);  // cubic ease-out
    applyFrame(*window, state, state.showing ? eased : 1.0 - eased);
}

void start(WindowHandle handle, bool showing, WindowAnimation type, std::chrono::milliseconds duration,
           std::function<void()> finished) {
    NativeWindow* window = NativeWindow::find(handle);
    if (!window) return;
    finish(handle);
    auto state = std::make_shared<Running>();
    state->showing = showing;
    state->type = type;
    state->geometry = window->geometry();
    state->duration = duration;
    state->finished = std::move(finished);
    if (type == WindowAnimation::None || duration.count() <= 0) {
        state->type = WindowAnimation::None;
        running()[handle.value] = state;
        if (showing) window->show();
        finish(handle);
        return;
    }
    running()[handle.value] = state;
    if (showing) {
        applyFrame(*window, *state, 0.0);
        window->show();
    }
    state->clock.start();
    window->setTimer(kWindowAnimationTimer, kFrame, [handle] { tick(handle); });
}

}  // namespace

void animateShow(WindowHandle window, WindowAnimation type, std::chrono::milliseconds duration,
                 std::function<void()> finished) {
    start(window, true, type, duration, std::move(finished));
}

void animateHide(WindowHandle window, WindowAnimation type, std::chrono::milliseconds duration,
                 std::function<void()> finished) {
    start(window, false, type, duration, std::move(finished));
}

bool isAnimating(WindowHandle window) { return running().contains(window.value); }

}  // namespace vamu::platform
