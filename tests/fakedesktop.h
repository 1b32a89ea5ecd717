#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QHash>
#include <QList>
#include <QVariant>

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
