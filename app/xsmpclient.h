#pragma once

#include "app/logoutsession.h"

#include <QByteArray>
#include <QObject>

class QSocketNotifier;
struct _SmcConn;

// The program's own connection to an X11 session manager. Qt's does not say
// whether a session ends or only saves its state, so the program keeps Qt out of
// the session (takeAddress before the application starts) and talks to the
// manager itself. Without a manager it does nothing.
class XsmpClient : public QObject, public LogoutSession {
    Q_OBJECT
public:
    // The manager's address, taken from the environment so that Qt does not connect.
    static QByteArray takeAddress();

    // Connects on X11 only; gives the address back to programs started from here.
    explicit XsmpClient(const QByteArray& address, QObject* parent = nullptr);
    ~XsmpClient() override;

    bool requestInteraction() override;
    void interactDone(bool cancelShutdown) override;
    void saveYourselfDone() override;

private:
    void readMessages();
    void disconnectFromManager();
    void setProperties();

    static void onSaveYourself(_SmcConn* connection, void* client, int saveType, int shutdown,
                               int interactStyle, int fast);
    static void onInteract(_SmcConn* connection, void* client);
    static void onDie(_SmcConn* connection, void* client);
    static void onSaveComplete(_SmcConn* connection, void* client);
    static void onShutdownCancelled(_SmcConn* connection, void* client);

    _SmcConn* m_connection = nullptr;
    QSocketNotifier* m_notifier = nullptr;
};
