#include "windowfixture.h"

#include "clock/imagecontrol.h"
#include "clock/shapecontrol.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFrame>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTest>

#include <array>
#include <cmath>

class AlarmControls : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        platform.setTime(8, 0, 0);
        start();
        Form1->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Form1));
    }

    // The handle's centre is where every gesture starts.
    QPoint handleCentre() const { return QPoint(6, 6); }
    void press(Qt::MouseButton button = Qt::LeftButton) {
        QTest::mousePress(Form1->ShapeSet, button, {}, handleCentre());
    }
    void moveBy(double dx, double dy) {
        QTest::mouseMove(Form1->ShapeSet,
                         handleCentre() + QPoint(int(std::lround(dx)), int(std::lround(dy))));
    }
    void release(Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseRelease(Form1->ShapeSet, button, {}, handleCentre());
    }
    // Whole turns around the press point, starting straight up.
    void circle(double radius, int turns, bool clockwise) {
        for (int step = 0; step <= 72 * turns; ++step) {
            const double degrees = -90.0 + (clockwise ? 5.0 : -5.0) * step;
            const double a = degrees * M_PI / 180.0;
            moveBy(radius * std::cos(a), radius * std::sin(a));
        }
    }
    void setAlarm(const char* time) {
        Form1->AlarmTime = time;
        Form1->LblSet->setText(QString::fromLatin1(time));
    }
    void typeInBox(const QString& keys) {
        Form1->ComboBox1->setFocus();
        QTest::keyClick(Form1->ComboBox1, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(Form1->ComboBox1, keys);
    }
};

TEST_F(AlarmControls, CirclingTheHandleTurnsTheAlarmInTenMinuteSteps) {
    struct Case {
        double radius;
        bool clockwise;
        const char* after;
    } cases[] = {{80, true, "09:40"},   // two turns: +160
                 {80, false, "04:20"},  // -160
                 {40, true, "05:40"},   // -80: four trips into the dead zone a turn
                 {40, false, "05:40"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.radius);
        setAlarm("07:00");
        press();
        circle(c.radius, 2, c.clockwise);
        release();
        EXPECT_EQ(alarm(), c.after);
        EXPECT_EQ(lblSet(), c.after);
        EXPECT_FALSE(Form1->Dragging);
    }
}

TEST_F(AlarmControls, EachChangeOfSectorIsOneStep) {
    struct Case {
        QPoint first;
        QPoint second;
        const char* after;
    } cases[] = {{{40, -40}, {0, 60}, "07:10"},    // 2 to 5: forward
                 {{-60, 0}, {0, -60}, "06:50"},    // 7 to 1: back
                 {{-40, -40}, {0, -60}, "07:10"},  // 8 to 1: forward
                 {{60, 0}, {0, 0}, "06:50"},       // 3 into the dead zone: back
                 {{60, 0}, {61, 1}, "07:00"}};     // the first sector only sets the reference
    for (const Case& c : cases) {
        setAlarm("07:00");
        press();
        moveBy(c.first.x(), c.first.y());
        EXPECT_EQ(alarm(), "07:00");
        moveBy(c.second.x(), c.second.y());
        release();
        EXPECT_EQ(alarm(), c.after) << c.first.x() << "," << c.first.y();
    }
}

TEST_F(AlarmControls, PressingTheHandleRoundsUpToTheNextTenMinutes) {
    struct Case {
        const char* before;
        const char* after;
        bool redrawn;
    } cases[] = {{"07:43", "07:50", true}, {"23:55", "00:00", true}, {"07:40", "07:40", false}};
    for (const Case& c : cases) {
        setAlarm(c.before);
        Form1->LblSet->setText(QStringLiteral("*"));
        press();
        release();
        EXPECT_EQ(alarm(), c.after);
        EXPECT_EQ(Form1->LblSet->text() != QStringLiteral("*"), c.redrawn) << c.before;
    }
}

TEST_F(AlarmControls, TheInstructionsShowOnlyWhileDraggingWithHintsOn) {
    press(Qt::RightButton);
    EXPECT_FALSE(Form1->Dragging);
    EXPECT_TRUE(Form1->Memo1->isHidden());
    release(Qt::RightButton);

    press();
    EXPECT_TRUE(Form1->Dragging);
    EXPECT_TRUE(Form1->Memo1->isVisible());
    release(Qt::RightButton);  // any button's release ends the drag
    EXPECT_FALSE(Form1->Dragging);
    EXPECT_TRUE(Form1->Memo1->isHidden());

    Form3->CheckHint->setChecked(false);
    setAlarm("07:00");
    press();
    moveBy(0, -60);
    moveBy(60, 0);
    EXPECT_TRUE(Form1->Memo1->isHidden());
    release();
    EXPECT_EQ(alarm(), "07:10");
}

TEST_F(AlarmControls, ButtonsStepAndWrapThroughMidnight) {
    struct Case {
        QPushButton* TForm1::*button;
        const char* before;
        const char* after;
    } cases[] = {{&TForm1::BtnUp, "23:59", "00:00"},
                 {&TForm1::BtnDown, "00:00", "23:59"},
                 {&TForm1::Btn5Up, "23:58", "00:03"},
                 {&TForm1::Btn5Down, "00:02", "23:57"}};
    for (const Case& c : cases) {
        setAlarm(c.before);
        QTest::mouseClick(Form1->*c.button, Qt::LeftButton);
        EXPECT_EQ(alarm(), c.after);
        EXPECT_EQ(lblSet(), c.after);
    }
}

TEST_F(AlarmControls, TheMinutesBoxSetsMinutesFromNow) {
    // The clock reads 08:00.
    struct Case {
        QString typed;
        const char* alarm;
        QString text;
    } cases[] = {{QStringLiteral("1"), "08:01", QStringLiteral("1")},
                 {QStringLiteral("12"), "08:12", QStringLiteral("12")},
                 {QStringLiteral("120"), "10:00", QStringLiteral("120")},
                 {QStringLiteral("9999"), "00:39", QStringLiteral("9999")},
                 {QStringLiteral("3600"), "20:00", QStringLiteral("3600")},
                 {QStringLiteral("-"), "07:00", QString()},
                 {QStringLiteral("now"), "07:00", QString()},  // only picked, never typed
                 {QStringLiteral("12345"), "04:34", QStringLiteral("1234")}};
    for (const Case& c : cases) {
        setAlarm("07:00");
        typeInBox(c.typed);
        EXPECT_EQ(alarm(), c.alarm) << c.typed.toStdString();
        EXPECT_EQ(Form1->ComboBox1->currentText(), c.text);
    }
}

TEST_F(AlarmControls, APasteIsCutToTheRoomTheLimitLeaves) {
    // The clock reads 08:00; each case starts from the program's prompt "Minute".
    struct Case {
        const char* name;
        QString typed;  // after selecting all of the prompt
        bool toEnd;     // then the cursor goes to the end
        QString pasted;
        QString text;
        const char* alarm;
    } cases[] = {
        {"over the selected prompt",
         {},
         false,
         QStringLiteral("12345"),
         QStringLiteral("1234"),
         "04:34"},
        {"into an empty box", QStringLiteral("\b"), false, QStringLiteral("12345"),
         QStringLiteral("1234"), "04:34"},
        {"after two typed digits", QStringLiteral("12"), false, QStringLiteral("99"),
         QStringLiteral("1299"), "05:39"},
        {"after the whole prompt: no room",
         {},
         true,
         QStringLiteral("12"),
         QStringLiteral("Minute"),
         "07:00"},
        {"a negative number", QStringLiteral("\b"), false, QStringLiteral("-30"),
         QStringLiteral("-30"), "08:00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Form1->ShowSwitch(false);
        setAlarm("07:00");
        typeInBox(c.typed);
        if (c.toEnd) QTest::keyClick(Form1->ComboBox1, Qt::Key_End);
        QApplication::clipboard()->setText(c.pasted);
        QTest::keyClick(Form1->ComboBox1, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(Form1->ComboBox1->currentText(), c.text);
        EXPECT_EQ(alarm(), c.alarm);
    }
}

TEST_F(AlarmControls, PickedItemsAndThePrompt) {
    setAlarm("07:00");
    Form1->ComboBox1->showPopup();
    QAbstractItemView* view = Form1->ComboBox1->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
    for (int row = 0; row < view->model()->rowCount(); ++row)
        EXPECT_EQ(view->visualRect(view->model()->index(row, 0)).height(), 16) << row;
    const QRect item = view->visualRect(view->model()->index(5, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
    EXPECT_EQ(Form1->ComboBox1->currentText(), QStringLiteral("90"));
    EXPECT_EQ(alarm(), "09:30");
    Form1->ComboBox1->showPopup();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->visualRect(view->model()->index(0, 0)).center());
    EXPECT_EQ(Form1->ComboBox1->currentText(), QStringLiteral("0"));
    EXPECT_EQ(alarm(), "08:00");
    Form1->ComboBox1->showPopup();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, item.center());
    EXPECT_EQ(alarm(), "09:30");

    // The program's own prompt never runs the change handler, however long it is.
    Form1->BtnSetClick();
    Form1->BtnSetClick();
    EXPECT_EQ(Form1->ComboBox1->currentText(), QStringLiteral("Minute"));
    EXPECT_EQ(alarm(), "09:30");
    // Typing into it is refused, as there is no room left...
    Form1->ComboBox1->setFocus();
    Form1->ComboBox1->lineEdit()->end(false);
    QTest::keyClick(Form1->ComboBox1, Qt::Key_5);
    EXPECT_EQ(Form1->ComboBox1->currentText(), QStringLiteral("Minute"));
    // ...while deleting one character of it leaves no number: the text is cleared.
    QTest::keyClick(Form1->ComboBox1, Qt::Key_Backspace);
    EXPECT_EQ(Form1->ComboBox1->currentText(), QString());
    EXPECT_EQ(alarm(), "09:30");
}

// The handle and the lamp are drawn like the platform's own shapes: a fill in the
// switch's colour inside a closed outline of black pixels, no blended edge.
TEST_F(AlarmControls, TheHandleAndTheLampAreCrispFillsInABlackOutline) {
    const QRgb red = qRgb(255, 0, 0), maroon = qRgb(128, 0, 0), black = qRgb(0, 0, 0);
    const QRgb window = Form1->palette().color(QPalette::Window).rgb();
    struct Case {
        bool armed;
        TShape* TForm1::*shape;
        QRgb fill;
    } cases[] = {{false, &TForm1::ShapeSet, red},
                 {false, &TForm1::ShapeOnOff, maroon},
                 {true, &TForm1::ShapeSet, maroon},
                 {true, &TForm1::ShapeOnOff, red}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.armed ? "armed" : "off");
        if (c.armed != Form1->switchIsOn()) Form1->BtnSetClick();
        TShape* shape = Form1->*c.shape;
        const QImage seen = shape->grab().toImage();
        const QRect figure = shape->figureRect();
        EXPECT_EQ(seen.pixel(figure.center()), c.fill);
        int blended = 0;
        for (int y = 0; y < seen.height(); ++y)
            for (int x = 0; x < seen.width(); ++x) {
                const QRgb p = seen.pixel(x, y);
                blended += p != c.fill && p != black && p != window;
            }
        EXPECT_EQ(blended, 0);
        // Scanning in from every side, the first pixel of the figure is black.
        int openOutline = 0;
        const std::array<std::pair<QPoint, QPoint>, 4> scans{{{{0, 0}, {1, 0}},
                                                              {{seen.width() - 1, 0}, {-1, 0}},
                                                              {{0, 0}, {0, 1}},
                                                              {{0, seen.height() - 1}, {0, -1}}}};
        for (const auto& [from, step] : scans)
            for (int line = 0; line < (step.x() ? seen.height() : seen.width()); ++line) {
                QPoint p = from + (step.x() ? QPoint(0, line) : QPoint(line, 0));
                while (seen.rect().contains(p) && seen.pixel(p) == window) p += step;
                openOutline += seen.rect().contains(p) && seen.pixel(p) != black;
            }
        EXPECT_EQ(openOutline, 0);
    }
}

// Keys as the user types them, through the window to whatever has the focus.
TEST_F(AlarmControls, TabWalksTheControlsFromTheSwitchAndBack) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form1));
    const std::vector<QWidget*> forward = {Form1->BtnDown, Form1->BtnUp,     Form1->Btn5Down,
                                           Form1->Btn5Up,  Form1->ComboBox1, Form1->BtnSet};
    const std::vector<QWidget*> back = {Form1->ComboBox1, Form1->Btn5Up,  Form1->Btn5Down,
                                        Form1->BtnUp,     Form1->BtnDown, Form1->BtnSet};
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const std::vector<QWidget*>& walk;
    } cases[] = {{Qt::Key_Tab, Qt::NoModifier, forward},
                 {Qt::Key_Tab, Qt::ShiftModifier, back},
                 {Qt::Key_Backtab, Qt::ShiftModifier, back}};
    for (const Case& c : cases) {
        SCOPED_TRACE(QKeySequence(c.key | c.modifiers).toString().toStdString());
        Form1->BtnSet->setFocus();
        std::vector<QWidget*> visited;
        for (std::size_t step = 0; step < c.walk.size(); ++step) {
            QTest::keyClick(Form1->windowHandle(), c.key, c.modifiers);
            visited.push_back(QApplication::focusWidget());
        }
        EXPECT_EQ(visited, c.walk);
        EXPECT_FALSE(Form1->switchIsOn());
        EXPECT_EQ(alarm(), "08:00");
    }
}

TEST_F(AlarmControls, KeysTypedOnTheSwitch) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form1));
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool toggles;
        QWidget* focusAfter;  // nullptr: the switch keeps it
    } cases[] = {{Qt::Key_Space, Qt::NoModifier, true, nullptr},
                 {Qt::Key_Return, Qt::NoModifier, true, nullptr},
                 {Qt::Key_Enter, Qt::KeypadModifier, true, nullptr},
                 {Qt::Key_A, Qt::NoModifier, false, nullptr},
                 {Qt::Key_1, Qt::NoModifier, false, nullptr},
                 {Qt::Key_Escape, Qt::NoModifier, false, nullptr},
                 {Qt::Key_Backspace, Qt::NoModifier, false, nullptr},
                 {Qt::Key_Return, Qt::ControlModifier, false, nullptr},
                 {Qt::Key_Right, Qt::NoModifier, false, Form1->BtnDown},
                 {Qt::Key_Left, Qt::NoModifier, false, Form1->ComboBox1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(QKeySequence(c.key | c.modifiers).toString().toStdString());
        Form1->BtnSet->setFocus();
        QTest::keyClick(Form1->windowHandle(), c.key, c.modifiers);
        EXPECT_EQ(Form1->switchIsOn(), c.toggles);
        EXPECT_EQ(QApplication::focusWidget(), c.focusAfter ? c.focusAfter : Form1->BtnSet);
        if (Form1->switchIsOn()) Form1->BtnSetClick();
    }
    // Enter in the minutes box arms the alarm with the time just typed.
    typeInBox(QStringLiteral("30"));
    QTest::keyClick(Form1->windowHandle(), Qt::Key_Return);
    EXPECT_TRUE(Form1->switchIsOn());
    EXPECT_EQ(alarm(), "08:30");
}

TEST_F(AlarmControls, EveryControlStandsAtItsPlace) {
    struct Case {
        QWidget* control;
        QRect place;
    } cases[] = {{Form1->Bevel1, {8, 160, 89, 57}},      {Form1->ImgBK, {128, 0, 128, 128}},
                 {Form1->ImgNow, {0, 0, 128, 128}},      {Form1->ImgSet, {128, 0, 128, 128}},
                 {Form1->LblNow, {32, 128, 65, 25}},     {Form1->LblSet, {160, 128, 65, 25}},
                 {Form1->Label1, {8, 128, 17, 25}},      {Form1->Label2, {136, 128, 17, 25}},
                 {Form1->ShapeSet, {186, 58, 12, 12}},   {Form1->Shape1, {24, 168, 17, 41}},
                 {Form1->ShapeOnOff, {56, 168, 33, 25}}, {Form1->Btn5Down, {144, 160, 25, 25}},
                 {Form1->BtnDown, {168, 160, 25, 25}},   {Form1->BtnUp, {192, 160, 25, 25}},
                 {Form1->BtnSet, {16, 184, 33, 25}},     {Form1->Btn5Up, {216, 160, 25, 25}},
                 {Form1->ComboBox1, {152, 192, 81, 24}}, {Form1->Memo1, {8, 160, 241, 57}}};
    for (const Case& c : cases)
        EXPECT_EQ(c.control->geometry(), c.place) << c.control->metaObject()->className();
    EXPECT_EQ(Form1->centralWidget()->size(), QSize(256, 222));
    EXPECT_EQ(Form1->ShapeOnOff->figureRect(), QRect(5, 1, 24, 24));
    EXPECT_TRUE(Form1->ImgBK->isHidden());
    EXPECT_TRUE(Form1->Memo1->isReadOnly());
    EXPECT_EQ(Form1->Memo1->focusPolicy(), Qt::NoFocus);

    QStringList menu;
    for (QAction* action : Form1->MainMenu1->actions()) menu << action->text();
    EXPECT_EQ(menu, (QStringList{QStringLiteral("タイマくん"), QStringLiteral("設定"),
                                 QStringLiteral("情報"), QStringLiteral("終了")}));
}
