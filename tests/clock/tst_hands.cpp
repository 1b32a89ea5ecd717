#include "clock/hands.h"

#include <gtest/gtest.h>

#include <ostream>

void PrintTo(const HandPoint& p, std::ostream* os) {
    *os << "(" << p.x << "," << p.y << ")";
}

struct HourCase {
    int hour;
    int minute;
    HandPoint end;
};

class HourHandTest : public ::testing::TestWithParam<HourCase> {};

// Whole hours sit exactly on whole pixels, where extended precision decides the cut.
TEST_P(HourHandTest, EndsWhereTheOriginalDrewIt) {
    const HourCase& c = GetParam();
    EXPECT_EQ(hourHandEnd(c.hour, c.minute), c.end) << c.hour << ":" << c.minute;
}

INSTANTIATE_TEST_SUITE_P(Times, HourHandTest,
                         ::testing::Values(HourCase{0, 0, {64, 44}}, HourCase{1, 0, {74, 46}},
                                           HourCase{2, 0, {81, 54}}, HourCase{3, 0, {84, 64}},
                                           HourCase{4, 0, {81, 74}}, HourCase{5, 0, {74, 81}},
                                           HourCase{6, 0, {64, 84}}, HourCase{7, 0, {54, 81}},
                                           HourCase{8, 0, {46, 74}}, HourCase{9, 0, {44, 64}},
                                           HourCase{11, 0, {54, 46}}, HourCase{12, 0, {64, 44}},
                                           HourCase{15, 0, {84, 64}}, HourCase{23, 0, {54, 46}},
                                           HourCase{6, 30, {58, 83}}, HourCase{2, 30, {83, 58}},
                                           HourCase{9, 45, {45, 56}}, HourCase{10, 10, {47, 52}},
                                           HourCase{23, 59, {63, 44}}, HourCase{3, 59, {81, 73}},
                                           HourCase{4, 1, {81, 74}}));

TEST(HourHand, TenOClockLiesOnTheBoundaryOfTheCut) {
    const HandPoint end = hourHandEnd(10, 0);
    EXPECT_EQ(end.x, 46);
    EXPECT_TRUE(end.y == 53 || end.y == 54) << end.y;
    EXPECT_EQ(hourHandEnd(22, 0), end);
}

struct MinuteCase {
    int minute;
    HandPoint end;
};

class MinuteHandTest : public ::testing::TestWithParam<MinuteCase> {};

TEST_P(MinuteHandTest, EndsWhereTheOriginalDrewIt) {
    EXPECT_EQ(minuteHandEnd(GetParam().minute), GetParam().end) << ":" << GetParam().minute;
}

INSTANTIATE_TEST_SUITE_P(Minutes, MinuteHandTest,
                         ::testing::Values(MinuteCase{0, {64, 29}}, MinuteCase{15, {99, 64}},
                                           MinuteCase{30, {64, 99}}, MinuteCase{45, {29, 63}},
                                           MinuteCase{10, {94, 46}}, MinuteCase{59, {60, 29}},
                                           MinuteCase{16, {98, 67}}));

// Exact halves (81.5, 46.5) and exact whole numbers at 10, 20, 40 and 50 minutes.
TEST(MinuteHand, CutsExactValuesTowardZero) {
    for (int minute : {5, 25}) EXPECT_EQ(minuteHandEnd(minute).x, 81) << minute;
    for (int minute : {35, 55}) EXPECT_EQ(minuteHandEnd(minute).x, 46) << minute;
    for (int minute : {10, 50}) EXPECT_EQ(minuteHandEnd(minute).y, 46) << minute;
    for (int minute : {20, 40}) EXPECT_EQ(minuteHandEnd(minute).y, 81) << minute;
}
