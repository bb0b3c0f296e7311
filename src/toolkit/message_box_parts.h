#pragma once
// Internal: the controls a message box is built from: its text, its icon picture and
// its buttons. Kept behind these three functions so that the box does not depend on
// which control classes draw them.

#include "toolkit/controls/control.h"

#include <QString>

#include <functional>
#include <string_view>

namespace vamu::toolkit::detail {

// Text in the toolkit font, wrapped in the area; `centred` places it in the middle
// of the area (the box's short texts), otherwise at its top.
BaseControl* makeMessageText(HostWindow& box, const QRect& area, const QString& text, bool centred);

// The theme's picture `region` of the "MsgBox" element, stretched over the rectangle.
BaseControl* makeMessagePicture(HostWindow& box, const QRect& rect, std::string_view region);

// A push button ("&x" in the text is its Alt shortcut); `clicked` runs on every
// click, by mouse or key.
BaseControl* makeMessageButton(HostWindow& box, const QRect& rect, const QString& text, bool animated,
                               std::function<void()> clicked);

}  // namespace vamu::toolkit::detail
