#include "app/qtplatform.h"
#include "app/windowset.h"
#include "clock/mainwindow.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// The notification service and the inhibit portal in one: records every call on any
// path and answers Notify with ids from 41 up and Inhibit with /request/1, /request/2...
class FakeDesktop : public QDBusVirtualObject {
public:
    std::vector<QDBusMessage> calls;

    // The arguments of each call of `member`; for Close, its path.
    QList<QVariantList> of(const char* member) const {
        QList<QVariantList> found;
        for (const QDBusMessage& m : calls)
            if (m.member() == QLatin1String(member))
                found << (m.arguments().isEmpty() ? QVariantList{m.path()} : m.arguments());
        return found;
    }
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& m, const QDBusConnection& bus) override {
        calls.push_back(m);
        const auto n = uint(of(qPrintable(m.member())).size());
        bus.send(m.createReply(
            m.member() == QLatin1String("Inhibit")
                ? QVariant::fromValue(QDBusObjectPath("/request/" + QString::number(n)))
                : QVariant(40 + n)));
        return true;
    }
};

// The desktop as the program meets it, with a clock the test sets.
class SetClock : public QtPlatform {
public:
    LocalTime now{7, 0, 0, 0};
    QString exe;
    LocalTime localTime() override { return now; }
    QString executablePath() override { return exe; }
};

}  // namespace

// The desktop hears of the armed alarm (no logout meanwhile), of its ringing (an urgent
// notification whose アラームＯＦＦ switches it off) and of an alarm that rang its minute
// out; nothing is left behind when the program ends.
TEST(DesktopAttention, TheDesktopHearsOfTheAlarmAndCanSwitchItOff) {
    const QString daemonPath = QStandardPaths::findExecutable("dbus-daemon");
    if (daemonPath.isEmpty()) GTEST_SKIP() << "dbus-daemon is not installed";
    // A bus of our own: no service files, so nothing on the machine is activated by it.
    QTemporaryDir folder;
    QFile config(folder.filePath("bus.conf"));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly) &&
                config.write("<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen>"
                             "<policy context='default'><allow send_destination='*' "
                             "eavesdrop='true'/><allow eavesdrop='true'/><allow own='*'/>"
                             "</policy></busconfig>") > 0 &&
                config.flush());
    QProcess daemon;
    daemon.start(daemonPath, {"--config-file=" + config.fileName(), "--print-address=1"});
    while (!daemon.canReadLine()) ASSERT_TRUE(daemon.waitForReadyRead(5000));
    const QByteArray address = daemon.readLine().trimmed();
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    QDBusConnection service = QDBusConnection::connectToBus(address, "service");
    FakeDesktop desktop;
    ASSERT_TRUE(service.registerVirtualObject("/", &desktop, QDBusConnection::SubPath) &&
                service.registerService("org.freedesktop.Notifications") &&
                service.registerService("org.freedesktop.portal.Desktop"));
    // Waits for the `times`th call of `member`, then lets every message in flight arrive
    // (a round trip through the bus daemon) and checks that no more came.
    const auto calls = [&](const char* member, int times) {
        (void)QTest::qWaitFor([&] { return desktop.of(member).size() >= times; });
        service.interface()->isServiceRegistered("none");
        QTest::qWait(100);
        return desktop.of(member);
    };
    const auto click = [&](uint id, const QString& action) {
        service.send(QDBusMessage::createSignal("/org/freedesktop/Notifications",
                                                "org.freedesktop.Notifications", "ActionInvoked")
                     << id << action);
        calls("", 0);
    };
    const auto urgency = [](const QVariantList& notify) {
        return qdbus_cast<QVariantMap>(notify.at(6)).value("urgency");
    };
    {
        SetClock platform;
        platform.exe = folder.filePath("pipiron");
        WindowSet windows(platform);  // the alarm at 07:00
        Form1->Timer1->stop();
        QTest::mouseClick(Form1->BtnSet, Qt::LeftButton);
        const QVariantList inhibit = calls("Inhibit", 1).value(0);
        EXPECT_EQ(inhibit.mid(0, 2), (QVariantList{QString(), 1u})) << "logout";
        EXPECT_EQ(qdbus_cast<QVariantMap>(inhibit.value(2)).value("reason"), "アラームがＯＮです");
        Form1->Timer1Timer();
        Form1->Timer1Timer();
        const QVariantList sent = calls("Notify", 1).value(0);
        ASSERT_EQ(sent.size(), 8);
        EXPECT_EQ(sent.mid(0, 6),
                  (QVariantList{"ぴぴろん", 0u, "io.github.pipiron.Pipiron", "ぴぴろん",
                                "アラーム 07:00", QStringList{"off", "アラームＯＦＦ"}}));
        EXPECT_EQ(urgency(sent), QVariant::fromValue(uchar(2)));
        EXPECT_EQ(sent[7], 0) << "never expires on its own";
        for (const auto& [id, action] : {std::pair{40u, "off"}, {41u, "default"}, {41u, "off"}}) {
            EXPECT_TRUE(Form1->switchIsOn());
            click(id, action);
        }
        EXPECT_FALSE(Form1->switchIsOn());

        QTest::mouseClick(Form1->BtnSet, Qt::LeftButton);
        Form1->Timer1Timer();
        platform.now = {7, 1, 0, 0};
        Form1->Timer1Timer();  // rang its minute out: a trace in the desktop's list
        const QVariantList trace = calls("Notify", 3).value(2);
        EXPECT_EQ(trace.mid(4, 2), (QVariantList{"アラーム 07:00 が鳴りました", QStringList{}}));
        EXPECT_EQ(urgency(trace), QVariant::fromValue(uchar(1)));

        platform.now = {7, 0, 0, 0, 1};
        QTest::mouseClick(Form1->BtnSet, Qt::LeftButton);
        Form1->Timer1Timer();
        EXPECT_EQ(calls("Notify", 4).size() + calls("Inhibit", 3).size(), 7);
    }
    EXPECT_EQ(calls("CloseNotification", 3), (QList<QVariantList>{{41u}, {42u}, {44u}}));
    EXPECT_EQ(calls("Close", 3),
              (QList<QVariantList>{{"/request/1"}, {"/request/2"}, {"/request/3"}}));
    QDBusConnection::disconnectFromBus("service");
    QDBusConnection::disconnectFromBus(QDBusConnection::sessionBus().name());
    daemon.kill();
    daemon.waitForFinished();
}
