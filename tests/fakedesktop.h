#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QHash>
#include <QList>
#include <QTest>
#include <QVariant>

// Notifications and the inhibit portal: records calls, answers ids from 41 and /request/1...
class FakeDesktop : public QDBusVirtualObject {
public:
    QHash<QString, QList<QVariantList>> calls;  // by member: the arguments, for Close its path

    // Takes the desktop's names on the session bus at `address`.
    explicit FakeDesktop(const QString& address)
        : bus(QDBusConnection::connectToBus(address, QStringLiteral("service"))) {
        serving = bus.registerVirtualObject("/", this, QDBusConnection::SubPath) &&
                  bus.registerService("org.freedesktop.Notifications") &&
                  bus.registerService("org.freedesktop.portal.Desktop");
    }
    ~FakeDesktop() override { QDBusConnection::disconnectFromBus(QStringLiteral("service")); }

    // The calls of `member` once there are `count`, or when `timeout` ms have passed.
    QList<QVariantList> waitFor(const QString& member, qsizetype count, int timeout = 5000) {
        (void)QTest::qWaitFor([&] { return calls.value(member).size() >= count; }, timeout);
        return calls.value(member);
    }
    // The user presses the notification's button `action`.
    void invoke(uint id, const QString& action) {
        bus.send(QDBusMessage::createSignal("/org/freedesktop/Notifications",
                                            "org.freedesktop.Notifications", "ActionInvoked")
                 << id << action);
    }

    QDBusConnection bus;
    bool serving = false;

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
