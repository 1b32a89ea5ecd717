#include "windowfixture.h"

#include "clock/imagecontrol.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QTest>

namespace {

// Which of the three icons are left visible, as "1", "2", "3", "13"...
std::string visibleIcons() {
    std::string shown;
    if (!Form4->ImgTimer1->isHidden()) shown += '1';
    if (!Form4->ImgTimer2->isHidden()) shown += '2';
    if (!Form4->ImgTimer3->isHidden()) shown += '3';
    return shown;
}

// Records the state of the switch at the moment the main window shows again.
class ShowSpy : public QObject {
public:
    std::vector<bool> switchAtShow;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) switchAtShow.push_back(Form1->switchIsOn());
        return false;
    }
};

}  // namespace

class MiniWindow : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        platform.setTime(6, 59, 55);
        start();
        Form1->AlarmTime = "07:00";
        Form1->show();
    }
    // Runs inside the mini window's modal showing.
    void whileMini(std::function<void()> body) {
        platform.onModal = [body](QWidget* window) {
            if (window == Form4) body();
        };
    }
};

TEST_F(MiniWindow, IconsFollowTheSwitchTickAfterTick) {
    struct Case {
        const char* name;
        bool arm;
        int startSecond;  // of 06:59 or 07:00
        int startMinute;
        std::vector<std::string> sequence;
    } cases[] = {
        {"switch OFF", false, 50, 59, {"1", "1", "1", "1"}},
        {"armed", true, 50, 59, {"2", "1", "2", "1"}},
        {"ringing", true, 10, 0, {"3", "1", "3", "1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform.setTime(c.startMinute == 0 ? 7 : 6, c.startMinute, c.startSecond);
        if (c.arm && !Form1->switchIsOn()) Form1->BtnSetClick();
        if (!c.arm && Form1->switchIsOn()) Form1->BtnSetClick();
        std::vector<std::string> seen;
        whileMini([&] {
            EXPECT_EQ(visibleIcons(), "1");
            EXPECT_TRUE(Form4->MiniMode);
            EXPECT_TRUE(Form1->isHidden());
            for (int i = 0; i < 4; ++i) {
                tickSeconds(1);
                seen.push_back(visibleIcons());
            }
            Form4->Open1->trigger();
        });
        // Each showing starts afresh, whatever was left visible last time.
        Form4->ImgTimer3->show();
        Form1->MiniClick();
        EXPECT_EQ(seen, c.sequence);
    }
}

TEST_F(MiniWindow, ShowingStartsWithTheCurrentTime) {
    platform.setTime(7, 42, 0);
    tickSeconds(1);
    whileMini([] { EXPECT_EQ(Form4->LblTimer->text(), QStringLiteral("07:42")); });
    Form1->MiniClick();
    EXPECT_FALSE(Form4->MiniMode);
    EXPECT_TRUE(Form1->isVisible());
}

TEST_F(MiniWindow, TheMenuEnablesWhatTheAlarmAllows) {
    struct Case {
        const char* name;
        bool arm;
        bool ring;
        bool stopEnabled;
        bool exitEnabled;
    } cases[] = {{"OFF", false, false, false, true},
                 {"armed", true, false, true, true},
                 {"ringing", true, true, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.arm != Form1->switchIsOn()) Form1->BtnSetClick();
        platform.setTime(c.ring ? 7 : 6, c.ring ? 0 : 59, 0);
        tickSeconds(1);
        ASSERT_EQ(Form1->Ringing, c.ring);
        Form4->PopTimerPopup();
        EXPECT_EQ(Form4->Stop1->isEnabled(), c.stopEnabled);
        EXPECT_EQ(Form4->Exit->isEnabled(), c.exitEnabled);
        EXPECT_TRUE(Form4->Open1->isEnabled());
    }
}

TEST_F(MiniWindow, OpenWhileRingingSwitchesOffBeforeTheMainWindowReturns) {
    ShowSpy spy;
    Form1->BtnSetClick();
    platform.setTime(7, 0, 5);
    whileMini([&] {
        tickSeconds(2);
        ASSERT_TRUE(Form1->Ringing);
        Form1->installEventFilter(&spy);
        Form4->Open1->trigger();
    });
    Form1->MiniClick();
    Form1->removeEventFilter(&spy);
    EXPECT_EQ(spy.switchAtShow, std::vector<bool>{false});
    EXPECT_FALSE(Form1->Ringing);
    EXPECT_FALSE(Form4->MiniMode);
}

TEST_F(MiniWindow, OpenWhileArmedLeavesTheAlarmArmed) {
    Form1->BtnSetClick();
    whileMini([] { Form4->Open1->trigger(); });
    Form1->MiniClick();
    EXPECT_TRUE(Form1->switchIsOn());
}

TEST_F(MiniWindow, AlarmOffKeepsTheWindowAndStopsTheHopping) {
    Form1->BtnSetClick();
    whileMini([&] {
        tickSeconds(1);
        EXPECT_EQ(visibleIcons(), "2");
        Form4->Stop1->trigger();
        EXPECT_FALSE(Form1->switchIsOn());
        EXPECT_TRUE(Form4->isVisible());
        EXPECT_TRUE(Form4->MiniMode);
        tickSeconds(1);
        EXPECT_EQ(visibleIcons(), "1");
        Form4->Open1->trigger();
    });
    Form1->MiniClick();
}

TEST_F(MiniWindow, ExitEndsThroughTheMainWindowsCloseQuery) {
    // Switch OFF: no question, the program ends.
    whileMini([] { Form4->Exit->trigger(); });
    Form1->MiniClick();
    EXPECT_TRUE(platform.confirmations.empty());
    EXPECT_EQ(platform.quits, 1);

    // Switch ON and the question declined: the program goes on...
    Form1->BtnSetClick();
    platform.confirmAnswers = {false};
    whileMini([] { Form4->Exit->trigger(); });
    Form1->MiniClick();
    EXPECT_EQ(platform.confirmations.size(), 1u);
    EXPECT_EQ(platform.quits, 1);
    EXPECT_TRUE(Form1->isVisible());
    // ...and leaving the mini window another time does not end it.
    whileMini([] { Form4->Open1->trigger(); });
    Form1->MiniClick();
    EXPECT_EQ(platform.confirmations.size(), 1u);
    EXPECT_EQ(platform.quits, 1);
}

TEST_F(MiniWindow, TheMenuOpensAtTheSamePlaceFromTheRightButtonOrTheKeyboard) {
    struct Case {
        const char* name;
        std::function<void()> act;
        bool opens;
    } cases[] = {
        {"right press on the icon",
         [] {
             QTest::mousePress(Form4, Qt::RightButton, {}, {12, 12});
         },
         true},
        {"right press on the label",
         [] {
             QTest::mousePress(Form4, Qt::RightButton, {}, {10, 40});
         },
         true},
        {"right press on the frame",
         [] {
             QTest::mousePress(Form4, Qt::RightButton, {}, {0, 0});
         },
         true},
        {"menu key", [] { QTest::keyClick(Form4->windowHandle(), Qt::Key_Menu); }, true},
        {"Shift+F10",
         [] { QTest::keyClick(Form4->windowHandle(), Qt::Key_F10, Qt::ShiftModifier); }, true},
        {"F10 alone", [] { QTest::keyClick(Form4->windowHandle(), Qt::Key_F10); }, false},
    };
    whileMini([&] {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Form4));
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            c.act();
            ASSERT_EQ(Form4->PopTimer->isVisible(), c.opens);
            if (!c.opens) continue;
            EXPECT_EQ(Form4->PopTimer->pos(), Form4->frameGeometry().topLeft() + QPoint(10, 10));
            Form4->PopTimer->hide();
        }
        Form4->Open1->trigger();
    });
    Form1->MiniClick();
}

// Without a window manager to move it (the offscreen platform has none either),
// the left drag on the client area moves the window by itself.
TEST_F(MiniWindow, ALeftDragOnTheClientAreaMovesTheWindow) {
    whileMini([] {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Form4));
        Form4->move(100, 120);
        QTest::mousePress(Form4, Qt::LeftButton, {}, {10, 10});
        QTest::mouseMove(Form4, {30, 25});
        QTest::mouseRelease(Form4, Qt::LeftButton, {}, {30, 25});
        EXPECT_EQ(Form4->pos(), QPoint(120, 135));
        // Moves after the release, and a drag from the frame, leave it where it is.
        QTest::mouseMove(Form4, {5, 5});
        QTest::mousePress(Form4, Qt::LeftButton, {}, {1, 1});
        QTest::mouseMove(Form4, {20, 20});
        QTest::mouseRelease(Form4, Qt::LeftButton, {}, {20, 20});
        EXPECT_EQ(Form4->pos(), QPoint(120, 135));
        Form4->Open1->trigger();
    });
    Form1->MiniClick();
}

TEST_F(MiniWindow, CentredFirstThenWhereItWasLeft) {
    whileMini([&] {
        EXPECT_EQ(Form4->size(), QSize(38, 50));
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        EXPECT_EQ(Form4->frameGeometry().center().x(), screen.center().x());
        Form4->move(100, 120);
        Form4->Open1->trigger();
    });
    Form1->MiniClick();
    whileMini([&] {
        EXPECT_EQ(Form4->pos(), QPoint(100, 120));
        Form4->Open1->trigger();
    });
    Form1->MiniClick();
}

TEST_F(MiniWindow, AWholeAlarmInMiniModeWithTheSwitchOpeningIt) {
    Form3->CheckTop->setChecked(true);
    platform.setTime(6, 59, 58);
    whileMini([&] {
        tickSeconds(2);  // armed: hopping
        platform.foreground.clear();
        platform.beeps.clear();
        tickSeconds(60);  // 07:00 rings
        EXPECT_EQ(platform.beepsOf(0), 60u);
        EXPECT_EQ(platform.foreground, std::vector<QWidget*>(60, Form4));
        tickSeconds(1);
        EXPECT_FALSE(Form1->switchIsOn());
        EXPECT_TRUE(Form4->isVisible());
        tickSeconds(1);  // the icons follow the switch from the next tick
        EXPECT_EQ(visibleIcons(), "1");
        Form4->Open1->trigger();
    });
    Form1->BtnSetClick();
    EXPECT_FALSE(Form4->MiniMode);
    EXPECT_EQ(platform.modals, std::vector<QWidget*>{Form4});
}
