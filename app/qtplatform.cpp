#include "app/qtplatform.h"

#include "app/desktopattention.h"
#include "sound/audioengine.h"
#include "sound/beeper.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDesktopServices>
#include <QEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QTime>
#include <QTimer>
#include <QUrl>
#include <QWidget>

namespace {

// Ends a nested loop when its window is hidden: an accepted close hides it, while
// a refused one leaves the loop running.
class HideWatcher : public QObject {
public:
    HideWatcher(QWidget* window, QEventLoop* loop) : QObject(window), m_loop(loop) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Hide)
            QMetaObject::invokeMethod(m_loop, &QEventLoop::quit, Qt::QueuedConnection);
        return false;
    }

private:
    QEventLoop* m_loop;
};

}  // namespace

void runModal(QWidget* window) {
    QPointer<QWidget> guard(window);
    window->setWindowModality(Qt::ApplicationModal);
    window->show();
    window->raise();
    window->activateWindow();
    QEventLoop loop;
    auto* watcher = new HideWatcher(window, &loop);
    if (window->isVisible()) loop.exec();
    if (guard) {
        delete watcher;
        window->hide();
        window->setWindowModality(Qt::NonModal);
    }
}

QString helpDocumentFor(const QString& helpFile) {
    if (QFileInfo(helpFile).isFile()) return helpFile;
    const QFileInfo info(helpFile);
    return info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".html");
}

QtPlatform::QtPlatform() : m_beeper(std::make_unique<Beeper>()) {
    // A ring that finds no sound device only on the sound's own thread still beeps.
    AudioEngine::instance().setUnheardHandler([] {
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(
                app, [] { QApplication::beep(); }, Qt::QueuedConnection);
    });
}

// The session bus is first needed when the alarm is armed, not at start-up.
DesktopAttention& QtPlatform::attention() {
    if (!m_attention) {
        m_attention = std::make_unique<DesktopAttention>(QDBusConnection::sessionBus());
        QObject::connect(m_attention.get(), &DesktopAttention::offRequested, m_attention.get(),
                         [this] {
                             if (onAlarmOffRequested) onAlarmOffRequested();
                         });
    }
    return *m_attention;
}

QtPlatform::~QtPlatform() {
    AudioEngine::instance().setUnheardHandler(nullptr);
}

LocalTime QtPlatform::localTime() {
    const QTime now = QTime::currentTime();
    return {now.hour(), now.minute(), now.second(), now.msec()};
}

void QtPlatform::messageBeep(unsigned type) {
    if (!m_beeper->beep(type)) QApplication::beep();
}

void QtPlatform::setForegroundWindow(QWidget* window) {
    if (!window) return;
    if (window->isHidden()) window->show();
    window->raise();
    window->activateWindow();
    // Where the desktop refuses to raise (Wayland), the window is marked urgent.
    QApplication::alert(window);
}

bool QtPlatform::confirmWarning(const QString& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("警告"), text,
                    QMessageBox::Ok | QMessageBox::Cancel);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

void QtPlatform::showMessage(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(QMessageBox::NoIcon, applicationTitle(), shown, QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
}

void QtPlatform::showError(const QString& message) {
    QMessageBox box(QMessageBox::Critical, applicationTitle(), message + QLatin1Char('.'),
                    QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
}

void QtPlatform::showModal(QWidget* window) {
    runModal(window);
}

void QtPlatform::quit() {
    QCoreApplication::exit(0);
}

QString QtPlatform::executablePath() {
    return QCoreApplication::applicationFilePath();
}

void QtPlatform::showHelp(const QString& helpFile, unsigned, unsigned) {
    // The viewer is a program of its own: started, never waited for.
    QDesktopServices::openUrl(QUrl::fromLocalFile(helpDocumentFor(helpFile)));
}

void QtPlatform::alarmRinging(const QString& alarmTime) {
    attention().alarmStarted(alarmTime);
}

void QtPlatform::alarmSilenced() {
    if (m_attention) m_attention->alarmEnded();
}

void QtPlatform::setAlarmArmed(bool armed) {
    if (armed || m_attention) attention().setArmed(armed);
}
