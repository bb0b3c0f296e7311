#pragma once
// Event binding shared by controls and host windows: one handler per message number,
// a later binding replacing an earlier one. A handler answering true marks the event
// handled, which stops the rest of that message's processing (the class procedure of
// a control, the default action of a host window).

#include "platform/native_window.h"
#include "toolkit/controls/control_messages.h"

#include <cstdint>
#include <functional>
#include <unordered_map>

namespace vamu::toolkit {

// A control's identity: never reused within a process; 0 is no control. Resolve it
// with resolveControl() (control.h), which answers nullptr once the control is gone.
struct ControlHandle {
    std::uint32_t value = 0;
    explicit operator bool() const { return value != 0; }
    bool operator==(const ControlHandle&) const = default;
};

struct Event {
    MessageId message = 0;
    ControlHandle control;          // none for window-level events
    platform::WindowHandle window;  // the host window
    int x = 0;                      // mouse: control (or window) coordinates; moved: window x
    int y = 0;
    int modifiers = 0;  // platform::modifier flags
    int key = 0;        // virtual key, character code, hot-key id, tray icon id
    int width = 0;      // size event
    int height = 0;
    std::uintptr_t wParam = 0;  // the raw message
    std::intptr_t lParam = 0;
};

using EventHandler = std::function<bool(const Event&)>;

class EventControl {
public:
    virtual ~EventControl() = default;

    // Binds the handler to a message number, replacing an earlier binding.
    void bind(MessageId message, EventHandler handler);
    void unbind(MessageId message) { m_handlers.erase(message); }
    [[nodiscard]] bool isBound(MessageId message) const { return m_handlers.contains(message); }
    void unbindAll() { m_handlers.clear(); }

    void bindDestroyed(EventHandler h) { bind(msg::kDestroy, std::move(h)); }
    void bindSized(EventHandler h) { bind(msg::kSize, std::move(h)); }
    void bindShown(EventHandler h) { bind(msg::kShowWindow, std::move(h)); }
    void bindHidden(EventHandler h) { bind(tkm::kHide, std::move(h)); }
    void bindLeftDown(EventHandler h) { bind(msg::kLeftDown, std::move(h)); }
    void bindLeftUp(EventHandler h) { bind(msg::kLeftUp, std::move(h)); }
    void bindRightDown(EventHandler h) { bind(msg::kRightDown, std::move(h)); }
    void bindRightUp(EventHandler h) { bind(msg::kRightUp, std::move(h)); }
    void bindMouseMove(EventHandler h) { bind(msg::kMouseMove, std::move(h)); }
    void bindDoubleClick(EventHandler h) { bind(msg::kLeftDoubleClick, std::move(h)); }
    void bindKeyDown(EventHandler h) { bind(msg::kKeyDown, std::move(h)); }
    void bindKeyUp(EventHandler h) { bind(msg::kKeyUp, std::move(h)); }
    void bindWheel(EventHandler h) { bind(msg::kMouseWheel, std::move(h)); }
    void bindChar(EventHandler h) { bind(msg::kChar, std::move(h)); }
    void bindFocusIn(EventHandler h) { bind(msg::kSetFocus, std::move(h)); }
    void bindFocusOut(EventHandler h) { bind(msg::kKillFocus, std::move(h)); }
    void bindMouseEnter(EventHandler h) { bind(tkm::kMouseEnter, std::move(h)); }
    void bindMouseLeave(EventHandler h) { bind(tkm::kMouseLeave, std::move(h)); }
    void bindClick(EventHandler h) { bind(tkm::kClick, std::move(h)); }
    // lParam of the event: const platform::DroppedFiles*, valid during the handler.
    void bindFilesDropped(EventHandler h) { bind(msg::kDropFiles, std::move(h)); }

    // Calls the handler bound to event.message; false when none is bound. The owner
    // may be destroyed by the handler: nothing of this object is touched afterwards.
    bool raise(const Event& event) const;

private:
    std::unordered_map<MessageId, EventHandler> m_handlers;
};

}  // namespace vamu::toolkit
