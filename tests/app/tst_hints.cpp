#include "windowfixture.h"

#include "app/hintcontroller.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QTest>
#include <QToolTip>
#include <QWindow>

#include <chrono>
#include <thread>

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
    const auto shown = [&] { return QToolTip::isVisible() ? QToolTip::text() : QString(); };
    return QTest::qWaitFor([&] { return shown() == text; }, limit) ? int(clock.elapsed()) : -1;
}

}  // namespace

// A hint comes after a short rest on a hinted control, sooner when the pointer moves on
// while one shows, also as its time runs out; it goes when the pointer leaves the window
// or hints are switched off.
TEST_F(WindowTest, HintsComeAndGoAsThePointerMoves) {
    start();
    Form1->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form1, 30000));
    pointTo(Form1->Bevel1);
    pointTo(Form1->BtnUp);
    const int ms = msUntilHint("１分進める", 1000);
    EXPECT_GE(ms, 90);
    EXPECT_LT(ms, 480);
    // Moving on while it shows: quicker than even a long rest.
    const int pause = HintController::instance().pause();
    HintController::instance().setPause(2000);
    pointTo(Form1->BtnDown);
    EXPECT_NE(msUntilHint("１分戻す", 1000), -1);
    // Its time runs out just as the pointer moves on (the program was busy meanwhile):
    // the next hint still comes.
    std::this_thread::sleep_for(std::chrono::milliseconds(HintController::kHidePause + 500));
    pointTo(Form1->BtnUp);
    EXPECT_NE(msUntilHint("１分進める", 1000), -1);
    HintController::instance().setPause(pause);
    // Straight out of the window: gone, and coming back is a new entry.
    QCursor::setPos(Form1->frameGeometry().topLeft() - QPoint(30, 30));
    EXPECT_NE(msUntilHint({}, 1200), -1);
    pointTo(Form1->BtnDown);
    ASSERT_GE(msUntilHint("１分戻す", 1000), 90);
    Form3->CheckHint->setChecked(false);
    Form1->ApplySettings();
    EXPECT_NE(msUntilHint({}, 1200), -1);
}
