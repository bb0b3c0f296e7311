#pragma once
// The skinned message box: a host window with a title, an optional icon from the
// theme ("MsgBox" m16..m128), the text measured and wrapped to fit, and a row of
// buttons. messageBox() waits in a loop of its own until the box closes and answers
// the result of the button pressed; closing the box without a button (its close
// button, Esc) answers 1. While the box is up, the program's other windows keep
// painting and running their timers but get no keyboard or mouse input; a press on
// one brings the box to the front.
//
// Any thread may call it. On the UI thread the box runs at once. A worker's call runs
// the box on the UI thread and waits for its result; a stop request on the worker's
// token ends that wait at once with 1 and closes the box. The callbacks of the
// options always run on the UI thread.

#include "platform/native_window.h"

#include <QPainter>
#include <QString>

#include <functional>
#include <stop_token>
#include <vector>

namespace vamu::toolkit {

class HostWindow;

// Button sets, right to left: 0 "确认"; 1 "取消" "确认"; 2 "忽略" "重试" "放弃";
// 3 "取消" "否(&N)" "是(&Y)"; 4 "否(&N)" "是(&Y)"; 5 "取消" "重试".
enum class MessageButtons { Ok = 0, OkCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4, RetryCancel = 5 };

namespace message_result {
inline constexpr int kOk = 0;
inline constexpr int kCancel = 1;  // also: closed without a button
inline constexpr int kAbort = 2;
inline constexpr int kRetry = 3;
inline constexpr int kIgnore = 4;
inline constexpr int kYes = 5;
inline constexpr int kNo = 6;
}  // namespace message_result

// Icons by the system's icon numbers; each has its theme region "m<number>".
namespace message_icon {
inline constexpr int kNone = 0;
inline constexpr int kStop = 16;
inline constexpr int kQuestion = 32;
inline constexpr int kExclamation = 48;
inline constexpr int kInformation = 64;
inline constexpr int kUser = 128;
}  // namespace message_icon

struct MessageBoxOptions {
    MessageButtons buttons = MessageButtons::Ok;
    QString title = QStringLiteral("提示：");
    int icon = message_icon::kNone;
    // Replace the set's texts, right to left; missing ones keep the set's text.
    std::vector<QString> buttonTexts;
    // The button with this result takes the focus (Enter and Space press it).
    int defaultResult = message_result::kCancel;
    bool animatedButtons = false;
    // The box width; 0 = 320 with the text measured on one line per line break
    // (a wider text widens the box); any other width wraps the text to fit it.
    int width = 0;
    // Before the box shows: the box, its width and height (controls may be added).
    std::function<void(HostWindow& box, int width, int height)> beforeShow;
    // Replaces the default background (the theme's "MsgBox" strip) under the controls.
    std::function<void(QPainter& painter, QSize size)> paintBackground;
};

// owner: the window the box centres on and takes its skin from (when it is a host
// window); empty for a box of its own, centred on the work area.
int messageBox(platform::WindowHandle owner, const QString& text, const MessageBoxOptions& options = {},
               std::stop_token stop = {});

// The innermost message box on screen, nullptr when none is (UI thread only).
[[nodiscard]] HostWindow* currentMessageBox();
// Whether the host window is a message box on screen (UI thread only).
[[nodiscard]] bool isMessageBox(const HostWindow& window);

// How the box sounds its icon (default: the desktop's alert sound); called with the
// icon number when a box with an icon shows. For tests and quiet programs.
void setMessageBoxSound(std::function<void(int icon)> sound);

}  // namespace vamu::toolkit
