// The message procedure of a host window: mouse filtering and routing, sizing by
// the border zones, dragging, caption double clicks, keys, Alt shortcuts, size
// changes and the close request.
#include "toolkit/host_window.h"

#include "platform/input_method.h"
#include "platform/keys.h"
#include "platform/system.h"
#include "platform/ui_thread.h"
#include "toolkit/accessibility.h"
#include "toolkit/controls/control.h"
#include "toolkit/controls/control_internal.h"
#include "toolkit/tooltip_window.h"

namespace vamu::toolkit {

// The input handlers of HostWindow, kept apart from its public surface.
class HostInput {
public:
    explicit HostInput(HostWindow& host) : m_host(host) {}

    bool mouseFilter(const Message& message);
    bool sizingBorder(const Message& message);
    void leftDown(QPoint point, bool isDouble);
    void keyDown(const Message& message);
    bool sysChar(const Message& message);
    void activate(const Message& message);
    void closeRequest(const Message& message);
    void startDrag();

private:
    HostWindow& m_host;
};

namespace {

QPoint pointOf(const Message& message) { return {platform::pointX(message.lParam), platform::pointY(message.lParam)}; }

}  // namespace

bool HostInput::mouseFilter(const Message& message) {
    if (m_host.raise(m_host.windowEvent(message))) return false;
    return m_host.m_paintReady && !sizingBorder(message);
}

bool HostInput::sizingBorder(const Message& message) {
    if (!m_host.m_sizeBox || m_host.m_root->captured()) return false;
    if (message.id != msg::kMouseMove && message.id != msg::kLeftDown) return false;
    if (m_host.showState() != 0) return false;
    const QRect content = m_host.m_frame.contentRect;
    const int g = m_host.m_alpha == -1 ? 3 : 1;
    const QPoint p = pointOf(message);
    const int right = content.x() + content.width();
    const int bottom = content.y() + content.height();
    const bool left = p.x() < content.x() + g;
    const bool leftWide = p.x() < content.x() + g + 2;
    const bool rightZone = p.x() > right - (g + 2);
    const bool top = p.y() < content.y() + g;
    const bool bottomZone = p.y() > bottom - (g + 2);
    unsigned edges = 0;
    platform::CursorShape cursor = platform::CursorShape::Arrow;
    if (top || bottomZone) {
        edges = top ? platform::edge::kTop : platform::edge::kBottom;
        cursor = platform::CursorShape::SizeNS;
        if (leftWide) {
            edges |= platform::edge::kLeft;
            cursor = top ? platform::CursorShape::SizeNWSE : platform::CursorShape::SizeNESW;
        } else if (rightZone) {
            edges |= platform::edge::kRight;
            cursor = top ? platform::CursorShape::SizeNESW : platform::CursorShape::SizeNWSE;
        }
    } else if (left || rightZone) {
        edges = left ? platform::edge::kLeft : platform::edge::kRight;
        cursor = platform::CursorShape::SizeWE;
    }
    if (edges == 0) return false;
    platform::NativeWindow* native = m_host.nativeWindow();
    if (native) native->setCursor(cursor);
    if (message.id == msg::kLeftDown && native) {
        m_host.m_root->notePress({}, p);
        native->startSystemResize(edges);
    }
    return true;
}

void HostInput::startDrag() {
    platform::NativeWindow* native = m_host.nativeWindow();
    if (!native) return;
    native->startSystemMove();
    native->setCursor(platform::CursorShape::Arrow);
}

void HostInput::leftDown(QPoint point, bool isDouble) {
    ControlRoot& root = *m_host.m_root;
    const HitResult hit = root.hitTest(point);
    const ControlHandle handle = hit.control ? hit.control->handle() : ControlHandle{};
    root.notePress(handle, point);
    const bool maximised = m_host.showState() == 2;
    if (isDouble && (m_host.m_captionFlags & caption::kMax)) {
        const int y = hit.control ? hit.local.y() : point.y();
        if (y < m_host.m_frame.captionHeight) {
            if (!hit.control || hit.control == m_host.captionControl(caption::kTitle)) {
                m_host.setShowState(maximised ? 0 : 2);
                return;
            }
            if (hit.control == m_host.captionControl(caption::kIcon)) {
                m_host.close();
                return;
            }
        }
    }
    if (!hit.control) {
        if (!isDouble && m_host.m_movable && !maximised) startDrag();
        return;
    }
    if (hit.control->mouseTrack()) {
        root.pressControl(*hit.control, hit.local, isDouble);
        return;
    }
    if (!isDouble && m_host.m_captionFlags != 0 && m_host.m_movable && !maximised) startDrag();
}

void HostInput::keyDown(const Message& message) {
    if (m_host.raise(m_host.windowEvent(message))) return;
    ControlRoot& root = *m_host.m_root;
    if (root.deliverToFocused(message) != 0) return;
    const int key = static_cast<int>(message.wParam);
    if (root.keyDownDefault(key)) return;
    if (key == platform::vk::kEscape && m_host.m_closeOnEscape) m_host.close();
}

bool HostInput::sysChar(const Message& message) {
    ControlRoot& root = *m_host.m_root;
    if (root.deliverToFocused(message) != 0) return true;
    return root.mnemonic(static_cast<int>(message.wParam));
}

void HostInput::activate(const Message& message) {
    if (message.wParam != 0) {
        if (!m_host.m_firstActivationSeen) {
            m_host.m_firstActivationSeen = true;
            m_host.raise(m_host.windowEvent(Message{tkm::kFirstActivation, 0, 0}));
        }
        m_host.raise(m_host.windowEvent(message));
        return;
    }
    m_host.m_root->deactivated(m_host.m_root->lastMousePosition());
    if (m_host.m_tooltip) m_host.m_tooltip->hideTip();
    m_host.raise(m_host.windowEvent(Message{tkm::kDeactivated, 0, 0}));
}

void HostInput::closeRequest(const Message& message) {
    if (m_host.raise(m_host.windowEvent(message))) return;  // a handler keeps the window
    platform::NativeWindow* native = m_host.nativeWindow();
    if (!native) return;
    const platform::WindowHandle window = m_host.m_window;
    if (m_host.m_closeAnimation != platform::WindowAnimation::None) {
        platform::animateHide(window, m_host.m_closeAnimation, m_host.m_closeDuration);
        return;
    }
    m_host.post(Message{tkm::kAnimationStart, 0, 0});
    m_host.post(Message{tkm::kAnimationEnd, 0, 0});
    native->hide();
}

std::intptr_t HostWindow::windowProc(const Message& message) {
    detail::DispatchScope scope;
    if (m_hook) {
        if (const std::optional<std::intptr_t> answer = m_hook(message)) return *answer;
    }
    HostInput input(*this);
    const QPoint point = pointOf(message);
    switch (message.id) {
    case tkm::kDeliver: {
        BaseControl* control = resolveControl(ControlHandle{static_cast<std::uint32_t>(message.wParam)});
        const auto* inner = reinterpret_cast<const Message*>(message.lParam);
        return control && inner ? control->dispatch(*inner) : 0;
    }
    case msg::kMouseMove:
        if (input.mouseFilter(message)) m_root->mouseMove(point, message.wParam);
        return 0;
    case msg::kLeftDown:
        if (m_tooltip) m_tooltip->hideTip();
        if (input.mouseFilter(message)) input.leftDown(point, false);
        return 0;
    case msg::kLeftUp:
        if (input.mouseFilter(message)) m_root->leftUp(point, message.wParam);
        return 0;
    case msg::kLeftDoubleClick:
        if (raise(windowEvent(message))) return 0;
        if (input.mouseFilter(Message{msg::kLeftDown, message.wParam, message.lParam})) input.leftDown(point, true);
        return 0;
    case msg::kRightDown:
    case msg::kRightUp:
        if (raise(windowEvent(message))) return 0;
        if (BaseControl* hovered = resolveControl(m_root->hovered())) {
            const QPoint local = point - hovered->absoluteRect().topLeft();
            hovered->dispatch(message.id, message.wParam, platform::packPoint(local.x(), local.y()));
        }
        return 0;
    case msg::kKeyDown:
    case msg::kSysKeyDown:
        input.keyDown(Message{msg::kKeyDown, message.wParam, message.lParam});
        return 0;
    case msg::kKeyUp:
    case msg::kSysKeyUp:
    case msg::kChar:
        if (raise(windowEvent(message))) return 0;
        return m_root->deliverToFocused(
            Message{message.id == msg::kSysKeyUp ? msg::kKeyUp : message.id, message.wParam, message.lParam});
    case msg::kImeRequest:
        return m_root->deliverToFocused(message);
    case msg::kMouseWheel: {
        if (raise(windowEvent(message))) return 0;
        const QPoint last = m_root->lastMousePosition();
        return m_root->deliverToFocused(Message{message.id, message.wParam, platform::packPoint(last.x(), last.y())});
    }
    case msg::kSysChar:
        return input.sysChar(message) ? 0 : 1;
    case msg::kImeComposition:
        // Valid during this delivery only: the focused control copies what it keeps.
        return m_root->deliverToFocused(message);
    case msg::kMouseLeave:
        m_root->mouseLeftWindow();
        if (m_tooltip) m_tooltip->hideTip();
        return 0;
    case msg::kDestroy:
        destroyed();
        return 0;
    case msg::kMove:
        raise(windowEvent(message));
        return 0;
    case msg::kSize:
        sized(QSize(platform::pointX(message.lParam), platform::pointY(message.lParam)));
        return 0;
    case msg::kDpiChanged:
        ratioChanged();
        return 0;
    case msg::kActivate: {
        const platform::WindowHandle window = m_window;
        input.activate(message);
        if (HostWindow* again = fromWindow(window)) accessibility::activationChanged(*again, message.wParam != 0);
        return 0;
    }
    case msg::kClose:
        input.closeRequest(message);
        return 0;
    case msg::kTimer:
        if (detail::isControlTimer(message.wParam)) {
            if (BaseControl* control = resolveControl(detail::controlOfTimer(message.wParam))) {
                control->dispatch(msg::kTimer, message.wParam, 0);
            }
        }
        return 0;
    case msg::kShowWindow:
        raise(windowEvent(Message{message.wParam != 0 ? msg::kShowWindow : tkm::kHide, message.wParam, 0}));
        return 0;
    case tkm::kDropDrag:
        if (platform::NativeWindow* native = nativeWindow()) native->setAcceptDrops(m_root->acceptsDrops());
        return 0;
    case msg::kDropFiles: {
        // The control under the drop, or its nearest ancestor that takes files.
        const auto* dropped = reinterpret_cast<const platform::DroppedFiles*>(message.lParam);
        if (!dropped) return 0;
        BaseControl* target = m_root->hitTest(QPoint(dropped->x, dropped->y)).control;
        while (target && !target->dropDrag()) target = target->parent();
        return target ? target->dispatch(msg::kDropFiles, 0, message.lParam) : 0;
    }
    case tkm::kSetMnemonic:
        m_root->setMnemonic(static_cast<int>(message.wParam),
                            ControlHandle{static_cast<std::uint32_t>(message.lParam)});
        return 0;
    case tkm::kAnimationEnd:
        if (platform::NativeWindow* native = nativeWindow()) native->setCursor(native->cursor());
        return 0;
    case msg::kSetIcon:
        if (BaseControl* icon = captionControl(caption::kIcon)) icon->redraw();
        return 0;
    default:
        return 0;
    }
}

void HostWindow::ratioChanged() {
    if (!m_window) return;
    const bool ready = m_paintReady;
    m_paintReady = false;  // no partial presentation while surfaces are half made
    repaintBackground(Redraw::No);
    m_root->remakeSurfaces(devicePixelRatio());
    m_paintReady = ready;
    if (m_paintReady) presentWhole();
}

void HostWindow::sized(QSize size) {
    if (!m_window || size == m_size || size.isEmpty()) return;
    m_paintReady = false;
    m_size = size;
    m_frame.contentRect =
        QRect(QPoint(m_frame.marginLeft, m_frame.marginTop),
              QPoint(size.width() + m_frame.marginRight - 1, size.height() + m_frame.marginBottom - 1));
    if (platform::NativeWindow* native = nativeWindow()) native->resizeBackBuffer(size);
    layoutCaption();
    m_root->sendToAll(tkm::kParentResized);
    repaintBackground(Redraw::No);
    m_paintReady = m_shown;
    presentWhole();
    raise(windowEvent(Message{msg::kSize, 0, platform::packPoint(size.width(), size.height())}));
}

}  // namespace vamu::toolkit
