#include "toolkit/caption.h"

#include "toolkit/controls/paint.h"
#include "toolkit/controls/text_paint.h"
#include "toolkit/engine.h"
#include "toolkit/host_window.h"

#include <QIcon>

#include <array>

namespace vamu::toolkit {
namespace detail {
namespace {

struct ButtonKind {
    unsigned flag;
    const char* name;
};
constexpr std::array<ButtonKind, 7> kButtons{{{caption::kClose, "Close"},
                                              {caption::kMax, "Max"},
                                              {caption::kMin, "Min"},
                                              {caption::kMenu, "Menu"},
                                              {caption::kSkin, "Skn"},
                                              {caption::kReport, "Report"},
                                              {caption::kSetting, "Setting"}}};

constexpr int kHoverFrames = 8;
constexpr int kFrameInterval = 25;

}  // namespace

void CaptionIcon::onPaint(QPainter& painter, const PaintContext& context) {
    const platform::NativeWindow* native = host() ? host()->nativeWindow() : nullptr;
    if (!native) return;
    const QImage icon = native->icon();
    if (!icon.isNull()) paint::drawImage(painter, icon, QRectF(context.whole), std::nullopt, paint::fill::kStretch);
}

void CaptionTitle::onPaint(QPainter& painter, const PaintContext& context) {
    if (!host()) return;
    paint::TextFormat format;
    format.alignment = Qt::AlignLeft | Qt::AlignVCenter;
    format.ellipsis = true;
    paint::drawText(painter, QRectF(context.whole), host()->title(), font(), qRgba(255, 255, 255, 255), format);
}

std::string CaptionButton::section() const {
    const char* name = "Close";
    for (const ButtonKind& kind : kButtons) {
        if (kind.flag == m_flag) name = kind.name;
    }
    if (m_flag == caption::kMax && host() && host()->showState() == 2) name = "Restore";
    return std::string("SysButton.") + name;
}

QSize CaptionButton::skinSize() const {
    const auto size = engine::getPackRect(host() ? host()->theme() : nullptr, section(), "size");
    return size ? size->size() : QSize(28, 19);
}

void CaptionButton::onPaint(QPainter& painter, const PaintContext& context) {
    if (!host()) return;
    // The hover look wins over the pressed one only when the button is not held.
    std::uint32_t look = state() & (state::kHot | state::kPressed);
    if (look & state::kPressed) look = state::kPressed;
    paint::drawSkinState(painter, host()->theme(), section(), QRectF(context.whole), look, "gird", paint::fill::kStretch);
}

void CaptionButton::onMouseEnter(ControlHandle) {
    setAnimationFramesAndTimer(kHoverFrames, kFrameInterval);
    redraw();
}

void CaptionButton::onMouseLeave(ControlHandle) {
    setAnimationFramesAndTimer(kHoverFrames, kFrameInterval);
    redraw();
}

void CaptionButton::onLeftDown(QPoint, int) {
    setAnimationFramesAndTimer(0, 0);
    redraw();
}

void CaptionButton::onLeftUp(QPoint, int) {
    setAnimationFramesAndTimer(0, 0);
    redraw();
}

void CaptionButton::onAnimationEnd() { setAnimationFramesAndTimer(0, 0); }

void CaptionButton::onThemeChanged() {
    const QSize size = skinSize();
    move(std::nullopt, std::nullopt, size.width(), size.height());
    redraw();
}

void CaptionButton::onClick(QPoint, int) {
    HostWindow* window = host();
    if (!window) return;
    switch (m_flag) {
    case caption::kClose:
        window->close();
        break;
    case caption::kMax:
        window->setShowState(window->showState() == 2 ? 0 : 2);
        break;
    case caption::kMin:
        window->setShowState(1);
        break;
    default:
        break;  // the application binds the click of the other buttons
    }
}

}  // namespace detail

void HostWindow::buildCaption() {
    CreateOptions quiet;
    quiet.focusable = false;
    quiet.mouseTrack = false;
    quiet.tabStop = false;
    quiet.drawTabStop = false;
    if (m_captionFlags & caption::kIcon) {
        auto* icon = BaseControl::create(std::make_unique<detail::CaptionIcon>(), *this, QRect(0, 0, 16, 16),
                                         kind::kImageBox, "ImageBox", quiet);
        if (icon) m_captionControls.emplace_back(caption::kIcon, icon->handle());
    }
    if (m_captionFlags & caption::kTitle) {
        auto* title = BaseControl::create(std::make_unique<detail::CaptionTitle>(), *this, QRect(0, 0, 1, 16),
                                          kind::kLabel, "Label", quiet);
        if (title) m_captionControls.emplace_back(caption::kTitle, title->handle());
    }
    CreateOptions buttonOptions;
    buttonOptions.focusable = false;
    buttonOptions.tabStop = false;
    buttonOptions.drawTabStop = false;
    for (const detail::ButtonKind& kind : detail::kButtons) {
        if (!(m_captionFlags & kind.flag)) continue;
        auto* button = BaseControl::create(std::make_unique<detail::CaptionButton>(kind.flag), *this,
                                           QRect(0, 0, 28, 19), kind::kSysButton, "SysButton", buttonOptions);
        if (button) m_captionControls.emplace_back(kind.flag, button->handle());
    }
    layoutCaption();
}

void HostWindow::layoutCaption() {
    // Buttons run right to left from the content width plus "offsetright".
    int right = m_frame.contentRect.width() + m_frame.buttonOffsetRight;
    int leftmost = right;
    for (const detail::ButtonKind& kind : detail::kButtons) {
        auto* button = dynamic_cast<detail::CaptionButton*>(captionControl(kind.flag));
        if (!button) continue;
        const QSize size = button->skinSize();
        button->move(right - size.width(), m_frame.buttonTop, size.width(), size.height());
        right -= size.width();
        leftmost = right;
    }
    int titleLeft = m_frame.contentRect.left();
    if (BaseControl* icon = captionControl(caption::kIcon)) {
        icon->move(m_frame.contentRect.left(), m_frame.captionTopOffset, 16, 16);
        titleLeft = icon->left() + icon->width() + 2;
    }
    if (BaseControl* title = captionControl(caption::kTitle)) {
        const int height = std::max(m_frame.captionHeight, 16);
        title->move(titleLeft, 0, std::max(1, leftmost - titleLeft - 4), height);
    }
}

}  // namespace vamu::toolkit
