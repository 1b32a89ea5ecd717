// The built program as a user starts it: on a real X11 desktop, worked with the X
// tools, and ended by the desktop.
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTest>
#include <QTime>

#include <gtest/gtest.h>

#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>

#include <csignal>
#include <cstdlib>
#include <list>
#include <ranges>
#include <span>

namespace {

// How long a wait for what the user would see may last: a sanitizer build on a
// machine busy with other builds starts and draws slowly.
constexpr int kPatience = 90000;

// A real X11 desktop for one test: Xvfb on a free display, optionally the openbox
// window manager, and the X tools a user's actions are made with. Programs started
// here get the display, a fresh home and no session bus.
class X11Desktop {
public:
    ~X11Desktop() {
        for (QProcess& process : m_processes | std::views::reverse)
            process.terminate(), process.waitForFinished(5000);
    }

    // Starts the server (and the window manager) and waits until they are ready.
    bool start(bool windowManager) {
        // Displays away from a desktop at :0. Without -noreset the server resets when
        // its last client leaves and refuses whoever connects meanwhile.
        for (int number = 60; m_display.isEmpty() && number < 100; ++number) {
            QProcess& server = launch("Xvfb", {":" + QString::number(number), "-displayfd", "1",
                                               "-screen", "0", "800x600x24", "-noreset"});
            while (!server.canReadLine() && server.waitForReadyRead(10000)) {
            }
            if (server.canReadLine()) m_display = ":" + QString::number(number);
        }
        // A window mapped before openbox manages windows may wait unmanaged: the mark
        // its startup command sets on the root window says it is ready.
        if (windowManager) launch("openbox", {"--startup", "xprop -root -f _UP 8s -set _UP yes"});
        return QTest::qWaitFor(
            [&] {
                const QString mark = run("xprop", {"-root", "_UP"});
                return windowManager ? mark.endsWith("\"yes\"") : !mark.isEmpty();
            },
            kPatience);
    }

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"WAYLAND_DISPLAY", "SESSION_MANAGER"}) env.remove(name);
        for (const auto& [name, value] : {std::pair{"DISPLAY", m_display},
                                          {"HOME", m_home.path()},
                                          {"XDG_CONFIG_HOME", m_home.filePath(".config")},
                                          {"QT_QPA_PLATFORM", "xcb"},
                                          {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent"}})
            env.insert(name, value);
        return env;
    }

    // Starts a program on this desktop; it is ended with the desktop.
    QProcess& launch(const QString& program, const QStringList& arguments,
                     const QProcessEnvironment& env = {}) {
        QProcess& process = m_processes.emplace_back();
        process.setProcessEnvironment(env.isEmpty() ? environment() : env);
        process.start(program, arguments);
        process.waitForStarted();
        return process;
    }

    // Runs a tool to its end and gives what it printed.
    QString run(const QString& program, const QStringList& arguments) const {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(program, arguments);
        if (!process.waitForFinished(15000)) process.kill();
        process.waitForFinished();
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
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

    // Where the window stands among the top-level windows, 0 at the top: the window
    // manager's order, or without one the server's own.
    int depth(const QString& window) const {
        const QString list = run("xprop", {"-root", "-notype", "_NET_CLIENT_LIST_STACKING"});
        QStringList ids = list.contains('#') ? list.section('#', 1).split(',')
                                             : run("xwininfo", {"-root", "-children"}).split('\n');
        if (list.contains('#')) std::reverse(ids.begin(), ids.end());
        for (QString& id : ids)
            id = QString::number(id.trimmed().section(' ', 0, 0).toULongLong(nullptr, 16));
        return int(ids.indexOf(window));
    }

private:
    QTemporaryDir m_home;
    QString m_display;
    std::list<QProcess> m_processes;
};

// A copy of the built program in a folder of its own with a settings file beside it,
// as a user keeps a portable copy.
struct ProgramCopy {
    explicit ProgramCopy(const QByteArray& settings, const QString& name = "pipiron")
        : program(folder.filePath(name)) {
        QFile file(ini);
        ok = QFile::copy(PIPIRON_EXE, program) && file.open(QIODevice::WriteOnly) &&
             file.write(settings) == settings.size();
    }
    QByteArray saved() const {
        QFile file(ini);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : "(none)";
    }
    QTemporaryDir folder;
    const QString program, ini = folder.filePath("pipiron.ini");
    bool ok = false;
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
    cb->save_yourself_done.callback = [](SmsConn, SmPointer, Bool) { said << "Saved"; };
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

// Takes clients while `owner` lives, reading their messages in the event loop; gives
// the address for SESSION_MANAGER.
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

// The notification service and the inhibit portal in one: records every call and answers
// Notify with ids from 41 up and Inhibit with /request/1, /request/2...
class FakeDesktop : public QDBusVirtualObject {
public:
    QHash<QString, QList<QVariantList>> calls;  // by member: the arguments, for Close its path

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& m, const QDBusConnection& bus) override {
        QList<QVariantList>& of = calls[m.member()];
        of << (m.arguments().isEmpty() ? QVariantList{m.path()} : m.arguments());
        bus.send(m.createReply(
            m.member() == QLatin1String("Inhibit")
                ? QVariant::fromValue(QDBusObjectPath("/request/" + QString::number(of.size())))
                : QVariant(40u + uint(of.size()))));
        return true;
    }
};

}  // namespace

// A renamed copy with a missing sound file on a machine without a sound device, in a
// session without a window manager: the start-up message, the desktop's own beep, the
// notification and the logout inhibition, and the logout that asks once, lets ｷｬﾝｾﾙ
// cancel it and saves once.
TEST(OnTheDesktop, TheSessionEndsTheProgramAfterOneQuestion) {
    ProgramCopy copy("[SETUP]\r\nWAVFILE=missing.wav\r\n", "pipiron.AppImage");
    X11Desktop desktop;
    ASSERT_TRUE(copy.ok && desktop.start(false));
    QObject owner;
    const QString address = listenForSessionClients(&owner);
    // A session bus of its own, where the test owns the desktop's names.
    QProcess& bus = desktop.launch("dbus-daemon", {"--session", "--print-address=1", "--nofork"});
    ASSERT_TRUE(bus.waitForReadyRead(5000));
    const QString busAddress = bus.readLine().trimmed();
    QDBusConnection service = QDBusConnection::connectToBus(busAddress, "service");
    FakeDesktop attention;
    ASSERT_TRUE(service.registerVirtualObject("/", &attention, QDBusConnection::SubPath) &&
                service.registerService("org.freedesktop.Notifications") &&
                service.registerService("org.freedesktop.portal.Desktop"));
    const auto calls = [&](const QString& member, qsizetype count) {
        (void)QTest::qWaitFor([&] { return attention.calls.value(member).size() >= count; },
                              kPatience);
        return attention.calls.value(member);
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

    QProcessEnvironment env = desktop.environment();
    env.insert("SDL_AUDIODRIVER", "none");
    env.insert("SESSION_MANAGER", address);
    env.insert("DBUS_SESSION_BUS_ADDRESS", busAddress);
    QProcess& program = desktop.launch(copy.program, {}, env);
    const QString message = desktop.windowNamed("^pipiron$");  // the program's own name
    EXPECT_TRUE(desktop.windowNamed("^ぴぴろん$", 0).isEmpty()) << "shown before its settings";
    const auto press = [&](const QString& window, const QString& key) {
        desktop.run("xdotool", {"windowfocus", "--sync", window});
        desktop.run("xdotool", {"key", key});
    };
    press(message, "Return");
    const QString clock = desktop.windowNamed("^ぴぴろん$");
    ASSERT_NE(client, nullptr);
    press(clock, "Return");  // the switch: it rings at once
    EXPECT_EQ(calls("Inhibit", 1).value(0).value(1), 1u) << "no logout while armed";
    const QVariantList notice = calls("Notify", 1).value(0);
    EXPECT_TRUE(notice.value(4).toString().startsWith("アラーム "));
    EXPECT_EQ(notice.value(5), (QStringList{"off", "アラームＯＦＦ"}));

    // A checkpoint asks nothing.
    SmsSaveYourself(client, SmSaveLocal, False, SmInteractStyleAny, False);
    EXPECT_EQ(next(1), QStringList{"Saved"});
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
        press(question, ok ? "Return" : "Escape");
        EXPECT_EQ(next(2), (QStringList{ok ? "Done" : "Done cancel", "Saved"}));
        if (!ok) SmsShutdownCancelled(client);
    }
    EXPECT_EQ(copy.saved(), "[SETUP]\r\nWAVFILE=missing.wav\r\nHINT=1\r\nMINI=0\r\nCOLOR=2\r\n");
    ASSERT_TRUE(QFile::remove(copy.ini));
    // Only the notification's own アラームＯＦＦ switches the alarm off; armed again, it
    // leaves nothing behind on the desktop when the session ends it.
    for (const uint id : {40u, 41u}) {
        EXPECT_TRUE(attention.calls.value("Close").isEmpty());
        service.send(QDBusMessage::createSignal("/org/freedesktop/Notifications",
                                                "org.freedesktop.Notifications", "ActionInvoked")
                     << id << QString("off"));
        QTest::qWait(300);
    }
    EXPECT_EQ(calls("Close", 1), QList<QVariantList>{{"/request/1"}});
    press(clock, "Return");
    EXPECT_EQ(calls("Notify", 2).size() + calls("Inhibit", 2).size(), 4);
    QTest::qWait(300);  // the desktop's answers reach the program
    SmsDie(client);
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_TRUE(QTest::qWaitFor([] { return connections == 0; })) << "left without a word";
    EXPECT_FALSE(QFile::exists(copy.ini)) << "saved a second time";
    EXPECT_EQ(calls("CloseNotification", 2), (QList<QVariantList>{{41u}, {42u}}));
    EXPECT_EQ(calls("Close", 2), (QList<QVariantList>{{"/request/1"}, {"/request/2"}}));
    QDBusConnection::disconnectFromBus("service");
}

// The user types in another program while the alarm rings: the ringing window comes
// to the front, but every key still goes where the user is typing, never to the switch.
TEST(OnTheDesktop, KeysTypedInAnotherProgramStayThereWhileItRings) {
    ProgramCopy copy("[SETUP]\r\nWAVFILE=" PIPIRON_CHIME "\r\n");
    X11Desktop desktop;
    ASSERT_TRUE(copy.ok && desktop.start(true));
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

// The desktop ends the program with a signal: it saves what the user chose and ends
// normally, also while a message is up and when the save fails.
TEST(OnTheDesktop, ASignalEndsTheProgramWithTheSettingsSaved) {
    X11Desktop desktop;
    ASSERT_TRUE(desktop.start(false));
    const QByteArray wav = PIPIRON_CHIME;
    const std::tuple<int, QByteArray, QByteArray> cases[] = {
        {SIGHUP, "[SETUP]\r\nCOLOR=3\r\nWAVFILE=" + wav + "\r\n",
         "[SETUP]\r\nCOLOR=3\r\nWAVFILE=" + wav + "\r\nHINT=1\r\nMINI=0\r\n"},
        // The message about the missing sound is up when the signal comes.
        {SIGTERM, "[SETUP]\r\nMINI=1\r\nWAVFILE=missing.wav\r\n",
         "[SETUP]\r\nMINI=1\r\nWAVFILE=missing.wav\r\nHINT=1\r\nCOLOR=2\r\n"},
        {SIGINT, {}, {}},  // the settings file is a folder: saving fails
    };
    for (const auto& [signal, settings, saved] : cases) {
        SCOPED_TRACE(signal);
        ProgramCopy copy(settings);
        ASSERT_TRUE(copy.ok &&
                    (!saved.isEmpty() || (QFile::remove(copy.ini) && QDir().mkdir(copy.ini))));
        QProcess& program = desktop.launch(copy.program, {});
        // Its signals are taken before any window shows.
        desktop.windowNamed("^(ぴぴろん|pipiron)$");
        ::kill(pid_t(program.processId()), signal);
        ASSERT_TRUE(program.waitForFinished(20000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0);
        EXPECT_EQ(copy.saved(), saved.isEmpty() ? "(none)" : saved);
    }
}
