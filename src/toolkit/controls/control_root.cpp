// The control tree of a host window: links, records, focus and the Tab chain.
#include "toolkit/controls/control_root.h"

#include "platform/keys.h"
#include "toolkit/accessibility.h"
#include "toolkit/controls/control.h"
#include "toolkit/controls/control_internal.h"
#include "toolkit/controls/surface.h"
#include "toolkit/host_window.h"

#include <QChar>

#include <functional>

namespace vamu::toolkit {

ControlRoot::ControlRoot(HostWindow& host) : m_host(host) {}

ControlRoot::~ControlRoot() { destroyAll(); }

void ControlRoot::setOrigin(QPoint origin) {
    const QPoint shift = origin - m_origin;
    m_origin = origin;
    if (shift.isNull()) return;
    for (const auto& control : m_controls) control->shiftAbsolute(shift);
}

std::vector<std::unique_ptr<BaseControl>>& ControlRoot::list(BaseControl* parent) {
    return parent ? parent->m_children : m_controls;
}

void ControlRoot::link(std::unique_ptr<BaseControl> control, BaseControl* parent) {
    list(parent).push_back(std::move(control));
}

std::unique_ptr<BaseControl> ControlRoot::unlink(BaseControl& control) {
    auto& siblings = list(control.m_parent);
    for (auto it = siblings.begin(); it != siblings.end(); ++it) {
        if (it->get() != &control) continue;
        std::unique_ptr<BaseControl> owned = std::move(*it);
        siblings.erase(it);
        return owned;
    }
    return nullptr;
}

void ControlRoot::destroyAll() {
    detail::DispatchScope scope;
    while (!m_controls.empty()) {
        BaseControl* last = m_controls.back().get();
        if (last->m_host && !last->m_destroying) {
            last->destroyNow();
        } else {
            m_controls.pop_back();
        }
    }
}

std::vector<ControlHandle> ControlRoot::tabChain() const {
    std::vector<ControlHandle> chain;
    for (ControlHandle h = m_tabChainHead; h;
         h = resolveControl(h) ? resolveControl(h)->m_nextInTabChain : ControlHandle{}) {
        chain.push_back(h);
        if (chain.size() > 100000) break;
    }
    return chain;
}

void ControlRoot::insertIntoTabChain(BaseControl& control) {
    control.m_nextInTabChain = {};
    BaseControl* head = resolveControl(m_tabChainHead);
    if (!head) {
        m_tabChainHead = control.m_handle;
        return;
    }
    // The head is never displaced: a smaller index than the head's goes second.
    BaseControl* at = head;
    while (BaseControl* next = resolveControl(at->m_nextInTabChain)) {
        if (next->m_tabStopIndex > control.m_tabStopIndex) break;
        at = next;
    }
    control.m_nextInTabChain = at->m_nextInTabChain;
    at->m_nextInTabChain = control.m_handle;
}

void ControlRoot::removeFromTabChain(BaseControl& control) {
    if (m_tabChainHead == control.m_handle) {
        m_tabChainHead = control.m_nextInTabChain;
    } else {
        for (BaseControl* at = resolveControl(m_tabChainHead); at; at = resolveControl(at->m_nextInTabChain)) {
            if (at->m_nextInTabChain == control.m_handle) {
                at->m_nextInTabChain = control.m_nextInTabChain;
                break;
            }
        }
    }
    control.m_nextInTabChain = {};
}

void ControlRoot::forget(BaseControl& control, bool alsoHover) {
    const ControlHandle handle = control.m_handle;
    control.m_state &= ~state::kFocused;
    if (m_keyboardFocus == handle) {
        m_keyboardFocus = {};
        if (control.m_drawTabStop) control.invalidateOwn(QRect(0, 0, control.width(), control.height()));
    }
    if (m_captured == handle) releaseCapture();
    if (m_focused == handle) m_focused = {};
    if (!alsoHover) return;
    if (m_hovered == handle) {
        m_hovered = {};
        if (!control.m_destroying) control.dispatch(tkm::kMouseLeave, 0, 0);
    }
    if (m_pressed == handle) m_pressed = {};
}

void ControlRoot::releaseCapture() {
    m_captureOn = false;
    m_captured = {};
    if (platform::NativeWindow* window = m_host.nativeWindow()) window->setCapture(false);
}

void ControlRoot::changeFocus(BaseControl& control, bool byKeyboard, ControlHandle /*previous*/) {
    detail::DispatchScope scope;
    const ControlHandle handle = control.m_handle;
    const ControlHandle oldFocus = m_focused;
    bool oldFocusKilled = false;
    control.m_state |= state::kFocused;
    if (BaseControl* keyboard = resolveControl(m_keyboardFocus)) {
        m_keyboardFocus = {};
        if (keyboard->m_handle == oldFocus && keyboard->m_tabStop) {
            oldFocusKilled = true;
            const std::intptr_t handled = keyboard->dispatch(msg::kKillFocus, 0, handle.value);
            if (handled == 0 && resolveControl(oldFocus) && keyboard->m_drawTabStop) {
                keyboard->invalidateOwn(QRect(0, 0, keyboard->width(), keyboard->height()));
            }
        }
    }
    if (!resolveControl(handle)) return;
    m_focused = handle;
    if (byKeyboard && control.m_tabStop) m_keyboardFocus = handle;
    if (!oldFocusKilled) {
        if (BaseControl* old = resolveControl(oldFocus); old && old != &control) {
            old->dispatch(msg::kKillFocus, byKeyboard ? 1 : 0, handle.value);
        }
    }
    if (BaseControl* again = resolveControl(handle)) {
        again->raise(again->makeEvent(Message{msg::kSetFocus, byKeyboard ? 1u : 0u, oldFocus.value}));
    }
    if (BaseControl* focused = resolveControl(m_focused); focused && focused->m_handle == handle) {
        accessibility::focusMoved(*focused);
    }
}

void ControlRoot::tabNext() {
    detail::DispatchScope scope;
    const std::vector<ControlHandle> chain = tabChain();
    if (chain.empty()) return;
    ControlHandle start = resolveControl(m_focused) ? m_focused : m_keyboardFocus;
    const auto found = std::find(chain.begin(), chain.end(), start);
    // From the one after the start round to the one before it; from the head without one.
    const std::size_t first = found == chain.end() ? 0 : static_cast<std::size_t>(found - chain.begin()) + 1;
    const std::size_t count = found == chain.end() ? chain.size() : chain.size() - 1;
    auto eligible = [](const BaseControl& c) {
        if ((c.m_state & (state::kDisabled | state::kHidden)) || !c.focusable() || !c.m_tabStop) return false;
        for (const BaseControl* p = c.m_parent; p; p = p->m_parent) {
            if (p->m_state & (state::kDisabled | state::kHidden)) return false;
        }
        return true;
    };
    for (std::size_t step = 0; step < count; ++step) {
        const ControlHandle candidate = chain[(first + step) % chain.size()];
        BaseControl* control = resolveControl(candidate);
        if (!control || !eligible(*control)) continue;
        if (control->dispatch(msg::kSetFocus, 1, candidate.value) != 0) continue;
        if (BaseControl* focused = resolveControl(candidate); focused && focused->m_drawTabStop) {
            focused->invalidateOwn(QRect(0, 0, focused->width(), focused->height()));
        }
        return;
    }
}

std::intptr_t ControlRoot::deliverToFocused(const Message& message) {
    BaseControl* focused = resolveControl(m_focused);
    return focused ? focused->dispatch(message) : 0;
}

bool ControlRoot::keyDownDefault(int virtualKey) {
    if (virtualKey == platform::vk::kTab) {
        tabNext();
        return true;
    }
    if (virtualKey == platform::vk::kReturn || virtualKey == platform::vk::kSpace) {
        if (BaseControl* focused = resolveControl(m_focused)) {
            focused->dispatch(tkm::kClick, 0, 0);
            return true;
        }
    }
    return false;
}

void ControlRoot::setMnemonic(int key, ControlHandle control) {
    if (!control) return;
    // One access key per control: a new text replaces the old key, key 0 removes it.
    std::erase_if(m_mnemonics, [control](const auto& entry) { return entry.second == control; });
    if (key != 0) m_mnemonics.emplace_back(key, control);
}

bool ControlRoot::mnemonic(int character) {
    detail::DispatchScope scope;
    const QChar typed = QChar(static_cast<char16_t>(character)).toUpper();
    std::erase_if(m_mnemonics, [](const auto& entry) { return !resolveControl(entry.second); });
    for (const auto& [key, handle] : m_mnemonics) {
        if (QChar(static_cast<char16_t>(key)).toUpper() != typed) continue;
        BaseControl* control = resolveControl(handle);
        if (!control || !control->isVisible() || control->isDisabled()) continue;
        control->dispatch(tkm::kClick, 0, 0);
        return true;
    }
    return false;
}

bool ControlRoot::acceptsDrops() const {
    const std::function<bool(const std::vector<std::unique_ptr<BaseControl>>&)> any =
        [&any](const std::vector<std::unique_ptr<BaseControl>>& list) {
            for (const auto& control : list) {
                if ((control->isCreated() && control->dropDrag()) || any(control->children())) return true;
            }
            return false;
        };
    return any(m_controls);
}

void ControlRoot::remakeSurfaces(qreal ratio) {
    detail::DispatchScope scope;
    std::vector<ControlHandle> handles;
    const std::function<void(const std::vector<std::unique_ptr<BaseControl>>&)> collect = [&](const auto& list) {
        for (const auto& control : list) {
            handles.push_back(control->m_handle);
            collect(control->m_children);
        }
    };
    collect(m_controls);
    for (const ControlHandle handle : handles) {
        BaseControl* control = resolveControl(handle);
        if (!control || control->m_kind == kind::kPage) continue;
        control->m_surface = surface::make(control->m_rect.size(), ratio);
        control->m_snapshot = QImage();
    }
    // Painting may create or destroy controls: the handles decide who is still there.
    for (const ControlHandle handle : handles) {
        if (BaseControl* control = resolveControl(handle)) control->redraw();
    }
}

void ControlRoot::sendToAll(MessageId id, std::uintptr_t wParam, std::intptr_t lParam) {
    detail::DispatchScope scope;
    std::vector<ControlHandle> handles;
    for (const auto& control : m_controls) handles.push_back(control->m_handle);
    for (const ControlHandle handle : handles) {
        if (BaseControl* control = resolveControl(handle)) control->dispatch(id, wParam, lParam);
    }
}

}  // namespace vamu::toolkit
