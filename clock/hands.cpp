#include "clock/hands.h"

#include <cmath>

namespace {

// The angles are computed step by step in x87 extended precision, in the order the
// original evaluated them: where the exact end point is a whole number the result
// lands just below it and is cut, and the faces must match pixel for pixel.
constexpr long double kPi = 3.14159265358979323846264338327950288L;
constexpr long double k6 = 1.0L / 6.0L;
constexpr long double k30 = 1.0L / 30.0L;
constexpr long double k360 = 1.0L / 360.0L;

static_assert(sizeof(long double) >= 10, "the hands need x87 extended precision");

HandPoint endPoint(long double angle, int length) {
    const long double x = std::cos(angle) * static_cast<long double>(length) + kHandPivot;
    const long double y = std::sin(angle) * static_cast<long double>(length) + kHandPivot;
    return {static_cast<int>(std::trunc(x)), static_cast<int>(std::trunc(y))};
}

}  // namespace

HandPoint hourHandEnd(int hour, int minute) {
    if (hour > 11) hour -= 12;
    const long double h = hour;
    const long double m = minute;
    // Past 3 o'clock the same direction is taken one full turn lower.
    const long double quarter = hour < 4 ? 0.5L : 2.5L;
    const long double angle = -((quarter - h * k6) - m * k360) * kPi;
    return endPoint(angle, kHourHandLength);
}

HandPoint minuteHandEnd(int minute) {
    const long double m = minute;
    const long double quarter = minute < 16 ? 0.5L : 2.5L;
    const long double angle = -(quarter - m * k30) * kPi;
    return endPoint(angle, kMinuteHandLength);
}
