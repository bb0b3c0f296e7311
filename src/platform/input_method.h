#pragma once
// What the input method asks of a window: whether it may compose there, where the
// caret is, the text around it and what kind of text it is. The window asks its
// handler with kImeRequest whenever the input method wants to know; a handler that
// does not answer (0) leaves the state set with NativeWindow::setInputMethodEnabled
// and setInputMethodRect. Composition itself arrives as kImeComposition
// (platform/messages.h).

#include "platform/messages.h"

#include <QRect>
#include <QString>
#include <Qt>

namespace vamu::platform {

namespace msg {
inline constexpr MessageId kImeRequest = 648;  // lParam: InputMethodState* to fill; nonzero = filled
}  // namespace msg

struct InputMethodState {
    bool enabled = false;
    QRect cursorRect;         // window coordinates
    QString surroundingText;  // the paragraph around the caret
    int cursorPosition = 0;   // in surroundingText
    int anchorPosition = 0;
    Qt::InputMethodHints hints = Qt::ImhNone;
};

}  // namespace vamu::platform
