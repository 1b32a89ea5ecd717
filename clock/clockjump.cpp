#include "clock/clockjump.h"

#include "app/errors.h"

#include <utility>

namespace {

constexpr long long kDay = 86400;

long long floorDiv(long long value, long long divisor) {
    return value / divisor - (value % divisor < 0 ? 1 : 0);
}

int minuteOf(long long seconds) {
    return int((seconds - floorDiv(seconds, kDay) * kDay) / 60);
}

}  // namespace

bool jumpedOverMinute(long long before, long long after, int minuteOfDay) {
    if (after <= before || minuteOf(before) == minuteOfDay || minuteOf(after) == minuteOfDay)
        return false;
    // The first start of that minute after `before`: on the same day or the next.
    long long start = floorDiv(before, kDay) * kDay + minuteOfDay * 60LL;
    if (start <= before) start += kDay;
    return start + 60 <= after;
}

bool AlarmJumpWatch::jumpedOverAlarm(long long clock, bool armed, const TimeText& alarm) {
    const std::optional<long long> before = std::exchange(m_lastTick, clock);
    if (!before || !armed) return false;
    try {
        const auto [hour, minute] = parseTimeText(alarm);
        return jumpedOverMinute(*before, clock, hour * 60 + minute);
    } catch (const EConvertError&) {
        // An alarm time that is no time of day cannot have been passed.
        return false;
    }
}
