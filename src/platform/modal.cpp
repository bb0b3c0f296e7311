#include "platform/modal.h"

#include <algorithm>
#include <vector>

namespace vamu::platform {
namespace {

std::vector<WindowHandle>& scopes() {
    static std::vector<WindowHandle> stack;
    return stack;
}

bool isInput(MessageId id) { return (id >= 256 && id <= 263) || (id >= msg::kMouseMove && id <= 525); }

bool isPress(MessageId id) {
    switch (id) {
    case msg::kLeftDown:
    case msg::kLeftDoubleClick:
    case msg::kRightDown:
    case msg::kRightDoubleClick:
    case msg::kMiddleDown:
    case msg::kMiddleDoubleClick:
    case 523:  // extra button down
    case 525:  // extra button double click
        return true;
    default:
        return false;
    }
}

// The window itself or a window it owns, directly or through its owned windows.
bool ownedBy(WindowHandle window, WindowHandle owner) {
    for (int depth = 0; window && depth < 64; ++depth) {
        if (window == owner) return true;
        const NativeWindow* native = NativeWindow::find(window);
        if (!native) return false;
        window = native->owner();
    }
    return false;
}

}  // namespace

ModalScope::ModalScope(WindowHandle window) : m_window(window) { scopes().push_back(window); }

ModalScope::~ModalScope() {
    auto& stack = scopes();
    // Scopes end in reverse order; remove this one wherever it stands all the same.
    const auto it = std::find(stack.rbegin(), stack.rend(), m_window);
    if (it != stack.rend()) stack.erase(std::next(it).base());
}

WindowHandle modalWindow() { return scopes().empty() ? WindowHandle{} : scopes().back(); }

bool swallowedByModal(WindowHandle window, const Message& message) {
    const WindowHandle modal = modalWindow();
    if (!modal || !isInput(message.id) || ownedBy(window, modal)) return false;
    // A modal window that is already gone keeps nothing from anybody.
    NativeWindow* front = NativeWindow::find(modal);
    if (!front) return false;
    if (isPress(message.id)) {
        front->raise();
        front->activate();
    }
    return true;
}

}  // namespace vamu::platform
