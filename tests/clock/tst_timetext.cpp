#include "app/errors.h"
#include "clock/dragsector.h"
#include "clock/timeformat.h"
#include "clock/timetext.h"

#include <gtest/gtest.h>

struct StepCase {
    const char* before;
    const char* forward;
    const char* back;
};

class StepAlarmBoundary : public ::testing::TestWithParam<StepCase> {};

TEST_P(StepAlarmBoundary, WrapsOnlyWhenTheMinutesWrap) {
    const StepCase& c = GetParam();
    EXPECT_EQ(stepAlarmTime(c.before, true).str(), c.forward);
    EXPECT_EQ(stepAlarmTime(c.before, false).str(), c.back);
}

INSTANTIATE_TEST_SUITE_P(
    Table, StepAlarmBoundary,
    ::testing::Values(StepCase{"00:00", "00:01", "23:59"}, StepCase{"00:59", "01:00", "00:58"},
                      StepCase{"09:59", "10:00", "09:58"}, StepCase{"10:00", "10:01", "09:59"},
                      StepCase{"12:00", "12:01", "11:59"}, StepCase{"23:00", "23:01", "22:59"},
                      StepCase{"23:59", "00:00", "23:58"}));

TimeText stepped(TimeText time, int steps, bool forward) {
    for (int i = 0; i < steps; ++i) time = stepAlarmTime(time, forward);
    return time;
}

TEST(StepAlarm, RunsThroughMidnightAndAllTheWayRound) {
    EXPECT_EQ(stepped("23:57", 5, true).str(), "00:02");
    EXPECT_EQ(stepped("00:05", 10, false).str(), "23:55");
    EXPECT_EQ(stepped("07:42", 60, true).str(), "08:42");
    EXPECT_EQ(stepped("07:42", 1440, true).str(), "07:42");
}

TEST(StepAlarm, RebuildsAForeignSeparatorWithAColon) {
    EXPECT_EQ(stepAlarmTime("09.05", true).str(), "09:06");
}

TEST(StepAlarm, RefusesTextThatIsNotATimeAndNamesIt) {
    struct Case {
        const char* time;
        const char* message;
    } cases[] = {{"9:05:", "'9:' は整数ではありません"},
                 {"09:5x", "'5x' は整数ではありません"},
                 {"", "'' は整数ではありません"},
                 {"ab:00", "'ab' は整数ではありません"}};
    for (const Case& c : cases) {
        try {
            stepAlarmTime(c.time, true);
            ADD_FAILURE() << c.time;
        } catch (const EConvertError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

TEST(TimeText, KeepsEightCharactersAndComparesByLength) {
    EXPECT_EQ(TimeText("0123456789").str(), "01234567");
    EXPECT_EQ(TimeText("09:05"), TimeText("09:05"));
    EXPECT_FALSE(TimeText("9:05") == TimeText("09:05"));
}

struct FormatCase {
    const char* picture;
    const char* separator;
    int hour, minute, second;
    const char* formatted;
    const char* nowTime;
};

class ReadNowTime : public ::testing::TestWithParam<FormatCase> {};

TEST_P(ReadNowTime, CutsTheFormattedTimeToHoursAndMinutes) {
    const FormatCase& c = GetParam();
    TimeLocale locale;
    locale.picture = c.picture;
    locale.separator = c.separator;
    const std::string formatted = formatTime(locale, c.hour, c.minute, c.second);
    EXPECT_EQ(formatted, c.formatted);
    EXPECT_EQ(nowTimeFromFormatted(formatted).str(), c.nowTime);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, ReadNowTime,
    ::testing::Values(FormatCase{"H:mm:ss", ":", 0, 0, 7, "0:00:07", "00:00"},
                      FormatCase{"H:mm:ss", ":", 9, 5, 7, "9:05:07", "09:05"},
                      FormatCase{"H:mm:ss", ":", 21, 30, 59, "21:30:59", "21:30"},
                      FormatCase{"HH:mm:ss", ":", 9, 5, 7, "09:05:07", "09:05"},
                      FormatCase{"hh:mm:ss", ":", 23, 59, 59, "23:59:59", "23:59"},
                      FormatCase{"h:mm:ss tt", ":", 9, 5, 7, "9:05:07 am", "9:05:"},
                      FormatCase{"h:mm:ss tt", ":", 22, 5, 7, "10:05:07 pm", "10:05"},
                      FormatCase{"h:mm:ss tt", ":", 0, 30, 0, "12:30:00 am", "12:30"},
                      FormatCase{"h:mm:ss t", ":", 13, 1, 2, "1:01:02 p", "1:01:"},
                      FormatCase{"h:mmt", ":", 13, 1, 2, "1:01p", "1:01p"},
                      FormatCase{"tt h:mm", ":", 12, 0, 0, "pm 12:00", "pm 12"},
                      FormatCase{"HH:mm:ss", ".", 9, 5, 7, "09.05.07", "09.05"},
                      FormatCase{"H'h'mm", ":", 7, 3, 0, "7h03", "7h03"}));

TEST(ReadNowTime, UsesTheLocaleMarkers) {
    TimeLocale locale;
    locale.picture = "tt h:mm";
    locale.morning = "午前";
    locale.afternoon = "午後";
    EXPECT_EQ(formatTime(locale, 8, 15, 0), "午前 8:15");
    EXPECT_EQ(formatTime(locale, 20, 15, 0), "午後 8:15");
}

struct SectorCase {
    int dx, dy, sector;
};

class DragSectorRegions : public ::testing::TestWithParam<SectorCase> {};

TEST_P(DragSectorRegions, ComparesStrictly) {
    const SectorCase& c = GetParam();
    EXPECT_EQ(dragSector(c.dx, c.dy), c.sector) << c.dx << "," << c.dy;
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, DragSectorRegions,
    ::testing::Values(SectorCase{0, 0, 0}, SectorCase{0, -50, 0}, SectorCase{0, -51, 1},
                      SectorCase{0, 50, 0}, SectorCase{0, 51, 5}, SectorCase{50, 0, 0},
                      SectorCase{51, 0, 3}, SectorCase{-50, 0, 0}, SectorCase{-51, 0, 7},
                      SectorCase{25, -51, 1}, SectorCase{26, -26, 2}, SectorCase{26, -25, 0},
                      SectorCase{25, -26, 0}, SectorCase{51, 25, 3}, SectorCase{51, 26, 4},
                      SectorCase{26, 26, 4}, SectorCase{-25, 51, 5}, SectorCase{-26, 26, 6},
                      SectorCase{-51, -25, 7}, SectorCase{-51, -26, 8}, SectorCase{-26, -26, 8},
                      SectorCase{-25, -25, 0}, SectorCase{26, 51, 4}, SectorCase{-26, -51, 8}));

TEST(DragSector, OnlyEightToOneWrapsForward) {
    EXPECT_TRUE(sectorStepIsForward(2, 5));
    EXPECT_FALSE(sectorStepIsForward(7, 1));
    EXPECT_TRUE(sectorStepIsForward(8, 1));
    EXPECT_FALSE(sectorStepIsForward(1, 8));
    EXPECT_FALSE(sectorStepIsForward(3, 0));
}
