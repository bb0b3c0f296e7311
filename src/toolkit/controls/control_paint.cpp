// The painting protocol of controls: begin and end painting, recomposition requests
// and the animated state change.
#include "toolkit/controls/control.h"

#include "toolkit/controls/control_internal.h"
#include "toolkit/engine.h"
#include "toolkit/host_window.h"

namespace vamu::toolkit {

void BaseControl::redraw() {
    if (!m_created) return;
    m_dirty = QRect(0, 0, width(), height());
    dispatch(msg::kPaint);
}

void BaseControl::redrawRect(const QRect& parentArea) {
    if (!m_host || parentArea.isEmpty()) return;
    // The parent's origin in window coordinates is our absolute corner less our position.
    const QPoint parentOrigin = m_absolute.topLeft() - m_rect.topLeft();
    m_host->controls().invalidate(parentArea.translated(parentOrigin));
}

void BaseControl::invalidateOwn(const QRect& controlArea) {
    if (!m_host || controlArea.isEmpty()) return;
    m_host->controls().invalidate(controlArea.translated(m_absolute.topLeft()));
}

void BaseControl::repaint() {
    if (m_created) dispatch(tkm::kRepaint);
}

PaintContext BaseControl::beginPaint(std::optional<QRect> area, bool recompose) {
    const QRect whole(0, 0, width(), height());
    const QRect dirty = (area ? *area : (m_dirty.isEmpty() ? whole : m_dirty)) & whole;
    if (!recompose) {
        m_painting = true;
        return PaintContext{dirty, whole, m_state, true};
    }
    const bool ready = m_host && m_host->paintReady() && m_drawable;
    if (ready) {
        if (m_state & state::kAnimating) {
            // A change during a running animation: the old look stays the one before
            // the first change, unless the painted area changed its size.
            if (m_host->nativeWindow()) m_host->nativeWindow()->killTimer(detail::animationTimerId(m_handle));
            if (dirty.size() != m_dirty.size()) m_snapshot = QImage();
            m_state &= ~state::kAnimating;
            m_animationFrame = 0;
            invalidateOwn(m_dirty);
        }
        if (m_animationFrames > 0 && m_animationInterval > 0 && m_snapshot.isNull()) m_snapshot = m_surface.copy();
    }
    m_dirty = dirty;
    m_painting = true;
    return PaintContext{dirty, whole, m_state, true};
}

void BaseControl::endPaint(bool recompose) {
    m_painting = false;
    if (!recompose) return;
    if (!m_host || !m_host->paintReady() || !m_drawable || !isVisible()) return;
    if (m_animationFrames == 0 || m_animationInterval == 0 || m_snapshot.isNull()) {
        invalidateOwn(m_dirty);
        m_dirty = QRect(0, 0, width(), height());
        return;
    }
    m_animationFrame = 0;
    m_animationProgress = 0.0;
    m_state |= state::kAnimating;
    dispatch(tkm::kAnimationStart);
    if (!m_host || !m_host->nativeWindow()) return;
    const ControlHandle handle = m_handle;
    m_host->nativeWindow()->setTimer(detail::animationTimerId(handle), std::chrono::milliseconds(m_animationInterval),
                                     [handle] {
                                         detail::DispatchScope scope;
                                         if (BaseControl* control = resolveControl(handle)) control->animationTick();
                                     });
    invalidateOwn(m_dirty);
}

void BaseControl::animationTick() {
    if (!(m_state & state::kAnimating) || !m_host) return;
    ++m_animationFrame;
    const double t = m_animationFrames > 0 ? static_cast<double>(m_animationFrame) / m_animationFrames : 1.0;
    m_animationProgress = engine::easeProgress(m_animationType, t);
    invalidateOwn(m_dirty);
    if (m_animationFrame < m_animationFrames) return;
    if (m_host->nativeWindow()) m_host->nativeWindow()->killTimer(detail::animationTimerId(m_handle));
    m_snapshot = QImage();
    m_animationFrame = 0;
    m_animationProgress = 1.0;
    m_state &= ~state::kAnimating;
    m_dirty = QRect(0, 0, width(), height());
    dispatch(tkm::kAnimationEnd);
}

PaintScope::PaintScope(BaseControl& control, std::optional<QRect> area, bool clear, Recompose recompose)
    : m_control(control), m_context(control.beginPaint(area, recompose == Recompose::Yes)), m_recompose(recompose) {
    m_context.cleared = clear;
    m_painter.begin(&control.m_surface);
    m_painter.setClipRect(m_context.dirty);
    if (clear) {
        m_painter.setCompositionMode(QPainter::CompositionMode_Clear);
        m_painter.fillRect(m_context.dirty, Qt::transparent);
        m_painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    m_painter.setFont(control.font());
    m_painter.setRenderHint(QPainter::TextAntialiasing, control.textRenderingHint() != 1);
}

PaintScope::~PaintScope() {
    m_painter.end();
    m_control.endPaint(m_recompose == Recompose::Yes);
}

}  // namespace vamu::toolkit
