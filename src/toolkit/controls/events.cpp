#include "toolkit/controls/events.h"

namespace vamu::toolkit {

void EventControl::bind(MessageId message, EventHandler handler) {
    if (handler)
        m_handlers[message] = std::move(handler);
    else
        m_handlers.erase(message);
}

bool EventControl::raise(const Event& event) const {
    const auto it = m_handlers.find(event.message);
    if (it == m_handlers.end()) return false;
    // A copy: the handler may rebind its own event or destroy this object.
    const EventHandler handler = it->second;
    return handler(event);
}

}  // namespace vamu::toolkit
