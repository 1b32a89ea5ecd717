#include "windowfixture.h"

#include "clock/clockface.h"
#include "clock/hands.h"
#include "clock/textcontrast.h"
#include "controls/shapecontrol.h"
#include "sound/audioengine.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QPainter>
#include <QPlainTextEdit>

// Every face's hands against a painter's round-capped pens from the pivot, three pixels wide
// for the hour and two for the minute: a pixel may differ only where its centre lies a
// rounding away from a pen's edge.
TEST(Hands, DrawnAsAPainterStrokesThem) {
    for (int time = 0; time < 12 * 60; ++time) {
        QImage drawn = newFaceImage(), painted = newFaceImage();
        drawHands(drawn, time / 60, time % 60);
        QPainter painter(&painted);
        for (const auto& [end, width] : {std::pair{hourHandEnd(time / 60, time % 60), 3},
                                         std::pair{minuteHandEnd(time % 60), 2}}) {
            painter.setPen(QPen(Qt::black, width, Qt::SolidLine, Qt::RoundCap));
            painter.drawLine(QPoint(kHandPivot, kHandPivot), QPoint(end.x, end.y));
        }
        painter.end();
        int differing = 0;
        for (int y = 0; y < kFaceSize; ++y)
            for (int x = 0; x < kFaceSize; ++x)
                differing += drawn.pixel(x, y) != painted.pixel(x, y);
        EXPECT_LE(differing, 4) << time / 60 << ":" << time % 60;
    }
}

// The main window as the user works it; the clock reads 08:00.
class AlarmControls : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        platform.setTime(8, 0, 0);
        start();
        Form1->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Form1, 30000));
    }
    static QImage seen(QWidget* control) { return control->grab().toImage(); }
    // The instructions over the alarm controls, as the user finds them.
    static bool memoShown() {
        const auto* memo = Form1->findChild<QPlainTextEdit*>();
        return memo && memo->isVisible() &&
               memo->toPlainText().startsWith(QStringLiteral("***** アラーム時刻をセットします"));
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

// Armed: lever up, lamp red, handle maroon, alarm controls locked; the box shows its prompt.
TEST_F(AlarmControls, TheSwitchShowsArmedAndLocksTheAlarmControls) {
    const QRgb red = qRgb(255, 0, 0), maroon = qRgb(128, 0, 0), black = qRgb(0, 0, 0);
    const QRgb window = Form1->palette().color(QPalette::Window).rgb();
    QWidget* const locked[] = {Form1->ShapeSet, Form1->BtnUp,    Form1->BtnDown,
                               Form1->Btn5Up,   Form1->Btn5Down, Form1->ComboBox1};
    struct Look {
        bool on;
        int lever;
        QRgb lamp, handle;
    } looks[] = {{true, 168, red, maroon}, {false, 184, maroon, red}};
    typeInBox(QStringLiteral("12"));
    for (const Look& look : looks) {
        QTest::mouseClick(Form1->BtnSet, Qt::LeftButton);
        EXPECT_EQ(armed(), look.on);
        EXPECT_EQ(Form1->BtnSet->y(), look.lever);
        EXPECT_EQ(seen(Form1->ShapeOnOff).pixel(16, 12), look.lamp);
        EXPECT_EQ(Form1->ComboBox1->currentText(), QStringLiteral("Minute"));
        for (QWidget* control : locked) EXPECT_EQ(control->isEnabled(), !look.on) << control->x();
        // Crisp like the desktop's own shapes: fill and black outline, nothing blended.
        const QImage handle = seen(Form1->ShapeSet);
        EXPECT_EQ(handle.pixel(6, 6), look.handle);
        int blended = 0;
        for (int y = 0; y < handle.height(); ++y)
            for (int x = 0; x < handle.width(); ++x)
                blended += !QList{look.handle, black, window}.contains(handle.pixel(x, y));
        EXPECT_EQ(blended, 0);
    }
}

// Only the right face follows the alarm, from the left one's time.
TEST_F(AlarmControls, StepButtonsMoveTheAlarmThroughMidnight) {
    const QImage left = seen(Form1->ImgNow);
    EXPECT_EQ(seen(Form1->ImgSet), left);
    struct Case {
        QPushButton* button;
        const char* before;
        const char* after;
    } cases[] = {{Form1->BtnUp, "23:59", "00:00"},   {Form1->BtnUp, "07:08", "07:09"},
                 {Form1->BtnDown, "00:00", "23:59"}, {Form1->BtnDown, "10:00", "09:59"},
                 {Form1->Btn5Up, "23:58", "00:03"},  {Form1->Btn5Down, "00:02", "23:57"},
                 {Form1->BtnDown, "03:01", "03:00"}};
    for (const Case& c : cases) {
        setAlarm(c.before);
        QTest::mouseClick(c.button, Qt::LeftButton);
        EXPECT_EQ(lblSet(), c.after) << c.before;
    }
    EXPECT_EQ(seen(Form1->ImgNow), left);
    EXPECT_NE(seen(Form1->ImgSet), left);
}

// A press rounds the alarm up to ten minutes, each sector turned clockwise adds ten more; the
// instructions show meanwhile.
TEST_F(AlarmControls, DraggingTheHandleTurnsTheAlarm) {
    struct Case {
        Qt::MouseButton button;
        bool hints;
        const char* before;
        QPoint first, second;
        const char* after;
    } cases[] = {
        {Qt::LeftButton, false, "07:00", {-40, -40}, {0, -60}, "07:10"},  // 8 to 1
        {Qt::LeftButton, true, "07:43", {0, 0}, {0, 0}, "07:50"},
        {Qt::LeftButton, true, "07:00", {40, -40}, {0, 60}, "07:10"},   // 2 to 5
        {Qt::LeftButton, true, "07:00", {-60, 0}, {0, -60}, "06:50"},   // 7 to 1
        {Qt::LeftButton, true, "07:00", {60, 0}, {61, 1}, "07:00"},     // the first sector
        {Qt::LeftButton, true, "07:00", {25, -26}, {0, -60}, "07:00"},  // 25 is not diagonal
        {Qt::RightButton, true, "07:43", {40, -40}, {0, 60}, "07:43"},
    };
    const QPoint centre(6, 6);
    for (const Case& c : cases) {
        Form3->CheckHint->setChecked(c.hints);
        setAlarm(c.before);
        QTest::mousePress(Form1->ShapeSet, c.button, {}, centre);
        QTest::mouseMove(Form1->ShapeSet, centre + c.first);
        QTest::mouseMove(Form1->ShapeSet, centre + c.second);
        EXPECT_EQ(memoShown(), c.hints && c.button == Qt::LeftButton);
        QTest::mouseRelease(Form1->ShapeSet, c.button, {}, centre + c.second);
        EXPECT_FALSE(memoShown());
        EXPECT_EQ(lblSet(), c.after) << c.before << " " << c.first.x() << "," << c.first.y();
    }
}

// Minutes from now, typed or pasted over the whole text (cut to four characters), or picked.
TEST_F(AlarmControls, TheMinutesBoxSetsTheAlarmFromNow) {
    struct Case {
        QString typed, pasted, text;
        const char* alarm;
    } cases[] = {{QStringLiteral("3600"), {}, QStringLiteral("3600"), "20:00"},
                 {{}, QStringLiteral("12345"), QStringLiteral("1234"), "04:34"},
                 {QStringLiteral("-"), {}, {}, "07:00"},
                 {{}, QStringLiteral("$1E"), QStringLiteral("$1E"), "08:30"}};
    for (const Case& c : cases) {
        setAlarm("07:00");
        typeInBox(c.typed);
        if (!c.pasted.isEmpty()) {
            QApplication::clipboard()->setText(c.pasted);
            QTest::keyClick(Form1->ComboBox1, Qt::Key_V, Qt::ControlModifier);
        }
        EXPECT_EQ(Form1->ComboBox1->currentText(), c.text);
        EXPECT_EQ(lblSet(), c.alarm) << c.typed.toStdString() << c.pasted.toStdString();
    }
    setAlarm("07:00");
    Form1->ComboBox1->showPopup();
    QAbstractItemView* list = Form1->ComboBox1->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list->window(), 30000));
    const QRect now = list->visualRect(list->model()->index(0, 0));
    EXPECT_EQ(now.height(), 16);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, now.center());
    EXPECT_EQ(lblSet(), "08:00");

    typeInBox(QStringLiteral("30"));
    QTest::keyClick(Form1->windowHandle(), Qt::Key_Return);
    EXPECT_TRUE(armed());
    EXPECT_EQ(lblSet(), "08:30");
}

// Switched OFF while ringing, the sound stops and starts from its beginning next time.
TEST_F(AlarmControls, SwitchingOffRewindsTheSound) {
    writeSound();
    Form1->SettingClick();
    setAlarm("08:00");
    QTest::mouseClick(Form1->BtnSet, Qt::LeftButton);
    tickSeconds(1);
    // Heard once it has played on a while, which a busy machine may take long to.
    ASSERT_TRUE(QTest::qWaitFor(
        [] {
            AudioEngine::instance().sync();
            return Form1->MediaPlayer.isPlaying() && Form1->MediaPlayer.position() > 0.0;
        },
        30000));
    QTest::mouseClick(Form1->BtnSet, Qt::LeftButton);
    AudioEngine::instance().sync();
    EXPECT_FALSE(Form1->MediaPlayer.isPlaying());
    EXPECT_EQ(Form1->MediaPlayer.position(), 0.0);
}

// The switch has the focus: Space, Enter and keypad Enter (with a text or not) work it.
TEST_F(AlarmControls, KeysOnTheSwitch) {
    EXPECT_EQ(QApplication::focusWidget(), Form1->BtnSet);
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        QString text;
    } cases[] = {{Qt::Key_Space, {}, QStringLiteral(" ")},
                 {Qt::Key_Return, {}, QStringLiteral("\r")},
                 {Qt::Key_Enter, Qt::KeypadModifier, QStringLiteral("\r")},
                 {Qt::Key_Enter, Qt::KeypadModifier, {}}};
    for (const Case& c : cases) {
        QTest::sendKeyEvent(QTest::Click, Form1->windowHandle(), c.key, c.text, c.modifiers);
        EXPECT_TRUE(armed()) << c.key;
        EXPECT_EQ(QApplication::focusWidget(), Form1->BtnSet) << c.key;
        QTest::mouseClick(Form1->BtnSet, Qt::LeftButton);
    }
    // The whole order, onward with Tab from the switch and back with Shift+Tab, arming nothing.
    QWidget* const order[] = {Form1->BtnDown,   Form1->BtnUp,  Form1->Btn5Down,  Form1->Btn5Up,
                              Form1->ComboBox1, Form1->BtnSet, Form1->ComboBox1, Form1->Btn5Up,
                              Form1->Btn5Down,  Form1->BtnUp,  Form1->BtnDown,   Form1->BtnSet};
    for (int i = 0; i < 12; ++i) {
        const bool back = i >= 6;
        QTest::keyClick(Form1->windowHandle(), back ? Qt::Key_Backtab : Qt::Key_Tab,
                        back ? Qt::ShiftModifier : Qt::NoModifier);
        EXPECT_EQ(QApplication::focusWidget(), order[i]) << i;
    }
    EXPECT_FALSE(armed());
}

// On a dark desktop the faces stand on the window colour with white discs; captions still read.
TEST_F(AlarmControls, ADarkPaletteKeepsFacesAndCaptionsReadable) {
    const QPalette light = QApplication::palette();
    const QColor dark(0x30, 0x30, 0x30);
    const QColor grey(0x40, 0x40, 0x40);  // texts as dark would not read
    QApplication::setPalette(QPalette(grey, dark, dark, dark, dark, grey, grey, dark, dark));
    QTest::qWait(1);
    for (TImage* face : {Form1->ImgNow, Form1->ImgSet}) {
        EXPECT_EQ(seen(face).pixel(0, 0), dark.rgb());
        EXPECT_EQ(seen(face).pixel(64, 90), qRgb(255, 255, 255));
    }
    for (QWidget* caption : {Form1->Label1, Form1->Label2}) {
        const QImage text = seen(caption);
        double best = 0;
        for (int y = 0; y < text.height(); ++y)
            for (int x = 0; x < text.width(); ++x)
                best = std::max(
                    best, contrastRatio(text.pixel(x, y) & 0xFFFFFFu, dark.rgb() & 0xFFFFFFu));
        EXPECT_GE(best, kReadableContrast) << caption->x();
    }
    QApplication::setPalette(light);
}
