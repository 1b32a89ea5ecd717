#pragma once

#include "clock/timetext.h"

#include <optional>

// The local wall clock as seconds from a fixed day: what two ticks read, so that a
// jump of the clock (a suspend of hours or days, the clock set by hand) shows.
constexpr long long wallSeconds(int day, int hour, int minute, int second) {
    return ((static_cast<long long>(day) * 24 + hour) * 60 + minute) * 60 + second;
}

// True when the clock went from `before` to `after`, two successive ticks, past the
// whole of minute `minuteOfDay` (0..1439) of some day with neither tick inside it:
// an alarm minute that no tick saw. A clock set back passes over nothing.
bool jumpedOverMinute(long long before, long long after, int minuteOfDay);

// Follows the wall clock from tick to tick to tell when it jumped over the alarm
// minute while the alarm was armed.
class AlarmJumpWatch {
public:
    // `clock` is this tick's wallSeconds; `alarm` the alarm time ("HH:MM").
    bool jumpedOverAlarm(long long clock, bool armed, const TimeText& alarm);

private:
    std::optional<long long> m_lastTick;
};
