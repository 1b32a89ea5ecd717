// The built program as a user starts it on a real desktop, worked with the X tools.
#include "fakedesktop.h"
#include "settings/testfiles.h"

#include <QApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPalette>
#include <QProcess>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTest>
#include <QTime>

#include <gtest/gtest.h>

#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>

#include <array>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <list>
#include <span>

namespace {

// How long a wait for what the user would see may last: a busy sanitizer build draws slowly.
constexpr int kPatience = 90000;

// The program has ended, or ends within a while; `cleanly`: by itself, with success.
bool ended(QProcess& program, bool cleanly = true) {
    return (program.state() == QProcess::NotRunning || program.waitForFinished(30000)) &&
           (!cleanly || (program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0));
}

// The close box stands at the right end of a title bar.
QPoint closeBoxOf(const QRect& bar) {
    const int box = bar.height() - 4;
    return {bar.right() - 1 - box / 2, bar.top() + 2 + box / 2};
}

// Whether the bar's right half, up to the close box if `withClose`, shows no other button.
bool nothingElseOn(const QImage& screen, const QRect& bar, bool withClose) {
    const int end = withClose ? closeBoxOf(bar).x() - bar.height() / 2 - 2 : bar.right();
    const QRgb colour = screen.pixel(bar.topLeft());
    for (int x = bar.center().x(); x <= end; ++x)
        if (screen.pixel(x, bar.center().y()) != colour) return false;
    return !withClose || screen.pixel(closeBoxOf(bar) + QPoint(0, -2)) != colour;
}

// A real desktop for one test: Xvfb on a free display, bare, with openbox, or with weston on it
// (its X11 back end, which the X tools' pointer and keys reach) and the program on Wayland.
// Programs started here get the desktop, a fresh home and no session bus.
enum class Shell { BareX, Openbox, Weston };

class Desktop {
public:
    explicit Desktop(Shell shell = Shell::BareX) : m_shell(shell) {}
    ~Desktop() {
        for (auto process = m_processes.rbegin(); process != m_processes.rend(); ++process)
            process->terminate(), process->waitForFinished(5000);
    }

    // Starts the server and the shell on it, and waits until they are ready.
    bool start() {
        // Displays away from a desktop at :0. Without -noreset the server resets when
        // its last client leaves and refuses whoever connects meanwhile.
        for (int number = 60; m_display.isEmpty() && number < 100; ++number) {
            // Room beside weston's output, for the pointer to enter it from.
            const QString size = m_shell == Shell::Weston ? "1124x868x24" : "1024x768x24";
            QProcess& server = launch("Xvfb", {":" + QString::number(number), "-displayfd", "1",
                                               "-screen", "0", size, "-noreset"});
            while (!server.canReadLine() && server.waitForReadyRead(10000)) {
            }
            if (server.canReadLine()) m_display = ":" + QString::number(number), m_shown = &server;
        }
        // A window mapped before openbox manages windows may wait unmanaged: the mark
        // its startup command sets on the root window says it is ready.
        if (m_shell == Shell::Openbox)
            launch("openbox", {"--startup", "xprop -root -f _UP 8s -set _UP yes"});
        if (m_shell == Shell::Weston) {
            // Never idle, and without its on-screen keyboard over the windows.
            const QString config = m_home.filePath("weston.ini");
            if (!put(config, "[core]\nidle-time=0\n[input-method]\npath=\n")) return false;
            m_shown = &launch("weston", {"--backend=x11-backend.so", "--socket=pipiron-test",
                                         "--width=1024", "--height=768", "--config=" + config});
        }
        const bool ready = QTest::qWaitFor(
            [&] {
                if (m_shell == Shell::Weston)  // its panel is drawn
                    return screen().pixel(512, 10) != screen().pixel(512, 300);
                const QString mark = run("xprop", {"-root", "_UP"});
                return m_shell == Shell::Openbox ? mark.endsWith("\"yes\"") : !mark.isEmpty();
            },
            kPatience);
        if (m_shell == Shell::Weston) enterWeston(QPoint(500, 400));
        return ready;
    }

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"WAYLAND_DISPLAY", "SESSION_MANAGER"}) env.remove(name);
        const bool wayland = m_shell == Shell::Weston;
        for (const auto& [name, value] : {std::pair{"DISPLAY", m_display},
                                          {"HOME", m_home.path()},
                                          {"XDG_CONFIG_HOME", m_home.filePath(".config")},
                                          {"XDG_RUNTIME_DIR", m_home.path()},
                                          {"QT_QPA_PLATFORM", wayland ? "wayland" : "xcb"},
                                          {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent"}})
            env.insert(name, value);
        if (wayland) {
            env.insert("WAYLAND_DISPLAY", "pipiron-test");
            // Qt's Wayland plugin leaves libwayland's allocations behind at its end.
            env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":detect_leaks=0");
        }
        return env;
    }

    // Starts a program on this desktop with `more` in its environment; it ends with the desktop.
    QProcess& launch(const QString& program, const QStringList& arguments,
                     const QList<std::pair<QString, QString>>& more = {}) {
        QProcessEnvironment env = environment();
        for (const auto& [name, value] : more) env.insert(name, value);
        QProcess& process = m_processes.emplace_back();
        process.setProcessEnvironment(env);
        process.start(program, arguments);
        process.waitForStarted();
        return process;
    }

    // Runs a tool to its end and gives what it printed.
    QByteArray output(const QString& program, const QStringList& arguments) const {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(program, arguments);
        if (!process.waitForFinished(15000)) process.kill();
        process.waitForFinished();
        return process.readAllStandardOutput();
    }
    QString run(const QString& program, const QStringList& arguments) const {
        return QString::fromUtf8(output(program, arguments)).trimmed();
    }

    // The id of the first showing window whose title matches, waiting for it to appear.
    QString windowNamed(const QString& title, int timeout = kPatience) const {
        QString id;
        const QStringList search = {"search", "--onlyvisible", "--name", title};
        (void)QTest::qWaitFor(
            [&] { return !(id = run("xdotool", search).section('\n', 0, 0)).isEmpty(); }, timeout);
        if (id.isEmpty() && timeout > 0) ADD_FAILURE() << "no window " << title.toStdString();
        return id;
    }

    // The window's place among top-level windows, 0 on top: the manager's or the server's order.
    int depth(const QString& window) const {
        const QString list = run("xprop", {"-root", "-notype", "_NET_CLIENT_LIST_STACKING"});
        QStringList ids = list.contains('#') ? list.section('#', 1).split(',')
                                             : run("xwininfo", {"-root", "-children"}).split('\n');
        if (list.contains('#')) std::reverse(ids.begin(), ids.end());
        for (QString& id : ids)
            id = QString::number(id.trimmed().section(' ', 0, 0).toULongLong(nullptr, 16));
        return int(ids.indexOf(window));
    }

    // What the screen shows, as ImageMagick takes it (xwd misses windows of another depth).
    QImage screen() const {
        return QImage::fromData(output("import", {"-window", "root", "png:-"}), "PNG")
            .convertToFormat(QImage::Format_RGB32);
    }

    // Waits until a program window of a matching width is active; gives its title bar.
    QRect activeTitleBar(const std::function<bool(int)>& width, int timeout = kPatience) const {
        QRect bar;
        (void)QTest::qWaitFor(
            [&] {
                bar = m_shell == Shell::Weston ? activeTitleBarOn(screen()) : activeX11TitleBar();
                return bar.isValid() && width(bar.width());
            },
            timeout);
        return bar.isValid() && width(bar.width()) ? bar : QRect();
    }

    // Whether the active window's title bar offers only a move and, if `closable`, a close box.
    bool offersOnly(const QRect& bar, bool closable) const {
        if (m_shell == Shell::Weston) return nothingElseOn(screen(), bar, closable);
        const QString window = run("xdotool", {"getactivewindow"});
        const QString allowed = run("xprop", {"-id", window, "_NET_WM_ALLOWED_ACTIONS"});
        return !allowed.isEmpty() && !allowed.contains("MAXIMIZE") && !allowed.contains("RESIZE") &&
               run("xprop", {"-id", window, "_MOTIF_WM_HINTS"})
                   .endsWith(closable ? "0x3, 0x24, 0x1a, 0x0, 0x0" : "0x3, 0x4, 0xa, 0x0, 0x0");
    }

    // Closes the active window as its title bar does: the close box, or the manager's key.
    void close(const QRect& bar) const {
        m_shell == Shell::Weston ? click(closeBoxOf(bar)) : keys("alt+F4");
    }

    // The X server, or on Wayland the compositor, goes away.
    void loseDisplay() {
        m_shown->terminate();
        m_shown->waitForFinished(5000);
    }

    // Pointer and keys, as the user works them.
    void moveTo(const QPoint& at) const {
        run("xdotool", {"mousemove", QString::number(at.x()), QString::number(at.y())});
        QTest::qWait(100);
    }
    void click(const QPoint& at, const QString& button = "1") const {
        if (m_shell == Shell::Weston) enterWeston(at);
        moveTo(at + QPoint(3, 3));
        moveTo(at);
        run("xdotool", {"click", button});
    }
    void keys(const QString& keys) const {
        run("xdotool", QStringList{"key", "--delay", "150"} + keys.split(' '));
        QTest::qWait(300);
    }
    // A key pressed in a window given the keyboard, without a window manager too.
    void press(const QString& window, const QString& key) const {
        run("xdotool", {"windowfocus", "--sync", window});
        run("xdotool", {"key", key});
    }

private:
    // Weston's pointer follows the X pointer only once it has entered weston's output
    // window, which may have opened under it: before, a click lands on its panel.
    void enterWeston(const QPoint& at) const {
        for (const QPoint& to : {QPoint(1100, 850), at + QPoint(10, 10)}) moveTo(to);
    }

    // The window manager's title bar above the active window: its frame's top.
    QRect activeX11TitleBar() const {
        const QString window = run("xdotool", {"getactivewindow"});
        QHash<QString, int> at;
        for (const QString& line : run("xwininfo", {"-id", window}).split('\n'))
            at[line.section(':', 0, 0).trimmed()] = line.section(':', 1).trimmed().toInt();
        const QString frame = run("xprop", {"-id", window, "-notype", "_NET_FRAME_EXTENTS"});
        const int top = frame.section('=', 1).section(',', 2, 2).trimmed().toInt();
        if (window.isEmpty() || top <= 0) return {};
        return QRect(at["Absolute upper-left X"], at["Absolute upper-left Y"] - top, at["Width"],
                     top);
    }

    // The program's own title bar, in the highlight colour while active: its unbroken first row.
    static QRect activeTitleBarOn(const QImage& screen) {
        const QRgb highlight = QApplication::palette().color(QPalette::Highlight).rgb();
        const auto lit = [&](int x, int y) { return screen.pixel(x, y) == highlight; };
        for (int y = 1; y < screen.height(); ++y)
            for (int x = 0, run = 0; x < screen.width(); x += run + 1) {
                for (run = 0; x + run < screen.width() && lit(x + run, y) && !lit(x + run, y - 1);)
                    ++run;
                if (run < 190) continue;
                int height = 0;
                while (y + height < screen.height() && lit(x, y + height)) ++height;
                return QRect(x, y, run, height);
            }
        return {};
    }

    Shell m_shell;
    QProcess* m_shown = nullptr;  // what shows the windows: the server or the compositor
    QTemporaryDir m_home;
    QString m_display;
    std::list<QProcess> m_processes;
};

// A portable copy of the built program: a folder of its own, a settings file beside it.
struct ProgramCopy {
    explicit ProgramCopy(const std::string& settings = "[SETUP]\r\nWAVFILE=" PIPIRON_CHIME "\r\n",
                         const QString& name = "pipiron")
        : program(folder.filePath(name)),
          ok(QFile::copy(PIPIRON_EXE, program) && put(ini, settings)) {}
    QByteArray saved() const { return QByteArray::fromStdString(got(ini)); }  // "-": none
    QTemporaryDir folder;
    const QString program, ini = folder.filePath("pipiron.ini");
    const bool ok;
};

// A session manager of the test's own, for one client: what the client tells it.
QStringList said;
SmsConn client = nullptr;
int connections = 0;

Status newClient(SmsConn connection, SmPointer, unsigned long* mask, SmsCallbacks* cb, char**) {
    client = connection;
    *mask = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsInteractDoneProcMask |
            SmsSaveYourselfDoneProcMask | SmsCloseConnectionProcMask | SmsSetPropertiesProcMask;
    cb->register_client.callback = [](SmsConn c, SmPointer, char* previous) -> Status {
        std::free(previous);
        char* id = SmsGenerateClientID(c);
        const Status registered = SmsRegisterClientReply(c, id);
        std::free(id);
        return registered;
    };
    cb->interact_request.callback = [](SmsConn, SmPointer, int) { said << "InteractRequest"; };
    cb->interact_done.callback = [](SmsConn, SmPointer, Bool no) {
        said << (no ? "Done cancel" : "Done");
    };
    cb->save_yourself_done.callback = [](SmsConn, SmPointer, Bool ok) {
        said << (ok ? "Saved" : "Not saved");
    };
    cb->close_connection.callback = [](SmsConn c, SmPointer, int count, char** reasons) {
        SmFreeReasons(count, reasons);
        SmsCleanUp(c);
    };
    cb->set_properties.callback = [](SmsConn, SmPointer, int count, SmProp** properties) {
        for (int i = 0; i < count; ++i) SmFreeProperty(properties[i]);
        std::free(properties);
    };
    return 1;
}

// Takes clients while `owner` lives, read in the event loop; gives SESSION_MANAGER's address.
QString listenForSessionClients(QObject* owner) {
    char error[256] = {};
    const IceHostBasedAuthProc anyHost = [](char*) -> Bool { return True; };
    IceSetIOErrorHandler([](IceConn) {});
    SmsInitialize("test", "1", newClient, nullptr, anyHost, sizeof error, error);
    int count = 0;
    IceListenObj* listeners = nullptr;
    IceListenForConnections(&count, &listeners, sizeof error, error);
    for (const IceListenObj listener : std::span(listeners, count)) {
        IceSetHostBasedAuthProc(listener, anyHost);
        auto* accept = new QSocketNotifier(IceGetListenConnectionNumber(listener),
                                           QSocketNotifier::Read, owner);
        QObject::connect(accept, &QSocketNotifier::activated, owner, [owner, listener] {
            IceAcceptStatus status;
            IceConn ice = IceAcceptConnection(listener, &status);
            ++connections;
            auto* read =
                new QSocketNotifier(IceConnectionNumber(ice), QSocketNotifier::Read, owner);
            QObject::connect(read, &QSocketNotifier::activated, owner, [ice, read] {
                const IceProcessMessagesStatus status = IceProcessMessages(ice, nullptr, nullptr);
                if (status == IceProcessMessagesSuccess) return;
                read->setEnabled(false);
                --connections;
                if (status == IceProcessMessagesIOError) IceCloseConnection(ice);
            });
        });
    }
    char* ids = IceComposeNetworkIdList(count, listeners);
    const QString address = QString::fromLatin1(ids);
    std::free(ids);
    QObject::connect(owner, &QObject::destroyed, owner,
                     [=] { IceFreeListenObjs(count, listeners); });
    return address;
}

// The next `count` things the client says, and anything more it says right after.
QStringList next(qsizetype count) {
    (void)QTest::qWaitFor([&] { return said.size() >= count; }, kPatience);
    QTest::qWait(200);
    return std::exchange(said, {});
}

// A renamed copy with a missing sound, no sound device and no window manager: the start-up
// message, the desktop's own beep, the notification and the logout inhibition, and the logout
// that asks once, lets ｷｬﾝｾﾙ cancel it and saves once.
TEST(OnTheDesktop, TheSessionEndsTheProgramAfterOneQuestion) {
    ProgramCopy copy("[SETUP]\r\nWAVFILE=missing.wav\r\n", "pipiron.AppImage");
    Desktop desktop;
    ASSERT_TRUE(copy.ok && desktop.start());
    QObject owner;
    const QString address = listenForSessionClients(&owner);
    // A session bus of its own, where the test owns the desktop's names.
    QProcess& bus = desktop.launch("dbus-daemon", {"--session", "--print-address=1", "--nofork"});
    ASSERT_TRUE(bus.waitForReadyRead(5000));
    const QString busAddress = bus.readLine().trimmed();
    FakeDesktop attention(busAddress);
    ASSERT_TRUE(attention.serving);
    const auto calls = [&](const char* member, int count) {
        return attention.waitFor(member, count, kPatience);
    };

    // The bells of the X server, as xkbevd reports them.
    QProcess& xkbevd = desktop.launch("xkbevd", {"-cfg", "/dev/stdin"});
    xkbevd.write("Bell() shell \"true\"\n");
    xkbevd.closeWriteChannel();
    QByteArray heard;
    const auto bells = [&] { return (heard += xkbevd.readAllStandardError()).count("Executing"); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return desktop.run("xkbbell", {}), bells() > 0; }));
    const qsizetype bellsBefore = bells();
    while (QTime::currentTime().second() > 40) QTest::qWait(500);  // rings in one minute

    QProcess& program = desktop.launch(copy.program, {},
                                       {{"SDL_AUDIODRIVER", "none"},
                                        {"SESSION_MANAGER", address},
                                        {"DBUS_SESSION_BUS_ADDRESS", busAddress}});
    const QString message = desktop.windowNamed("^pipiron$");  // the program's own name
    EXPECT_TRUE(desktop.windowNamed("^ぴぴろん$", 0).isEmpty()) << "shown before its settings";
    desktop.press(message, "Return");
    const QString clock = desktop.windowNamed("^ぴぴろん$");
    ASSERT_NE(client, nullptr);
    desktop.press(clock, "Return");  // the switch: it rings at once
    EXPECT_EQ(calls("Inhibit", 1).value(0).value(1), 1u) << "no logout while armed";
    const QVariantList notice = calls("Notify", 1).value(0);
    EXPECT_TRUE(notice.value(4).toString().startsWith("アラーム "));
    EXPECT_EQ(notice.value(5), (QStringList{"off", "アラームＯＦＦ"}));

    for (const bool ok : {false, true}) {
        SCOPED_TRACE(ok ? "OK" : "ｷｬﾝｾﾙ");
        SmsSaveYourself(client, SmSaveLocal, True, SmInteractStyleAny, False);
        ASSERT_EQ(next(1), QStringList{"InteractRequest"});
        SmsInteract(client);
        const QString question = desktop.windowNamed("^警告$");
        if (!ok) {
            // The ringing window, brought forward at each tick, stays behind it.
            QTest::qWait(2500);
            EXPECT_LT(desktop.depth(question), desktop.depth(clock));
            EXPECT_GE(bells() - bellsBefore, 3) << "beeps nobody hears";
        }
        desktop.press(question, ok ? "Return" : "Escape");
        EXPECT_EQ(next(2), (QStringList{ok ? "Done" : "Done cancel", "Saved"}));
        if (!ok) SmsShutdownCancelled(client);
    }
    EXPECT_EQ(copy.saved(), "[SETUP]\r\nWAVFILE=missing.wav\r\nHINT=1\r\nMINI=0\r\nCOLOR=2\r\n");
    ASSERT_TRUE(QFile::remove(copy.ini));
    // Only the notification's own アラームＯＦＦ switches the alarm off; armed again, it
    // leaves nothing behind on the desktop when the session ends it.
    for (const uint id : {40u, 41u}) {
        EXPECT_TRUE(attention.calls.value("Close").isEmpty());
        attention.invoke(id, "off");
        QTest::qWait(300);
    }
    EXPECT_EQ(calls("Close", 1), QList<QVariantList>{{"/request/1"}});
    desktop.press(clock, "Return");
    EXPECT_EQ(calls("Notify", 2).size() + calls("Inhibit", 2).size(), 4);
    QTest::qWait(300);  // the desktop's answers reach the program
    SmsDie(client);
    ASSERT_TRUE(ended(program));
    EXPECT_TRUE(QTest::qWaitFor([] { return connections == 0; })) << "left without a word";
    EXPECT_FALSE(QFile::exists(copy.ini)) << "saved a second time";
    EXPECT_EQ(calls("CloseNotification", 2), (QList<QVariantList>{{41u}, {42u}}));
    EXPECT_EQ(calls("Close", 2), (QList<QVariantList>{{"/request/1"}, {"/request/2"}}));
}

// Typing in another program while it rings: the ringing window comes forward, the keys stay.
TEST(OnTheDesktop, KeysTypedInAnotherProgramStayThereWhileItRings) {
    ProgramCopy copy;
    Desktop desktop(Shell::Openbox);
    ASSERT_TRUE(copy.ok && desktop.start());
    QProcess& editor = desktop.launch("xev", {"-event", "keyboard"});
    const QString editorWindow = desktop.windowNamed("^Event Tester$");
    while (QTime::currentTime().second() > 40) QTest::qWait(500);  // rings in one minute
    desktop.launch(copy.program, {});
    const QString clock = desktop.windowNamed("^ぴぴろん$");
    desktop.run("xdotool", {"windowactivate", "--sync", clock});
    desktop.run("xdotool", {"key", "Return"});
    desktop.run("xdotool", {"windowactivate", "--sync", editorWindow});
    desktop.run("xdotool", QStringList{"key", "--delay", "300"} + QStringList(10, "space"));
    QTest::qWait(300);
    EXPECT_EQ(editor.readAllStandardOutput().count("KeyPress"), 10);
    EXPECT_EQ(desktop.run("xdotool", {"getactivewindow"}), editorWindow);
    EXPECT_LT(desktop.depth(clock), desktop.depth(editorWindow));
    EXPECT_TRUE(desktop.run("xprop", {"-id", clock, "_NET_WM_STATE"})
                    .contains("_NET_WM_STATE_DEMANDS_ATTENTION"));
}

// Ended by a signal, the program saves and ends normally, also while it rings with its sound
// device open (leaving nothing to the sanitizers), while a message is up and when saving fails.
TEST(OnTheDesktop, ASignalEndsTheProgramWithTheSettingsSaved) {
    Desktop desktop;
    ASSERT_TRUE(desktop.start());
    const std::tuple<int, std::string, QByteArray> cases[] = {
        {SIGHUP, "[SETUP]\r\nCOLOR=3\r\nWAVFILE=" PIPIRON_CHIME "\r\n",
         "[SETUP]\r\nCOLOR=3\r\nWAVFILE=" PIPIRON_CHIME "\r\nHINT=1\r\nMINI=0\r\n"},
        // The message about the missing sound is up when the signal comes.
        {SIGTERM, "[SETUP]\r\nMINI=1\r\nWAVFILE=missing.wav\r\n",
         "[SETUP]\r\nMINI=1\r\nWAVFILE=missing.wav\r\nHINT=1\r\nCOLOR=2\r\n"},
        {SIGINT, {}, "-"},  // the settings file is a folder: saving fails
    };
    for (const auto& [signal, settings, saved] : cases) {
        SCOPED_TRACE(signal);
        ProgramCopy copy(settings);
        ASSERT_TRUE(copy.ok &&
                    (!settings.empty() || (QFile::remove(copy.ini) && QDir().mkdir(copy.ini))));
        const bool rings = signal == SIGHUP;
        while (rings && QTime::currentTime().second() > 40) QTest::qWait(500);
        QProcess& program = desktop.launch(copy.program, {});
        // Its signals are taken before any window shows.
        const QString window = desktop.windowNamed("^(ぴぴろん|pipiron)$");
        if (rings) {
            desktop.press(window, "Return");  // armed for this very minute
            // SDL plays on a thread of its own while the device is open.
            const QString threads = QString("cat /proc/%1/task/*/comm").arg(program.processId());
            EXPECT_TRUE(QTest::qWaitFor(
                [&] {
                    return desktop.run("sh", {"-c", threads}).contains("SDLAudio");
                },
                kPatience));
        }
        ::kill(pid_t(program.processId()), signal);
        ASSERT_TRUE(ended(program));
        EXPECT_EQ(copy.saved(), saved);
    }
}

// The mini timer on the screen: the blue of its default colours.
QRect miniTimerOn(const QImage& screen) {
    QRect area;
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x)
            if (screen.pixel(x, y) == qRgb(0, 0, 255)) area |= QRect(x, y, 1, 1);
    return area;
}

const auto mainWindow = [](int width) { return width == 256; };
const auto settingsWindow = [](int width) { return width == 383; };
const auto aboutWindow = [](int width) { return width == 193; };
const auto messageBox = [](int width) { return width > 0 && width != 256 && width != 383; };

const auto shellName = [](const ::testing::TestParamInfo<Shell>& info) {
    return std::string(std::array{"X11", "Openbox", "Weston"}[int(info.param)]);
};

class OnEveryDesktop : public ::testing::TestWithParam<Shell> {};
INSTANTIATE_TEST_SUITE_P(, OnEveryDesktop, ::testing::Values(Shell::Openbox, Shell::Weston),
                         shellName);

// Every menu item by the keyboard alone (F10, Alt, arrows, Enter, Menu), the mini timer's menu
// by the right button where it is, and each window with only the title bar buttons it allows.
TEST_P(OnEveryDesktop, TheKeyboardReachesEveryMenuItem) {
    ProgramCopy copy;
    Desktop desktop(GetParam());
    ASSERT_TRUE(copy.ok && desktop.start());
    // No help viewer: a box names the page.
    QProcess& program = desktop.launch(copy.program, {}, {{"PATH", copy.folder.path()}});
    const QRect bar = desktop.activeTitleBar(mainWindow);
    ASSERT_TRUE(bar.isValid());
    EXPECT_TRUE(desktop.offersOnly(bar, true));

    const auto backInTheMainWindow = [&] {
        ASSERT_TRUE(desktop.activeTitleBar(mainWindow).isValid());
        QTest::qWait(300);  // the keyboard follows
    };
    // タイマくん, its menu where the window is, and back by the Menu key and 開く.
    desktop.keys("F10 Return");
    QRect mini;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (mini = miniTimerOn(desktop.screen())).isValid(); }));
    EXPECT_FALSE(desktop.activeTitleBar(mainWindow, 0).isValid());
    const QImage before = desktop.screen();
    // Beside it, on whichever side has room: weston may place the mini timer at an edge.
    const auto menuBeside = [&] {
        const QImage menu = desktop.screen();
        const QRect around = mini.adjusted(-150, -100, 150, 100) & menu.rect();
        int changed = 0;
        for (int y = around.top(); y <= around.bottom(); ++y)
            for (int x = around.left(); x <= around.right(); ++x)
                changed += !mini.contains(x, y) && menu.pixel(x, y) != before.pixel(x, y);
        return changed > 1000;
    };
    // A press the desktop took before the window had the pointer is pressed again.
    bool shown = false;
    for (int press = 0; press < 3 && !shown; ++press) {
        desktop.click(mini.center(), "3");
        shown = QTest::qWaitFor(menuBeside, 10000);
    }
    EXPECT_TRUE(shown) << "no menu beside the mini timer";
    desktop.keys("Escape Menu Down Return");
    // 設定 with its close box; the hints switched off and OK.
    backInTheMainWindow();
    desktop.keys("F10 Right Return");
    const QRect settings = desktop.activeTitleBar(settingsWindow);
    EXPECT_TRUE(settings.isValid() && desktop.offersOnly(settings, true));
    desktop.keys("Tab space Tab Tab Tab space");
    // 情報 > About, without a close box, and 情報 > ヘルプ, whose box names the page.
    backInTheMainWindow();
    desktop.keys("F10 Right Right Down Down Return");
    const QRect about = desktop.activeTitleBar(aboutWindow);
    EXPECT_TRUE(about.isValid() && desktop.offersOnly(about, false));
    desktop.keys("Return");
    backInTheMainWindow();
    desktop.keys("F10 Right Right Down Return");
    EXPECT_TRUE(desktop.activeTitleBar(messageBox).isValid());
    desktop.keys("Return");
    // 終了 through Alt.
    backInTheMainWindow();
    desktop.keys("alt Right Right Right Return");
    ASSERT_TRUE(ended(program));
    EXPECT_TRUE(copy.saved().contains("HINT=0"));
}

// The title bar: a double click changes nothing, a drag moves the window, the close box asks
// while armed. The program lives on past the next minute, and ends by the close box and OK.
TEST_P(OnEveryDesktop, TheTitleBarMovesTheWindowAndClosesIt) {
    ProgramCopy copy;
    Desktop desktop(GetParam());
    ASSERT_TRUE(copy.ok && desktop.start());
    // The fake time's library comes before the sanitizer's.
    const QString asan = desktop.environment().value("ASAN_OPTIONS") + ":verify_asan_link_order=0";
    QProcess& program = desktop.launch(
        "faketime", {"-f", "@2026-03-04 10:09:48", copy.program},
        {{"FAKETIME_DONT_FAKE_MONOTONIC", "1"}, {"NO_FAKE_STAT", "1"}, {"ASAN_OPTIONS", asan}});
    QElapsedTimer started;
    started.start();
    const QRect bar = desktop.activeTitleBar(mainWindow);
    ASSERT_TRUE(bar.isValid());
    const QPoint grip = bar.topLeft() + QPoint(150, bar.height() / 2);
    desktop.click(grip);
    desktop.run("xdotool", {"click", "--repeat", "2", "1"});
    QTest::qWait(1000);
    EXPECT_EQ(desktop.activeTitleBar(mainWindow), bar) << "a double click changed the window";
    desktop.run("xdotool", {"mousedown", "1"});
    for (const int step : {20, 40, 80, 120}) desktop.moveTo(grip + QPoint(step, step / 2));
    desktop.run("xdotool", {"mouseup", "1"});
    QRect moved;
    EXPECT_TRUE(QTest::qWaitFor([&] {
        moved = desktop.activeTitleBar(mainWindow);
        // Carried from where the drag set in, at most the first step after the press.
        return QRect(98, 48, 25, 15).contains(moved.topLeft() - bar.topLeft());
    })) << "moved to "
        << moved.x() << "," << moved.y() << " from " << bar.x() << "," << bar.y();

    if (GetParam() == Shell::Openbox) {  // its minimise button, which the window undoes
        desktop.run("xdotool", {"windowminimize", desktop.run("xdotool", {"getactivewindow"})});
        EXPECT_EQ(desktop.activeTitleBar(mainWindow), moved);
    }
    // Armed for five minutes on, so it does not ring meanwhile.
    desktop.keys("Tab Tab Tab Tab space shift+Tab shift+Tab shift+Tab shift+Tab Return");
    desktop.close(moved);
    const QRect question = desktop.activeTitleBar(messageBox);
    ASSERT_TRUE(question.isValid());
    EXPECT_TRUE(desktop.offersOnly(question, true));
    desktop.close(question);  // as ｷｬﾝｾﾙ
    EXPECT_EQ(desktop.activeTitleBar(mainWindow), moved);
    QTest::qWait(std::max<qint64>(0, 15000 - started.elapsed()));  // past 10:10:00
    EXPECT_EQ(program.state(), QProcess::Running);
    EXPECT_EQ(desktop.activeTitleBar(mainWindow), moved);
    desktop.close(moved);
    ASSERT_TRUE(desktop.activeTitleBar(messageBox).isValid());
    desktop.keys("Return");
    ASSERT_TRUE(ended(program));
    EXPECT_EQ(copy.saved().count("HINT=1"), 1);
}

// The display goes (the X server dropped, the compositor ended): a changed setting is saved.
TEST_P(OnEveryDesktop, TheSettingsAreSavedWhenTheDisplayGoes) {
    ProgramCopy copy;
    Desktop desktop(GetParam());
    ASSERT_TRUE(copy.ok && desktop.start());
    QProcess& program = desktop.launch(copy.program, {});
    ASSERT_TRUE(desktop.activeTitleBar(mainWindow).isValid());
    desktop.keys("F10 Right Return");
    QTest::qWait(1000);
    desktop.keys("Tab space Tab Tab Tab space");
    desktop.loseDisplay();
    ASSERT_TRUE(ended(program, false));
    EXPECT_TRUE(copy.saved().contains("HINT=0")) << copy.saved().toStdString();
}

}  // namespace
