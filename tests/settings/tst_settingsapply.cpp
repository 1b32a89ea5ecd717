#include "windowfixture.h"

#include "app/hintcontroller.h"
#include "clock/shapecontrol.h"
#include "settings/radiogroup.h"
#include "settings/settingslocation.h"
#include "sound/wavwriter.h"
#include "tempfolder.h"

#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <cstring>
#include <string>

using namespace std::string_literals;

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
        std::string file;
        bool hint;
        bool mini;
        int colour;
    } cases[] = {
        {"[SETUP]\r\nCOLOR=7\r\n", true, false, 3},
        {"[SETUP]\r\nCOLOR=-5\r\n", true, false, -1},
        {"[SETUP]\r\nCOLOR=blue\r\n", true, false, 2},
        {"[SETUP]\r\nHINT=0\r\n", false, false, 2},
        {"[SETUP]\r\nHINT=\r\nMINI=\r\n", true, false, 2},
        {"[SETUP]\nMINI=0x10\n", true, true, 2},
        {"[setup]\nhint=0\nMini=1\ncolor=0\n", false, true, 0},
        {"[SETUP]\nHINT=\"0\"\nMINI='1'\nCOLOR=\"1'\n", false, true, 2},
        {utf16(u"\r\n[SETUP]\r\nHINT=0\r\nCOLOR=3\r\n"), false, false, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.file));
        startWith(QByteArray::fromStdString(c.file));
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

TEST_F(Settings, ASaveKeepsEveryOtherLineOfTheFileInItsOwnEncoding) {
    const struct {
        std::string before, after;
    } cases[] = {
        {"; ぴぴろん\r\n[Other]\r\nx=1\r\n\r\n[SETUP]\r\nHINT=1\r\nEXTRA=keep\r\n",
         "; ぴぴろん\r\n[Other]\r\nx=1\r\n\r\n[SETUP]\r\nHINT=1\r\nEXTRA=keep\r\n"
         "MINI=1\r\nCOLOR=2\r\nWAVFILE=c:\\windows\\media\\tada.wav\r\n"},
        {utf16(u"; ぴぴろん\r\n[SETUP]\r\nHINT=1\r\nMINI=0\r\n"),
         utf16(u"; ぴぴろん\r\n[SETUP]\r\nHINT=1\r\nMINI=1\r\nCOLOR=2\r\n"
               u"WAVFILE=c:\\windows\\media\\tada.wav\r\n")},
        {utf16(u"[SETUP]\nWAVFILE=c:\\音.wav", true),
         utf16(u"[SETUP]\nWAVFILE=c:\\音.wav\r\nHINT=1\r\nMINI=1\r\nCOLOR=2\r\n", true)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.before));
        startWith(QByteArray::fromStdString(c.before));
        Form3->CheckTop->setChecked(true);
        ASSERT_TRUE(Form1->close());
        EXPECT_EQ(readFile(ini()).toStdString(), c.after);
        windows.reset();
    }
}

// A WAV file named in Shift-JIS by a settings file from Windows: the name shows
// as text, plays from the file of those bytes, and goes back to the file as the
// same bytes until the user types another.
TEST_F(Settings, TheWavFileKeepsItsBytesUntilTheUserTypesAnother) {
    const std::string sjis = "\x83\x60\x83\x83\x83\x43\x83\x80.wav";  // チャイム.wav
    const std::vector<std::int16_t> silence(441);
    const std::vector<std::uint8_t> bytes = makeWav16(silence, 1, 22050);
    const std::string wav(bytes.begin(), bytes.end());
    for (const std::string& name : {sjis, "bell.wav"s, "a b.wav"s})
        writeBytes(folder.path().toStdString() + "/" + name, wav);
    const struct {
        std::string value;  // as in the file
        QString shown;
        const char* typed;  // nullptr: left alone
        std::string saved;
        bool plays;
    } cases[] = {
        {sjis, QStringLiteral("チャイム.wav"), nullptr, sjis, true},
        {sjis, QStringLiteral("チャイム.wav"), "bell.wav", "bell.wav", true},
        {"\"a b.wav\"", QStringLiteral("a b.wav"), nullptr, "\"a b.wav\"", true},
        {"\"a b.wav\"", QStringLiteral("a b.wav"), "\"a b.wav\"", "\"a b.wav\"", false},
        {"\x83\x60\x83", QStringLiteral("チ\uFFFD"), nullptr, "\x83\x60\x83", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.value));
        startWith(QByteArray::fromStdString("[SETUP]\r\nWAVFILE=" + c.value + "\r\n"));
        EXPECT_EQ(Form3->EdtWav->text(), c.shown);
        platform.onModal = [&](QWidget*) {
            if (c.typed) {
                QTest::keyClick(Form3->EdtWav, Qt::Key_A, Qt::ControlModifier);
                QTest::keyClicks(Form3->EdtWav, QString::fromLatin1(c.typed));
            }
            QTest::mouseClick(Form3->BtnOK, Qt::LeftButton);
        };
        Form1->SettingClick();
        EXPECT_EQ(Form1->WavReady, c.plays);
        ASSERT_TRUE(Form1->close());
        EXPECT_EQ(readFile(ini()).toStdString(),
                  "[SETUP]\r\nWAVFILE=" + c.saved + "\r\nHINT=1\r\nMINI=0\r\nCOLOR=2\r\n");
        windows.reset();
    }
    // A name that is no UTF-8 is more than QTemporaryDir can remove.
    std::filesystem::remove(folder.path().toStdString() + "/" + sjis);
}

// A copy without the file the install leaves is portable: its settings stay
// beside it while its folder takes files. An installed copy, or a portable one
// on a read-only disk, reads the configuration folder's file, or until that
// exists the one the user put beside the program, and writes the former.
TEST_F(Settings, APortableCopyKeepsThemBesideItselfAnInstalledOneInTheConfigFolder) {
    QTemporaryDir config;
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    const std::string besideFile = ini().toStdString();
    const std::string configFile = config.path().toStdString() + "/pipiron/pipiron.ini";
    const std::string marker = folder.path().toStdString() + "/" + kInstalledMarker;
    const std::string mine = "; mine\r\n[SETUP]\r\nHINT=0\r\n";
    const std::string saved = "MINI=0\r\nCOLOR=2\r\nWAVFILE=c:\\windows\\media\\tada.wav\r\n";
    const struct {
        bool installed, writable;
        std::string beside, inConfig;  // "": no file
        bool hint;
        std::string besideAfter, inConfigAfter;
    } cases[] = {
        {false, true, mine, "", false, mine + saved, ""},
        {false, true, "", "", true, "[SETUP]\r\nHINT=1\r\n" + saved, ""},
        {false, false, mine, "", false, mine, mine + saved},
        {true, true, mine, "", false, mine, mine + saved},
        {true, true, mine, "[SETUP]\r\nHINT=1\r\n", true, mine, "[SETUP]\r\nHINT=1\r\n" + saved},
        {true, false, "", "", true, "", "[SETUP]\r\nHINT=1\r\n" + saved},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "installed " << c.installed << ", writable " << c.writable << ", beside "
                     << !c.beside.empty() << ", in config " << !c.inConfig.empty());
        std::filesystem::remove_all(config.path().toStdString() + "/pipiron");
        for (const std::string& file : {besideFile, marker}) std::filesystem::remove(file);
        if (c.installed) writeBytes(marker, "");
        if (!c.beside.empty()) writeBytes(besideFile, c.beside);
        if (!c.inConfig.empty()) {
            std::filesystem::create_directories(config.path().toStdString() + "/pipiron");
            writeBytes(configFile, c.inConfig);
        }
        setFolderProbe([&](const std::string&) { return c.writable; });
        start();
        EXPECT_EQ(Form3->CheckHint->isChecked(), c.hint);
        ASSERT_TRUE(Form1->close());
        windows.reset();
        EXPECT_EQ(std::filesystem::exists(besideFile) ? readBytes(besideFile) : "", c.besideAfter);
        EXPECT_EQ(std::filesystem::exists(configFile) ? readBytes(configFile) : "",
                  c.inConfigAfter);
    }
    setFolderProbe(nullptr);
    qputenv("XDG_CONFIG_HOME", oldConfig);
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
