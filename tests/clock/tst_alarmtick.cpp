#include "windowfixture.h"

#include "sound/audioengine.h"

#include <malloc.h>

#if defined(__SANITIZE_ADDRESS__)
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

class AlarmTick : public WindowTest {
protected:
    void arm() {
        Form1->AlarmTime = "07:00";
        QTest::mouseClick(Form1->BtnSet, Qt::LeftButton);
        ASSERT_TRUE(armed());
        platform.beeps.clear();  // the exclamation for the missing sound file
    }
    std::vector<QString> alarm7() const { return {QStringLiteral("07:00")}; }
};

// Armed, it wakes at second 58 to ready the sound; with no device the ring beeps from the start.
TEST_F(AlarmTick, WithoutASoundDeviceThePreparedRingBeeps) {
    ::setenv("SDL_AUDIODRIVER", "no_such_driver", 1);
    // A device that an earlier preparation opened is let go first.
    ASSERT_TRUE(QTest::qWaitFor([] { return !AudioEngine::instance().deviceOpen(); }, 60000));
    writeSound();
    startTicking(6, 58, 59);
    ASSERT_TRUE(Form1->WavReady);
    arm();
    passSeconds(59);
    AudioEngine::instance().sync();
    EXPECT_TRUE(platform.beeps.empty());
    passSeconds(2);
    EXPECT_EQ(platform.beeps, std::vector<unsigned>{0});
    // At the minute before, at its second 58 and at the alarm.
    EXPECT_EQ(platform.tickTimer->wakeUps, 3);
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
}

// Armed, the program sleeps until its next minute; a clock that is set wakes it at once:
// a jump into the alarm minute rings within a second, one out of it switches OFF.
TEST_F(AlarmTick, AClockSetWakesTheSleepingTick) {
    startTicking(6, 30, 10);
    arm();
    passSeconds(1);
    ASSERT_EQ(sleepsFor(), 49);

    platform.setTime(7, 0, 30);
    EXPECT_TRUE(QTest::qWaitFor([&] { return platform.beeps.size() == 1; }, 1000));
    EXPECT_EQ(Form1->LblNow->text(), QStringLiteral("07:00"));
    EXPECT_EQ(platform.foreground, std::vector<QWidget*>{Form1});

    platform.setTime(9, 15, 20);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !armed(); }, 1000));
    EXPECT_EQ(Form1->LblNow->text(), QStringLiteral("09:15"));
    EXPECT_EQ(platform.rang, alarm7());
    EXPECT_EQ(platform.beeps.size(), 1u);
    passSeconds(1);
    EXPECT_EQ(sleepsFor(), 39);
}

// Armed, it rings each second of its minute, bringing the window forward, then goes OFF leaving a
// trace; OFF, silent; OFF from the notification, no trace. Its own timer wakes it throughout.
TEST_F(AlarmTick, RingsItsWholeMinuteThenSwitchesOff) {
    startTicking(6, 59, 58);
    arm();
    const QImage face = Form1->ImgNow->grab().toImage();
    passSeconds(1);
    EXPECT_TRUE(platform.beeps.empty());
    passSeconds(60);
    EXPECT_EQ(platform.beeps, std::vector<unsigned>(60, 0));
    EXPECT_EQ(platform.foreground, std::vector<QWidget*>(60, Form1));
    EXPECT_EQ(platform.ringing, alarm7());
    EXPECT_EQ(Form1->LblNow->text(), QStringLiteral("07:00"));
    EXPECT_NE(Form1->ImgNow->grab().toImage(), face);
    passSeconds(1);
    EXPECT_FALSE(armed());
    EXPECT_EQ(platform.rang, alarm7());
    // The next day, OFF: silent.
    platform.now = {7, 0, 0, 0, 1};
    passSeconds(5);
    EXPECT_EQ(platform.beeps.size(), 60u);
    // Armed in its minute, it rings from the next second; the notification's OFF never arms.
    platform.now = {7, 0, 0, 0, 2};
    passSeconds(1);
    arm();
    passSeconds(4);
    platform.onAlarmOffRequested();
    platform.onAlarmOffRequested();
    EXPECT_FALSE(armed());
    passSeconds(60);
    EXPECT_EQ(platform.beeps.size(), 4u);
    EXPECT_EQ(platform.rang, alarm7());
    // Then the clock is set over the alarm minute: nothing rings late, the desktop is told.
    platform.now = {6, 59, 57, 0, 3};
    arm();
    passSeconds(2);
    EXPECT_TRUE(platform.missed.empty());
    platform.setTime(7, 1, 0);
    QCoreApplication::processEvents();  // the tick lands right after the alarm minute
    passSeconds(60);
    EXPECT_TRUE(platform.beeps.empty());
    EXPECT_EQ(platform.missed, alarm7());
    // Switched OFF, a jump over the alarm minute is no one's concern.
    QTest::mouseClick(Form1->BtnSet, Qt::LeftButton);
    platform.now = {6, 59, 57, 0, 4};
    passSeconds(2);
    platform.setTime(7, 1, 0);
    passSeconds(2);
    EXPECT_EQ(platform.missed, alarm7());
}

// With the mini timer asked for, arming switches to it: it hops while armed, flashes while
// ringing, its label follows the clock; the timer wakes it every second, at rest each minute.
TEST_F(AlarmTick, TheMiniTimerHopsFlashesAndFollowsTheClock) {
    startTicking(6, 59, 58);
    Form3->CheckTop->setChecked(true);
    std::string seen;
    QString label;
    platform.onModal = [&](QWidget* window) {
        if (window != Form4) return;
        for (int i = 0; i < 63; ++i) passSeconds(1), seen += icons() + ' ';
        label = Form4->LblTimer->text();
        EXPECT_EQ(sleepsFor(), 59);
    };
    Form1->AlarmTime = "07:00";
    QTest::mouseClick(Form1->BtnSet, Qt::LeftButton);
    std::string ringing;
    for (int i = 0; i < 30; ++i) ringing += "1 3 ";
    EXPECT_EQ(seen, "2 " + ringing + "1 1 ");
    EXPECT_EQ(label, QStringLiteral("07:01"));
    EXPECT_EQ(platform.foreground, std::vector<QWidget*>(60, Form4));
}

// Days of ticks with an alarm every hour hold no more memory on the second day.
TEST_F(AlarmTick, DaysOfAlarmsHoldNoMoreMemory) {
#if defined(__SANITIZE_ADDRESS__)
    const auto heapInUse = [] { return __sanitizer_get_current_allocated_bytes(); };
#else
    const auto heapInUse = [] { return mallinfo2().uordblks; };
#endif
    platform.setTime(0, 0, 0);
    start(false);
    std::size_t heap[2] = {};
    for (int second = 0; second < 2 * 86400; ++second) {
        const LocalTime& now = platform.now;
        if (now.minute == 30 && now.second == 0) {
            Form1->AlarmTime = qPrintable(QTime((now.hour + 1) % 24, 0).toString("hh:mm"));
            Form1->BtnSetClick();
        }
        Form1->Timer1Timer();
        platform.advance(1);
        if (second % 86400 == 86399) heap[second / 86400] = heapInUse();
    }
    EXPECT_EQ(platform.rang.size(), 47u);
    EXPECT_LT(heap[1], heap[0] + 64 * 1024);
}
