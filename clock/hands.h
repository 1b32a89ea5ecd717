#pragma once

// End points of the clock hands on a 128 by 128 face, pivot (64,64), y downward.
// Angles are evaluated in x87 extended precision and the end points cut toward
// zero, so every face matches the original pixel for pixel.
struct HandPoint {
    int x;
    int y;
    friend bool operator==(const HandPoint&, const HandPoint&) = default;
};

inline constexpr int kHandPivot = 64;
inline constexpr int kHourHandLength = 20;
inline constexpr int kHourHandWidth = 3;
inline constexpr int kMinuteHandLength = 35;
inline constexpr int kMinuteHandWidth = 2;

// hour 0..23 (12..23 draw as 0..11), minute 0..59.
HandPoint hourHandEnd(int hour, int minute);
HandPoint minuteHandEnd(int minute);
