#include "windowfixture.h"

#include "app/qtplatform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProxyStyle>
#include <QTest>

namespace {

QString readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace

class CloseQuery : public WindowTest {
protected:
    QString iniPath() const { return folder.filePath(QStringLiteral("pipiron.ini")); }
    bool closeMainWindow() { return Form1->close(); }
};

TEST_F(CloseQuery, SwitchOffClosesWithoutAQuestionAndSaves) {
    start();
    platform.beeps.clear();  // the missing sound file's exclamation
    EXPECT_TRUE(closeMainWindow());
    EXPECT_TRUE(platform.beeps.empty());
    EXPECT_TRUE(platform.confirmations.empty());
    EXPECT_EQ(platform.quits, 1);
    const QString ini = readAll(iniPath());
    EXPECT_EQ(ini, QStringLiteral("[SETUP]\r\nHINT=1\r\nMINI=0\r\nCOLOR=2\r\n"
                                  "WAVFILE=c:\\windows\\media\\tada.wav\r\n"));
}

TEST_F(CloseQuery, SwitchOnAsksAndOnlyOkEnds) {
    struct Case {
        bool ok;
    } cases[] = {{false}, {true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ok ? "OK" : "Cancel");
        QFile::remove(iniPath());
        platform = FakePlatform();
        platform.exe = folder.filePath(QStringLiteral("pipiron"));
        start();
        platform.beeps.clear();
        Form1->BtnSetClick();
        platform.confirmAnswers = {c.ok};
        EXPECT_EQ(closeMainWindow(), c.ok);
        EXPECT_EQ(platform.beeps, std::vector<unsigned>{48});
        ASSERT_EQ(platform.confirmations.size(), 1u);
        EXPECT_EQ(platform.confirmations[0],
                  QStringLiteral("アラームスイッチがＯＮですが終了してよろしいですか"));
        EXPECT_EQ(platform.quits, c.ok ? 1 : 0);
        EXPECT_EQ(QFile::exists(iniPath()), c.ok);
        EXPECT_TRUE(Form1->switchIsOn());
        windows.reset();
    }
}

TEST_F(CloseQuery, AFailingSaveAbandonsTheCloseWithTheErrorBox) {
    start();
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("pipiron.ini")));
    EXPECT_FALSE(closeMainWindow());
    EXPECT_EQ(platform.quits, 0);
    ASSERT_EQ(platform.errors.size(), 1u);
    EXPECT_EQ(platform.errors[0], iniPath() + QStringLiteral(" に書き込めません"));
    // The program goes on: it still ticks and can still be closed later.
    platform.setTime(7, 30, 0);
    Form1->Timer1Timer();
    EXPECT_EQ(Form1->LblNow->text(), QStringLiteral("07:30"));
    ASSERT_TRUE(QDir(folder.path()).rmdir(QStringLiteral("pipiron.ini")));
    EXPECT_TRUE(closeMainWindow());
    EXPECT_EQ(platform.quits, 1);
}

TEST_F(CloseQuery, ExitMenuGoesThroughTheSameQuery) {
    start();
    Form1->BtnSetClick();
    platform.confirmAnswers = {false};
    Form1->Exit1->trigger();
    EXPECT_EQ(platform.confirmations.size(), 1u);
    EXPECT_EQ(platform.quits, 0);
}

// The real warning dialog, answered the ways a user can, on a desktop whose
// convention puts the cancel button first (as GNOME's does).
TEST(WarningDialog, OnlyOkGivesOk) {
    class CancelFirst : public QProxyStyle {
    public:
        using QProxyStyle::QProxyStyle;
        int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                      QStyleHintReturn* data) const override {
            if (hint == SH_DialogButtonLayout) return QDialogButtonBox::GnomeLayout;
            return QProxyStyle::styleHint(hint, option, widget, data);
        }
    };
    const QString styleName = QApplication::style()->name();
    QApplication::setStyle(new CancelFirst(styleName));
    enum class Answer { ClickOk, Enter, ClickCancel, Escape, CloseBox };
    struct Case {
        Answer answer;
        bool result;
    } cases[] = {{Answer::ClickOk, true},
                 {Answer::Enter, true},
                 {Answer::ClickCancel, false},
                 {Answer::Escape, false},
                 {Answer::CloseBox, false}};
    QtPlatform platform;
    for (const Case& c : cases) {
        bool checked = false;
        QTimer::singleShot(50, qApp, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->windowTitle(), QStringLiteral("警告"));
            EXPECT_EQ(box->icon(), QMessageBox::Warning);
            EXPECT_EQ(box->text(),
                      QStringLiteral("アラームスイッチがＯＮですが終了してよろしいですか"));
            EXPECT_EQ(box->button(QMessageBox::Ok)->text(), QStringLiteral("OK"));
            EXPECT_EQ(box->button(QMessageBox::Cancel)->text(), QStringLiteral("ｷｬﾝｾﾙ"));
            EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Ok));
            EXPECT_LT(box->button(QMessageBox::Ok)->x(), box->button(QMessageBox::Cancel)->x());
            checked = true;
            switch (c.answer) {
                case Answer::ClickOk:
                    QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
                    break;
                case Answer::Enter:
                    QTest::keyClick(box, Qt::Key_Return);
                    break;
                case Answer::ClickCancel:
                    QTest::mouseClick(box->button(QMessageBox::Cancel), Qt::LeftButton);
                    break;
                case Answer::Escape:
                    QTest::keyClick(box, Qt::Key_Escape);
                    break;
                case Answer::CloseBox:
                    box->close();
                    break;
            }
        });
        EXPECT_EQ(platform.confirmWarning(
                      QStringLiteral("アラームスイッチがＯＮですが終了してよろしいですか")),
                  c.result);
        EXPECT_TRUE(checked);
    }
    QApplication::setStyle(styleName);
}

TEST(ErrorBox, ShowsTheMessageWithAFullStopUnderTheTitle) {
    QtPlatform platform;
    platform.setApplicationTitle(QStringLiteral("ぴぴろん"));
    QTimer::singleShot(50, qApp, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), QStringLiteral("ぴぴろん"));
        EXPECT_EQ(box->text(), QStringLiteral("'x' は整数ではありません."));
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        EXPECT_EQ(box->buttons().size(), 1);
        box->close();
    });
    platform.showError(QStringLiteral("'x' は整数ではありません"));
}

TEST(ModalLoop, ARefusedCloseKeepsTheWindowUp) {
    class Stubborn : public QWidget {
    protected:
        void closeEvent(QCloseEvent* event) override { event->ignore(); }
    } window;
    bool hiddenByTest = false;
    QTimer::singleShot(20, qApp, [&] { window.close(); });
    QTimer::singleShot(80, qApp, [&] {
        EXPECT_TRUE(window.isVisible());
        hiddenByTest = true;
        window.hide();
    });
    runModal(&window);
    EXPECT_TRUE(hiddenByTest);
}
