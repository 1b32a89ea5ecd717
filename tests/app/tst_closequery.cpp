#include "windowfixture.h"

#include "app/qtplatform.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProxyStyle>
#include <QScreen>
#include <QTest>
#include <QWindow>

namespace {

// The desktop's own dialogs, for a program in a fresh folder (no sound file: the
// start-up message comes up).
class OwnFolder : public QtPlatform {
public:
    QString exe;
    QString executablePath() override { return exe; }
};

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

// The window's close box, the menu's 終了 and the mini timer's 終了 all ask, with the
// exclamation beep, while the switch is ON; only OK ends the program, and only an
// ending program saves.
TEST_F(WindowTest, EveryWayOutAsksTheSameQuestionWhileArmed) {
    enum class Way { CloseBox, Menu, Mini };
    const std::tuple<Way, bool, bool> cases[] = {{Way::CloseBox, false, true},
                                                 {Way::CloseBox, true, false},
                                                 {Way::Menu, true, true},
                                                 {Way::Mini, true, false},
                                                 {Way::Mini, false, true}};
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
        if (way == Way::CloseBox) Form1->close();
        if (way == Way::Menu) Form1->Exit1->trigger();
        if (way == Way::Mini) Form1->Mini->trigger();
        const bool ends = !armed || ok;
        EXPECT_EQ(platform.beeps, std::vector<unsigned>(armed ? 1 : 0, 48));
        EXPECT_EQ(platform.confirmations,
                  std::vector<QString>(armed ? 1 : 0,
                                       "アラームスイッチがＯＮですが終了してよろしいですか"));
        EXPECT_EQ(platform.quits, ends ? 1 : 0);
        EXPECT_EQ(QFile::exists(ini), ends);
        EXPECT_EQ(Form1->isVisible(), !ends);
        if (way == Way::Mini && !ends) {  // declined once, the next 開く does not ask
            platform.onModal = [](QWidget*) { Form4->Open1->trigger(); };
            Form1->Mini->trigger();
            EXPECT_EQ(platform.confirmations.size(), 1u);
        }
        windows.reset();
    }
}

// Once the settings are read, messages carry the program's own name. The notification's
// アラームＯＦＦ switches the alarm off, and never on.
TEST_F(WindowTest, MessagesCarryTheProgramsNameAndTheNotificationOnlySwitchesOff) {
    start();
    Form1->Setting->trigger();  // the sound file is still missing
    ASSERT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.messageTitles.back(), "ぴぴろん");
    QTest::mouseClick(Form1->BtnSet, Qt::LeftButton);
    for (int press = 0; press < 2; ++press) {
        platform.onAlarmOffRequested();
        EXPECT_EQ(Form1->BtnSet->text(), "OFF");
    }
}

// Each dialog stands over the window the user acted in: transient for it (a child
// surface on Wayland) and centred on it; with no window showing, centred on the screen.
TEST(Dialogs, EachStandsOverTheWindowTheUserActedIn) {
    const QString styleName = QApplication::style()->name();
    QApplication::setStyle(new CancelFirst(styleName));
    struct Seen {
        QString title;
        QWindow* over;
        QPoint centre;
    };
    std::vector<Seen> seen;
    QTimer user;  // looks at each dialog, then closes it with Escape
    QObject::connect(&user, &QTimer::timeout, &user, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        seen.push_back({box->windowTitle(), box->windowHandle()->transientParent(),
                        box->frameGeometry().center()});
        if (QAbstractButton* cancel = box->button(QMessageBox::Cancel)) {
            EXPECT_EQ(cancel->text(), "ｷｬﾝｾﾙ");
            EXPECT_LT(box->button(QMessageBox::Ok)->x(), cancel->x()) << "OK comes first";
            EXPECT_EQ(box->defaultButton(),
                      static_cast<QAbstractButton*>(box->button(QMessageBox::Ok)));
        }
        QTest::keyClick(box, Qt::Key_Escape);
    });
    user.start(50);
    QTemporaryDir folder;
    OwnFolder platform;
    platform.exe = folder.filePath("pipiron");
    WindowSet windows(platform);
    Form1->Timer1->stop();
    Form1->LoadSettings();  // the sound file is missing: a message before the window shows
    Form1->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form1));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    Form1->move(screen.width() - Form1->width() - 40, screen.height() - Form1->height() - 40);
    QTest::mouseClick(Form1->BtnSet, Qt::LeftButton);
    Form1->Exit1->trigger();
    QApplication::setStyle(styleName);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].over, nullptr);
    EXPECT_LE((seen[0].centre - screen.center()).manhattanLength(), 60);
    EXPECT_EQ(seen[1].title, "警告");
    EXPECT_EQ(seen[1].over, Form1->windowHandle());
    EXPECT_LE((seen[1].centre - Form1->frameGeometry().center()).manhattanLength(), 60);
    EXPECT_TRUE(Form1->isVisible()) << "ｷｬﾝｾﾙ keeps the program";
}

// A ringing window the user had hidden comes back; a renamed program finds its help.
TEST(Platform, ShowsAHiddenRingingWindowAndFindsTheHelpPage) {
    QtPlatform platform;
    QWidget window;
    platform.setForegroundWindow(&window);
    EXPECT_TRUE(window.isVisible());
    QTemporaryDir folder;
    for (const char* page : {"pipiron.html", "wecker.html", "wecker.hlp"}) {
        QFile(folder.filePath(page)).open(QIODevice::WriteOnly);
        EXPECT_EQ(helpDocumentFor(folder.filePath("wecker.hlp")), folder.filePath(page));
    }
}
