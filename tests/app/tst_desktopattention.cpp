#include "app/desktopattention.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace {

// A bus of our own: no service files, so nothing on the machine is activated by it.
const char* const kBusConfig = R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

struct NotifyRequest {
    QString appName;
    uint replacesId;
    QString appIcon;
    QString summary;
    QString body;
    QStringList actions;
    QVariantMap hints;
    int expireTimeout;
};

// The request as the service received it, for a person to look at
// (written when PIPIRON_NOTIFY_DUMP names a file).
void dumpRequest(const NotifyRequest& n) {
    const QString path = qEnvironmentVariable("PIPIRON_NOTIFY_DUMP");
    if (path.isEmpty()) return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
    QTextStream out(&file);
    out << "org.freedesktop.Notifications.Notify, as received by the service\n"
        << "  app_name       = \"" << n.appName << "\"\n"
        << "  replaces_id    = " << n.replacesId << "\n"
        << "  app_icon       = \"" << n.appIcon << "\"\n"
        << "  summary        = \"" << n.summary << "\"\n"
        << "  body           = \"" << n.body << "\"\n"
        << "  actions        = [\"" << n.actions.join(QStringLiteral("\", \"")) << "\"]\n";
    for (auto it = n.hints.cbegin(); it != n.hints.cend(); ++it) {
        const QVariant& v = it.value();
        const bool isByte = v.metaType().id() == QMetaType::UChar;
        out << "  hints[" << it.key() << "] = " << (isByte ? "byte " : "string ")
            << (isByte ? QString::number(v.toInt()) : v.toString()) << "\n";
    }
    out << "  expire_timeout = " << n.expireTimeout << "\n";
}

bool waitFor(const std::function<bool()>& condition) {
    return QTest::qWaitFor(condition, 3000);
}

}  // namespace

class FakeNotifications : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    std::vector<NotifyRequest> notified;
    std::vector<uint> closed;
    // While set, Notify answers only when releaseReplies() is called.
    bool holdReplies = false;

    QDBusConnection bus{QString()};

    void releaseReplies() {
        for (const auto& [call, id] : m_held) bus.send(call.createReply(id));
        m_held.clear();
    }

public Q_SLOTS:
    uint Notify(const QString& app_name, uint replaces_id, const QString& app_icon,
                const QString& summary, const QString& body, const QStringList& actions,
                const QVariantMap& hints, int expire_timeout) {
        notified.push_back(
            {app_name, replaces_id, app_icon, summary, body, actions, hints, expire_timeout});
        if (holdReplies) {
            setDelayedReply(true);
            m_held.emplace_back(message(), m_nextId);
        }
        return m_nextId++;
    }
    void CloseNotification(uint id) { closed.push_back(id); }
    QStringList GetCapabilities() { return {QStringLiteral("actions")}; }

private:
    uint m_nextId = 41;
    std::vector<std::pair<QDBusMessage, uint>> m_held;
};

class FakeRequest : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Request")

public:
    int closeCount = 0;

public Q_SLOTS:
    void Close() { ++closeCount; }
};

class FakeInhibitPortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Inhibit")

public:
    explicit FakeInhibitPortal(QDBusConnection bus) : m_bus(bus) {}

    struct Call {
        QString window;
        uint flags;
        QVariantMap options;
        QString handle;
    };
    std::vector<Call> calls;
    std::vector<std::unique_ptr<FakeRequest>> requests;

public Q_SLOTS:
    QDBusObjectPath Inhibit(const QString& window, uint flags, const QVariantMap& options) {
        const QString handle =
            QStringLiteral("/org/freedesktop/portal/desktop/request/1/t%1").arg(calls.size());
        requests.push_back(std::make_unique<FakeRequest>());
        m_bus.registerObject(handle, requests.back().get(), QDBusConnection::ExportAllSlots);
        calls.push_back({window, flags, options, handle});
        return QDBusObjectPath(handle);
    }

private:
    QDBusConnection m_bus;
};

class DesktopAttentionTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty()) GTEST_SKIP() << "dbus-daemon is not installed";
        ASSERT_TRUE(m_dir.isValid());
        const QString config = m_dir.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(kBusConfig);
        file.close();

        m_daemon.start(daemon, {QStringLiteral("--config-file=") + config,
                                QStringLiteral("--print-address=1"), QStringLiteral("--nofork")});
        ASSERT_TRUE(m_daemon.waitForStarted(5000));
        while (!m_daemon.canReadLine()) ASSERT_TRUE(m_daemon.waitForReadyRead(5000));
        const QString address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        ASSERT_FALSE(address.isEmpty());

        static int serial = 0;
        ++serial;
        m_clientName = QStringLiteral("client%1").arg(serial);
        m_serviceName = QStringLiteral("service%1").arg(serial);
        m_client =
            std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, m_clientName));
        m_service = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(address, m_serviceName));
        ASSERT_TRUE(m_client->isConnected());
        ASSERT_TRUE(m_service->isConnected());
    }

    void TearDown() override {
        if (m_client) QDBusConnection::disconnectFromBus(m_clientName);
        if (m_service) QDBusConnection::disconnectFromBus(m_serviceName);
        if (m_daemon.state() != QProcess::NotRunning) {
            m_daemon.kill();
            m_daemon.waitForFinished(3000);
        }
    }

    void startNotifications() {
        notifications.bus = *m_service;
        ASSERT_TRUE(m_service->registerObject(QStringLiteral("/org/freedesktop/Notifications"),
                                              &notifications, QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(m_service->registerService(QStringLiteral("org.freedesktop.Notifications")));
    }

    void startPortal() {
        portal = std::make_unique<FakeInhibitPortal>(*m_service);
        ASSERT_TRUE(m_service->registerObject(QStringLiteral("/org/freedesktop/portal/desktop"),
                                              portal.get(), QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(m_service->registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
    }

    void emitNotificationSignal(const QString& name, const QVariantList& arguments) {
        QDBusMessage signal =
            QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/Notifications"),
                                       QStringLiteral("org.freedesktop.Notifications"), name);
        signal.setArguments(arguments);
        m_service->send(signal);
    }

    void emitActionInvoked(uint id, const QString& key) {
        emitNotificationSignal(QStringLiteral("ActionInvoked"), {id, key});
    }

    // Lets every message in flight arrive: a round trip through the bus daemon.
    void settle() {
        QDBusMessage ping = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
            QStringLiteral("org.freedesktop.DBus.Peer"), QStringLiteral("Ping"));
        m_service->call(ping);
        m_client->call(ping);
        QTest::qWait(50);
    }

    QDBusConnection& client() { return *m_client; }

    FakeNotifications notifications;
    std::unique_ptr<FakeInhibitPortal> portal;

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_clientName;
    QString m_serviceName;
    std::unique_ptr<QDBusConnection> m_client;
    std::unique_ptr<QDBusConnection> m_service;
};

TEST_F(DesktopAttentionTest, SendsOneUrgentNotificationPerAlarm) {
    startNotifications();
    DesktopAttention attention(client());

    // GIVEN an alarm that rings at every tick of its minute
    for (int tick = 0; tick < 5; ++tick) attention.alarmStarted(QStringLiteral("07:00"));
    ASSERT_TRUE(waitFor([&] { return !notifications.notified.empty(); }));
    settle();

    // THEN the desktop was told once, with the alarm time and the action that stops it
    ASSERT_EQ(notifications.notified.size(), 1u);
    const NotifyRequest& n = notifications.notified.front();
    EXPECT_EQ(n.appName, QStringLiteral("ぴぴろん"));
    EXPECT_EQ(n.replacesId, 0u);
    EXPECT_EQ(n.appIcon, QStringLiteral("pipiron"));
    EXPECT_EQ(n.summary, QStringLiteral("ぴぴろん"));
    EXPECT_EQ(n.body, QStringLiteral("アラーム 07:00"));
    EXPECT_EQ(n.actions, (QStringList{QStringLiteral("off"), QStringLiteral("アラームＯＦＦ")}));
    EXPECT_EQ(n.hints.value(QStringLiteral("urgency")).metaType().id(), QMetaType::UChar);
    EXPECT_EQ(n.hints.value(QStringLiteral("urgency")).toInt(), 2);
    EXPECT_EQ(n.hints.value(QStringLiteral("desktop-entry")).toString(), QStringLiteral("pipiron"));
    EXPECT_EQ(n.expireTimeout, 0);
    dumpRequest(n);

    // WHEN the alarm ends THEN that very notification is withdrawn
    attention.alarmEnded();
    ASSERT_TRUE(waitFor([&] { return !notifications.closed.empty(); }));
    EXPECT_EQ(notifications.closed, std::vector<uint>{41});

    // WHEN the next alarm rings THEN it gets a notification of its own
    attention.alarmStarted(QStringLiteral("07:30"));
    ASSERT_TRUE(waitFor([&] { return notifications.notified.size() == 2; }));
    EXPECT_EQ(notifications.notified.back().body, QStringLiteral("アラーム 07:30"));
}

TEST_F(DesktopAttentionTest, WithdrawsANotificationWhoseIdArrivesAfterTheAlarmEnded) {
    startNotifications();
    notifications.holdReplies = true;
    DesktopAttention attention(client());

    attention.alarmStarted(QStringLiteral("23:59"));
    ASSERT_TRUE(waitFor([&] { return !notifications.notified.empty(); }));
    attention.alarmEnded();
    settle();
    EXPECT_TRUE(notifications.closed.empty()) << "no id known yet";

    notifications.releaseReplies();
    ASSERT_TRUE(waitFor([&] { return !notifications.closed.empty(); }));
    EXPECT_EQ(notifications.closed, std::vector<uint>{41});
}

TEST_F(DesktopAttentionTest, OffActionOfOurNotificationOnlyRequestsOff) {
    startNotifications();
    DesktopAttention attention(client());
    QSignalSpy off(&attention, &DesktopAttention::offRequested);
    attention.alarmStarted(QStringLiteral("07:00"));
    ASSERT_TRUE(waitFor([&] { return !notifications.notified.empty(); }));
    settle();

    struct Case {
        uint id;
        const char* key;
        int offs;
    };
    const Case cases[] = {
        {40, "off", 0},      // another program's notification
        {41, "default", 0},  // a click on the body, not on the button
        {41, "off", 1},
    };
    for (const Case& c : cases) {
        off.clear();
        emitActionInvoked(c.id, QString::fromLatin1(c.key));
        settle();
        EXPECT_EQ(off.count(), c.offs) << c.id << " " << c.key;
    }

    // Once withdrawn, a late click on the old notification asks for nothing.
    attention.alarmEnded();
    off.clear();
    emitActionInvoked(41, QStringLiteral("off"));
    settle();
    EXPECT_EQ(off.count(), 0);
}

TEST_F(DesktopAttentionTest, LeavesANotificationTheUserDismissedAlone) {
    startNotifications();
    DesktopAttention attention(client());
    attention.alarmStarted(QStringLiteral("07:00"));
    ASSERT_TRUE(waitFor([&] { return !notifications.notified.empty(); }));
    settle();

    // GIVEN the user closed the notification (reason 2): its id is free for reuse
    emitNotificationSignal(QStringLiteral("NotificationClosed"), {uint{41}, uint{2}});
    settle();
    attention.alarmEnded();
    settle();
    EXPECT_TRUE(notifications.closed.empty());
}

TEST_F(DesktopAttentionTest, HoldsTheLogoutInhibitionOnlyWhileArmed) {
    startPortal();
    DesktopAttention attention(client());

    attention.setArmed(true);
    attention.setArmed(true);
    ASSERT_TRUE(waitFor([&] { return !portal->calls.empty(); }));
    settle();
    ASSERT_EQ(portal->calls.size(), 1u);
    EXPECT_EQ(portal->calls[0].window, QString());
    EXPECT_EQ(portal->calls[0].flags, 1u);
    EXPECT_EQ(portal->calls[0].options.value(QStringLiteral("reason")).toString(),
              QStringLiteral("アラームがＯＮです"));

    attention.setArmed(false);
    ASSERT_TRUE(waitFor([&] { return portal->requests[0]->closeCount == 1; }));

    // Armed again and disarmed before the portal has answered: the late handle is
    // released as soon as it arrives.
    attention.setArmed(true);
    attention.setArmed(false);
    ASSERT_TRUE(waitFor([&] { return portal->requests.size() == 2; }));
    ASSERT_TRUE(waitFor([&] { return portal->requests[1]->closeCount == 1; }));
    settle();
    EXPECT_EQ(portal->requests[0]->closeCount, 1);
}

TEST_F(DesktopAttentionTest, ReleasesEverythingWhenDestroyed) {
    startNotifications();
    startPortal();
    {
        DesktopAttention attention(client());
        attention.setArmed(true);
        attention.alarmStarted(QStringLiteral("07:00"));
        ASSERT_TRUE(waitFor([&] { return !portal->calls.empty(); }));
        ASSERT_TRUE(waitFor([&] { return !notifications.notified.empty(); }));
        settle();
    }
    ASSERT_TRUE(waitFor([&] { return !notifications.closed.empty(); }));
    ASSERT_TRUE(waitFor([&] { return portal->requests[0]->closeCount == 1; }));
}

TEST_F(DesktopAttentionTest, WithoutServicesNothingBlocks) {
    DesktopAttention attention(client());
    QSignalSpy off(&attention, &DesktopAttention::offRequested);

    QElapsedTimer clock;
    clock.start();
    attention.setArmed(true);
    attention.alarmStarted(QStringLiteral("07:00"));
    attention.alarmEnded();
    attention.setArmed(false);
    attention.setArmed(true);
    attention.alarmStarted(QStringLiteral("07:01"));
    EXPECT_LT(clock.elapsed(), 200);

    // The errors from the bus come back and are dropped quietly.
    settle();
    attention.alarmEnded();
    attention.setArmed(false);
    EXPECT_EQ(off.count(), 0);
}

TEST(DesktopAttention, WithoutABusNothingHappens) {
    DesktopAttention attention(QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/pipiron-bus"), QStringLiteral("nobus")));
    QElapsedTimer clock;
    clock.start();
    attention.setArmed(true);
    attention.alarmStarted(QStringLiteral("07:00"));
    attention.alarmEnded();
    attention.setArmed(false);
    EXPECT_LT(clock.elapsed(), 200);
    QDBusConnection::disconnectFromBus(QStringLiteral("nobus"));
}

#include "tst_desktopattention.moc"
