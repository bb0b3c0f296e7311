#include "toolkit/tooltip_window.h"

#include "platform/system.h"
#include "toolkit/controls/surface.h"
#include "toolkit/controls/text_paint.h"
#include "toolkit/host_window.h"
#include "toolkit/toolkit.h"

#include <QFontMetrics>

namespace vamu::toolkit {
namespace {

constexpr platform::TimerId kDelayTimer = 1;
constexpr int kPadding = 6;
constexpr int kMaxWidth = 360;
constexpr QRgb kFill = 0xFFFFFFFF;
constexpr QRgb kBorder = 0xFFB9C3CF;
constexpr QRgb kTextColour = 0xFF333333;

}  // namespace

TooltipWindow::TooltipWindow(HostWindow& host) : m_host(host) {
    platform::NativeWindowOptions options;
    options.owner = host.windowHandle();
    options.geometry = QRect(0, 0, 10, 10);
    options.flags =
        platform::window_flag::kBorderless | platform::window_flag::kNoActivate | platform::window_flag::kTopmost;
    m_window = platform::NativeWindow::create(options);
}

TooltipWindow::~TooltipWindow() { platform::NativeWindow::destroy(m_window); }

bool TooltipWindow::isShown() const {
    const platform::NativeWindow* window = platform::NativeWindow::find(m_window);
    return window && window->isVisible();
}

void TooltipWindow::showFor(const QRect& toolRect, const QString& text, const QString& title) {
    platform::NativeWindow* window = platform::NativeWindow::find(m_window);
    if (!window) return;
    if (text.isEmpty()) {
        hideTip();
        return;
    }
    m_toolRect = toolRect;
    m_text = text;
    m_title = title;
    window->setTimer(kDelayTimer, std::chrono::milliseconds(kDelayMs), [this] { appear(); });
}

void TooltipWindow::hideTip() {
    platform::NativeWindow* window = platform::NativeWindow::find(m_window);
    if (!window) return;
    window->killTimer(kDelayTimer);
    window->hide();
    m_text.clear();
}

QImage TooltipWindow::render(qreal ratio) const {
    const QFont font = toolkitFont();
    QFont bold = font;
    bold.setBold(true);
    paint::TextFormat format;
    format.wrap = true;
    const QRectF bounds(0, 0, kMaxWidth, 2000);
    const QSizeF textSize = paint::measureText(bounds, m_text, font, format);
    const QSizeF titleSize = m_title.isEmpty() ? QSizeF() : paint::measureText(bounds, m_title, bold, format);
    const int width = static_cast<int>(std::max(textSize.width(), titleSize.width())) + 2 * kPadding + 1;
    const int titleHeight = m_title.isEmpty() ? 0 : static_cast<int>(titleSize.height()) + 2;
    const int height = static_cast<int>(textSize.height()) + titleHeight + 2 * kPadding - 2;
    QImage image = surface::make(QSize(width, height), ratio);
    image.fill(QColor::fromRgba(kFill));
    QPainter painter(&image);
    paint::drawBorder(painter, QRectF(0, 0, width, height), 3, kBorder);
    if (!m_title.isEmpty()) {
        paint::drawText(painter, QRectF(kPadding, kPadding - 1, width, titleSize.height()), m_title, bold, kTextColour,
                        format);
    }
    paint::drawText(painter, QRectF(kPadding, kPadding - 1 + titleHeight, width, textSize.height()), m_text, font,
                    kTextColour, format);
    return image;
}

void TooltipWindow::appear() {
    platform::NativeWindow* window = platform::NativeWindow::find(m_window);
    if (!window || m_text.isEmpty()) return;
    window->killTimer(kDelayTimer);
    const QImage image = render(window->devicePixelRatio());
    const QSize size = surface::logicalSize(image);
    // Below the pointer, kept on the screen.
    const QPoint cursor = platform::cursorPosition();
    const QRect hostRect = m_host.geometry();
    QPoint at = hostRect.contains(cursor) ? cursor + QPoint(0, 20)
                                          : hostRect.topLeft() + m_toolRect.bottomLeft() + QPoint(0, 4);
    const QRect screen = platform::screenGeometry();
    at.setX(std::clamp(at.x(), screen.left(), std::max(screen.left(), screen.right() - size.width())));
    at.setY(std::clamp(at.y(), screen.top(), std::max(screen.top(), screen.bottom() - size.height())));
    window->setGeometry(QRect(at, size));
    window->resizeBackBuffer(size);
    // The window may have moved to a screen of another ratio: draw at the one it has now.
    window->backBuffer() =
        window->devicePixelRatio() == image.devicePixelRatio() ? image : render(window->devicePixelRatio());
    window->show();
    window->present(QRegion(QRect(QPoint(), size)));
}

}  // namespace vamu::toolkit
