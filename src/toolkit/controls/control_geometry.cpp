// Moving and resizing controls, anchoring, z-order and re-parenting.
#include "toolkit/controls/control.h"

#include "toolkit/controls/control_internal.h"
#include "toolkit/controls/surface.h"
#include "toolkit/host_window.h"

namespace vamu::toolkit {

void BaseControl::move(std::optional<int> left, std::optional<int> top, std::optional<int> width,
                       std::optional<int> height) {
    if (!m_created) return;
    const QRect target(left.value_or(m_rect.x()), top.value_or(m_rect.y()), std::max(0, width.value_or(m_rect.width())),
                       std::max(0, height.value_or(m_rect.height())));
    if (target == m_rect) return;
    dispatch(msg::kSize, 0, reinterpret_cast<std::intptr_t>(&target));
}

void BaseControl::applyGeometry(const Message& message, const QRect& target) {
    detail::DispatchScope scope;
    const bool wasDrawable = m_drawable;
    m_drawable = false;
    const QRect old = m_rect;
    const int dx = target.x() - old.x();
    const int dy = target.y() - old.y();
    const bool resized = target.size() != old.size();
    if (resized) {
        m_surface = m_kind == kind::kPage ? surface::make(QSize(1, 1), 1.0)
                                          : surface::make(target.size(), m_host->devicePixelRatio());
        m_snapshot = QImage();
        m_dirty = QRect(QPoint(0, 0), target.size());
    }
    m_previousRect = old;
    m_rect = target;
    if (m_parent)
        m_absolute = QRect(m_absolute.topLeft() + QPoint(dx, dy), target.size());
    else
        m_absolute = target.translated(m_host->controls().origin());

    // Overlapping old and new areas are recomposed once, as their union. A page draws
    // nothing of its own: when it only moves, just its children's old and new places
    // change (a moving comment page is mostly the empty space between comments).
    const bool overlap = old.intersects(target);
    const bool childrenOnly = m_kind == kind::kPage && !resized;
    if (!overlap && !childrenOnly) redrawRect(old);
    classProc(Message{message.id, message.wParam, platform::packPoint(target.width(), target.height())});
    if (!m_host) return;
    if (resized) {
        raise(makeEvent(Message{msg::kSize, 0, platform::packPoint(target.width(), target.height())}));
        if (!m_host) return;
        m_drawable = wasDrawable;
        dispatch(msg::kPaint);
        if (!m_host) return;
    }
    m_drawable = wasDrawable;
    if (childrenOnly) {
        for (const auto& child : m_children) {
            if (!child->isVisible()) continue;
            const QRect place = child->m_rect;
            redrawRect(place.translated(old.topLeft()).united(place.translated(target.topLeft())));
        }
    } else {
        redrawRect(overlap ? old.united(target) : target);
    }
    if (dx != 0 || dy != 0) {
        for (const auto& child : m_children) child->shiftAbsolute(QPoint(dx, dy));
    }
}

void BaseControl::shiftAbsolute(QPoint shift) {
    m_absolute.translate(shift);
    for (const auto& child : m_children) child->shiftAbsolute(shift);
}

void BaseControl::setLockPos(bool left, bool top, bool right, bool bottom) {
    m_lockPos = (left ? anchor::kLeft : 0) | (top ? anchor::kTop : 0) | (right ? anchor::kRight : 0) |
                (bottom ? anchor::kBottom : 0);
    if (!m_host) return;
    const QPoint origin = m_parent ? QPoint() : m_host->controls().origin();
    const QSize parentSize = m_parent ? m_parent->m_rect.size() : QSize(m_host->width(), m_host->height());
    m_anchorLeft = m_rect.x();
    m_anchorTop = m_rect.y();
    m_anchorRight = parentSize.width() - (origin.x() + m_rect.x() + m_rect.width());
    m_anchorBottom = parentSize.height() - (origin.y() + m_rect.y() + m_rect.height());
}

void BaseControl::layoutAnchored() {
    const QPoint origin = m_parent ? QPoint() : m_host->controls().origin();
    const QSize parentSize = m_parent ? m_parent->m_rect.size() : QSize(m_host->width(), m_host->height());
    int x = m_rect.x();
    int y = m_rect.y();
    int w = m_rect.width();
    int h = m_rect.height();
    if (m_lockPos & anchor::kLeft) x = m_anchorLeft;
    if (m_lockPos & anchor::kTop) y = m_anchorTop;
    if (m_lockPos & anchor::kRight) {
        if (m_lockPos & anchor::kLeft)
            w = parentSize.width() - m_anchorRight - x - origin.x();
        else
            x = parentSize.width() - m_anchorRight - w - origin.x();
    }
    if (m_lockPos & anchor::kBottom) {
        if (m_lockPos & anchor::kTop)
            h = parentSize.height() - m_anchorBottom - y - origin.y();
        else
            y = parentSize.height() - m_anchorBottom - h - origin.y();
    }
    move(x, y, std::max(0, w), std::max(0, h));
}

void BaseControl::setZOrder(ZOrder position) {
    if (!m_created) return;
    auto& siblings = m_host->controls().list(m_parent);
    const auto it = std::find_if(siblings.begin(), siblings.end(), [this](const auto& p) { return p.get() == this; });
    if (it == siblings.end()) return;
    const std::size_t from = static_cast<std::size_t>(it - siblings.begin());
    const std::size_t last = siblings.size() - 1;
    std::size_t to = from;
    switch (position) {
    case ZOrder::Bottom:
        to = 0;
        break;
    case ZOrder::Top:
        to = last;
        break;
    case ZOrder::Down:
        to = from > 0 ? from - 1 : 0;
        break;
    case ZOrder::Up:
        to = std::min(from + 1, last);
        break;
    case ZOrder::SecondFromBottom:
        to = std::min<std::size_t>(1, last);
        break;
    case ZOrder::SecondFromTop:
        to = last > 0 ? last - 1 : 0;
        break;
    }
    if (to != from) {
        std::unique_ptr<BaseControl> self = std::move(siblings[from]);
        siblings.erase(siblings.begin() + static_cast<std::ptrdiff_t>(from));
        siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(to), std::move(self));
    }
    redrawRect(m_rect);
}

void BaseControl::setParent(ControlParent parent) {
    if (!m_created) return;
    BaseControl* newParent = parent.control;
    if (newParent && (!newParent->isCreated() || newParent->m_host != m_host)) return;
    for (BaseControl* p = newParent; p; p = p->m_parent) {
        if (p == this) return;  // never under its own descendant
    }
    ControlRoot& root = m_host->controls();
    invalidateOwn(QRect(0, 0, width(), height()));
    std::unique_ptr<BaseControl> self = root.unlink(*this);
    m_parent = newParent;
    const QPoint oldAbsolute = m_absolute.topLeft();
    root.link(std::move(self), newParent);
    m_absolute = newParent ? m_rect.translated(newParent->m_absolute.topLeft()) : m_rect.translated(root.origin());
    const QPoint shift = m_absolute.topLeft() - oldAbsolute;
    if (!shift.isNull()) {
        for (const auto& child : m_children) child->shiftAbsolute(shift);
    }
    invalidateOwn(QRect(0, 0, width(), height()));
}

}  // namespace vamu::toolkit
