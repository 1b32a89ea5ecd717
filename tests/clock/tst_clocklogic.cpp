#include "clock/hands.h"
#include "clock/timeformat.h"
#include "clock/timetext.h"

#include <gtest/gtest.h>

// The locale's time cut to the faces' "HH:MM", and the alarm a minute on (one-digit minutes too).
TEST(ClockText, TheLocalesTimeIsCutToHoursAndMinutes) {
    struct Case {
        const char* picture;
        int hour, minute;
        const char* formatted;
        const char* nowTime;
        const char* stepped;
    } cases[] = {{"H:mm:ss", 9, 5, "9:05:07", "09:05", "09:06"},
                 {"h:mm:ss tt", 0, 30, "12:30:07 am", "12:30", "12:31"},
                 {"h:mm:ss tt", 22, 5, "10:05:07 pm", "10:05", "10:06"},
                 {"HH:m", 10, 5, "10:5", "10:5", "10:06"}};
    for (const Case& c : cases) {
        TimeLocale locale;
        locale.picture = c.picture;
        const std::string formatted = formatTime(locale, c.hour, c.minute, 7);
        EXPECT_EQ(formatted, c.formatted);
        const TimeText nowTime = nowTimeFromFormatted(formatted);
        EXPECT_EQ(nowTime.str(), c.nowTime) << c.formatted;
        EXPECT_EQ(stepAlarmTime(nowTime, true).str(), c.stepped) << c.formatted;
    }
}

// End points cut toward zero in extended precision, where the drawn faces have them.
TEST(Hands, EndPointsMatchTheDrawnFacePixelForPixel) {
    struct Case {
        int hour, minute;
        HandPoint end;
    } hours[] = {{0, 0, {64, 44}},  {3, 0, {84, 64}},  {3, 59, {81, 73}}, {15, 0, {84, 64}},
                 {6, 30, {58, 83}}, {9, 45, {45, 56}}, {10, 10, {47, 52}}},
      minutes[] = {{0, 0, {64, 29}}, {0, 5, {81, 33}}, {0, 15, {99, 64}}, {0, 45, {29, 63}}};
    for (const Case& c : hours)
        EXPECT_EQ(hourHandEnd(c.hour, c.minute), c.end) << c.hour << ":" << c.minute;
    for (const Case& c : minutes) EXPECT_EQ(minuteHandEnd(c.minute), c.end) << c.minute;
}
