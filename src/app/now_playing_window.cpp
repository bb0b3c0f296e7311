#include "app/now_playing_window.h"

#include "app/backgrounds.h"

#include "platform/system.h"
#include "toolkit/controls/image_box.h"
#include "toolkit/controls/paint.h"

#include <algorithm>

namespace vamu::app {

using namespace vamu::toolkit;

namespace {

// The window's own timer id for the slide.
constexpr platform::TimerId kSlideTimer = 0x4E50'0001;  // "NP"

constexpr QRect kIcon{20, 10, 50, 50};
constexpr QRect kHeading{80, 2, 80, 40};
constexpr QRect kTitle{80, 33, 160, 40};
// The window is white: its texts are dark so they can be read on it.
constexpr QRgb kHeadingColour = 0xFF8A8A8A;
constexpr QRgb kTitleColour = 0xFF303030;
constexpr int kFontSize = 12;

}  // namespace

int NowPlayingWindow::topFor(int storedTop, const QRect& screen) {
    return storedTop != 0 ? storedTop : screen.height() - kAboveBottom;
}

NowPlayingWindow::NowPlayingWindow(int storedTop, TopChanged topChanged)
    : m_host(std::make_unique<HostWindow>()), m_topChanged(std::move(topChanged)) {
    const QRect screen = platform::screenGeometry();
    m_top = topFor(storedTop, screen);
    WindowSetup window;
    window.left = screen.x() + screen.width();  // just beyond the right edge
    window.top = m_top;
    window.size = QSize(kWidth, kHeight);
    window.inTaskBar = false;
    AttachOptions options;
    options.backgroundColour = 0xFFFFFF;
    options.captionFlags = 0;
    options.borderColours = std::vector<QRgb>{0, 0, 0, 0};
    options.cornerRadius = 20;
    options.movable = true;
    if (!m_host->attach(createNativeWindow(window), options)) return;
    build();
    m_host->bindMoved([this](const Event&) {
        moved();
        return false;
    });
    m_host->show();
    if (platform::NativeWindow* native = m_host->nativeWindow()) native->hide();
}

NowPlayingWindow::~NowPlayingWindow() {
    if (m_host) m_host->destroyWindow();
}

void NowPlayingWindow::build() {
    ImageBox::create(*m_host, kIcon, programIconBytes(), {.fillType = paint::fill::kStretch});
    Label::create(*m_host, kHeading,
                  {.text = QStringLiteral("当前歌曲"), .textColour = kHeadingColour, .fontSize = kFontSize});
    m_title = Label::create(*m_host, kTitle, {.textColour = kTitleColour, .fontSize = kFontSize, .trimming = 3});
}

bool NowPlayingWindow::valid() const { return m_host->nativeWindow() != nullptr; }

platform::WindowHandle NowPlayingWindow::handle() const { return m_host->windowHandle(); }

QString NowPlayingWindow::title() const { return m_title ? m_title->text() : QString(); }

void NowPlayingWindow::moved() {
    const int top = m_host->top();
    if (top == m_top) return;
    m_top = top;
    if (m_topChanged) m_topChanged(top);
}

void NowPlayingWindow::slideIn(const QString& title) {
    platform::NativeWindow* native = m_host->nativeWindow();
    if (!native || !m_title) return;
    const QRect screen = platform::screenGeometry();
    m_host->move(screen.x() + screen.width(), m_top);
    m_title->setText(title);
    m_title->setTips(title);
    m_host->show();
    setPhase(Phase::SlidingIn, kTick);
}

void NowPlayingWindow::setPhase(Phase phase, std::chrono::milliseconds interval) {
    m_phase = phase;
    platform::NativeWindow* native = m_host->nativeWindow();
    if (!native) return;
    if (phase == Phase::Hidden) {
        native->killTimer(kSlideTimer);
        native->hide();
        return;
    }
    native->setTimer(kSlideTimer, interval, [this] { tick(); });
}

void NowPlayingWindow::tick() {
    const QRect screen = platform::screenGeometry();
    const int outside = screen.x() + screen.width();
    const int resting = outside - kWidth - kInset;
    const int left = m_host->left();
    switch (m_phase) {
    case Phase::SlidingIn:
        m_host->move(std::max(left - kStep, resting), std::nullopt);
        if (m_host->left() <= resting) setPhase(Phase::Resting, kRest);
        break;
    case Phase::Resting:
        setPhase(Phase::SlidingOut, kTick);
        break;
    case Phase::SlidingOut:
        m_host->move(std::min(left + kStep, outside), std::nullopt);
        if (m_host->left() >= outside) setPhase(Phase::Hidden, {});
        break;
    case Phase::Hidden:
        break;
    }
}

}  // namespace vamu::app
