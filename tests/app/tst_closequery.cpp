#include "windowfixture.h"

#include "app/qtplatform.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QProxyStyle>
#include <QScopeGuard>
#include <QWindow>

namespace {

// A desktop whose convention puts the cancel button first, as GNOME's does.
class CancelFirst : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_DialogButtonLayout) return QDialogButtonBox::GnomeLayout;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

}  // namespace

// The window's close box, the menu's 終了 and the mini timer's 終了 all ask, with the exclamation
// beep, while the switch is ON; only OK ends the program, and only an ending program saves. A 終了
// refused is not asked again when the mini timer is left later with 開く.
TEST_F(WindowTest, EveryWayOutAsksTheSameQuestionWhileArmed) {
    enum Way { CloseBox, Menu, Mini };
    const std::tuple<Way, bool, bool> cases[] = {{CloseBox, false, true},
                                                 {CloseBox, true, false},
                                                 {Menu, true, true},
                                                 {Mini, true, false},
                                                 {Mini, false, true}};
    const QString ini = folder.filePath("pipiron.ini");
    for (const auto& [way, armed, ok] : cases) {
        SCOPED_TRACE(testing::Message() << int(way) << armed << ok);
        QFile::remove(ini);
        platform = FakePlatform();
        platform.exe = folder.filePath("pipiron");
        start();
        Form1->show();
        if (armed) QTest::mouseClick(Form1->BtnSet, Qt::LeftButton);
        platform.beeps.clear();  // the missing sound file's exclamation
        platform.confirmAnswers = {ok};
        platform.onModal = [](QWidget* window) {
            if (window == Form4) Form4->Exit->trigger();
        };
        if (way == CloseBox) Form1->close();
        if (way == Menu) Form1->Exit1->trigger();
        if (way == Mini) Form1->Mini->trigger();
        const bool ends = !armed || ok;
        if (way == Mini && !ends) {
            platform.onModal = [](QWidget* window) {
                if (window == Form4) Form4->Open1->trigger();
            };
            Form1->Mini->trigger();
        }
        EXPECT_EQ(platform.beeps, std::vector<unsigned>(armed ? 1 : 0, 48));
        EXPECT_EQ(platform.confirmations,
                  std::vector<QString>(armed ? 1 : 0,
                                       "アラームスイッチがＯＮですが終了してよろしいですか"));
        EXPECT_EQ(platform.quits, ends ? 1 : 0);
        EXPECT_EQ(QFile::exists(ini), ends);
        EXPECT_EQ(Form1->isVisible(), !ends);
        windows.reset();
    }
}

// A hidden ringing window comes back. The warning stands centred over the user's window (transient
// for it, a Wayland child surface), OK first and default even where GNOME puts cancel first.
TEST(QtPlatform, ShowsTheRingingWindowAndTheWarningOverItWithOkFirst) {
    QtPlatform platform;
    QWidget hidden;
    platform.setForegroundWindow(&hidden);
    EXPECT_TRUE(hidden.isVisible());
    const QString desktopStyle = QApplication::style()->name();
    QApplication::setStyle(new CancelFirst(desktopStyle));
    // The tests after this one meet the desktop's own style.
    const auto restore = qScopeGuard([&] { QApplication::setStyle(desktopStyle); });
    WindowSet windows(platform);
    Form1->Timer1->stop();
    Form1->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form1, 30000));
    Form1->move(500, 300);
    QTest::mouseClick(Form1->BtnSet, Qt::LeftButton);
    QTimer user;  // looks at the warning, then closes it with Escape (or it stays up)
    QObject::connect(&user, &QTimer::timeout, &user, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        EXPECT_EQ(box->windowHandle()->transientParent(), Form1->windowHandle());
        EXPECT_LE(
            (box->frameGeometry().center() - Form1->frameGeometry().center()).manhattanLength(),
            60);
        QAbstractButton* ok = box->button(QMessageBox::Ok);
        EXPECT_LT(ok->x(), box->button(QMessageBox::Cancel)->x());
        EXPECT_EQ(box->defaultButton(), ok);
        QTest::keyClick(box, Qt::Key_Escape);
    });
    user.start(50);
    Form1->Exit1->trigger();
    EXPECT_TRUE(Form1->isVisible()) << "ｷｬﾝｾﾙ keeps the program";
}
