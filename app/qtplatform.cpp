#include "app/qtplatform.h"

#include "app/desktopattention.h"
#include "app/helpdocument.h"
#include "app/localclock.h"
#include "app/modalloop.h"
#include "app/titlebar.h"
#include "app/wallclocktimer.h"
#include "sound/audioengine.h"
#include "sound/beeper.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QProcess>
#include <QProxyStyle>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>
#include <QWidget>

namespace {

// xdg-open that fails within this time found nothing to show the page with.
constexpr qint64 kHelpViewerVerdictMs = 10000;

// Holds back Qt's warning that no viewer could be started: the box says it instead.
QtMessageHandler handlerBeforeHelp = nullptr;
void dropWarnings(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type != QtWarningMsg) handlerBeforeHelp(type, context, text);
}

// The program's own button order, "OK" left of "ｷｬﾝｾﾙ", whatever the desktop's
// convention; everything else as the application's style draws it.
class OwnButtonOrder : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_DialogButtonLayout) return QDialogButtonBox::WinLayout;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

// The program's message boxes: a title bar with a close box alone.
class ProgramMessageBox : public QMessageBox {
public:
    ProgramMessageBox(Icon icon, const QString& title, const QString& text, StandardButtons buttons,
                      QWidget* owner)
        : QMessageBox(icon, title, text, buttons, owner) {
        TitleBar::install(this, TitleBar::Buttons::Close);
    }
};

void keepOwnButtonOrder(QMessageBox& box) {
    auto* buttons = box.findChild<QDialogButtonBox*>();
    if (!buttons) return;
    auto* style = new OwnButtonOrder(QApplication::style()->name());
    style->setParent(&box);
    buttons->setStyle(style);
}

}  // namespace

QtPlatform::QtPlatform()
    : m_beeper(std::make_unique<Beeper>()), m_helpAnswers(std::make_unique<QObject>()) {
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
    // The sound ends with the platform, while Qt, its log included, is still there:
    // the windows are gone, and nothing asks for a sound any more.
    AudioEngine::instance().shutdown();
    AudioEngine::instance().setUnheardHandler(nullptr);
}

LocalTime QtPlatform::localTime() {
    return readLocalClock();
}

TickTimer* QtPlatform::createTickTimer(QObject* parent) {
    return new WallClockTimer(parent);
}

void QtPlatform::messageBeep(unsigned type) {
    if (!m_beeper->beep(type)) QApplication::beep();
}

void QtPlatform::setForegroundWindow(QWidget* window) {
    if (!window) return;
    // The keyboard stays with the program the user is typing in: a key meant
    // for it must never reach the switch. Nothing here asks for it: whether this
    // program still has it is known only once its events are read, and a user
    // who has just gone to another program would lose keys to the ringing window.
    if (window->isHidden()) window->show();
    window->raise();
    // A question or window open over it stays in front (without a window manager
    // nothing else keeps it there).
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != window)
        modal->raise();
    // Where the desktop refuses to raise (Wayland), the window is marked urgent.
    QApplication::alert(window);
}

QWidget* QtPlatform::dialogOwner() const {
    QWidget* owner = currentWindow ? currentWindow() : nullptr;
    // A dialog over a window that does not show would be placed by where that
    // window will be; without an owner it is centred on the screen.
    return owner && owner->isVisible() ? owner : nullptr;
}

bool QtPlatform::confirmWarning(const QString& text) {
    ProgramMessageBox box(QMessageBox::Warning, QStringLiteral("警告"), text,
                          QMessageBox::Ok | QMessageBox::Cancel, dialogOwner());
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    keepOwnButtonOrder(box);
    return box.exec() == QMessageBox::Ok;
}

void QtPlatform::showMessage(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    ProgramMessageBox box(QMessageBox::NoIcon, applicationTitle(), shown, QMessageBox::Ok,
                          dialogOwner());
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
}

void QtPlatform::showError(const QString& message) {
    ProgramMessageBox box(QMessageBox::Critical, applicationTitle(), message + QLatin1Char('.'),
                          QMessageBox::Ok, dialogOwner());
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.exec();
}

void QtPlatform::showModal(QWidget* window) {
    runModal(window, dialogOwner());
}

void QtPlatform::quit() {
    QCoreApplication::exit(0);
    // Asked inside a loop that runs before the main one (a message box at start-up),
    // the main loop must end as soon as it starts.
    QMetaObject::invokeMethod(
        qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

QString QtPlatform::executablePath() {
    return QCoreApplication::applicationFilePath();
}

void QtPlatform::showHelp(const QString& helpFile, unsigned, unsigned) {
    // The viewer is a program of its own: started, never waited for. Where the
    // desktop has none, the user is told in the window rather than on stderr.
    const QString page = helpDocumentFor(helpFile);
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        handlerBeforeHelp = qInstallMessageHandler(dropWarnings);
        const bool opened = QDesktopServices::openUrl(QUrl::fromLocalFile(page));
        qInstallMessageHandler(handlerBeforeHelp);
        if (!opened) showNoHelpViewer(page);
        return;
    }
    // Qt would report success as soon as xdg-open starts; that it found no browser
    // shows only in its exit status. Once a browser runs, xdg-open may wait for it
    // and end much later with the browser's status, which says nothing of the page.
    // The process has no parent: the program's end must not end the viewer.
    auto* viewer = new QProcess;
    viewer->setStandardOutputFile(QProcess::nullDevice());
    viewer->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(viewer, &QProcess::finished, viewer, &QObject::deleteLater);
    QElapsedTimer started;
    started.start();
    QObject::connect(viewer, &QProcess::finished, m_helpAnswers.get(),
                     [this, page, started](int code, QProcess::ExitStatus status) {
                         if (status == QProcess::NormalExit && code != 0 &&
                             started.elapsed() < kHelpViewerVerdictMs)
                             showNoHelpViewer(page);
                     });
    QObject::connect(viewer, &QProcess::errorOccurred, m_helpAnswers.get(),
                     [this, viewer, page](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart) return;
                         viewer->deleteLater();
                         showNoHelpViewer(page);
                     });
    viewer->start(opener, {QUrl::fromLocalFile(page).toString()});
}

void QtPlatform::showNoHelpViewer(const QString& page) {
    ProgramMessageBox box(QMessageBox::NoIcon, applicationTitle(),
                          QStringLiteral("ヘルプを表示するプログラムがありません。\n"
                                         "ブラウザで次のファイルを開いてください。\n") +
                              page,
                          QMessageBox::Ok, dialogOwner());
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.exec();
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

void QtPlatform::alarmRang(const QString& alarmTime) {
    attention().alarmRang(alarmTime);
}

void QtPlatform::alarmMissed(const QString& alarmTime) {
    attention().alarmMissed(alarmTime);
}
