#pragma once
// A message box as a feature asks for one: what it says, with which title, icon, width
// and buttons. Features hold a MessageFunction that the program points at the skinned
// message box (showMessageBox) and tests point at a recorder; it answers the box's result.
// UI thread only.

#include "toolkit/host_window.h"
#include "toolkit/message_box.h"

#include <functional>
#include <vector>

namespace vamu::toolkit {

struct MessageRequest {
    QString title;
    QString text;
    int icon = message_icon::kNone;
    int width = 0;
    MessageButtons buttons = MessageButtons::Ok;
    std::vector<QString> buttonTexts;  // right to left, replacing the set's texts
    HostWindow* owner = nullptr;       // the window that owns the box; none: the program's main window
};

using MessageFunction = std::function<int(const MessageRequest& request)>;

// The skinned box, owned by the request's owner, else by `owner` (may be null).
inline int showMessageBox(HostWindow* owner, const MessageRequest& request) {
    if (request.owner) owner = request.owner;
    MessageBoxOptions options;
    options.title = request.title;
    options.icon = request.icon;
    options.width = request.width;
    options.buttons = request.buttons;
    options.buttonTexts = request.buttonTexts;
    return messageBox(owner ? owner->windowHandle() : platform::WindowHandle{}, request.text, options);
}

}  // namespace vamu::toolkit
