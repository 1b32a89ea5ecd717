#include "app/localclock.h"
#include "app/wallclocktimer.h"

#include <QDateTime>
#include <QSignalSpy>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

// The tick's timer wakes at the clock's whole second, at once for one past; stopped, it sleeps.
TEST(WallClockTimer, WakesAtTheWholeSecondOfTheClock) {
    WallClockTimer timer;
    QSignalSpy woken(&timer, &TickTimer::timeout);
    qint64 wokenAt = 0;
    QObject::connect(&timer, &TickTimer::timeout, &timer,
                     [&] { wokenAt = QDateTime::currentMSecsSinceEpoch(); });
    // Set late in a second: a timer counting a second from then would wake far too late.
    while (QDateTime::currentMSecsSinceEpoch() % 1000 < 800)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const long long next = QDateTime::currentSecsSinceEpoch() + 1;
    timer.startAt(next);
    ASSERT_TRUE(woken.wait(2000));
    EXPECT_GE(wokenAt, next * 1000);
    EXPECT_LT(wokenAt, next * 1000 + 700);

    timer.startAt(next - 60);
    EXPECT_TRUE(woken.wait(500));

    timer.startAt(QDateTime::currentSecsSinceEpoch() + 1);
    timer.stop();
    EXPECT_FALSE(woken.wait(1100));
    EXPECT_EQ(woken.size(), 2);
}

// A zone changed while the clock runs (here by TZ) is the zone of the next reading.
TEST(LocalClock, ReadsTheZoneAsItIsNow) {
    for (const auto& [zone, hoursAhead] :
         {std::pair{"UTC0", 0}, {"JST-9", 9}, {"EST5", -5}, {"UTC0", 0}}) {
        setenv("TZ", zone, 1);
        const LocalTime read = readLocalClock();
        EXPECT_NEAR(read.epochSecond, QDateTime::currentSecsSinceEpoch(), 1) << zone;
        const QDateTime local = QDateTime::fromSecsSinceEpoch(read.epochSecond, QTimeZone::utc())
                                    .addSecs(hoursAhead * 3600);
        EXPECT_EQ(QTime(read.hour, read.minute, read.second), local.time()) << zone;
        EXPECT_EQ(read.day, local.date().toJulianDay()) << zone;
    }
}
