// The single dispatch entry of a control and its default class procedure.
#include "toolkit/controls/control.h"

#include "platform/system.h"
#include "toolkit/controls/control_internal.h"
#include "toolkit/host_window.h"

namespace vamu::toolkit {
namespace {

bool isInput(MessageId id) {
    return (id >= msg::kMouseMove && id <= msg::kMouseWheel) || id == msg::kKeyDown || id == msg::kKeyUp ||
           id == msg::kChar || id == tkm::kClick;
}

QPoint localPoint(std::intptr_t lParam) { return {platform::pointX(lParam), platform::pointY(lParam)}; }

void showCursor(HostWindow* host, std::optional<platform::CursorShape> shape) {
    if (host && host->nativeWindow()) host->nativeWindow()->setCursor(shape.value_or(platform::CursorShape::Arrow));
}

}  // namespace

Event BaseControl::makeEvent(const Message& message) const {
    Event event;
    event.message = message.id;
    event.control = m_handle;
    event.window = hostWindowHandle();
    event.wParam = message.wParam;
    event.lParam = message.lParam;
    event.modifiers = platform::keyModifiers();
    switch (message.id) {
    case msg::kMouseMove:
    case msg::kLeftDown:
    case msg::kLeftUp:
    case msg::kLeftDoubleClick:
    case msg::kRightDown:
    case msg::kRightUp:
    case tkm::kClick:
        event.x = platform::pointX(message.lParam);
        event.y = platform::pointY(message.lParam);
        break;
    case msg::kMouseWheel:
        event.key = platform::wheelDelta(message.wParam);
        event.x = platform::pointX(message.lParam);
        event.y = platform::pointY(message.lParam);
        break;
    case msg::kKeyDown:
    case msg::kKeyUp:
    case msg::kChar:
        event.key = static_cast<int>(message.wParam);
        break;
    case msg::kSize:
        event.width = width();
        event.height = height();
        break;
    default:
        break;
    }
    return event;
}

std::intptr_t BaseControl::raiseOrClass(const Message& message, const Event& event) {
    if (raise(event)) return 1;
    if (!m_host) return 1;  // a handler destroyed the control
    return classProc(message);
}

std::intptr_t BaseControl::dispatch(const Message& message) {
    if (!m_host) return 0;
    if (isInput(message.id) && (m_state & (state::kDisabled | state::kHidden))) return 0;
    detail::DispatchScope scope;
    if (preFilter(message) != 0) return 1;
    if (!m_host) return 1;
    return dispatchInner(message);
}

std::intptr_t BaseControl::dispatchInner(const Message& message) {
    ControlRoot& root = m_host->controls();
    switch (message.id) {
    case msg::kMouseMove:
    case msg::kLeftDoubleClick:
    case msg::kRightDown:
    case msg::kRightUp:
    case tkm::kClick:
        return raiseOrClass(message, makeEvent(message));
    case msg::kLeftDown:
        m_state |= state::kPressed;
        if (dispatch(msg::kSetCursor) == 0) showCursor(m_host, m_pressedCursor);
        if (!m_host) return 1;
        return raiseOrClass(message, makeEvent(message));
    case msg::kLeftUp:
        m_state &= ~state::kPressed;
        if (dispatch(msg::kSetCursor) == 0) showCursor(m_host, m_cursor);
        if (!m_host) return 1;
        return raiseOrClass(message, makeEvent(message));
    case tkm::kMouseEnter:
        m_state |= state::kHot;
        if (dispatch(msg::kSetCursor) == 0) showCursor(m_host, m_cursor);
        if (!m_host) return 1;
        if (!m_tips.isEmpty()) showTooltip(m_tips);
        return raiseOrClass(message, makeEvent(message));
    case tkm::kMouseLeave:
        m_state &= ~state::kHot;
        showCursor(m_host, std::nullopt);
        if (!m_tips.isEmpty()) showTooltip(QString());
        return raiseOrClass(message, makeEvent(message));
    case msg::kKeyDown:
    case msg::kKeyUp:
    case msg::kChar:
        return raiseOrClass(message, makeEvent(message));
    case msg::kMove:
    case msg::kSize:
        applyGeometry(message, *reinterpret_cast<const QRect*>(message.lParam));
        return 0;
    case msg::kSetFocus:
        if (!focusable()) return 0;
        if (isFocused()) return 1;
        root.changeFocus(*this, message.wParam == 1, ControlHandle{static_cast<std::uint32_t>(message.lParam)});
        if (!m_host) return 1;
        return classProc(message);
    case msg::kKillFocus:
        root.forget(*this, false);
        return raiseOrClass(message, makeEvent(message));
    case msg::kPaint:
        if (width() == 0 || height() == 0 || !m_created) return 0;
        return classProc(message);
    case msg::kShowWindow:
        m_state &= ~state::kHidden;
        raise(makeEvent(message));
        if (!m_host) return 0;
        invalidateOwn(QRect(0, 0, width(), height()));
        return classProc(message);
    case tkm::kHide:
        root.forget(*this, true);
        m_state |= state::kHidden;
        raise(makeEvent(message));
        if (!m_host) return 0;
        invalidateOwn(QRect(0, 0, width(), height()));
        return classProc(message);
    case tkm::kEnableChanged: {
        if (message.lParam == 1 && isFocused()) dispatch(msg::kKillFocus);
        if (!m_host) return 0;
        const std::intptr_t answer = classProc(message);
        m_classDrawsDisabled = answer != 0;
        if (answer == 0) invalidateOwn(QRect(0, 0, width(), height()));
        return answer;
    }
    case tkm::kRepaint:
        invalidateOwn(QRect(0, 0, width(), height()));
        return classProc(message);
    case msg::kDestroy:
        destroyNow();
        return 0;
    case msg::kSetFont: {
        if (message.wParam != 0) m_font = *reinterpret_cast<const QFont*>(message.wParam);
        const std::intptr_t answer = classProc(message);
        if (message.lParam != 0 && m_created) dispatch(msg::kPaint);
        return answer;
    }
    case msg::kGetFont:
        return reinterpret_cast<std::intptr_t>(&m_font);
    case msg::kDropFiles:
        return raiseOrClass(message, makeEvent(message));
    case tkm::kParentResized: {
        if (m_lockPos != 0) layoutAnchored();
        std::vector<ControlHandle> children;
        for (const auto& child : m_children) children.push_back(child->m_handle);
        for (const ControlHandle handle : children) {
            if (BaseControl* child = resolveControl(handle)) child->dispatch(message);
        }
        return 0;
    }
    case tkm::kOriginMoved:
        shiftAbsolute(QPoint(static_cast<int>(static_cast<std::intptr_t>(message.wParam)),
                             static_cast<int>(message.lParam)));
        return 0;
    default:
        return classProc(message);
    }
}

std::intptr_t BaseControl::classProc(const Message& message) {
    const QPoint point = localPoint(message.lParam);
    const int modifiers = platform::keyModifiers();
    switch (message.id) {
    case msg::kCreate:
        onCreate(static_cast<int>(message.wParam));
        return 0;
    case tkm::kCreated:
        onCreated();
        return 0;
    case msg::kDestroy:
        onDestroy();
        return 0;
    case msg::kPaint: {
        PaintScope scope(*this);
        onPaint(scope.painter(), scope.context());
        return 1;
    }
    case msg::kMouseMove:
        onMouseMove(point, modifiers);
        return 0;
    case msg::kLeftDown:
        onLeftDown(point, modifiers);
        return 0;
    case msg::kLeftUp:
        onLeftUp(point, modifiers);
        return 0;
    case msg::kLeftDoubleClick:
        onDoubleClick(point, modifiers);
        return 0;
    case msg::kRightDown:
        onRightDown(point, modifiers);
        return 0;
    case msg::kRightUp:
        onRightUp(point, modifiers);
        return 0;
    case tkm::kClick:
        onClick(point, modifiers);
        return 0;
    case tkm::kMouseEnter:
        onMouseEnter(ControlHandle{static_cast<std::uint32_t>(message.lParam)});
        return 0;
    case tkm::kMouseLeave:
        onMouseLeave(ControlHandle{static_cast<std::uint32_t>(message.lParam)});
        return 0;
    case msg::kMouseWheel:
        return onWheel(platform::wheelDelta(message.wParam), point, modifiers) ? 1 : 0;
    case msg::kKeyDown:
        return onKeyDown(static_cast<int>(message.wParam), modifiers) ? 1 : 0;
    case msg::kKeyUp:
        return onKeyUp(static_cast<int>(message.wParam), modifiers) ? 1 : 0;
    case msg::kChar:
        return onChar(static_cast<int>(message.wParam)) ? 1 : 0;
    case msg::kSetFocus:
        onFocusIn(ControlHandle{static_cast<std::uint32_t>(message.lParam)}, message.wParam == 1);
        return 0;
    case msg::kKillFocus:
        onFocusOut(ControlHandle{static_cast<std::uint32_t>(message.lParam)});
        return 0;
    case msg::kSetCursor:
        return onSetCursor() ? 1 : 0;
    case msg::kShowWindow:
        onShow();
        return 0;
    case tkm::kHide:
        onHide();
        return 0;
    case tkm::kEnableChanged:
        return onEnableChanged(message.lParam == 1) ? 1 : 0;
    case msg::kTimer:
        onTimer();
        return 0;
    case msg::kMove:
    case msg::kSize:
        onGeometryChanged(m_previousRect);
        return 0;
    case msg::kSetFont:
        onFontChanged();
        return 0;
    case tkm::kAnimationStart:
        onAnimationStart();
        return 0;
    case tkm::kAnimationEnd:
        onAnimationEnd();
        return 0;
    case tkm::kDrawAnimationFrame:
        return onDrawAnimationFrame(*reinterpret_cast<AnimationFrameContext*>(message.lParam)) ? 1 : 0;
    case tkm::kThemeChanged:
        onThemeChanged();
        return 0;
    default:
        return 0;
    }
}

}  // namespace vamu::toolkit
