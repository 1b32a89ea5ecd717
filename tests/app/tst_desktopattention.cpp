#include "app/desktopattention.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// A bus of our own: no service files, so nothing on the machine is activated by it.
const char* const kBusConfig = R"(<busconfig><type>session</type>
  <listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth><policy context="default">
  <allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/>
  </policy></busconfig>)";

// The notification service and the inhibit portal in one: records every call on any
// path and answers Notify with ids from 41 up and Inhibit with /request/1, /request/2...
class FakeDesktop : public QDBusVirtualObject {
public:
    std::vector<QDBusMessage> calls;
    bool holdNotify = false;  // then the test answers the calls kept in `held`
    std::vector<QDBusMessage> held;

    // What each call of `member` was about: its first argument, or for Close its path.
    QVariantList about(const char* member) const {
        QVariantList found;
        for (const QDBusMessage& m : calls)
            if (m.member() == QLatin1String(member))
                found << (m.arguments().isEmpty() ? QVariant(m.path()) : m.arguments()[0]);
        return found;
    }

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& m, const QDBusConnection& bus) override {
        calls.push_back(m);
        const auto count = uint(about(qPrintable(m.member())).size());
        const QVariant answer =
            m.member() == QLatin1String("Inhibit")
                ? QVariant::fromValue(QDBusObjectPath(u"/request/%1"_s.arg(count)))
                : QVariant(40 + count);
        if (holdNotify && m.member() == QLatin1String("Notify"))
            held.push_back(m);
        else
            bus.send(m.createReply(answer));
        return true;
    }
};

}  // namespace

class DesktopAttentionTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString daemon = QStandardPaths::findExecutable(u"dbus-daemon"_s);
        if (daemon.isEmpty()) GTEST_SKIP() << "dbus-daemon is not installed";
        QFile config(m_dir.filePath(u"bus.conf"_s));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly) && config.write(kBusConfig) > 0 &&
                    config.flush());
        m_daemon.start(daemon, {u"--config-file="_s + config.fileName(), u"--print-address=1"_s,
                                u"--nofork"_s});
        while (!m_daemon.canReadLine()) ASSERT_TRUE(m_daemon.waitForReadyRead(5000));
        const QString address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        static int serial = 0;
        for (QDBusConnection* bus : {&client, &service}) {
            *bus = QDBusConnection::connectToBus(address, u"bus%1"_s.arg(++serial));
            ASSERT_TRUE(bus->isConnected());
        }
        ASSERT_TRUE(service.registerVirtualObject(u"/"_s, &desktop, QDBusConnection::SubPath));
        ASSERT_TRUE(service.registerService(u"org.freedesktop.Notifications"_s));
        ASSERT_TRUE(service.registerService(u"org.freedesktop.portal.Desktop"_s));
    }

    void TearDown() override {
        for (const auto* bus : {&client, &service}) QDBusConnection::disconnectFromBus(bus->name());
        m_daemon.kill();
        m_daemon.waitForFinished(3000);
    }

    void emitSignal(const char* name, const QVariantList& arguments) {
        QDBusMessage signal =
            QDBusMessage::createSignal(u"/org/freedesktop/Notifications"_s,
                                       u"org.freedesktop.Notifications"_s, QLatin1String(name));
        signal.setArguments(arguments);
        service.send(signal);
        settle();
    }

    // Lets every message in flight arrive: a round trip through the bus daemon.
    void settle() {
        service.interface()->isServiceRegistered(u"none"_s);
        client.interface()->isServiceRegistered(u"none"_s);
        QTest::qWait(50);
    }

    // Waits for the `times`th call of `member`, then checks that no more come.
    bool called(const char* member, int times = 1) {
        return QTest::qWaitFor([&] { return desktop.about(member).size() >= times; }) &&
               (settle(), desktop.about(member).size() == times);
    }

    FakeDesktop desktop;
    QDBusConnection client{QString()}, service{QString()};

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
};

TEST_F(DesktopAttentionTest, NotifiesOncePerAlarmAndWithdrawsItAtTheEnd) {
    DesktopAttention attention(client);
    QSignalSpy off(&attention, &DesktopAttention::offRequested);
    for (int tick = 0; tick < 5; ++tick) attention.alarmStarted(u"07:00"_s);
    ASSERT_TRUE(called("Notify"));

    const QVariantList sent = desktop.calls[0].arguments();
    const QVariantList expected{u"ぴぴろん"_s,
                                0u,
                                u"io.github.pipiron.Pipiron"_s,
                                u"ぴぴろん"_s,
                                u"アラーム 07:00"_s,
                                QStringList{u"off"_s, u"アラームＯＦＦ"_s}};
    EXPECT_EQ(sent.mid(0, 6), expected);
    const auto hints = qdbus_cast<QVariantMap>(sent[6]);
    EXPECT_EQ(hints.value(u"urgency"_s).metaType().id(), QMetaType::UChar);
    EXPECT_EQ(hints.value(u"urgency"_s).toInt(), 2);
    EXPECT_EQ(hints.value(u"desktop-entry"_s), u"io.github.pipiron.Pipiron"_s);
    EXPECT_EQ(sent[7], 0) << "never expires on its own";

    // Only the off button of our own notification switches the alarm off.
    for (const auto& [id, key, offs] :
         {std::tuple{40u, "off", 0}, {41u, "default", 0}, {41u, "off", 1}}) {
        off.clear();
        emitSignal("ActionInvoked", {id, QString::fromLatin1(key)});
        EXPECT_EQ(off.count(), offs) << id << " " << key;
    }

    attention.alarmEnded();
    ASSERT_TRUE(called("CloseNotification"));
    EXPECT_EQ(desktop.about("CloseNotification"), QVariantList{41u});
    off.clear();
    emitSignal("ActionInvoked", {41u, u"off"_s});  // a late click on the withdrawn one
    EXPECT_EQ(off.count(), 0);

    // The next alarm has a notification of its own. Dismissed by the user (reason 2), its
    // id may be reused, so it is not closed later.
    attention.alarmStarted(u"07:30"_s);
    ASSERT_TRUE(called("Notify", 2));
    EXPECT_EQ(desktop.calls.back().arguments()[4], u"アラーム 07:30"_s);
    emitSignal("NotificationClosed", {42u, 2u});
    attention.alarmEnded();
    settle();
    EXPECT_EQ(desktop.about("CloseNotification").size(), 1);
}

TEST_F(DesktopAttentionTest, HoldsTheLogoutInhibitionWhileArmedAndUndoesLateAnswers) {
    {
        DesktopAttention attention(client);
        attention.setArmed(true);
        attention.setArmed(true);
        ASSERT_TRUE(called("Inhibit"));
        const QVariantList sent = desktop.calls[0].arguments();
        EXPECT_EQ(sent.mid(0, 2), (QVariantList{QString(), 1u})) << "no window, logout";
        EXPECT_EQ(qdbus_cast<QVariantMap>(sent[2]).value(u"reason"_s), u"アラームがＯＮです"_s);
        attention.setArmed(false);
        ASSERT_TRUE(called("Close"));

        // Switched off or ended before the answer came: the answer is undone on arrival.
        attention.setArmed(true);
        attention.setArmed(false);
        desktop.holdNotify = true;
        attention.alarmStarted(u"23:59"_s);
        ASSERT_TRUE(called("Notify"));
        attention.alarmEnded();
        settle();
        EXPECT_TRUE(desktop.about("CloseNotification").empty()) << "no id known yet";
        service.send(desktop.held[0].createReply(41u));
        ASSERT_TRUE(called("CloseNotification") && called("Close", 2));

        // Destroyed while armed and ringing: nothing is left behind on the desktop.
        desktop.holdNotify = false;
        attention.setArmed(true);
        attention.alarmStarted(u"07:00"_s);
        ASSERT_TRUE(called("Notify", 2) && called("Inhibit", 3));
    }
    ASSERT_TRUE(called("CloseNotification", 2));
    EXPECT_EQ(desktop.about("CloseNotification"), (QVariantList{41u, 42u}));
    EXPECT_EQ(desktop.about("Close"), (QVariantList{"/request/1", "/request/2", "/request/3"}));
}

// Only the urgent notification of a ringing alarm is withdrawn: the trace of an alarm
// that rang its minute out, or that the clock jumped over, stays in the desktop's list.
TEST_F(DesktopAttentionTest, ARungOrMissedAlarmLeavesANormalNotificationThatStays) {
    {
        DesktopAttention attention(client);
        attention.alarmStarted(u"07:00"_s);
        ASSERT_TRUE(called("Notify"));
        attention.alarmRang(u"07:00"_s);
        ASSERT_TRUE(called("Notify", 2) && called("CloseNotification"));
        attention.alarmMissed(u"07:30"_s);
        ASSERT_TRUE(called("Notify", 3));
    }
    settle();
    EXPECT_EQ(desktop.about("CloseNotification"), QVariantList{41u});
    std::vector<QDBusMessage> notifies;
    for (const QDBusMessage& m : desktop.calls) {
        if (m.member() == QLatin1String("Notify")) notifies.push_back(m);
        if (m.member() == QLatin1String("CloseNotification")) {
            EXPECT_EQ(notifies.size(), 1u) << "the urgent one goes first";
        }
    }
    const QString traces[] = {u"アラーム 07:00 が鳴りました"_s,
                              u"アラーム 07:30 は鳴りませんでした"_s};
    for (std::size_t i = 0; i < std::size(traces); ++i) {
        const QVariantList sent = notifies.at(i + 1).arguments();
        EXPECT_EQ(sent[4], traces[i]);
        EXPECT_EQ(sent[5], QStringList{}) << "no action";
        const auto hints = qdbus_cast<QVariantMap>(sent[6]);
        EXPECT_EQ(hints.value(u"urgency"_s).metaType().id(), QMetaType::UChar);
        EXPECT_EQ(hints.value(u"urgency"_s).toInt(), 1);
        EXPECT_FALSE(hints.value(u"transient"_s).toBool());
        EXPECT_EQ(sent[7], 0) << "never expires on its own";
    }
}

// Without the services on the bus, and without any bus at all.
TEST_F(DesktopAttentionTest, WithoutServicesNothingBlocksOrFails) {
    QDBusConnection::disconnectFromBus(service.name());
    const QString noBus = u"nobus"_s;
    for (const QDBusConnection& bus :
         {client, QDBusConnection::connectToBus(u"unix:path=/nonexistent"_s, noBus)}) {
        DesktopAttention attention(bus);
        QSignalSpy off(&attention, &DesktopAttention::offRequested);
        QElapsedTimer clock;
        clock.start();
        attention.setArmed(true);
        attention.alarmStarted(u"07:00"_s);
        attention.alarmEnded();
        attention.setArmed(false);
        attention.setArmed(true);
        attention.alarmStarted(u"07:01"_s);
        attention.alarmRang(u"07:01"_s);
        attention.alarmMissed(u"07:02"_s);
        EXPECT_LT(clock.elapsed(), 200);
        settle();  // the errors from the bus come back and are dropped
        attention.alarmEnded();
        attention.setArmed(false);
        EXPECT_EQ(off.count(), 0);
    }
    QDBusConnection::disconnectFromBus(noBus);
}
