#pragma once
// Helpers shared by the range control and list view tests.

#include "toolkit/controls/control.h"
#include "toolkit/test_support.h"

#include <QPoint>

namespace vamu::toolkit::test {

// A control-local point in window coordinates.
inline QPoint windowPoint(const BaseControl& control, QPoint local) { return control.absoluteRect().topLeft() + local; }

// Mouse input at a control-local point, through the host window's routing.
inline void pressAt(TestHost& t, const BaseControl& control, QPoint local) { t.press(windowPoint(control, local)); }
inline void moveTo(TestHost& t, const BaseControl& control, QPoint local) { t.move(windowPoint(control, local)); }
inline void releaseAt(TestHost& t, const BaseControl& control, QPoint local) { t.release(windowPoint(control, local)); }
inline void clickAt(TestHost& t, const BaseControl& control, QPoint local) { t.click(windowPoint(control, local)); }

// The wheel turned by notches (positive away from the user) over the focused control.
inline void wheel(TestHost& t, int notches) {
    t.send(platform::msg::kMouseWheel, static_cast<std::uintptr_t>(static_cast<std::uint16_t>(notches * 120)) << 16, 0);
}

}  // namespace vamu::toolkit::test
