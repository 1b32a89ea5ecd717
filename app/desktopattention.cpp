#include "app/desktopattention.h"

#include "app/buildinfo.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace {

const QString kNotifyService = QStringLiteral("org.freedesktop.Notifications");
const QString kNotifyPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kNotifyInterface = QStringLiteral("org.freedesktop.Notifications");

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInhibitInterface = QStringLiteral("org.freedesktop.portal.Inhibit");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");

// A service that does not answer within this time is treated as absent.
constexpr int kCallTimeoutMs = 3000;

constexpr uint kInhibitLogout = 1;
constexpr uchar kUrgencyNormal = 1;
constexpr uchar kUrgencyCritical = 2;

// A notification that never expires on its own: it stays until the user dismisses it.
QDBusMessage notifyCall(const QString& body, const QStringList& actions, uchar urgency) {
    QDBusMessage call = QDBusMessage::createMethodCall(kNotifyService, kNotifyPath,
                                                       kNotifyInterface, QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(urgency));
    hints.insert(QStringLiteral("desktop-entry"), QString::fromLatin1(kApplicationId));
    call << QStringLiteral("ぴぴろん") << uint{0} << QString::fromLatin1(kApplicationId)
         << QStringLiteral("ぴぴろん") << body << actions << hints << qint32{0};
    return call;
}

}  // namespace

DesktopAttention::DesktopAttention(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), m_bus(bus) {
    if (!m_bus.isConnected()) return;
    m_bus.connect(kNotifyService, kNotifyPath, kNotifyInterface, QStringLiteral("ActionInvoked"),
                  this, SLOT(onActionInvoked(uint, QString)));
    m_bus.connect(kNotifyService, kNotifyPath, kNotifyInterface,
                  QStringLiteral("NotificationClosed"), this,
                  SLOT(onNotificationClosed(uint, uint)));
}

DesktopAttention::~DesktopAttention() {
    // Nothing may outlive the program on the desktop: no urgent notification of an
    // alarm that no longer exists, no logout lock held by a process that is gone.
    if (m_notificationId != 0) closeNotification(m_notificationId);
    if (!m_inhibitHandle.isEmpty()) releaseInhibition(m_inhibitHandle);
}

void DesktopAttention::alarmStarted(const QString& alarmTime) {
    if (m_ringing) return;
    m_ringing = true;
    const quint64 generation = ++m_notifyGeneration;
    if (!m_bus.isConnected()) return;

    const QDBusMessage call =
        notifyCall(QStringLiteral("アラーム %1").arg(alarmTime),
                   {QStringLiteral("off"), QStringLiteral("アラームＯＦＦ")}, kUrgencyCritical);
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, generation](QDBusPendingCallWatcher* w) { onNotifyReply(w, generation); });
}

void DesktopAttention::alarmEnded() {
    m_ringing = false;
    ++m_notifyGeneration;
    if (m_notificationId != 0) closeNotification(m_notificationId);
    m_notificationId = 0;
}

void DesktopAttention::alarmRang(const QString& alarmTime) {
    alarmEnded();
    // Sent without waiting: nobody needs its id, it is never withdrawn.
    if (m_bus.isConnected())
        m_bus.send(notifyCall(QStringLiteral("アラーム %1 が鳴りました").arg(alarmTime), {},
                              kUrgencyNormal));
}

void DesktopAttention::alarmMissed(const QString& alarmTime) {
    if (m_bus.isConnected())
        m_bus.send(notifyCall(QStringLiteral("アラーム %1 は鳴りませんでした").arg(alarmTime), {},
                              kUrgencyNormal));
}

void DesktopAttention::setArmed(bool armed) {
    if (armed == m_armed) return;
    m_armed = armed;
    const quint64 generation = ++m_inhibitGeneration;
    if (!armed) {
        if (!m_inhibitHandle.isEmpty()) releaseInhibition(m_inhibitHandle);
        m_inhibitHandle.clear();
        return;
    }
    if (!m_bus.isConnected()) return;

    QDBusMessage call = QDBusMessage::createMethodCall(
        kPortalService, kPortalPath, kInhibitInterface, QStringLiteral("Inhibit"));
    QVariantMap options;
    options.insert(QStringLiteral("reason"), QStringLiteral("アラームがＯＮです"));
    call << QString() << kInhibitLogout << options;

    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, generation](QDBusPendingCallWatcher* w) { onInhibitReply(w, generation); });
}

void DesktopAttention::onActionInvoked(uint id, const QString& actionKey) {
    if (id != 0 && id == m_notificationId && actionKey == QLatin1String("off"))
        Q_EMIT offRequested();
}

void DesktopAttention::onNotificationClosed(uint id, uint /*reason*/) {
    // The user dismissed it: its id may be reused, so never close it later.
    if (id != 0 && id == m_notificationId) m_notificationId = 0;
}

void DesktopAttention::onNotifyReply(QDBusPendingCallWatcher* watcher, quint64 generation) {
    watcher->deleteLater();
    const QDBusPendingReply<uint> reply = *watcher;
    if (reply.isError()) return;
    const uint id = reply.value();
    if (generation != m_notifyGeneration)
        closeNotification(id);  // the alarm ended before the service answered
    else
        m_notificationId = id;
}

void DesktopAttention::onInhibitReply(QDBusPendingCallWatcher* watcher, quint64 generation) {
    watcher->deleteLater();
    const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
    if (reply.isError()) return;
    const QString handle = reply.value().path();
    if (generation != m_inhibitGeneration)
        releaseInhibition(handle);  // disarmed before the portal answered
    else
        m_inhibitHandle = handle;
}

void DesktopAttention::closeNotification(uint id) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        kNotifyService, kNotifyPath, kNotifyInterface, QStringLiteral("CloseNotification"));
    call << id;
    m_bus.send(call);  // sent without waiting for a reply
}

void DesktopAttention::releaseInhibition(const QString& handle) {
    m_bus.send(QDBusMessage::createMethodCall(kPortalService, handle, kRequestInterface,
                                              QStringLiteral("Close")));
}
