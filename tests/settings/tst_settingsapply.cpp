#include "windowfixture.h"

#include "app/hintcontroller.h"
#include "clock/shapecontrol.h"
#include "settings/radiogroup.h"

#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <cstring>

namespace {

void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class Settings : public WindowTest {
protected:
    QString ini() const { return folder.filePath(QStringLiteral("pipiron.ini")); }
    void startWith(const QByteArray& content) {
        writeFile(ini(), content);
        start();
    }
    QColor miniBackground() const { return Form4->palette().color(QPalette::Window); }
    QColor miniText() const { return Form4->LblTimer->palette().color(QPalette::WindowText); }
};

TEST_F(Settings, NoFileGivesTheDefaults) {
    start();
    EXPECT_TRUE(Form3->CheckHint->isChecked());
    EXPECT_TRUE(HintController::instance().isEnabled());
    EXPECT_FALSE(Form3->CheckTop->isChecked());
    EXPECT_EQ(Form3->RGColor->itemIndex(), 2);
    EXPECT_EQ(miniBackground(), QColor(0, 0, 255));
    EXPECT_EQ(miniText(), QColor(0, 255, 255));
    EXPECT_EQ(Form3->EdtWav->text(), QStringLiteral("c:\\windows\\media\\tada.wav"));
    EXPECT_EQ(Form1->helpFilePath(), folder.filePath(QStringLiteral("pipiron.hlp")));
    EXPECT_EQ(platform.applicationTitle(), QStringLiteral("ぴぴろん"));
    EXPECT_EQ(Form2->toolTip(), QStringLiteral("設定ファイル: ") + ini());
}

TEST_F(Settings, ValuesReadAsTheClassicProfileRulesSay) {
    struct Case {
        const char* file;
        bool hint;
        bool mini;
        int colour;
    } cases[] = {
        {"[SETUP]\r\nCOLOR=7\r\n", true, false, 3},
        {"[SETUP]\r\nCOLOR=-5\r\n", true, false, -1},
        {"[SETUP]\r\nCOLOR=0x1\r\n", true, false, 1},
        {"[SETUP]\r\nCOLOR=0x\r\n", true, false, 2},
        {"[SETUP]\r\nCOLOR=blue\r\n", true, false, 2},
        {"[SETUP]\r\nCOLOR= +2\r\n", true, false, 2},
        {"[SETUP]\r\nCOLOR=$A\r\n", true, false, 3},
        {"[SETUP]\r\nCOLOR=4294967296\r\n", true, false, 2},
        {"[SETUP]\r\nHINT=0\r\n", false, false, 2},
        {"[SETUP]\r\nHINT=\r\nMINI=\r\n", true, false, 2},
        {"[SETUP]\nHINT=2\nMINI=-1\n", true, true, 2},
        {"[SETUP]\nMINI=0x10\n", true, true, 2},
        {"[SETUP]\nMINI=yes\nHINT=yes\n", true, false, 2},
        {"[setup]\nhint=0\nMini=1\ncolor=0\n", false, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        startWith(c.file);
        EXPECT_EQ(Form3->CheckHint->isChecked(), c.hint);
        EXPECT_EQ(HintController::instance().isEnabled(), c.hint);
        EXPECT_EQ(Form3->CheckTop->isChecked(), c.mini);
        EXPECT_EQ(Form3->RGColor->itemIndex(), c.colour);
        windows.reset();
    }
}

TEST_F(Settings, NoColourLeavesTheMiniTimerBlackAndIsWrittenBack) {
    startWith("[SETUP]\r\nCOLOR=-5\r\n");
    EXPECT_EQ(miniBackground(), QColor(0, 0, 0));
    EXPECT_EQ(miniText(), QColor(0, 255, 0));
    ASSERT_TRUE(Form1->close());
    EXPECT_TRUE(readFile(ini()).contains("COLOR=-1\r\n"));
}

TEST_F(Settings, HintsOffKeepTheDragInstructionsHidden) {
    startWith("[SETUP]\r\nHINT=0\r\n");
    Form1->ShapeSetMouseDown(Qt::LeftButton, 6, 6);
    EXPECT_TRUE(Form1->Dragging);
    EXPECT_TRUE(Form1->Memo1->isHidden());
}

TEST_F(Settings, EachColourIndexColoursTheMiniTimer) {
    struct Case {
        int index;
        QColor background;
        QColor text;
    } cases[] = {{0, QColor(0, 0, 0), QColor(0, 255, 0)},
                 {1, QColor(255, 255, 255), QColor(0, 0, 0)},
                 {2, QColor(0, 0, 255), QColor(0, 255, 255)},
                 {3, QColor(255, 255, 0), QColor(255, 0, 0)}};
    start();
    for (const Case& c : cases) {
        Form3->RGColor->setItemIndex(c.index);
        Form1->ApplySettings();
        EXPECT_EQ(miniBackground(), c.background) << c.index;
        EXPECT_EQ(Form4->LblTimer->palette().color(QPalette::Window), c.background);
        EXPECT_EQ(miniText(), c.text);
    }
}

TEST_F(Settings, AMissingSoundFileFallsBackToTheBeep) {
    startWith("[SETUP]\r\nWAVFILE=missing.wav\r\n");
    EXPECT_FALSE(Form1->WavReady);
    EXPECT_EQ(platform.beeps, std::vector<unsigned>{48});
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0],
              QStringLiteral("ファイルが見つかりません\r\nMessageBeepを使用します"));
    // At start-up the title is still the executable's name.
    EXPECT_EQ(platform.messageTitles[0], QString());
    EXPECT_EQ(Form1->MediaPlayer.FileName,
              folder.filePath(QStringLiteral("missing.wav")).toStdString());

    // OK without changes opens the file again, and fails again.
    platform.onModal = [](QWidget* window) { static_cast<TForm3*>(window)->BtnOK->click(); };
    Form1->SettingClick();
    EXPECT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.messageTitles[1], QStringLiteral("ぴぴろん"));

    platform.beeps.clear();
    platform.setTime(7, 0, 0);
    Form1->AlarmTime = "07:00";
    Form1->BtnSetClick();
    tickSeconds(3);
    EXPECT_EQ(platform.beeps, (std::vector<unsigned>{0, 0, 0}));
    ASSERT_TRUE(Form1->close());
    EXPECT_TRUE(readFile(ini()).contains("WAVFILE=missing.wav\r\n"));
}

TEST_F(Settings, TheSettingsWindowAppliesWhenItCloses) {
    start();
    platform.onModal = [](QWidget* window) {
        auto* form = static_cast<TForm3*>(window);
        form->CheckHint->setChecked(false);
        form->RGColor->setItemIndex(3);
        EXPECT_EQ(HintController::instance().isEnabled(), true);  // nothing applied yet
        form->close();  // the close box applies too: there is no cancel
    };
    Form1->SettingClick();
    EXPECT_FALSE(HintController::instance().isEnabled());
    EXPECT_EQ(miniBackground(), QColor(255, 255, 0));
}

TEST_F(Settings, ASaveKeepsEveryOtherLineOfTheFile) {
    const QByteArray before =
        "; ぴぴろん\r\n[Other]\r\nx=1\r\n\r\n[SETUP]\r\nHINT=1\r\nEXTRA=keep\r\n";
    startWith(before);
    Form3->CheckTop->setChecked(true);
    ASSERT_TRUE(Form1->close());
    EXPECT_EQ(readFile(ini()),
              QByteArray("; ぴぴろん\r\n[Other]\r\nx=1\r\n\r\n[SETUP]\r\nHINT=1\r\nEXTRA=keep\r\n"
                         "MINI=1\r\nCOLOR=2\r\nWAVFILE=c:\\windows\\media\\tada.wav\r\n"));
}

TEST_F(Settings, TheLastCopyToCloseDecides) {
    start();
    Form3->RGColor->setItemIndex(0);
    ASSERT_TRUE(Form1->close());
    windows.reset();
    start();
    Form3->RGColor->setItemIndex(1);
    ASSERT_TRUE(Form1->close());
    EXPECT_TRUE(readFile(ini()).contains("COLOR=1\r\n"));
}
