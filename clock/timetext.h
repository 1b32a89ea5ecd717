#pragma once

#include <string>
#include <string_view>

// A time of day as "HH:MM", held in a text of capacity 8: a longer assignment
// keeps its first 8 characters. Equality of whole texts (length included) is the
// only relation the alarm uses, so "9:05" never equals "09:05".
class TimeText {
public:
    static constexpr std::size_t kCapacity = 8;

    TimeText() = default;
    TimeText(std::string_view text) : m_text(text.substr(0, kCapacity)) {}
    TimeText(const char* text) : TimeText(std::string_view(text)) {}

    const std::string& str() const { return m_text; }
    bool empty() const { return m_text.empty(); }

    friend bool operator==(const TimeText&, const TimeText&) = default;

private:
    std::string m_text;
};

// The classic Copy: up to count characters from the 1-based index; an index
// beyond the end gives the empty text.
std::string copyText(std::string_view text, std::size_t index, std::size_t count);

// Hour from positions 1-2 and minute from positions 4-5; raises EConvertError
// naming the two characters when either is not a number.
struct HourMinute {
    int hour;
    int minute;
};
HourMinute parseTimeText(const TimeText& time);

// The minute after hour:minute, as the clock shows it ("HH:MM").
TimeText comingMinute(int hour, int minute);

// One minute forward or back, wrapping through midnight; always written with ":".
TimeText stepAlarmTime(const TimeText& time, bool forward);
