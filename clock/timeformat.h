#pragma once

#include "clock/timetext.h"

#include <string>

// What the locale says about showing a time. Linux has no Windows-style time
// picture, so the fallback picture is what runs; the formatter still takes any.
struct TimeLocale {
    std::string picture = "hh:mm:ss";
    std::string separator = ":";
    std::string morning = "am";
    std::string afternoon = "pm";
};

// Formats a time of day with a picture: h/hh/H/HH hours, m/mm minutes after an
// hour, s/ss seconds, t ("a"/"p") and tt (morning/afternoon strings) markers
// that also switch to the 12-hour clock, ':' the separator, '...' literals.
std::string formatTime(const TimeLocale& locale, int hour, int minute, int second);

// The current-time text from a formatted time: cut to 8, a 7-character text gets
// a leading "0", then the first 5 characters.
TimeText nowTimeFromFormatted(const std::string& formatted);
