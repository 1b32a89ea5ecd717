#include "windowfixture.h"

#include "app/hintcontroller.h"
#include "clock/shapecontrol.h"

#include <QTest>
#include <QToolTip>

class Hints : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        start();
        Form1->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Form1));
    }
    void restOn(QWidget* control) {
        QTest::mouseMove(Form1, control->mapTo(Form1, QPoint(3, 3)));
        QTest::mouseMove(control, QPoint(4, 4));
    }
};

TEST_F(Hints, TheProgramsTimingAndOneSwitchForAll) {
    HintController& hints = HintController::instance();
    EXPECT_EQ(hints.delayFor(false), 100);
    EXPECT_EQ(hints.delayFor(true), 50);
    EXPECT_EQ(HintController::kHidePause, 2500);

    restOn(Form1->BtnUp);
    QTRY_VERIFY_WITH_TIMEOUT(QToolTip::isVisible(), 1000);
    EXPECT_EQ(QToolTip::text(), QStringLiteral("１分進める"));
    restOn(Form1->LblSet);
    QTRY_COMPARE_WITH_TIMEOUT(QToolTip::text(), QStringLiteral("アラーム時刻"), 1000);
    QTRY_VERIFY_WITH_TIMEOUT(!QToolTip::isVisible(), 4000);

    Form3->CheckHint->setChecked(false);
    Form1->ApplySettings();
    restOn(Form1->Btn5Up);
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
