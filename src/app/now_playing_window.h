#pragma once
// The now-playing window: a small rounded window (260 x 80) with the program's icon,
// "当前歌曲" and the song's title, that slides in from the right edge of the screen
// while the main window is hidden, stays three seconds and slides out again.
//
// It starts just beyond the right edge at a top the user chose by dragging it (0
// stored: 160 pixels above the bottom of the screen). When the user drags it to
// another height the new top is reported, so it can be stored; moves that keep the
// top (the slide, a drag sideways) report nothing.
//
// The slide (app/now_playing_slide.h) runs on a UI-thread timer of the window: the left
// edge moves 5 pixels every 10 ms from the screen's right edge until the window is 2
// pixels in from it, rests 3000 ms, moves back out the same way and hides; it is
// counted, never read back from the window, so it ends on time wherever the window
// system leaves the window. A new slideIn() restarts it with the new title. UI thread
// only.

#include "app/now_playing_slide.h"
#include "toolkit/controls/label.h"
#include "toolkit/host_window.h"

#include <chrono>
#include <functional>
#include <memory>

namespace vamu::app {

class NowPlayingWindow {
public:
    static constexpr int kWidth = 260;
    static constexpr int kHeight = 80;
    static constexpr int kAboveBottom = 160;  // default top: screen height less this
    static constexpr int kStep = NowPlayingSlide::kStep;
    static constexpr std::chrono::milliseconds kTick = NowPlayingSlide::kTick;
    static constexpr std::chrono::milliseconds kRest = NowPlayingSlide::kRest;
    static constexpr int kInset = NowPlayingSlide::kInset;

    using Phase = NowPlayingSlide::Phase;
    using TopChanged = std::function<void(int top)>;

    // storedTop: the remembered top, 0 for the default. topChanged is called after the
    // user moved the window to another height.
    NowPlayingWindow(int storedTop, TopChanged topChanged);
    ~NowPlayingWindow();
    NowPlayingWindow(const NowPlayingWindow&) = delete;
    NowPlayingWindow& operator=(const NowPlayingWindow&) = delete;

    [[nodiscard]] bool valid() const;
    [[nodiscard]] toolkit::HostWindow& host() { return *m_host; }
    [[nodiscard]] platform::WindowHandle handle() const;

    void slideIn(const QString& title);
    [[nodiscard]] Phase phase() const { return m_slide.phase(); }
    [[nodiscard]] QString title() const;
    [[nodiscard]] int top() const { return m_top; }

    // The top a stored value gives on a screen (0: screen height less 160).
    [[nodiscard]] static int topFor(int storedTop, const QRect& screen);

private:
    void build();
    void apply(const NowPlayingSlide::Step& step);
    void moved();

    std::unique_ptr<toolkit::HostWindow> m_host;
    toolkit::Label* m_title = nullptr;
    TopChanged m_topChanged;
    int m_top = 0;
    NowPlayingSlide m_slide;
};

}  // namespace vamu::app
