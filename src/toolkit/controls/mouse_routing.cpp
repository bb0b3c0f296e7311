// Mouse routing of a host window's controls: hit testing, hover, press, capture and
// click.
#include "toolkit/controls/control.h"
#include "toolkit/controls/control_internal.h"
#include "toolkit/controls/control_root.h"
#include "toolkit/controls/surface.h"
#include "toolkit/host_window.h"

namespace vamu::toolkit {
namespace {

std::intptr_t packed(QPoint point) { return platform::packPoint(point.x(), point.y()); }

BaseControl* hitList(const std::vector<std::unique_ptr<BaseControl>>& list, QPoint point) {
    for (auto it = list.rbegin(); it != list.rend(); ++it) {
        BaseControl& control = **it;
        if (!control.isCreated() || !control.isVisible() || control.isDisabled()) continue;
        if (!control.absoluteRect().contains(point)) continue;
        if (control.alpHitTest()) {
            const QPoint local = point - control.absoluteRect().topLeft();
            if (qAlpha(surface::pixelAt(control.surface(), local)) == 0) continue;
        }
        if (BaseControl* child = hitList(control.children(), point)) return child;
        return &control;
    }
    return nullptr;
}

}  // namespace

HitResult ControlRoot::hitTest(QPoint windowPoint) const {
    BaseControl* control = hitList(m_controls, windowPoint);
    if (!control) return {};
    return HitResult{control, windowPoint - control->absoluteRect().topLeft()};
}

void ControlRoot::mouseMove(QPoint windowPoint, std::uintptr_t keys) {
    detail::DispatchScope scope;
    if (BaseControl* captured = m_captureOn ? resolveControl(m_captured) : nullptr) {
        m_lastMouse = windowPoint - captured->absoluteRect().topLeft();
        captured->dispatch(msg::kMouseMove, keys, packed(m_lastMouse));
        return;
    }
    const HitResult hit = hitTest(windowPoint);
    const ControlHandle under = hit.control ? hit.control->handle() : ControlHandle{};
    m_lastMouse = hit.local;
    if (under != m_hovered) {
        const ControlHandle previous = m_hovered;
        m_hovered = under;
        if (BaseControl* old = resolveControl(previous)) {
            old->dispatch(tkm::kMouseLeave,
                          static_cast<std::uintptr_t>(packed(windowPoint - old->absoluteRect().topLeft())),
                          under.value);
        }
        if (BaseControl* entered = resolveControl(under)) {
            entered->dispatch(tkm::kMouseEnter, static_cast<std::uintptr_t>(packed(hit.local)), previous.value);
        }
    }
    if (BaseControl* target = resolveControl(under)) target->dispatch(msg::kMouseMove, keys, packed(hit.local));
}

void ControlRoot::notePress(ControlHandle control, QPoint windowPoint) {
    m_pressed = control;
    BaseControl* pressed = resolveControl(control);
    m_lastMouse = pressed ? windowPoint - pressed->absoluteRect().topLeft() : windowPoint;
}

void ControlRoot::pressControl(BaseControl& control, QPoint local, bool isDouble) {
    detail::DispatchScope scope;
    const ControlHandle handle = control.handle();
    platform::NativeWindow* window = m_host.nativeWindow();
    if (window) window->activate();
    if (m_focused != handle && control.focusable()) {
        control.dispatch(msg::kSetFocus, 0, m_focused.value);
    }
    BaseControl* target = resolveControl(handle);
    if (!target) return;
    m_captureOn = true;
    m_captured = handle;
    if (window) window->setCapture(true);
    target->dispatch(msg::kLeftDown, platform::mouse_keys::kLeft, packed(local));
    if (isDouble) {
        if (BaseControl* again = resolveControl(handle))
            again->dispatch(msg::kLeftDoubleClick, platform::mouse_keys::kLeft, packed(local));
    }
}

void ControlRoot::leftUp(QPoint windowPoint, std::uintptr_t keys) {
    detail::DispatchScope scope;
    const HitResult hit = hitTest(windowPoint);
    const ControlHandle under = hit.control ? hit.control->handle() : ControlHandle{};
    const ControlHandle pressed = m_pressed;
    m_pressed = {};
    if (m_captureOn) {
        const ControlHandle capturing = m_captured;
        releaseCapture();
        BaseControl* control = resolveControl(capturing);
        if (!control) return;
        const QPoint local = windowPoint - control->absoluteRect().topLeft();
        control->dispatch(msg::kLeftUp, keys, packed(local));
        if (under != capturing) {
            // Released elsewhere: no click, and the hover moves to what is under the mouse.
            if (m_hovered == capturing) {
                m_hovered = under;
                if (BaseControl* left = resolveControl(capturing)) {
                    left->dispatch(tkm::kMouseLeave, static_cast<std::uintptr_t>(packed(local)), under.value);
                }
                if (BaseControl* entered = resolveControl(under)) {
                    entered->dispatch(tkm::kMouseEnter, static_cast<std::uintptr_t>(packed(hit.local)),
                                      capturing.value);
                }
            }
            return;
        }
        if (BaseControl* again = resolveControl(capturing)) again->dispatch(tkm::kClick, keys, packed(local));
        return;
    }
    if (hit.control && under == pressed) {
        hit.control->dispatch(msg::kLeftUp, keys, packed(hit.local));
        if (BaseControl* again = resolveControl(under)) again->dispatch(tkm::kClick, keys, packed(hit.local));
    }
}

void ControlRoot::mouseLeftWindow() {
    detail::DispatchScope scope;
    if (m_captureOn) return;  // the capturing control still follows the mouse
    const ControlHandle previous = m_hovered;
    m_hovered = {};
    if (BaseControl* old = resolveControl(previous)) old->dispatch(tkm::kMouseLeave, 0, 0);
}

void ControlRoot::deactivated(QPoint windowPoint) {
    detail::DispatchScope scope;
    if (!m_captureOn) return;
    const ControlHandle capturing = m_captured;
    releaseCapture();
    m_pressed = {};
    if (BaseControl* control = resolveControl(capturing)) {
        control->dispatch(msg::kLeftUp, 0, packed(windowPoint - control->absoluteRect().topLeft()));
    }
}

}  // namespace vamu::toolkit
