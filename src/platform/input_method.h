#pragma once
// Input methods as messages of a native window. Composition arrives as
// kImeComposition; a handler that does not take it (answer 0) gets the committed
// text as kChar messages instead. The window asks its handler about the text being
// edited with kImeRequest whenever the input method wants to know; a handler that
// does not answer leaves the input method off.

#include "platform/messages.h"

#include <QRect>
#include <QString>
#include <Qt>

namespace vamu::platform {

namespace msg {
inline constexpr MessageId kImeComposition = 271;  // lParam: const InputMethodEvent*; nonzero = taken
inline constexpr MessageId kImeRequest = 648;      // lParam: InputMethodState* to fill; nonzero = filled
}  // namespace msg

struct InputMethodEvent {
    QString commit;            // text to insert (replacing the range below first)
    QString preedit;           // text being composed, shown at the caret; empty ends composition
    int preeditCursor = 0;     // caret inside the pre-edit text; negative: hidden
    int replaceStart = 0;      // relative to the caret
    int replaceLength = 0;
};

struct InputMethodState {
    bool enabled = false;
    QRect cursorRect;          // window coordinates
    QString surroundingText;   // the paragraph around the caret
    int cursorPosition = 0;    // in surroundingText
    int anchorPosition = 0;
    Qt::InputMethodHints hints = Qt::ImhNone;
};

}  // namespace vamu::platform
