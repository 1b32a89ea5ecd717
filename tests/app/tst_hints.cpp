#include "windowfixture.h"

#include "app/hintcontroller.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QTest>
#include <QToolTip>
#include <QWindow>

namespace {

// The pointer moves onto a control, as the window system reports it.
void pointTo(QWidget* control) {
    QCursor::setPos(control->mapToGlobal(QPoint(4, 4)));
    QTest::mouseMove(Form1->windowHandle(), control->mapTo(Form1, QPoint(4, 4)));
}

// Milliseconds until the hint shows `text` (or, for an empty text, is gone), or -1.
int msUntilHint(const QString& text, int limit) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() <= limit) {
        if (text.isEmpty() ? !QToolTip::isVisible()
                           : QToolTip::isVisible() && QToolTip::text() == text)
            return int(clock.elapsed());
        QTest::qWait(1);
    }
    return -1;
}

}  // namespace

// A hint comes after a short rest on a hinted control, sooner when the pointer moves on
// while one shows; it goes when the pointer leaves the window or hints are switched off.
TEST_F(WindowTest, HintsComeAndGoAsThePointerMoves) {
    start();
    Form1->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form1));
    const QString up = "１分進める", down = "１分戻す";
    pointTo(Form1->Bevel1);
    for (int entry = 0; entry < 2; ++entry) {
        pointTo(entry ? Form1->BtnDown : Form1->BtnUp);
        const int ms = msUntilHint(entry ? down : up, 1000);
        EXPECT_GE(ms, 90);
        EXPECT_LT(ms, 450);
        // Moving on while it shows: quicker than even a long rest.
        HintController::instance().setPause(2000);
        pointTo(entry ? Form1->BtnUp : Form1->BtnDown);
        EXPECT_NE(msUntilHint(entry ? up : down, 1000), -1);
        HintController::instance().setPause(100);
        // Straight out of the window: gone, and coming back is a new entry.
        QCursor::setPos(Form1->frameGeometry().topLeft() - QPoint(30, 30));
        EXPECT_NE(msUntilHint({}, 400), -1);
    }
    pointTo(Form1->BtnUp);
    ASSERT_NE(msUntilHint(up, 1000), -1);
    Form3->CheckHint->setChecked(false);
    Form1->ApplySettings();
    EXPECT_NE(msUntilHint({}, 400), -1);
    pointTo(Form1->Btn5Up);
    QTest::qWait(300);
    EXPECT_FALSE(QToolTip::isVisible());
}
