#include <gtest/gtest.h>

#include <cmath>

#include "playback/stream_time.h"

namespace vamu::playback {
namespace {

struct TextCase {
    double seconds;
    const char* text;
};

TEST(StreamTime, MinutesSecondsText) {
    const TextCase cases[] = {
        {0.0, "00:00"},     {0.999, "00:00"}, {9.0, "00:09"},    {59.999, "00:59"},
        {75.4, "01:15"},    {600.0, "10:00"}, {3599.0, "59:59"}, {3600.0, "60:00"},
        {6000.5, "100:00"}, {-1.0, "--:--"},  {-0.001, "--:--"}, {NAN, "--:--"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(minutesSecondsText(c.seconds), c.text) << c.seconds;
    }
}

TEST(StreamTime, UnknownLengthKeepsItsSignInTheSecondsPart) {
    // The player takes a seconds part of -1 as "still buffering".
    EXPECT_EQ(minutesOrSeconds(-1.0, TimePart::Seconds), -1);
    EXPECT_EQ(minutesOrSeconds(-1.0, TimePart::Minutes), 0);
    EXPECT_EQ(minutesOrSeconds(125.9, TimePart::Seconds), 5);
    EXPECT_EQ(minutesOrSeconds(125.9, TimePart::Minutes), 2);
    EXPECT_EQ(minutesOrSeconds(1e300, TimePart::Minutes), std::numeric_limits<int>::max());
}

}  // namespace
}  // namespace vamu::playback
