#include "clock/clockjump.h"

#include <gtest/gtest.h>

TEST(ClockJump, OnlyAWholeAlarmMinuteThatNoTickSawIsJumpedOver) {
    constexpr int seven = 7 * 60;  // the alarm at 07:00
    struct Case {
        const char* clock;
        long long before, after;
        bool jumped;
    } cases[] = {
        {"a second ticks by", wallSeconds(5, 6, 59, 58), wallSeconds(5, 6, 59, 59), false},
        {"into the alarm minute", wallSeconds(5, 6, 59, 59), wallSeconds(5, 7, 0, 0), false},
        {"out of the alarm minute", wallSeconds(5, 7, 0, 59), wallSeconds(5, 7, 1, 0), false},
        {"a suspend over it", wallSeconds(5, 6, 59, 58), wallSeconds(5, 7, 1, 0), true},
        {"a suspend into it", wallSeconds(5, 6, 30, 0), wallSeconds(5, 7, 0, 30), false},
        {"a suspend out of it", wallSeconds(5, 7, 0, 30), wallSeconds(5, 9, 0, 0), false},
        {"a suspend short of it", wallSeconds(5, 6, 0, 0), wallSeconds(5, 6, 59, 59), false},
        {"resumed days later, before the hour", wallSeconds(5, 8, 0, 0), wallSeconds(9, 6, 0, 0),
         true},
        {"through the night from after it", wallSeconds(5, 22, 0, 0), wallSeconds(6, 6, 59, 0),
         false},
        {"through the night over it", wallSeconds(5, 22, 0, 0), wallSeconds(6, 7, 1, 0), true},
        {"the clock set back over it", wallSeconds(5, 7, 30, 0), wallSeconds(5, 6, 30, 0), false},
        {"the clock set forward an hour", wallSeconds(5, 6, 30, 0), wallSeconds(5, 7, 30, 0), true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(jumpedOverMinute(c.before, c.after, seven), c.jumped) << c.clock;

    // Midnight as the alarm, and a day number before the fixed day.
    EXPECT_TRUE(jumpedOverMinute(wallSeconds(-1, 23, 59, 30), wallSeconds(0, 0, 1, 0), 0));
    EXPECT_FALSE(jumpedOverMinute(wallSeconds(-1, 23, 59, 59), wallSeconds(0, 0, 0, 0), 0));
}
