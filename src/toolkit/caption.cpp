#include "toolkit/caption.h"

#include "toolkit/controls/paint.h"
#include "toolkit/controls/sys_button.h"
#include "toolkit/controls/text_paint.h"
#include "toolkit/engine.h"
#include "toolkit/host_window.h"

#include <QIcon>

#include <array>

namespace vamu::toolkit {
namespace detail {
namespace {

// The caption buttons from right to left.
constexpr std::array<unsigned, 7> kButtons{caption::kClose, caption::kMax,    caption::kMin,    caption::kMenu,
                                           caption::kSkin,  caption::kReport, caption::kSetting};

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
    for (const unsigned flag : detail::kButtons) {
        if (!(m_captionFlags & flag)) continue;
        if (SysButton* button = SysButton::create(*this, flag)) m_captionControls.emplace_back(flag, button->handle());
    }
    layoutCaption();
}

void HostWindow::layoutCaption() {
    // Buttons run right to left from the content width plus "offsetright".
    int right = m_frame.contentRect.width() + m_frame.buttonOffsetRight;
    int leftmost = right;
    for (const unsigned flag : detail::kButtons) {
        auto* button = dynamic_cast<SysButton*>(captionControl(flag));
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
