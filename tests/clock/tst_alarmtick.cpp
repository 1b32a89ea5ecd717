#include "windowfixture.h"

#include "app/errors.h"
#include "clock/shapecontrol.h"

#include <QComboBox>
#include <QTest>

namespace {

bool settingControlsEnabled() {
    return Form1->ShapeSet->isEnabled() && Form1->BtnUp->isEnabled() &&
           Form1->BtnDown->isEnabled() && Form1->Btn5Up->isEnabled() &&
           Form1->Btn5Down->isEnabled() && Form1->ComboBox1->isEnabled();
}

}  // namespace

class AlarmTick : public WindowTest {
protected:
    void armAt(const char* alarmTime) {
        Form1->AlarmTime = alarmTime;
        Form1->BtnSetClick();
        ASSERT_TRUE(Form1->switchIsOn());
    }
};

TEST_F(AlarmTick, RingsEverySecondOfTheAlarmMinuteAndThenSwitchesOff) {
    start();
    armAt("07:00");
    platform.beeps.clear();
    EXPECT_FALSE(settingControlsEnabled());

    // GIVEN the clock running from 06:58:31 to 07:02:00, second by second
    platform.setTime(6, 58, 31);
    int rewrites = 0;
    while (!(platform.now.hour == 7 && platform.now.minute == 2 && platform.now.second == 1)) {
        const LocalTime at = platform.now;
        const std::size_t foregroundBefore = platform.foreground.size();
        Form1->LblNow->setText(QStringLiteral("*"));
        Form1->Timer1Timer();
        const bool rewritten = Form1->LblNow->text() != QStringLiteral("*");
        const bool alarmMinute = at.hour == 7 && at.minute == 0;
        // THEN the label is rewritten at each new minute, and every second of the alarm minute
        EXPECT_EQ(rewritten, alarmMinute || at.second == 0)
            << at.hour << ":" << at.minute << ":" << at.second;
        rewrites += rewritten;
        EXPECT_EQ(platform.foreground.size() - foregroundBefore, alarmMinute ? 1u : 0u);
        EXPECT_EQ(Form1->Ringing, alarmMinute);
        if (at.hour == 7 && at.minute == 1 && at.second == 0) {
            EXPECT_FALSE(Form1->switchIsOn());
            EXPECT_EQ(Form1->BtnSet->y(), 184);
            EXPECT_TRUE(settingControlsEnabled());
            EXPECT_EQ(Form1->ComboBox1->currentText(), QStringLiteral("Minute"));
        }
        platform.advance(1);
    }
    EXPECT_EQ(platform.beepsOf(0), 60u);
    EXPECT_EQ(platform.beeps.size(), 60u);
    EXPECT_EQ(rewrites, 60 + 3);
    for (QWidget* window : platform.foreground) EXPECT_EQ(window, Form1);
    EXPECT_EQ(platform.ringing, std::vector<QString>{QStringLiteral("07:00")});
    EXPECT_EQ(platform.rang, std::vector<QString>{QStringLiteral("07:00")});
    EXPECT_TRUE(platform.missed.empty());
    EXPECT_FALSE(Form1->Ringing);
}

TEST_F(AlarmTick, ArmingInsideTheAlarmMinuteRingsFromTheNextTick) {
    platform.setTime(7, 0, 20);
    start();
    Form1->AlarmTime = "07:00";
    platform.beeps.clear();  // the missing sound file's exclamation
    tickSeconds(5);
    EXPECT_TRUE(platform.beeps.empty());
    Form1->BtnSetClick();
    EXPECT_TRUE(platform.beeps.empty());
    tickSeconds(35);
    EXPECT_EQ(platform.beepsOf(0), 35u);
    tickSeconds(1);
    EXPECT_FALSE(Form1->switchIsOn());
}

TEST_F(AlarmTick, DisarmingStopsAtOnceAndRearmingRingsAgain) {
    platform.setTime(6, 59, 58);
    start();
    armAt("07:00");
    tickSeconds(12);  // 06:59:58 .. 07:00:09: ten rings
    EXPECT_EQ(platform.beepsOf(0), 10u);
    Form1->BtnSetClick();
    EXPECT_FALSE(Form1->Ringing);
    EXPECT_EQ(platform.silenced, 1 + 1);  // start-up shows the switch OFF too
    tickSeconds(5);
    EXPECT_EQ(platform.beepsOf(0), 10u);
    Form1->BtnSetClick();
    tickSeconds(3);
    EXPECT_EQ(platform.beepsOf(0), 13u);
    // Switched off by the user: the user knows it rang, no trace is left.
    Form1->BtnSetClick();
    tickSeconds(60);
    EXPECT_TRUE(platform.rang.empty());
}

TEST_F(AlarmTick, AMinuteWithoutATickIsNotMadeUp) {
    platform.setTime(6, 59, 58);
    start();
    armAt("07:00");
    platform.beeps.clear();
    tickSeconds(2);
    platform.setTime(7, 1, 0);  // suspended over the alarm minute
    tickSeconds(120);
    EXPECT_TRUE(platform.beeps.empty());
    EXPECT_TRUE(Form1->switchIsOn());
    // ...but the first tick after the jump says so, once.
    EXPECT_EQ(platform.missed, std::vector<QString>{QStringLiteral("07:00")});
    platform.now = {7, 0, 0, 0, platform.now.day + 1};  // the next day
    tickSeconds(60);
    EXPECT_EQ(platform.beepsOf(0), 60u);
    tickSeconds(1);
    EXPECT_FALSE(Form1->switchIsOn());
    EXPECT_EQ(platform.missed.size(), 1u);
    EXPECT_EQ(platform.rang, std::vector<QString>{QStringLiteral("07:00")});
}

// Summer time, a clock set by hand, a resume: whatever the clock does, a beep
// sounds only in a minute equal to the alarm time; a ringing that ends leaves a
// "rang" trace and an alarm minute jumped over a "missed" one.
TEST_F(AlarmTick, ClockFaultsNeverRingOutsideTheAlarmMinute) {
    struct Fault {
        const char* name;
        int startH, startM, startS;
        int jumpAfter;      // ticks before the jump
        int jumpSeconds;    // how far the clock jumps
        std::size_t beeps;  // rings in all
        std::size_t rang, missed;
    } faults[] = {
        {"back an hour inside the alarm minute", 7, 0, 0, 10, -3600, 10, 1, 0},
        {"back an hour before the alarm minute", 6, 59, 0, 30, -3600, 60, 1, 0},
        {"forward an hour over the alarm minute", 6, 59, 0, 30, 3600, 0, 0, 1},
        {"forward an hour inside the alarm minute", 7, 0, 0, 20, 3600, 20, 1, 0},
        {"a day forward inside the alarm minute", 7, 0, 0, 5, 86400, 5 + 55, 1, 0},
        {"three days asleep over the alarm minute", 6, 59, 50, 5, 3 * 86400 + 120, 0, 0, 1},
        {"a ten-minute gap over the alarm minute", 6, 55, 0, 240, 600, 0, 0, 1},
        {"a repeated minute after the alarm", 7, 0, 58, 4, -60, 2, 1, 0},
    };
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.name);
        platform = FakePlatform();
        platform.exe = folder.filePath(QStringLiteral("pipiron"));
        platform.setTime(f.startH, f.startM, f.startS);
        start(false);
        armAt("07:00");
        platform.beeps.clear();
        std::size_t rangOutside = 0;
        for (int i = 0; i < 7200; ++i) {
            if (i == f.jumpAfter) platform.advance(f.jumpSeconds);
            const bool alarmMinute = platform.now.hour == 7 && platform.now.minute == 0;
            const std::size_t before = platform.beeps.size();
            Form1->Timer1Timer();
            if (!alarmMinute && platform.beeps.size() != before) ++rangOutside;
            platform.advance(1);
        }
        EXPECT_EQ(rangOutside, 0u);
        EXPECT_EQ(platform.beeps.size(), f.beeps);
        EXPECT_EQ(platform.rang.size(), f.rang);
        EXPECT_EQ(platform.missed.size(), f.missed);
        windows.reset();
    }
}

TEST_F(AlarmTick, AnErrorInATickIsShownAndTheClockGoesOn) {
    platform.setTime(9, 5, 7);
    start();
    // A 12-hour picture makes a current time that is not "HH:MM".
    Form1->timeLocale.picture = "h:mm:ss tt";
    platform.setTime(9, 6, 0);
    Form1->Timer1->start(1);
    QTest::qWait(30);
    Form1->Timer1->stop();
    ASSERT_FALSE(platform.errors.empty());
    EXPECT_EQ(platform.errors.front(), QStringLiteral("'9:' は整数ではありません"));
    Form1->timeLocale = TimeLocale{};
    platform.setTime(9, 7, 0);
    Form1->Timer1->start(1);
    QTest::qWait(30);
    Form1->Timer1->stop();
    EXPECT_EQ(Form1->LblNow->text(), QStringLiteral("09:07"));
}

TEST_F(AlarmTick, StartUpShowsTheTimeBeforeTheTimerFires) {
    platform.setTime(10, 10, 42);
    start();
    EXPECT_EQ(Form1->LblNow->text(), QStringLiteral("10:10"));
    EXPECT_EQ(lblSet(), "10:10");
    EXPECT_EQ(alarm(), "10:10");
    EXPECT_EQ(Form1->BtnSet->text(), QStringLiteral("OFF"));
    EXPECT_EQ(Form1->ImgSet->picture(), Form1->ImgNow->picture());
}

// Nothing is pushed to the screen when nothing on it changes: the start-up
// minute equals the alarm time, so its ticks run the whole redraw.
TEST_F(AlarmTick, ATickThatChangesNothingRepaintsNothing) {
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            paints += event->type() == QEvent::Paint;
            return false;
        }
    } counter;
    platform.setTime(10, 10, 5);
    start();
    Form1->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form1));
    Form1->ImgNow->installEventFilter(&counter);
    Form1->LblNow->installEventFilter(&counter);
    for (int second = 6; second < 60; second += 9) {
        platform.setTime(10, 10, second);
        Form1->Timer1Timer();
        QTest::qWait(1);
    }
    EXPECT_EQ(counter.paints, 0);
    platform.setTime(10, 11, 0);
    Form1->Timer1Timer();
    QTest::qWait(1);
    EXPECT_EQ(counter.paints, 2);
    EXPECT_EQ(Form1->LblNow->text(), QStringLiteral("10:11"));
}

TEST_F(AlarmTick, TheTickStaysOnTheWholeSecond) {
    platform.now = {8, 0, 0, 730};
    start();
    Form1->Timer1->start(1);
    QTest::qWait(20);
    // Re-armed from the clock: 270 ms to the next second, and a few more.
    EXPECT_GE(Form1->Timer1->remainingTime(), 250);
    EXPECT_LE(Form1->Timer1->remainingTime(), 275);
    EXPECT_EQ(Form1->Timer1->interval(), 1000 - 730 + 5);
    Form1->Timer1->stop();
}

TEST_F(AlarmTick, EachFaceIsDrawnAloneAndAMalformedTimeDrawsNothing) {
    platform.setTime(10, 10, 0);
    start();
    const QImage left = Form1->ImgNow->picture();
    Form1->AlarmTime = "03:00";
    Form1->BtnUpClick();
    EXPECT_EQ(Form1->ImgNow->picture(), left);
    const QImage right = Form1->ImgSet->picture();
    EXPECT_NE(right, left);
    platform.setTime(11, 45, 0);
    tickSeconds(1);
    EXPECT_EQ(Form1->ImgSet->picture(), right);
    EXPECT_NE(Form1->ImgNow->picture(), left);

    const QImage work = Form1->ImgBK->picture();
    const QImage now = Form1->ImgNow->picture();
    for (const char* malformed : {"9:05:", "", "ab:cd", "12:5x"}) {
        try {
            Form1->DrawClock(true, malformed);
            ADD_FAILURE() << malformed;
        } catch (const EConvertError&) {
        }
        EXPECT_EQ(Form1->ImgBK->picture(), work);
        EXPECT_EQ(Form1->ImgNow->picture(), now);
        EXPECT_EQ(Form1->ImgSet->picture(), right);
    }
}
