#include "app/localclock.h"

#include <QDate>
#include <QDateTime>

#include <ctime>

LocalTime readLocalClock() {
    // Read through the C library: Qt's local time also runs mktime and reads the zone
    // twice, and an idle clock pays for every page it touches once a minute.
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tzset();  // follows a zone changed since the last reading
    tm local{};
    if (!localtime_r(&now.tv_sec, &local)) {
        const QDateTime read = QDateTime::currentDateTime();
        return {read.time().hour(), read.time().minute(),           read.time().second(),
                read.time().msec(), int(read.date().toJulianDay()), read.toSecsSinceEpoch()};
    }
    return {local.tm_hour,
            local.tm_min,
            local.tm_sec,
            int(now.tv_nsec / 1000000),
            int(QDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday).toJulianDay()),
            now.tv_sec};
}
