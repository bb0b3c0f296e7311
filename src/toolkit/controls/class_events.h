#pragma once
// Events of a control class's own (scroll, list and combo box events): raised with
// their two values in the event's wParam and lParam, and handed to typed handlers
// that get the control itself. A handler may destroy the control.

#include "toolkit/controls/control.h"

#include <cstdint>

namespace vamu::toolkit {

// An event of the control carrying two values.
[[nodiscard]] inline Event classEvent(const BaseControl& control, MessageId message, std::intptr_t first = 0,
                                      std::intptr_t second = 0) {
    Event event;
    event.message = message;
    event.control = control.handle();
    event.window = control.hostWindowHandle();
    event.wParam = static_cast<std::uintptr_t>(first);
    event.lParam = second;
    return event;
}

[[nodiscard]] inline int firstValue(const Event& event) {
    return static_cast<int>(static_cast<std::intptr_t>(event.wParam));
}
[[nodiscard]] inline int secondValue(const Event& event) { return static_cast<int>(event.lParam); }

// A bound handler that calls call(control, event) while the control still exists;
// it never marks the event handled.
template <class Control, class Call>
[[nodiscard]] EventHandler typedHandler(Call call) {
    return [call = std::move(call)](const Event& event) {
        if (auto* control = resolveControlAs<Control>(event.control)) call(*control, event);
        return false;
    };
}

}  // namespace vamu::toolkit
