#pragma once
// The program's one desktop notification at a time: each new one replaces the one
// shown before (its id goes out as replaces_id) instead of stacking up. The server
// answers asynchronously; while a call is out, newer requests wait here (only the
// newest is kept) so that none is sent before the id it must replace is known.
// Qt-free; UI thread only.

#include <cstdint>
#include <optional>
#include <string>

namespace vamu::desktop {

struct Notification {
    std::string summary;
    std::string body;
    std::string imagePath;  // a picture file shown beside the text; empty: the program's icon

    bool operator==(const Notification&) const = default;
};

struct OutgoingNotification {
    Notification notification;
    std::uint32_t replacesId = 0;  // 0: a new one
};

class NotificationSlot {
public:
    // What to send now, or nothing while an earlier call is unanswered.
    [[nodiscard]] std::optional<OutgoingNotification> post(Notification notification);
    // The answer to the call that is out: the server's id, or nothing when the call
    // failed (the last shown id stays). Gives the waiting request, if any, to send now.
    [[nodiscard]] std::optional<OutgoingNotification> answered(std::optional<std::uint32_t> id);

    [[nodiscard]] bool callOut() const { return m_callOut; }
    [[nodiscard]] std::uint32_t shownId() const { return m_shownId; }

private:
    std::optional<Notification> m_waiting;
    std::uint32_t m_shownId = 0;
    bool m_callOut = false;
};

}  // namespace vamu::desktop
