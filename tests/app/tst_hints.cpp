#include "windowfixture.h"

#include "clock/shapecontrol.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QTest>
#include <QToolTip>
#include <QWindow>

#include <functional>

class Hints : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        start();
        Form1->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Form1));
    }
    // The pointer moves onto a control, as the window system reports it.
    static void pointTo(QWidget* control) {
        QCursor::setPos(control->mapToGlobal(QPoint(4, 4)));
        QTest::mouseMove(Form1->windowHandle(), control->mapTo(Form1, QPoint(4, 4)));
    }
    // Straight out of the window onto the desktop.
    static void leaveWindow() {
        QCursor::setPos(Form1->frameGeometry().topLeft() - QPoint(30, 30));
    }
    // Milliseconds until the hint shows `text` (or, for an empty text, is gone), or -1.
    static int msUntilHint(const QString& text, int limit) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() <= limit) {
            const bool shows = QToolTip::isVisible() && QToolTip::text() == text;
            if (text.isEmpty() ? !QToolTip::isVisible() : shows) return int(clock.elapsed());
            QTest::qWait(1);
        }
        return -1;
    }
};

// 100 ms of rest on a hinted control, 50 ms when moving on while a hint shows, hidden
// after 2500 ms; every entry counts, also one straight from outside the window.
TEST_F(Hints, EachEntryShowsTheHintWithTheProgramsTiming) {
    const QString up = QStringLiteral("１分進める"), down = QStringLiteral("１分戻す");
    struct Step {
        const char* what;
        std::function<void()> act;
        QString hint;  // empty: the hint is gone
        int earliest;
        int latest;
    };
    std::vector<Step> steps{
        {"resting on 1>", [] { pointTo(Form1->BtnUp); }, up, 95, 600},
        {"moving on to <1 while it shows", [] { pointTo(Form1->BtnDown); }, down, 45, 94}};
    for (int i = 0; i < 3; ++i) {
        steps.push_back({"out of the window", [] { leaveWindow(); }, {}, 0, 400});
        steps.push_back({"back onto <1", [] { pointTo(Form1->BtnDown); }, down, 95, 600});
    }
    steps.push_back({"resting on <1", [] {}, {}, 2250, 3300});
    steps.push_back({"moving on to 1>", [] { pointTo(Form1->BtnUp); }, up, 95, 600});
    steps.push_back({"hints switched off",
                     [] {
                         Form3->CheckHint->setChecked(false);
                         Form1->ApplySettings();
                     },
                     {},
                     0,
                     400});

    pointTo(Form1->Bevel1);
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        const int ms = msUntilHint(step.hint, step.latest);
        EXPECT_GE(ms, step.earliest);
        EXPECT_NE(ms, -1);
    }
    pointTo(Form1->Btn5Up);
    QTest::qWait(300);
    EXPECT_FALSE(QToolTip::isVisible());
}

TEST_F(Hints, TheHandleShowsTheHandCursor) {
    const QCursor cursor = Form1->ShapeSet->cursor();
    EXPECT_EQ(cursor.shape(), Qt::BitmapCursor);
    EXPECT_EQ(cursor.hotSpot(), QPoint(0, 0));
    EXPECT_EQ(cursor.pixmap().size(), QSize(32, 32));
    EXPECT_NE(Form1->ImgSet->cursor().shape(), Qt::BitmapCursor);
}
