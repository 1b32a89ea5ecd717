#include "windowfixture.h"

#include "clock/textcontrast.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <map>

namespace {

QPalette darkPalette(const QColor& text) {
    QPalette dark;
    for (const auto role : {QPalette::Window, QPalette::Button, QPalette::Base})
        dark.setColor(role, QColor(0x30, 0x30, 0x30));
    for (const auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
        dark.setColor(role, text);
    dark.setColor(QPalette::Shadow, Qt::black);
    return dark;
}

// The text as the user sees it on a control: the colour most of its pixels have is
// the background, the pixel that stands out most against it is the text.
struct SeenText {
    std::uint32_t background;
    std::uint32_t text;
};
SeenText seenText(const QImage& window, QWidget* control, int inset) {
    const QRect area = QRect(control->mapTo(Form1, QPoint()), control->size())
                           .adjusted(inset, inset, -inset, -inset);
    std::map<std::uint32_t, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) ++counts[window.pixel(x, y) & 0xFFFFFFu];
    SeenText seen{};
    seen.background = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) {
                          return a.second < b.second;
                      })->first;
    seen.text = seen.background;
    for (const auto& [pixel, count] : counts)
        if (contrastRatio(pixel, seen.background) > contrastRatio(seen.text, seen.background))
            seen.text = pixel;
    return seen;
}

}  // namespace

class WindowColours : public WindowTest {
protected:
    void TearDown() override {
        WindowTest::TearDown();
        qApp->setStyleSheet(QString());
        QApplication::setPalette(m_startPalette);
    }
    QPalette m_startPalette = QApplication::palette();
};

// Whatever the desktop's colours, every text reads (4.5:1) and both faces stand on
// the window colour; the light look keeps the layout's black texts.
TEST_F(WindowColours, TextsReadAndFacesFollowTheWindowColour) {
    struct Case {
        const char* look;
        bool beforeStart;
        std::function<void()> apply;
        bool lightLook;
    } cases[] = {
        {"the default look", false, [] {}, true},
        {"a dark palette after start", false,
         [] { QApplication::setPalette(darkPalette(QColor(0xE0, 0xE0, 0xE0))); }, false},
        {"a dark palette before start", true,
         [] { QApplication::setPalette(darkPalette(QColor(0xE0, 0xE0, 0xE0))); }, false},
        {"a dark palette with dark texts", false,
         [] { QApplication::setPalette(darkPalette(QColor(0x40, 0x40, 0x40))); }, false},
        {"a dark style sheet after start", false,
         [] {
             qApp->setStyleSheet(QStringLiteral("* { background-color: #202020; color: #d0d0d0 }"));
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.look);
        if (c.beforeStart) c.apply();
        start();
        Form1->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Form1));
        platform.setTime(10, 10, 0);
        tickSeconds(1);
        Form1->BtnUpClick();  // the right face drawn once in the light look
        if (!c.beforeStart) c.apply();
        QTest::qWait(20);

        const QImage seen = Form1->grab().toImage();
        const QPoint client = Form1->centralWidget()->mapTo(Form1, QPoint());
        const QRgb window = seen.pixel(client + QPoint(120, 170));
        for (TImage* face : {Form1->ImgNow, Form1->ImgSet})
            for (const QPoint corner : {QPoint(0, 0), QPoint(127, 0), QPoint(0, 127)})
                EXPECT_EQ(seen.pixel(face->mapTo(Form1, corner)), window)
                    << face->x() << ": " << corner.x() << "," << corner.y();

        struct Text {
            QWidget* control;
            int inset;         // keeps a button's frame out
            bool layoutBlack;  // black in the light look
        } texts[] = {{Form1->Label1, 0, true},   {Form1->Label2, 0, true},
                     {Form1->LblNow, 0, false},  {Form1->LblSet, 0, false},
                     {Form1->BtnDown, 4, true},  {Form1->BtnUp, 4, true},
                     {Form1->Btn5Down, 4, true}, {Form1->Btn5Up, 4, true},
                     {Form1->BtnSet, 4, false},  {Form1->ComboBox1->lineEdit(), 0, true}};
        for (const Text& t : texts) {
            SCOPED_TRACE(t.control->metaObject()->className() + std::to_string(t.control->x()));
            const SeenText text = seenText(seen, t.control, t.inset);
            EXPECT_GE(contrastRatio(text.text, text.background), kReadableContrast);
            if (c.lightLook && t.layoutBlack) {
                EXPECT_EQ(text.text, 0x000000u);
            }
        }
        windows.reset();
        qApp->setStyleSheet(QString());
        QApplication::setPalette(m_startPalette);
    }
}
