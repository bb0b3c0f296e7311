#include "app/now_playing_window.h"

#include "app/backgrounds.h"

#include "platform/system.h"
#include "toolkit/controls/image_box.h"
#include "toolkit/controls/paint.h"


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
    window.overlay = true;
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
    m_title->setText(title);
    m_title->setTips(title);
    const NowPlayingSlide::Step first = m_slide.start(screen.x() + screen.width(), kWidth);
    m_host->move(first.left, m_top);
    m_host->show();
    apply(first);
}

void NowPlayingWindow::apply(const NowPlayingSlide::Step& step) {
    platform::NativeWindow* native = m_host->nativeWindow();
    if (!native) return;
    // Moves the window system refuses (or never reports) change nothing here.
    m_host->move(step.left, std::nullopt);
    if (step.next.count() == 0) {
        native->killTimer(kSlideTimer);
        native->hide();
        return;
    }
    native->setTimer(kSlideTimer, step.next, [this] { apply(m_slide.tick()); });
}

}  // namespace vamu::app
