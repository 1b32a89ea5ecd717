// The built program as a user starts it: on a real X11 desktop, worked with the X
// tools, and ended by the desktop.
#include "programcopy.h"
#include "x11desktop.h"

#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTime>

#include <gtest/gtest.h>

#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>

#include <csignal>
#include <cstdlib>

namespace {

// A session manager of the test's own, for one client: what the client tells it.
QStringList said;
SmsConn client = nullptr;

Status newClient(SmsConn connection, SmPointer, unsigned long* mask, SmsCallbacks* cb, char**) {
    client = connection;
    *mask = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsInteractDoneProcMask |
            SmsSaveYourselfDoneProcMask | SmsCloseConnectionProcMask | SmsSetPropertiesProcMask;
    cb->register_client.callback = [](SmsConn c, SmPointer, char* previous) -> Status {
        std::free(previous);
        return SmsRegisterClientReply(c, SmsGenerateClientID(c));
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
    for (int i = 0; i < count; ++i) {
        IceSetHostBasedAuthProc(listeners[i], anyHost);
        QObject::connect(
            new QSocketNotifier(IceGetListenConnectionNumber(listeners[i]), QSocketNotifier::Read,
                                owner),
            &QSocketNotifier::activated, owner, [owner, listener = listeners[i]] {
                IceAcceptStatus status;
                IceConn ice = IceAcceptConnection(listener, &status);
                if (!ice) return;
                auto* read =
                    new QSocketNotifier(IceConnectionNumber(ice), QSocketNotifier::Read, owner);
                QObject::connect(read, &QSocketNotifier::activated, owner, [ice, read] {
                    if (IceProcessMessages(ice, nullptr, nullptr) != IceProcessMessagesIOError)
                        return;
                    read->setEnabled(false);
                    IceCloseConnection(ice);
                });
            });
    }
    QObject::connect(owner, &QObject::destroyed, owner,
                     [=] { IceFreeListenObjs(count, listeners); });
    char* ids = IceComposeNetworkIdList(count, listeners);
    const QString address = QString::fromLatin1(ids);
    std::free(ids);
    return address;
}

// The next `count` things the client says, and anything more it says right after.
QStringList next(qsizetype count) {
    (void)QTest::qWaitFor([&] { return said.size() >= count; }, 10000);
    QTest::qWait(200);
    return std::exchange(said, {});
}

}  // namespace

// A renamed copy with a missing sound file on a machine without a sound device, in a
// session without a window manager: the start-up message, the desktop's own beep, and
// the logout that asks once, lets ｷｬﾝｾﾙ cancel it and saves once.
TEST(OnTheDesktop, TheSessionEndsTheProgramAfterOneQuestion) {
    ProgramCopy copy("[SETUP]\r\nWAVFILE=missing.wav\r\n", "pipiron.AppImage");
    X11Desktop desktop;
    ASSERT_TRUE(copy.isValid() && desktop.start(false));
    QObject owner;
    const QString address = listenForSessionClients(&owner);
    QTemporaryDir work;
    QFile config(work.filePath("bells.cfg"));
    ASSERT_TRUE(
        config.open(QIODevice::WriteOnly) &&
        config.write("Bell() shell \"echo >> " + work.filePath("bells").toUtf8() + "\"\n") &&
        config.flush());
    desktop.launch("xkbevd", {"-cfg", config.fileName()});
    const auto bells = [&] {
        QFile heard(work.filePath("bells"));
        return heard.open(QIODevice::ReadOnly) ? heard.readAll().size() : 0;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return desktop.run("xkbbell", {}), bells() > 0; }));
    const qint64 bellsBefore = bells();
    while (QTime::currentTime().second() > 40) QTest::qWait(500);  // rings in one minute

    QProcessEnvironment env = copy.environment(desktop.environment());
    env.insert("SDL_AUDIODRIVER", "none");
    env.insert("SESSION_MANAGER", address);
    QProcess& program = desktop.launch(copy.program, {}, env);
    const QString message = desktop.windowNamed("^pipiron$");
    ASSERT_FALSE(message.isEmpty()) << "no message under the program's name";
    EXPECT_TRUE(desktop.windowNamed("^ぴぴろん$", 0).isEmpty()) << "shown before its settings";
    const auto press = [&](const QString& window, const QString& key) {
        desktop.run("xdotool", {"windowfocus", "--sync", window});
        desktop.run("xdotool", {"key", key});
    };
    press(message, "Return");
    const QString clock = desktop.windowNamed("^ぴぴろん$");
    ASSERT_FALSE(clock.isEmpty());
    ASSERT_NE(client, nullptr);
    press(clock, "Return");  // the switch: it rings at once

    // A checkpoint asks nothing.
    SmsSaveYourself(client, SmSaveLocal, False, SmInteractStyleAny, False);
    EXPECT_EQ(next(1), QStringList{"Saved"});
    for (const bool ok : {false, true}) {
        SCOPED_TRACE(ok ? "OK" : "ｷｬﾝｾﾙ");
        SmsSaveYourself(client, SmSaveLocal, True, SmInteractStyleAny, False);
        ASSERT_EQ(next(1), QStringList{"InteractRequest"});
        SmsInteract(client);
        const QString question = desktop.windowNamed("^警告$");
        ASSERT_FALSE(question.isEmpty());
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
    EXPECT_EQ(copy.ini(), "[SETUP]\r\nWAVFILE=missing.wav\r\nHINT=1\r\nMINI=0\r\nCOLOR=2\r\n");
    ASSERT_TRUE(QFile::remove(copy.iniPath()));
    SmsDie(client);
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_FALSE(QFile::exists(copy.iniPath())) << "saved a second time";
}

// The user types in another program while the alarm rings: the ringing window comes
// to the front, but every key still goes where the user is typing, never to the switch.
TEST(OnTheDesktop, KeysTypedInAnotherProgramStayThereWhileItRings) {
    ProgramCopy copy("[SETUP]\r\nWAVFILE=" PIPIRON_CHIME "\r\n");
    X11Desktop desktop;
    ASSERT_TRUE(copy.isValid() && desktop.start(true));
    QProcess& editor = desktop.launch("xev", {"-event", "keyboard"});
    const QString editorWindow = desktop.windowNamed("^Event Tester$");
    ASSERT_FALSE(editorWindow.isEmpty());
    while (QTime::currentTime().second() > 40) QTest::qWait(500);  // rings in one minute
    desktop.launch(copy.program, {}, copy.environment(desktop.environment()));
    const QString clock = desktop.windowNamed("^ぴぴろん$");
    ASSERT_FALSE(clock.isEmpty());
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
        ASSERT_TRUE(copy.isValid() && (!saved.isEmpty() || (QFile::remove(copy.iniPath()) &&
                                                            QDir().mkdir(copy.iniPath()))));
        QProcess program;
        QProcessEnvironment env = copy.environment(QProcessEnvironment::systemEnvironment());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        program.setProcessEnvironment(env);
        program.start(copy.program, {});
        // Ready once it catches all three signals.
        const qulonglong all =
            (1ull << (SIGHUP - 1)) | (1ull << (SIGINT - 1)) | (1ull << (SIGTERM - 1));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                QFile status("/proc/" + QString::number(program.processId()) + "/status");
                const QByteArray text = status.open(QIODevice::ReadOnly) ? status.readAll() : "";
                const auto caught =
                    text.mid(text.indexOf("SigCgt:") + 7, 17).trimmed().toULongLong(nullptr, 16);
                return (caught & all) == all;
            },
            20000));
        ::kill(pid_t(program.processId()), signal);
        ASSERT_TRUE(program.waitForFinished(20000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0);
        EXPECT_EQ(copy.ini(), saved.isEmpty() ? "(none)" : saved);
    }
}
