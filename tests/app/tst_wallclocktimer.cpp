#include "app/wallclocktimer.h"

#include <QDateTime>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <chrono>
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
