#include "clock/timetext.h"

#include "app/convert.h"

#include <cstdio>

std::string copyText(std::string_view text, std::size_t index, std::size_t count) {
    if (index < 1 || index > text.size()) return {};
    return std::string(text.substr(index - 1, count));
}

HourMinute parseTimeText(const TimeText& time) {
    const int hour = StrToInt(copyText(time.str(), 1, 2));
    const int minute = StrToInt(copyText(time.str(), 4, 2));
    return {hour, minute};
}

TimeText stepAlarmTime(const TimeText& time, bool forward) {
    auto [hour, minute] = parseTimeText(time);
    minute += forward ? 1 : -1;
    if (minute < 0) {
        minute = 59;
        if (--hour < 0) hour = 23;
    }
    if (minute > 59) {
        minute = 0;
        if (++hour > 23) hour = 0;
    }
    // Out-of-range hours from a malformed text are written as they are, like the
    // original, rather than guessed at.
    std::string text;
    if (hour >= 0 && hour <= 9) text += '0';
    text += IntToStr(hour);
    text = TimeText(text).str();
    text += ':';
    if (minute >= 0 && minute <= 9) text += '0';
    text += IntToStr(minute);
    return TimeText(text);
}

TimeText comingMinute(int hour, int minute) {
    const int minutes = (hour * 60 + minute + 1) % (24 * 60);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", minutes / 60, minutes % 60);
    return TimeText(text);
}
