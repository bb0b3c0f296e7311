#include "app/comment_strip_window.h"

#include "platform/layer_surface.h"
#include "platform/system.h"

namespace vamu::app {

using namespace vamu::toolkit;

QRect CommentStripWindow::placeFor(const QRect& screen, const QRect& workArea) {
    const int width = screen.width() - kWidthLess;
    return {workArea.x() + (workArea.width() - width) / 2, kTop, width, kHeight};
}

CommentStripWindow::CommentStripWindow(bool shown) : m_host(std::make_unique<HostWindow>()) {
    const QRect place = placeFor(platform::screenGeometry(), platform::workArea());
    WindowSetup window;
    window.left = place.x();
    window.top = place.y();
    window.size = place.size();
    window.inTaskBar = false;
    window.overlay = true;
    AttachOptions options;
    options.backgroundColour = 0xFFFFFF;  // white; the window's alpha 0 leaves only what is drawn
    options.captionFlags = 0;
    options.alpha = 0;
    options.borderColours = std::vector<QRgb>{0, 0, 0, 0};
    options.cornerRadius = kCornerRadius;
    options.movable = false;
    options.shadow = false;  // between the comments, the strip must not show as a faint frame
    if (!m_host->attach(createNativeWindow(window), options)) return;
    setInput(QRegion());
    if (!supported()) return;
    if (platform::windowSystem() == platform::WindowSystem::Wayland) {
        // A window there is placed by the compositor, mid-screen and below the others: the
        // strip shows as a layer surface instead, at its place at the top.
        std::unique_ptr<platform::LayerSurface> surface =
            platform::LayerSurface::create({.size = place.size(), .top = place.y()});
        if (!surface) return;
        m_host->nativeWindow()->setPresentationTarget(std::move(surface));
    }
    m_host->show();
    setShown(shown);
}

CommentStripWindow::~CommentStripWindow() {
    if (m_host) m_host->destroyWindow();
}

bool CommentStripWindow::valid() const { return m_host->nativeWindow() != nullptr; }

platform::WindowHandle CommentStripWindow::handle() const { return m_host->windowHandle(); }

bool CommentStripWindow::supported() {
    return platform::windowSystem() != platform::WindowSystem::Wayland || platform::LayerSurface::available();
}

void CommentStripWindow::setShown(bool shown) {
    platform::NativeWindow* native = m_host->nativeWindow();
    if (!native || native->isVisible() == shown || (shown && !supported())) return;
    if (shown)
        m_host->show();
    else
        native->hide();
}

void CommentStripWindow::setInput(const QRegion& region) {
    if (platform::NativeWindow* native = m_host->nativeWindow()) native->setInputOverride(region);
}

bool CommentStripWindow::isShown() const {
    const platform::NativeWindow* native = m_host->nativeWindow();
    return native && native->isVisible();
}

}  // namespace vamu::app
