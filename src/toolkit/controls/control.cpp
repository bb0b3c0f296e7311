#include "toolkit/controls/control.h"
#include "toolkit/controls/surface.h"

#include "platform/system.h"
#include "platform/ui_thread.h"
#include "toolkit/accessibility.h"
#include "toolkit/controls/control_internal.h"
#include "toolkit/engine.h"
#include "toolkit/host_window.h"
#include "toolkit/tooltip_window.h"
#include "toolkit/toolkit.h"

#include <unordered_map>

namespace vamu::toolkit {
namespace {

struct Registry {
    std::unordered_map<std::uint32_t, BaseControl*> controls;
    std::uint32_t nextId = 1;
    std::vector<std::unique_ptr<BaseControl>> graveyard;
    int depth = 0;
};

Registry& registry() {
    static Registry instance;
    return instance;
}

// Pages draw nothing of their own: one pixel stands for their surface.
QImage makeSurface(QSize size, int kind, qreal ratio) {
    if (kind == kind::kPage) return surface::make(QSize(1, 1), 1.0);
    return surface::make(size, ratio);
}

}  // namespace

namespace detail {

DispatchScope::DispatchScope() { ++registry().depth; }

DispatchScope::~DispatchScope() {
    Registry& reg = registry();
    if (--reg.depth > 0 || reg.graveyard.empty()) return;
    // Moved out first: nothing a destructor does may touch the list being cleared.
    auto dead = std::move(reg.graveyard);
    reg.graveyard.clear();
    dead.clear();
}

void bury(std::unique_ptr<BaseControl> control) {
    Registry& reg = registry();
    if (reg.depth == 0) return;  // freed here, at once
    reg.graveyard.push_back(std::move(control));
}

}  // namespace detail

BaseControl* resolveControl(ControlHandle handle) {
    if (!handle) return nullptr;
    const auto& controls = registry().controls;
    const auto it = controls.find(handle.value);
    return it == controls.end() ? nullptr : it->second;
}

BaseControl::~BaseControl() {
    if (m_handle) registry().controls.erase(m_handle.value);
}

bool BaseControl::createBase(std::unique_ptr<BaseControl> control, ControlParent parent, const QRect& rect, int kind,
                             std::string_view className, const CreateOptions& options) {
    if (!control) return false;
    HostWindow* host = parent.host;
    if (parent.control) {
        const bool usable = parent.control->isCreated() && !parent.control->m_destroying;
        host = usable ? parent.control->host() : nullptr;
    }
    if (!host || !platform::NativeWindow::isWindow(host->windowHandle())) return false;

    detail::DispatchScope scope;
    BaseControl& c = *control;
    c.m_host = host;
    c.m_parent = parent.control;
    c.m_kind = kind;
    c.m_className = std::string(className);
    c.m_rect = QRect(rect.topLeft(), rect.size().expandedTo(QSize(0, 0)));
    c.m_state = (options.visible ? 0 : state::kHidden) | (options.focusable ? state::kFocusable : 0);
    c.m_mouseTrack = options.mouseTrack;
    c.m_tabStop = options.tabStop;
    c.m_tabStopIndex = options.tabStopIndex;
    c.m_drawTabStop = options.drawTabStop;
    c.m_cursor = options.cursor;
    c.m_pressedCursor = options.pressedCursor ? options.pressedCursor : options.cursor;
    c.m_animationInterval = options.animationInterval;
    c.m_animationFrames = options.animationFrames;
    c.m_animationType = options.animationType;
    c.m_createData = options.createData;
    c.m_font = toolkitFont();
    c.m_alpha = 255;
    Registry& reg = registry();
    c.m_handle = ControlHandle{reg.nextId++};
    reg.controls[c.m_handle.value] = &c;

    ControlRoot& root = host->controls();
    root.link(std::move(control), parent.control);
    root.insertIntoTabChain(c);
    c.m_surface = makeSurface(c.m_rect.size(), kind, host->devicePixelRatio());
    c.m_absolute =
        parent.control ? c.m_rect.translated(parent.control->m_absolute.topLeft()) : c.m_rect.translated(root.origin());
    c.dispatch(msg::kCreate, static_cast<std::uintptr_t>(c.m_createData), platform::packPoint(c.width(), c.height()));
    if (!c.m_host) return false;  // destroyed by its own creation message
    c.m_created = true;
    c.m_drawable = true;
    c.m_dirty = QRect(0, 0, c.width(), c.height());
    c.dispatch(msg::kPaint);
    return c.m_created;
}

platform::WindowHandle BaseControl::hostWindowHandle() const {
    return m_host ? m_host->windowHandle() : platform::WindowHandle{};
}

void BaseControl::setKind(int kind, std::string_view className) {
    m_kind = kind;
    m_className = std::string(className);
}

std::intptr_t BaseControl::send(MessageId id, std::uintptr_t wParam, std::intptr_t lParam) {
    if (!m_created) return 0;
    return sendToControl(hostWindowHandle(), m_handle, Message{id, wParam, lParam});
}

void BaseControl::post(MessageId id, std::uintptr_t wParam, std::intptr_t lParam) {
    if (m_created) postToControl(hostWindowHandle(), m_handle, Message{id, wParam, lParam});
}

std::intptr_t sendToControl(platform::WindowHandle window, ControlHandle control, const Message& message,
                            std::stop_token stop) {
    return platform::invoke(
        window,
        [control, message] {
            BaseControl* target = resolveControl(control);
            return target ? target->dispatch(message) : std::intptr_t{0};
        },
        std::move(stop));
}

void postToControl(platform::WindowHandle window, ControlHandle control, const Message& message) {
    platform::post(window, [control, message] {
        if (BaseControl* target = resolveControl(control)) target->dispatch(message);
    });
}

void BaseControl::destroy() {
    if (m_created && !m_destroying) dispatch(msg::kDestroy);
}

void BaseControl::destroyNow() {
    if (!m_host || m_destroying) return;
    detail::DispatchScope scope;
    m_destroying = true;
    HostWindow& host = *m_host;
    ControlRoot& root = host.controls();
    // It disappears first, so nothing paints it while handlers run.
    const QRect area = m_absolute;
    m_drawable = false;
    m_state |= state::kHidden;
    root.invalidate(area);
    Event event = makeEvent(Message{msg::kDestroy, 0, 0});
    raise(event);
    classProc(Message{msg::kDestroy, 0, 0});
    unbindAll();
    // Descendants go deepest first, so no child outlives its parent's links.
    std::vector<ControlHandle> descendants;
    std::function<void(const BaseControl&)> collect = [&](const BaseControl& node) {
        for (const auto& child : node.m_children) {
            collect(*child);
            descendants.push_back(child->m_handle);
        }
    };
    collect(*this);
    for (const ControlHandle handle : descendants) {
        if (BaseControl* child = resolveControl(handle)) child->destroyNow();
    }
    root.forget(*this, true);
    root.removeFromTabChain(*this);
    if (host.nativeWindow()) {
        host.nativeWindow()->killTimer(detail::controlTimerId(m_handle));
        host.nativeWindow()->killTimer(detail::animationTimerId(m_handle));
    }
    engine::forgetControlAttributes(m_handle);
    accessibility::controlDestroyed(*this);
    m_snapshot = QImage();
    m_surface = QImage();
    m_created = false;
    m_drawable = false;
    registry().controls.erase(m_handle.value);
    std::unique_ptr<BaseControl> self = root.unlink(*this);
    m_host = nullptr;
    m_parent = nullptr;
    detail::bury(std::move(self));
}

const std::vector<std::unique_ptr<BaseControl>>& BaseControl::siblings() const {
    static const std::vector<std::unique_ptr<BaseControl>> none;
    if (!m_host) return none;
    return m_parent ? m_parent->m_children : m_host->controls().controls();
}

BaseControl* BaseControl::previousSibling() const {
    const auto& list = siblings();
    for (std::size_t i = 1; i < list.size(); ++i) {
        if (list[i].get() == this) return list[i - 1].get();
    }
    return nullptr;
}

BaseControl* BaseControl::nextSibling() const {
    const auto& list = siblings();
    for (std::size_t i = 0; i + 1 < list.size(); ++i) {
        if (list[i].get() == this) return list[i + 1].get();
    }
    return nullptr;
}

void BaseControl::setVisible(bool visible) {
    if (!m_created || visible == isVisible()) return;
    dispatch(visible ? msg::kShowWindow : tkm::kHide, visible ? 1 : 0, 0);
    if (m_created) accessibility::stateChanged(*this, accessibility::StateChange::Visible);
}

void BaseControl::setDisabled(bool disabled) {
    if (!m_created || disabled == isDisabled()) return;
    if (disabled)
        m_state |= state::kDisabled;
    else
        m_state &= ~state::kDisabled;
    dispatch(tkm::kEnableChanged, 0, disabled ? 1 : 0);
    if (m_created) accessibility::stateChanged(*this, accessibility::StateChange::Disabled);
}

void BaseControl::setFocus() {
    if (m_created) dispatch(msg::kSetFocus, 0, 0);
}

void BaseControl::killFocus() {
    if (m_created) dispatch(msg::kKillFocus, 0, 0);
}

void BaseControl::setFocusable(bool on) {
    if (on) {
        m_state |= state::kFocusable;
        return;
    }
    m_state &= ~state::kFocusable;
    if (isFocused()) killFocus();
}

void BaseControl::setTabStopIndex(int index) {
    m_tabStopIndex = index;
    if (m_host && m_created) {
        m_host->controls().removeFromTabChain(*this);
        m_host->controls().insertIntoTabChain(*this);
    }
}

void BaseControl::setAlpha(int alpha) {
    alpha = std::clamp(alpha, 0, 255);
    if (alpha == m_alpha) return;
    m_alpha = alpha;
    if (m_created) invalidateOwn(QRect(0, 0, width(), height()));
}

void BaseControl::setDropDrag(bool on) {
    m_dropDrag = on;
    if (m_host && m_created) m_host->windowProc(Message{tkm::kDropDrag, m_handle.value, on ? 1 : 0});
}

void BaseControl::setCursors(std::optional<platform::CursorShape> normal,
                             std::optional<platform::CursorShape> pressed) {
    m_cursor = normal;
    m_pressedCursor = pressed ? pressed : normal;
}

void BaseControl::setFont(const QFont& font, bool repaint) {
    QFont copy = font;
    dispatch(msg::kSetFont, reinterpret_cast<std::uintptr_t>(&copy), repaint ? 1 : 0);
}

void BaseControl::setFontName(const QString& family) {
    setFont(makeFont(family, m_font.pixelSize(), fontStyleOf(m_font)));
}

void BaseControl::setFontSize(int pixels) { setFont(makeFont(m_font.family(), pixels, fontStyleOf(m_font))); }
void BaseControl::setFontStyle(int style) { setFont(makeFont(m_font.family(), m_font.pixelSize(), style)); }

void BaseControl::setTextRenderingHint(int hint) {
    if (hint == m_textRenderingHint) return;
    m_textRenderingHint = hint;
    if (m_created) redraw();
}

void BaseControl::setAnimationFramesAndTimer(int frames, int interval) {
    m_animationFrames = std::max(frames, 0);
    m_animationInterval = std::max(interval, 0);
}

bool BaseControl::setTimer(int intervalMs, std::function<void()> callback) {
    if (!m_created || !m_host || !m_host->nativeWindow()) return false;
    platform::NativeWindow& window = *m_host->nativeWindow();
    const platform::TimerId id = detail::controlTimerId(m_handle);
    window.killTimer(id);
    if (intervalMs <= 0) return true;
    std::function<void()> call;
    if (callback) {
        const ControlHandle handle = m_handle;
        call = [handle, callback = std::move(callback)] {
            detail::DispatchScope scope;
            if (resolveControl(handle)) callback();
        };
    }
    window.setTimer(id, std::chrono::milliseconds(intervalMs), std::move(call));
    return true;
}

void BaseControl::showTooltip(const QString& text, const QString& title) {
    if (!m_host || !m_created) return;
    if (text.isEmpty())
        m_host->tooltip().hideTip();
    else
        m_host->tooltip().showFor(m_absolute, text, title);
}

}  // namespace vamu::toolkit
