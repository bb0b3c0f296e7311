// One notification at a time: each replaces the one shown before, and requests made
// while the server has not answered wait for its id instead of stacking up.
#include "desktop/notification_slot.h"

#include <gtest/gtest.h>

namespace vamu::desktop {
namespace {

Notification named(std::string summary) { return {std::move(summary), "body", {}}; }

TEST(NotificationSlotTest, EachNotificationReplacesThePreviousOnesId) {
    NotificationSlot slot;
    auto first = slot.post(named("one"));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->replacesId, 0U);
    EXPECT_EQ(first->notification.summary, "one");
    EXPECT_FALSE(slot.answered(7U));
    auto second = slot.post(named("two"));
    ASSERT_TRUE(second);
    EXPECT_EQ(second->replacesId, 7U);
    // Servers may give the same id again or a new one; the newest is replaced next.
    EXPECT_FALSE(slot.answered(9U));
    EXPECT_EQ(slot.post(named("three"))->replacesId, 9U);
}

TEST(NotificationSlotTest, RequestsDuringACallWaitAndOnlyTheNewestIsSent) {
    NotificationSlot slot;
    ASSERT_TRUE(slot.post(named("one")));
    EXPECT_FALSE(slot.post(named("two")));
    EXPECT_FALSE(slot.post(named("three")));
    EXPECT_TRUE(slot.callOut());
    const auto next = slot.answered(3U);
    ASSERT_TRUE(next);
    EXPECT_EQ(next->notification.summary, "three");
    EXPECT_EQ(next->replacesId, 3U);
    EXPECT_TRUE(slot.callOut());
    EXPECT_FALSE(slot.answered(3U));
    EXPECT_FALSE(slot.callOut());
}

TEST(NotificationSlotTest, AFailedCallKeepsTheLastShownIdAndFreesTheSlot) {
    NotificationSlot slot;
    ASSERT_TRUE(slot.post(named("one")));
    EXPECT_FALSE(slot.answered(5U));
    ASSERT_TRUE(slot.post(named("two")));
    EXPECT_FALSE(slot.post(named("waiting")));
    const auto next = slot.answered(std::nullopt);  // no notification server
    ASSERT_TRUE(next);
    EXPECT_EQ(next->replacesId, 5U);
    EXPECT_EQ(next->notification.summary, "waiting");
    EXPECT_FALSE(slot.answered(0U));  // 0 is no id
    EXPECT_EQ(slot.shownId(), 5U);
}

}  // namespace
}  // namespace vamu::desktop
