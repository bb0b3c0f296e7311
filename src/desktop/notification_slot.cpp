#include "desktop/notification_slot.h"

#include <utility>

namespace vamu::desktop {

std::optional<OutgoingNotification> NotificationSlot::post(Notification notification) {
    if (m_callOut) {
        m_waiting = std::move(notification);
        return std::nullopt;
    }
    m_callOut = true;
    return OutgoingNotification{std::move(notification), m_shownId};
}

std::optional<OutgoingNotification> NotificationSlot::answered(std::optional<std::uint32_t> id) {
    m_callOut = false;
    if (id && *id != 0) m_shownId = *id;
    if (!m_waiting) return std::nullopt;
    Notification next = std::move(*m_waiting);
    m_waiting.reset();
    return post(std::move(next));
}

}  // namespace vamu::desktop
