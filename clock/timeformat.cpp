#include "clock/timeformat.h"

#include <cctype>

namespace {

std::string twoDigits(int value) {
    return std::string(1, char('0' + value / 10 % 10)) + char('0' + value % 10);
}

std::string number(int value, bool padded) {
    return padded || value >= 10 ? twoDigits(value) : std::string(1, char('0' + value));
}

bool hasAmPmMarker(const std::string& picture) {
    bool quoted = false;
    for (char c : picture) {
        if (c == '\'')
            quoted = !quoted;
        else if (!quoted && (c == 't' || c == 'T'))
            return true;
    }
    return false;
}

// Counts the run of the same letter (any case) starting at i.
std::size_t runLength(const std::string& picture, std::size_t i) {
    const char letter = char(std::tolower(static_cast<unsigned char>(picture[i])));
    std::size_t n = 1;
    while (i + n < picture.size() &&
           std::tolower(static_cast<unsigned char>(picture[i + n])) == letter)
        ++n;
    return n;
}

}  // namespace

std::string formatTime(const TimeLocale& locale, int hour, int minute, int second) {
    const std::string& picture = locale.picture;
    const bool twelveHour = hasAmPmMarker(picture);
    int shownHour = hour;
    if (twelveHour) {
        shownHour = hour % 12;
        if (shownHour == 0) shownHour = 12;
    }

    std::string out;
    bool afterHour = false;
    for (std::size_t i = 0; i < picture.size();) {
        const char c = picture[i];
        const char lower = char(std::tolower(static_cast<unsigned char>(c)));
        if (c == '\'') {
            const std::size_t end = picture.find('\'', i + 1);
            const std::size_t stop = end == std::string::npos ? picture.size() : end;
            out += picture.substr(i + 1, stop - i - 1);
            i = stop + 1;
            continue;
        }
        if (c == ':') {
            out += locale.separator;
            ++i;
            continue;
        }
        if (lower == 'h' || lower == 'm' || lower == 's' || lower == 't') {
            const std::size_t run = runLength(picture, i);
            const bool two = run >= 2;
            if (lower == 'h') {
                out += number(shownHour, two);
                afterHour = true;
            } else if (lower == 'm') {
                // Without an hour before it, "m" would be the month of the empty
                // date (December) in the classic runtime.
                out += number(afterHour ? minute : 12, two);
                afterHour = false;
            } else if (lower == 's') {
                out += number(second, two);
            } else if (two) {
                out += hour < 12 ? locale.morning : locale.afternoon;
            } else {
                out += hour < 12 ? "a" : "p";
            }
            i += std::min<std::size_t>(run, 2);
            continue;
        }
        out += c;
        ++i;
    }
    return out;
}

TimeText nowTimeFromFormatted(const std::string& formatted) {
    std::string text = formatted.substr(0, TimeText::kCapacity);
    if (text.size() == 7) text = "0" + text;
    return TimeText(text.substr(0, 5));
}
