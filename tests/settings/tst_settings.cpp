// The settings as the user meets them: read at start-up, changed in the settings window,
// saved when the program closes, in the file where this copy keeps them.
#include "windowfixture.h"

#include "app/helpdocument.h"
#include "settings/radiogroup.h"
#include "settings/settingslocation.h"

#include <QClipboard>
#include <QLineEdit>
#include <QRadioButton>

#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <fstream>
#include <functional>
#include <thread>

// While this is set, the system refuses the program new threads, as when out of processes.
static std::atomic<bool> g_refuseThreads = false;

extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attributes,
                              void* (*run)(void*), void* argument) noexcept {
    using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);
    static const auto create = reinterpret_cast<Create>(::dlsym(RTLD_NEXT, "pthread_create"));
    return g_refuseThreads ? EAGAIN : create(thread, attributes, run, argument);
}

namespace {

class Settings : public WindowTest {
protected:
    QString path(const char* name) const { return folder.filePath(QString::fromUtf8(name)); }
    void startWith(const std::string& content) {
        put(path("pipiron.ini"), content);
        start();
    }
    // The settings window, answered by `act` and closed with OK.
    void inSettings(const std::function<void()>& act) {
        platform.onModal = [act](QWidget*) {
            act();
            QTest::mouseClick(Form3->BtnOK, Qt::LeftButton);
        };
        Form1->Setting->trigger();
    }
    // The sound's name typed, or pasted, over the one shown.
    static void type(const char* text, bool paste = false) {
        QTest::keyClick(Form3->EdtWav, Qt::Key_A, Qt::ControlModifier);
        if (!paste) return QTest::keyClicks(Form3->EdtWav, QString::fromUtf8(text));
        QGuiApplication::clipboard()->setText(QString::fromUtf8(text));
        QTest::keyClick(Form3->EdtWav, Qt::Key_V, Qt::ControlModifier);
    }
    // The program closes; what it left in `file`.
    std::string closed(const char* file = "pipiron.ini") {
        EXPECT_TRUE(Form1->close());
        windows.reset();
        return got(path(file));
    }
    static std::pair<QColor, QColor> miniColours() {
        return {Form4->palette().color(QPalette::Window),
                Form4->LblTimer->palette().color(QPalette::WindowText)};
    }
};

// Blue with aqua figures by default; a colour out of range selects none, shows black, saves -1.
TEST_F(Settings, TheColourChosenColoursTheMiniTimer) {
    start();
    EXPECT_EQ(miniColours(), std::pair(QColor(Qt::blue), QColor(Qt::cyan)));
    const std::pair<QColor, QColor> colours[] = {{Qt::black, Qt::green},
                                                 {Qt::white, Qt::black},
                                                 {Qt::blue, Qt::cyan},
                                                 {Qt::yellow, Qt::red}};
    const auto buttons = Form3->RGColor->findChildren<QRadioButton*>();
    for (int i : {3, 0, 1, 2}) {
        inSettings([&] { QTest::keyClick(buttons[i], Qt::Key_Space); });
        EXPECT_EQ(miniColours(), colours[i]) << i;
    }
    windows.reset();
    startWith("[SETUP]\r\nCOLOR=-5\r\n");
    for (const QRadioButton* button : Form3->RGColor->findChildren<QRadioButton*>())
        EXPECT_FALSE(button->isChecked());
    EXPECT_EQ(miniColours(), colours[0]);
    EXPECT_NE(closed().find("COLOR=-1\r\n"), std::string::npos);
}

// Each key on its own line, other lines kept; a Shift-JIS sound name keeps its bytes till retyped.
TEST_F(Settings, ClosingSavesWhatTheSettingsWindowShows) {
    const std::string sjis = "\x83\x60\x83\x83\x83\x43\x83\x80.wav";  // チャイム.wav
    const struct {
        const char* typed;  // nullptr: the name is left alone
        std::string saved;
    } cases[] = {{nullptr, sjis}, {"bell.wav", "bell.wav"}};
    for (const auto& c : cases) {
        startWith("; mine\r\n[SETUP]\r\nWAVFILE=" + sjis + "\r\n[Other]\r\nx=1\r\n");
        EXPECT_EQ(Form3->EdtWav->text(), QStringLiteral("チャイム.wav"));
        inSettings([&] {
            QTest::keyClick(Form3->CheckTop, Qt::Key_Space);
            QTest::keyClick(Form3->CheckHint, Qt::Key_Space);
            if (c.typed) type(c.typed);
        });
        EXPECT_EQ(closed(), "; mine\r\n[SETUP]\r\nWAVFILE=" + c.saved +
                                "\r\nHINT=0\r\nMINI=1\r\nCOLOR=2\r\n[Other]\r\nx=1\r\n");
    }
}

// A sound that cannot be opened: the exclamation beep, a message under the program's name. One
// chosen with a drive letter then rings from media/; a missing one chosen while ringing beeps.
TEST_F(Settings, TheAlarmRingsTheSoundChosenAfterAMissingOne) {
    writeSound();
    startWith("[SETUP]\r\nWAVFILE=missing.wav\r\n");
    EXPECT_EQ(platform.beeps, std::vector<unsigned>{48});
    EXPECT_EQ(platform.messages, std::vector<QString>{QStringLiteral(
                                     "ファイルが見つかりません\r\nMessageBeepを使用します")});
    inSettings([] { type("d:\\sounds\\tada.wav"); });
    QTest::mouseClick(Form1->BtnSet, Qt::LeftButton);
    tickSeconds(2);
    EXPECT_EQ(platform.ringing.size(), 1u);
    // A missing one chosen while it rings: one box, and each tick inside it beeps.
    platform.onMessage = [this] { tickSeconds(2); };
    inSettings([] { type("gone.wav"); });
    EXPECT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.messageTitles.back(), "ぴぴろん");
    EXPECT_TRUE(platform.errors.empty());
    EXPECT_EQ(platform.beeps, (std::vector<unsigned>{48, 48, 0, 0}));
}

// A sound named in a settings file from Windows is found as Windows finds it, at start and
// when confirmed in the settings window, also where Shift-JIS looks like UTF-8 or has a trail
// byte "\"; the alarm rings it, and the name goes back to the file as its own bytes.
TEST_F(Settings, ASoundNamedTheWindowsWayRings) {
    const std::string sjis = "\x83\x5C\x95\x5C.wav";  // ソ表.wav: both trail bytes are "\\"
    const struct {
        std::string value;
        std::string file;  // as named on the disk
        const char* shown;
    } cases[] = {
        {sjis, "ソ表.wav", "ソ表.wav"},
        {sjis, sjis, "ソ表.wav"},
        {"c:\\x\\" + sjis, "media/" + sjis, "c:\\x\\ソ表.wav"},
        {"\xC0\xB2.wav", "ﾀｲ.wav", "ﾀｲ.wav"},  // ﾀｲ: in the form of UTF-8, but overlong
        {"c:\\windows\\media\\TADA.WAV", "media/tada.wav", "c:\\windows\\media\\TADA.WAV"}};
    const auto wav = makeWav16(std::vector<std::int16_t>(22050, 1000), 1, 22050);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        QDir(folder.path()).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(path("media")));
        const std::string file = folder.path().toStdString() + "/" + c.file;
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(wav.data()), std::streamsize(wav.size()));
        startWith("[SETUP]\r\nWAVFILE=" + c.value + "\r\n");
        EXPECT_EQ(Form3->EdtWav->text(), QString::fromUtf8(c.shown));
        inSettings([&] { type(c.shown, true); });
        QTest::mouseClick(Form1->BtnSet, Qt::LeftButton);
        tickSeconds(2);
        EXPECT_EQ(platform.ringing.size(), 1u);
        EXPECT_TRUE(platform.beeps.empty()) << "the desktop beeped instead";
        EXPECT_EQ(closed(),
                  "[SETUP]\r\nWAVFILE=" + c.value + "\r\nHINT=1\r\nMINI=0\r\nCOLOR=2\r\n");
        platform.beeps.clear();
        platform.ringing.clear();
        ::unlink(file.c_str());  // a name no QString holds
    }
}

// A sound's name is drawn as any text box draws its script: Arabic letters joined,
// an accent over its letter; the program's own Japanese and Latin alike.
TEST_F(Settings, ASoundsNameIsDrawnAsItsScriptIsWritten) {
    start();
    for (const char* name : {"منبه.wav", "Cafe\u0301.wav", "チャイム.wav"}) {
        SCOPED_TRACE(name);
        inSettings([&] { type(name, true); });
        QLineEdit shaped(Form3->EdtWav->text(), Form3);
        QFont font = Form3->EdtWav->font();
        font.setStyleStrategy(QFont::PreferDefault);
        shaped.setFont(font);
        shaped.setGeometry(Form3->EdtWav->geometry());
        shaped.setCursorPosition(Form3->EdtWav->cursorPosition());
        EXPECT_EQ(Form3->EdtWav->grab().toImage(), shaped.grab().toImage());
    }
}

// A sound that fails for another reason than its file is no missing file: the error says why.
TEST_F(Settings, OnlyTheSoundsOwnFailureIsAMissingFile) {
    writeSound();
    start();
    inSettings([] { g_refuseThreads = true; });
    g_refuseThreads = false;
    EXPECT_TRUE(platform.messages.empty());
    EXPECT_EQ(platform.errors, std::vector{QStringLiteral("Resource temporarily unavailable")});
}

// A FIFO as the sound hangs nothing: at start and chosen, it cannot be opened, and it beeps.
TEST_F(Settings, APipeAsTheSoundIsAFileThatCannotBeOpened) {
    const QByteArray pipe = path("pipe.wav").toLocal8Bit();
    ASSERT_EQ(::mkfifo(pipe.constData(), 0600), 0);
    // A program stuck opening the pipe is let go after a while, and the test fails.
    std::atomic<bool> done = false, hung = false;
    std::jthread watchdog([&] {
        for (int waited = 0; !done; waited += 50) {
            const int fd = waited < 30000 ? -1 : ::open(pipe.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) hung = true, ::close(fd);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
    startWith("[SETUP]\r\nWAVFILE=pipe.wav\r\n");
    inSettings([] { type("pipe.wav"); });
    QTest::mouseClick(Form1->BtnSet, Qt::LeftButton);
    tickSeconds(2);
    done = true;
    EXPECT_FALSE(hung) << "hung opening the pipe";
    EXPECT_EQ(platform.messages.size(), 2u);
    EXPECT_EQ(platform.beeps, (std::vector<unsigned>{48, 48, 0, 0}));
}

// A settings file the program will not write keeps every byte, and the user is told: a
// read-only one at the close, which it refuses; a huge one at start, and the close leaves it.
TEST_F(Settings, AFileItWillNotWriteStaysAsItIs) {
    const std::string mine = "[SETUP]\r\nHINT=0\r\n";
    const QString unwritable = path("pipiron.ini") + " に書き込めません";
    const struct {
        const char* name;
        std::function<void()> make;
        const char* atStart;  // the message, nullptr for none
        bool closes;
    } cases[] = {
        {"read-only", [&] { ::chmod(path("pipiron.ini").toLocal8Bit().constData(), 0444); },
         nullptr, false},
        {"30 MB", [&] { QFile(path("pipiron.ini")).resize(30 << 20); }, "大きすぎる", true},
    };
    writeSound();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        put(path("pipiron.ini"), mine);
        c.make();
        const std::string before = got(path("pipiron.ini"));
        platform.messages.clear();
        platform.errors.clear();
        start();
        ASSERT_EQ(platform.messages.size(), c.atStart ? 1u : 0u);
        EXPECT_TRUE(!c.atStart || platform.messages[0].contains(QString::fromUtf8(c.atStart)));
        EXPECT_EQ(Form3->CheckHint->isChecked(), c.closes) << "read";
        EXPECT_EQ(Form1->close(), c.closes);
        EXPECT_EQ(platform.errors, std::vector(c.closes ? 0 : 1, unwritable));
        windows.reset();
        EXPECT_TRUE(got(path("pipiron.ini")) == before);
        QFile::remove(path("pipiron.ini"));
    }
}

// A private settings file kept elsewhere through a link, in UTF-16 with a stray last byte and
// no last line break: the close writes into it, keeping the link, the mode and the other bytes.
TEST_F(Settings, ClosingKeepsTheFileAsTheUserKeepsIt) {
    ::umask(022);  // new files would be readable by all
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("mine")));
    const QString mine = path("mine/settings.ini");
    put(mine, utf16(u"[SETUP]\r\nHINT=0") + "!");
    ASSERT_EQ(::chmod(mine.toLocal8Bit().constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(mine, path("pipiron.ini")));
    start();
    EXPECT_FALSE(Form3->CheckHint->isChecked());
    const std::string saved = utf16(
        u"[SETUP]\r\nHINT=0\r\nMINI=0\r\nCOLOR=2\r\nWAVFILE=c:\\windows\\media\\tada.wav\r\n");
    EXPECT_EQ(closed("mine/settings.ini"), saved + "!");
    EXPECT_TRUE(QFileInfo(path("pipiron.ini")).isSymLink());
    struct stat st {};
    ASSERT_EQ(::stat(mine.toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
}

// A portable copy keeps its settings beside itself while its folder takes files; an installed
// one, or one whose folder takes none (whatever access() says), in the configuration folder,
// made at the first save, reading the file beside it till then. A relative XDG path is ignored.
TEST_F(Settings, EachCopyKeepsItsSettingsWhereItCanWriteThem) {
    const QString full = path("full"), config = path("config"), home = path("home");
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("full")));
    if (::mount("tmpfs", full.toLocal8Bit().constData(), "tmpfs", 0, "nr_inodes=1") != 0)
        GTEST_SKIP() << "cannot mount a full disk here";
    const QByteArray homeBefore = qgetenv("HOME");
    qputenv("HOME", home.toUtf8());
    const std::string mine = "; mine\r\n[SETUP]\r\nHINT=0\r\n";
    const struct {
        const char* program;
        bool installed;
        QString xdg;
        const char* file;  // where the settings are saved
        std::string saved;
    } cases[] = {
        {"pipiron.bin", false, config, "pipiron.ini", mine},
        {"pipiron", true, config, "config/pipiron/pipiron.ini", mine},
        {"pipiron", true, QDir::current().relativeFilePath(config),
         "home/.config/pipiron/pipiron.ini", mine},
        {"full/pipiron", false, config, "config/pipiron/pipiron.ini", "[SETUP]\r\nHINT=1\r\n"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        QDir(config).removeRecursively();
        QDir(home).removeRecursively();
        QFile::remove(path(kInstalledMarker));
        if (c.installed) put(path(kInstalledMarker), "");
        put(path("pipiron.ini"), mine);
        qputenv("XDG_CONFIG_HOME", c.xdg.toUtf8());
        platform.exe = path(c.program);
        start();
        EXPECT_FALSE(QFileInfo::exists(config) || QFileInfo::exists(home)) << "made at start";
        EXPECT_EQ(Form3->CheckHint->isChecked(), c.saved != mine);
        EXPECT_EQ(closed(c.file),
                  c.saved + "MINI=0\r\nCOLOR=2\r\nWAVFILE=c:\\windows\\media\\tada.wav\r\n");
        EXPECT_TRUE(!c.installed || got(path("pipiron.ini")) == mine) << "the file beside it";
    }
    ::umount2(full.toLocal8Bit().constData(), MNT_DETACH);
    qunsetenv("XDG_CONFIG_HOME");
    qputenv("HOME", homeBefore);
}

// Help opens the help file of the program's name, else a page of that name, else pipiron's.
TEST_F(Settings, HelpFindsAPageForARenamedProgram) {
    platform.exe = path("mezamashi.bin");
    start();
    for (const char* file : {"pipiron.html", "mezamashi.html", "mezamashi.hlp"}) {
        put(path(file), "");
        platform.helps.clear();
        Form1->K5->trigger();
        ASSERT_EQ(platform.helps.size(), 1u);
        EXPECT_EQ(helpDocumentFor(std::get<0>(platform.helps[0])), path(file));
    }
}

}  // namespace
