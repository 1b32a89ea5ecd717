#include "windowfixture.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>

namespace {

// What the menu offers once opened; it opens 10 pixels right of and below the corner.
std::string menu() {
    QString offered;
    if (!Form4->PopTimer->isVisible()) return {};
    EXPECT_EQ(Form4->PopTimer->pos(), Form4->frameGeometry().topLeft() + QPoint(10, 10));
    for (const QAction* action : Form4->PopTimer->actions())
        if (action->isEnabled() && !action->isSeparator()) offered += action->text() + ' ';
    Form4->PopTimer->hide();
    return offered.trimmed().toStdString();
}

}  // namespace

// One alarm through the mini timer: arming opens it in place of the main window, showing the
// time at once; it hops while armed, flashes while ringing, rests once OFF; its menu offers what
// the alarm allows; 開く switches a ringing alarm off, and 終了 ends the program.
TEST_F(WindowTest, TheMiniTimerThroughAWholeAlarm) {
    platform.setTime(6, 59, 50);
    start();
    Form3->CheckTop->setChecked(true);
    Form1->show();
    QTest::mouseClick(Form1->BtnUp, Qt::LeftButton);
    ASSERT_EQ(Form1->AlarmTime.str(), "07:00");
    std::vector<std::function<void()>> showings = {
        [&] {
            EXPECT_TRUE(Form1->isHidden());
            EXPECT_EQ(Form4->LblTimer->text(), "06:59");
            EXPECT_EQ(Form4->frameGeometry().center(),
                      QGuiApplication::primaryScreen()->geometry().center());
            std::vector<std::string> seen{icons()};
            for (int tick = 0; tick < 3; ++tick) tickSeconds(1), seen.push_back(icons());
            EXPECT_EQ(seen, (std::vector<std::string>{"1", "2", "1", "2"}));
            // Without a window manager to move it, a drag on it moves it by itself.
            Form4->move(100, 120);
            QTest::mousePress(Form4, Qt::LeftButton, {}, {10, 10});
            QTest::mouseMove(Form4, {30, 25});
            QTest::mouseRelease(Form4, Qt::LeftButton, {}, {30, 25});
        },
        [&] {
            EXPECT_EQ(icons(), "1") << "a new showing starts at rest";
            EXPECT_EQ(Form4->pos(), QPoint(120, 135));
            QTest::keyClick(Form4->windowHandle(), Qt::Key_Menu);
            EXPECT_EQ(menu(), "開く アラームＯＦＦ 終了");
            tickSeconds(9);
            ASSERT_EQ(Form4->LblTimer->text(), "07:00");
            EXPECT_EQ(icons(), "3");
            QTest::keyClick(Form4->windowHandle(), Qt::Key_F10, Qt::ShiftModifier);
            EXPECT_EQ(menu(), "開く アラームＯＦＦ");
        },
        [&] {
            tickSeconds(1);
            EXPECT_EQ(icons(), "2");
            QTest::mousePress(Form4, Qt::RightButton, {}, {10, 40});
            QTest::mouseClick(Form4->PopTimer, Qt::LeftButton, {},
                              Form4->PopTimer->actionGeometry(Form4->Stop1).center());
            tickSeconds(1);
            EXPECT_EQ(icons(), "1");
            QTest::mousePress(Form4, Qt::RightButton, {}, {10, 40});
            EXPECT_EQ(menu(), "開く 終了");
            Form4->Exit->trigger();
        },
    };
    std::size_t showing = 0;
    platform.onModal = [&](QWidget* window) {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window, 30000));
        showings.at(showing++)();
        if (Form4->MiniMode) Form4->Open1->trigger();
    };
    QTest::mouseClick(Form1->BtnSet, Qt::LeftButton);
    EXPECT_TRUE(Form1->switchIsOn()) << "開く leaves an armed alarm armed";
    EXPECT_TRUE(Form1->isVisible());
    Form1->Mini->trigger();
    EXPECT_FALSE(Form1->switchIsOn()) << "開く switches a ringing alarm off";
    QTest::mouseClick(Form1->BtnUp, Qt::LeftButton);
    QTest::mouseClick(Form1->BtnSet, Qt::LeftButton);
    EXPECT_EQ(platform.quits, 1);
}
