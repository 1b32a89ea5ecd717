#pragma once

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTest>

#include <memory>
#include <ostream>
#include <vector>

// A real X11 desktop for one test: Xvfb on a free display, optionally the openbox
// window manager, and the X tools a user's actions are made with. Programs started
// here get the display and no session bus.
class X11Desktop {
public:
    // The tools that are missing on this machine, for the test to say why it skips.
    static QStringList missingTools() {
        QStringList missing;
        for (const char* tool : {"Xvfb", "openbox", "xdotool", "xprop", "xwininfo"})
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                missing << QString::fromLatin1(tool);
        return missing;
    }

    X11Desktop() = default;
    X11Desktop(const X11Desktop&) = delete;
    X11Desktop& operator=(const X11Desktop&) = delete;
    ~X11Desktop() {
        for (auto it = m_processes.rbegin(); it != m_processes.rend(); ++it) stop(**it);
    }

    // Starts the server (and the window manager) and waits until they are ready.
    bool start(bool windowManager) {
        // Display numbers of its own, away from a desktop that may be at :0. Without
        // -noreset the server resets whenever its last client leaves and refuses
        // whoever connects meanwhile: the tools here come and go one at a time.
        for (int number = 60; m_display.isEmpty() && number < 100; ++number) {
            QProcess& server =
                launch(QStringLiteral("Xvfb"),
                       {QStringLiteral(":%1").arg(number), QStringLiteral("-displayfd"),
                        QStringLiteral("1"), QStringLiteral("-screen"), QStringLiteral("0"),
                        QStringLiteral("800x600x24"), QStringLiteral("-nolisten"),
                        QStringLiteral("tcp"), QStringLiteral("-noreset")});
            while (!server.canReadLine() && server.waitForReadyRead(10000)) {
            }
            if (server.canReadLine()) m_display = QStringLiteral(":%1").arg(number);
        }
        if (m_display.isEmpty()) return false;
        // Reachable from here, not only announced.
        if (!QTest::qWaitFor([this] { return hasRoot(); }, 10000)) return false;
        if (!windowManager) return true;
        // openbox announces itself early, but a window mapped before it has finished
        // starting can wait unmanaged until some other event reaches it; it runs its
        // startup command once it manages windows, and that command's mark on the
        // root window is such an event. A window manager that did not come up is
        // given a second start.
        const QString mark = QStringLiteral("_X11DESKTOP_WM_STARTED");
        const QString startup = QStringLiteral("xprop -root -f %1 8s -set %1 yes").arg(mark);
        for (int attempt = 0; attempt < 2; ++attempt) {
            QProcess& wm =
                launch(QStringLiteral("openbox"), {QStringLiteral("--startup"), startup});
            if (QTest::qWaitFor(
                    [&] {
                        return run(QStringLiteral("xprop"), {QStringLiteral("-root"), mark})
                                   .endsWith(QLatin1String("\"yes\"")) ||
                               wm.state() == QProcess::NotRunning;
                    },
                    20000) &&
                wm.state() == QProcess::Running)
                return true;
        }
        return false;
    }

    // The server answers a query of its root window.
    bool hasRoot() const {
        return !run(QStringLiteral("xwininfo"), {QStringLiteral("-root")}).isEmpty();
    }

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), m_display);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                   QStringLiteral("unix:path=/nonexistent"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("SESSION_MANAGER"));
        return env;
    }

    // Starts a program on this desktop; it is ended with the desktop.
    QProcess& launch(const QString& program, const QStringList& arguments,
                     const QProcessEnvironment& env = {}) {
        m_processes.push_back(std::make_unique<QProcess>());
        QProcess& process = *m_processes.back();
        process.setProcessEnvironment(env.isEmpty() ? environment() : env);
        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.start(program, arguments);
        process.waitForStarted();
        return process;
    }

    // Runs a tool to its end and gives what it printed.
    QString run(const QString& program, const QStringList& arguments, int timeout = 15000) const {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(program, arguments);
        if (!process.waitForFinished(timeout)) {
            process.kill();
            process.waitForFinished();
        }
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    }

    QString xdotool(const QStringList& arguments, int timeout = 15000) const {
        return run(QStringLiteral("xdotool"), arguments, timeout);
    }

    // The id of the first window whose title matches, waiting for it to appear.
    QString windowNamed(const QString& title) const {
        QString id;
        (void)QTest::qWaitFor(
            [&] {
                id = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                              QStringLiteral("--name"), title},
                             3000)
                         .section(QLatin1Char('\n'), 0, 0);
                return !id.isEmpty();
            },
            20000);
        return id;
    }

    // The desktop's window ids, bottom to top.
    QList<qulonglong> stacking() const {
        const QString line =
            run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("-notype"),
                                          QStringLiteral("_NET_CLIENT_LIST_STACKING")});
        QList<qulonglong> ids;
        for (const QString& word : line.section(QLatin1Char('#'), 1).split(QLatin1Char(',')))
            ids << word.trimmed().toULongLong(nullptr, 16);
        return ids;
    }

    // The top-level windows, from the top down, where no window manager frames them.
    QList<qulonglong> topLevelsFromTheTop() const {
        QList<qulonglong> ids;
        const QString tree =
            run(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-children")});
        for (const QString& line : tree.split(QLatin1Char('\n'))) {
            const QString word = line.trimmed().section(QLatin1Char(' '), 0, 0);
            if (word.startsWith(QLatin1String("0x"))) ids << word.toULongLong(nullptr, 16);
        }
        return ids;
    }

    static void stop(QProcess& process) {
        if (process.state() == QProcess::NotRunning) return;
        process.terminate();
        if (!process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished();
        }
    }

private:
    QString m_display;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

// Readable texts in the test's messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
