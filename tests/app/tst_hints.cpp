#include "windowfixture.h"

#include "app/hintcontroller.h"

#include <QCursor>
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

// The hint showing once the program has handled events, been busy for `ms` and looked again:
// every timer due by then has fired, none later, however busy the machine. Hints fade in 300 ms.
QString hintAfter(int ms) {
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    for (int i = 0; i < 10; ++i) QCoreApplication::processEvents();
    return QToolTip::isVisible() ? QToolTip::text() : QString();
}

}  // namespace

// A hint comes after a short rest on a hinted control, at once on moving on while one shows
// (even as it expires); it goes on leaving the window or with hints off; coming back rests anew.
TEST_F(WindowTest, HintsComeAndGoAsThePointerMoves) {
    start();
    Form1->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form1, 30000));
    pointTo(Form1->Bevel1);
    pointTo(Form1->BtnUp);
    EXPECT_EQ(hintAfter(250), "１分進める") << "a rest of a tenth of a second";
    // Rests from here on are too long to end within the test.
    const int pause = HintController::instance().pause();
    HintController::instance().setPause(60000);
    pointTo(Form1->BtnDown);
    EXPECT_EQ(hintAfter(250), "１分戻す");
    // Its time runs out just as the pointer moves on: the next hint still comes.
    std::this_thread::sleep_for(std::chrono::milliseconds(HintController::kHidePause + 500));
    pointTo(Form1->BtnUp);
    EXPECT_EQ(hintAfter(250), "１分進める");
    QCursor::setPos(Form1->frameGeometry().topLeft() - QPoint(30, 30));
    EXPECT_EQ(hintAfter(400), "");
    pointTo(Form1->BtnDown);
    EXPECT_EQ(hintAfter(250), "") << "coming back waits the rest";
    HintController::instance().setPause(pause);
    pointTo(Form1->BtnUp);
    ASSERT_EQ(hintAfter(250), "１分進める");
    Form3->CheckHint->setChecked(false);
    Form1->ApplySettings();
    EXPECT_EQ(hintAfter(400), "");
}
