#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

class QDBusPendingCallWatcher;

// What the desktop is told about the alarm: an urgent notification while it rings (with
// an action that switches it off), a normal one that stays in the desktop's list when it
// has rung its minute out or the clock jumped over it, and a logout inhibition while it
// is armed. Every call
// is asynchronous, so a missing or hanging notification service or portal never holds
// up the GUI thread; the program then simply goes on without them.
class DesktopAttention : public QObject {
    Q_OBJECT

public:
    explicit DesktopAttention(const QDBusConnection& bus, QObject* parent = nullptr);
    ~DesktopAttention() override;

    // Sends one notification per alarm; later calls until alarmEnded do nothing.
    void alarmStarted(const QString& alarmTime);
    void alarmEnded();
    // The urgent notification gives way to "アラーム HH:MM が鳴りました".
    void alarmRang(const QString& alarmTime);
    // "アラーム HH:MM は鳴りませんでした".
    void alarmMissed(const QString& alarmTime);
    void setArmed(bool armed);

Q_SIGNALS:
    void offRequested();

private Q_SLOTS:
    void onActionInvoked(uint id, const QString& actionKey);
    void onNotificationClosed(uint id, uint reason);

private:
    void onNotifyReply(QDBusPendingCallWatcher* watcher, quint64 generation);
    void onInhibitReply(QDBusPendingCallWatcher* watcher, quint64 generation);
    void closeNotification(uint id);
    void releaseInhibition(const QString& handle);

    QDBusConnection m_bus;
    bool m_ringing = false;
    // Each alarm and each arming gets a new number, so a reply that arrives after the
    // alarm ended or the switch went off is recognised as stale and undone at once.
    quint64 m_notifyGeneration = 0;
    uint m_notificationId = 0;
    bool m_armed = false;
    quint64 m_inhibitGeneration = 0;
    QString m_inhibitHandle;
};
