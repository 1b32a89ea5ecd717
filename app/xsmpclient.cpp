#include "app/xsmpclient.h"

#include "app/logoutsequence.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QString>

#include <pwd.h>
#include <unistd.h>

#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr char kVariable[] = "SESSION_MANAGER";

// The library's own handler ends the process when the manager goes away.
void ignoreIoError(IceConn) {}

void setListProperty(SmcConn connection, const char* name, const std::vector<std::string>& values) {
    std::vector<SmPropValue> parts;
    for (const std::string& value : values)
        parts.push_back({int(value.size()), const_cast<char*>(value.data())});
    SmProp property{const_cast<char*>(name), const_cast<char*>(SmLISTofARRAY8), int(parts.size()),
                    parts.data()};
    SmProp* properties[] = {&property};
    SmcSetProperties(connection, 1, properties);
}

void setSingleProperty(SmcConn connection, const char* name, const char* type, std::string value) {
    SmPropValue part{int(value.size()), value.data()};
    SmProp property{const_cast<char*>(name), const_cast<char*>(type), 1, &part};
    SmProp* properties[] = {&property};
    SmcSetProperties(connection, 1, properties);
}

}  // namespace

QByteArray XsmpClient::takeAddress() {
    const QByteArray address = qgetenv(kVariable);
    qunsetenv(kVariable);
    return address;
}

XsmpClient::XsmpClient(const QByteArray& address, QObject* parent) : QObject(parent) {
    if (address.isEmpty()) return;
    qputenv(kVariable, address);
    // A Wayland session keeps the manager for X11 programs; Qt used it on X11 only.
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
    IceSetIOErrorHandler(ignoreIoError);
    SmcCallbacks callbacks = {};
    callbacks.save_yourself = {onSaveYourself, this};
    callbacks.die = {onDie, this};
    callbacks.save_complete = {onSaveComplete, this};
    callbacks.shutdown_cancelled = {onShutdownCancelled, this};
    QByteArray managers = address;
    char* clientId = nullptr;
    char error[256] = {};
    m_connection = SmcOpenConnection(managers.data(), this, SmProtoMajor, SmProtoMinor,
                                     SmcSaveYourselfProcMask | SmcDieProcMask |
                                         SmcSaveCompleteProcMask | SmcShutdownCancelledProcMask,
                                     &callbacks, nullptr, &clientId, sizeof error, error);
    std::free(clientId);
    if (!m_connection) return;
    m_notifier = new QSocketNotifier(IceConnectionNumber(SmcGetIceConnection(m_connection)),
                                     QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &XsmpClient::readMessages);
    setProperties();
}

XsmpClient::~XsmpClient() {
    disconnectFromManager();
}

void XsmpClient::disconnectFromManager() {
    if (!m_connection) return;
    delete m_notifier;
    m_notifier = nullptr;
    SmcCloseConnection(m_connection, 0, nullptr);
    m_connection = nullptr;
}

void XsmpClient::readMessages() {
    if (IceProcessMessages(SmcGetIceConnection(m_connection), nullptr, nullptr) ==
        IceProcessMessagesIOError)
        disconnectFromManager();
}

void XsmpClient::setProperties() {
    const std::string program = QCoreApplication::applicationFilePath().toStdString();
    const passwd* user = ::getpwuid(::getuid());
    setSingleProperty(m_connection, SmProgram, SmARRAY8, program);
    setSingleProperty(m_connection, SmUserID, SmARRAY8, user ? user->pw_name : std::string());
    setSingleProperty(m_connection, SmProcessID, SmARRAY8, std::to_string(::getpid()));
    setListProperty(m_connection, SmRestartCommand, {program});
    setListProperty(m_connection, SmCloneCommand, {program});
    setSingleProperty(m_connection, SmRestartStyleHint, SmCARD8,
                      std::string(1, char(SmRestartIfRunning)));
}

bool XsmpClient::requestInteraction() {
    return m_connection && SmcInteractRequest(m_connection, SmDialogNormal, onInteract, this);
}

void XsmpClient::interactDone(bool cancelShutdown) {
    if (m_connection) SmcInteractDone(m_connection, cancelShutdown);
}

void XsmpClient::saveYourselfDone() {
    if (m_connection) SmcSaveYourselfDone(m_connection, True);
}

// The manager's messages arrive inside the library's reading; the sequence runs
// afterwards from the event loop, where it may open the question's own loop.
void XsmpClient::onSaveYourself(SmcConn, SmPointer client, int, Bool shutdown, int interactStyle,
                                Bool) {
    auto* self = static_cast<XsmpClient*>(client);
    const auto interaction = interactStyle == SmInteractStyleAny ? LogoutSequence::Interaction::Any
                             : interactStyle == SmInteractStyleErrors
                                 ? LogoutSequence::Interaction::Errors
                                 : LogoutSequence::Interaction::None;
    QMetaObject::invokeMethod(
        self,
        [self, shutdown, interaction] {
            if (self->sequence)
                self->sequence->saveYourself(shutdown, interaction);
            else
                self->saveYourselfDone();
        },
        Qt::QueuedConnection);
}

void XsmpClient::onInteract(SmcConn, SmPointer client) {
    auto* self = static_cast<XsmpClient*>(client);
    QMetaObject::invokeMethod(
        self,
        [self] {
            if (self->sequence) self->sequence->interact();
        },
        Qt::QueuedConnection);
}

void XsmpClient::onDie(SmcConn, SmPointer client) {
    auto* self = static_cast<XsmpClient*>(client);
    QMetaObject::invokeMethod(
        self,
        [self] {
            if (self->sequence) self->sequence->die();
        },
        Qt::QueuedConnection);
}

void XsmpClient::onSaveComplete(SmcConn, SmPointer) {}

void XsmpClient::onShutdownCancelled(SmcConn, SmPointer client) {
    auto* self = static_cast<XsmpClient*>(client);
    QMetaObject::invokeMethod(
        self,
        [self] {
            if (self->sequence) self->sequence->shutdownCancelled();
        },
        Qt::QueuedConnection);
}
