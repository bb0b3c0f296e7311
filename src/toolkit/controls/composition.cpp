// Composing controls into the host window's back buffer: changed areas are collected,
// then composed once over the skin, clipped to the change, and presented once.
#include "platform/ui_thread.h"
#include "toolkit/controls/control.h"
#include "toolkit/controls/control_internal.h"
#include "toolkit/controls/control_root.h"
#include "toolkit/controls/surface.h"
#include "toolkit/host_window.h"

#include <QPainter>

namespace vamu::toolkit {
namespace {

constexpr QRgb kFocusRectColour = qRgba(0, 0, 0, 81);

void drawFocusRect(QPainter& painter, const BaseControl& control, QPoint controlOrigin) {
    const QRect rect = control.focusRect().translated(controlOrigin);
    QPen pen{QColor::fromRgba(kFocusRectColour)};
    pen.setWidthF(1.0);
    pen.setDashPattern({3.0, 1.0});
    painter.save();
    painter.setOpacity(1.0);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(rect.x() + 0.5, rect.y() + 0.5, rect.width() - 1, rect.height() - 1));
    painter.restore();
}

// The old look (snapshot) and the new look (surface), each over what lies below,
// mixed by the animation's progress.
void crossFade(QPainter& painter, BaseControl& control, const QImage& snapshot, const QRect& target,
               const QRect& source, double opacity, double progress) {
    QImage below = painter.device()->devType() == QInternal::Image
                       ? surface::copyPart(*static_cast<QImage*>(painter.device()), target)
                       : surface::make(target.size(), control.surface().devicePixelRatio());
    painter.setOpacity(opacity);
    surface::drawPart(painter, target.topLeft(), snapshot, source);
    {
        QPainter fresh(&below);
        fresh.setOpacity(opacity);
        surface::drawPart(fresh, QPoint(0, 0), control.surface(), source);
    }
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.setOpacity(std::clamp(progress, 0.0, 1.0));
    painter.drawImage(target.topLeft(), below);
    painter.restore();
}

}  // namespace

class Composer {
public:
    Composer(QPainter& painter, ControlHandle keyboardFocus) : m_painter(painter), m_keyboardFocus(keyboardFocus) {}

    // area and the list's rectangles share coordinates; offset turns them into
    // back-buffer coordinates.
    void composeList(const std::vector<std::unique_ptr<BaseControl>>& list, const QRect& area, QPoint offset) {
        for (const auto& owned : list) {
            BaseControl& control = *owned;
            if (!control.isVisible() || !control.drawable()) continue;
            const QRect visible = control.rect() & area;
            if (visible.isEmpty()) continue;
            composeOne(control, visible, offset);
            if (!control.children().empty()) {
                composeList(control.children(), visible.translated(-control.rect().topLeft()),
                            offset + control.rect().topLeft());
            }
        }
    }

private:
    void composeOne(BaseControl& control, const QRect& visible, QPoint offset) {
        const QRect target = visible.translated(offset);
        const QRect source = visible.translated(-control.rect().topLeft());
        double opacity = control.alpha() / 255.0;
        if (control.isDisabled() && !control.classDrawsDisabled()) opacity *= 0.5;
        const bool page = control.kind() == kind::kPage;
        if ((control.state() & state::kAnimating) && control.animationFrame() < control.animationFrames() && !page) {
            animate(control, target, source, opacity);
        } else if (!page) {
            m_painter.setOpacity(opacity);
            surface::drawPart(m_painter, target.topLeft(), control.surface(), source);
        }
        if (control.handle() == m_keyboardFocus && control.drawTabStop()) {
            drawFocusRect(m_painter, control, offset + control.rect().topLeft());
        }
    }

    void animate(BaseControl& control, const QRect& target, const QRect& source, double opacity);

    QPainter& m_painter;
    ControlHandle m_keyboardFocus;
};

void Composer::animate(BaseControl& control, const QRect& target, const QRect& source, double opacity) {
    const QImage& snapshot = control.m_snapshot;
    AnimationFrameContext frame{&m_painter,
                                &control.surface(),
                                &snapshot,
                                QRect(target.topLeft() - source.topLeft(), control.rect().size()),
                                target,
                                control.animationFrame(),
                                control.animationFrames(),
                                control.animationProgress(),
                                control.alpha()};
    if (control.dispatch(tkm::kDrawAnimationFrame, 0, reinterpret_cast<std::intptr_t>(&frame)) != 0) return;
    if (snapshot.size() != control.surface().size()) {
        m_painter.setOpacity(opacity);
        surface::drawPart(m_painter, target.topLeft(), control.surface(), source);
        return;
    }
    crossFade(m_painter, control, snapshot, target, source, opacity, control.animationProgress());
}

void ControlRoot::invalidate(const QRect& windowArea) {
    const QRect area = windowArea & QRect(QPoint(0, 0), QSize(m_host.width(), m_host.height()));
    if (area.isEmpty()) return;
    m_pending += area;
    scheduleFlush();
}

void ControlRoot::invalidateAll() { invalidate(QRect(0, 0, m_host.width(), m_host.height())); }

void ControlRoot::scheduleFlush() {
    if (m_flushScheduled) return;
    m_flushScheduled = true;
    std::weak_ptr<int> alive = m_alive;
    platform::post(std::weak_ptr<const void>(alive), [this] {
        m_flushScheduled = false;
        flush();
    });
}

void ControlRoot::flush() {
    if (!m_host.paintReady()) {
        m_pending = QRegion();  // the next whole-window presentation draws everything
        return;
    }
    if (m_pending.isEmpty()) return;
    const QRegion area = m_pending;
    m_pending = QRegion();
    composeArea(area);
    m_host.present(area);
}

void ControlRoot::composeWhole() {
    m_pending = QRegion();
    composeArea(QRegion(0, 0, m_host.width(), m_host.height()));
}

void ControlRoot::composeArea(const QRegion& area) {
    detail::DispatchScope scope;
    QImage& back = m_host.backBuffer();
    if (back.isNull()) return;
    QPainter painter(&back);
    const QRegion clip = m_host.clipRegion().isEmpty() ? area : area & m_host.clipRegion();
    painter.setClipRegion(area);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const QRect& rect : area) surface::drawPart(painter, rect.topLeft(), m_host.background(), rect);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setClipRegion(clip);
    const QRect bounds = clip.boundingRect();
    if (bounds.isEmpty()) return;
    Composer composer(painter, m_keyboardFocus);
    composer.composeList(m_controls, bounds.translated(-m_origin), m_origin);
}

}  // namespace vamu::toolkit
