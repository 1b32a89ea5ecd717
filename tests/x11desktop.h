#pragma once

#include <QProcess>
#include <QTest>

#include <memory>
#include <vector>

// A real X11 desktop for one test: Xvfb on a free display, optionally the openbox
// window manager, and the X tools a user's actions are made with. Programs started
// here get the display and no session bus.
class X11Desktop {
public:
    ~X11Desktop() {
        for (auto it = m_processes.rbegin(); it != m_processes.rend(); ++it) {
            (*it)->terminate();
            if (!(*it)->waitForFinished(5000)) (*it)->kill();
            (*it)->waitForFinished();
        }
    }

    // Starts the server (and the window manager) and waits until they are ready.
    bool start(bool windowManager) {
        // Displays away from a desktop at :0. Without -noreset the server resets when
        // its last client leaves and refuses whoever connects meanwhile.
        for (int number = 60; m_display.isEmpty() && number < 100; ++number) {
            QProcess& server =
                launch("Xvfb", {":" + QString::number(number), "-displayfd", "1", "-screen", "0",
                                "800x600x24", "-nolisten", "tcp", "-noreset"});
            while (!server.canReadLine() && server.waitForReadyRead(10000)) {
            }
            if (server.canReadLine()) m_display = ":" + QString::number(number);
        }
        if (m_display.isEmpty()) return false;
        // A window mapped before openbox manages windows may wait unmanaged: the mark
        // its startup command sets on the root window says it is ready.
        if (windowManager) launch("openbox", {"--startup", "xprop -root -f _UP 8s -set _UP yes"});
        return QTest::qWaitFor(
            [&] {
                const QString mark = run("xprop", {"-root", "_UP"});
                return windowManager ? mark.endsWith("\"yes\"") : !mark.isEmpty();
            },
            20000);
    }

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", m_display);
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent");
        env.remove("WAYLAND_DISPLAY");
        env.remove("SESSION_MANAGER");
        return env;
    }

    // Starts a program on this desktop; it is ended with the desktop.
    QProcess& launch(const QString& program, const QStringList& arguments,
                     const QProcessEnvironment& env = {}) {
        auto& process = *m_processes.emplace_back(std::make_unique<QProcess>());
        process.setProcessEnvironment(env.isEmpty() ? environment() : env);
        process.start(program, arguments);
        process.waitForStarted();
        return process;
    }

    // Runs a tool to its end and gives what it printed.
    QString run(const QString& program, const QStringList& arguments) const {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(program, arguments);
        if (!process.waitForFinished(15000)) process.kill();
        process.waitForFinished();
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    }

    // The id of the first showing window whose title matches, waiting for it to appear.
    QString windowNamed(const QString& title, int timeout = 20000) const {
        QString id;
        (void)QTest::qWaitFor(
            [&] {
                id = run("xdotool", {"search", "--onlyvisible", "--name", title})
                         .section('\n', 0, 0);
                return !id.isEmpty();
            },
            timeout);
        return id;
    }

    // Where the window stands among the top-level windows, 0 at the top.
    int depth(const QString& window) const {
        const QString list = run("xprop", {"-root", "-notype", "_NET_CLIENT_LIST_STACKING"});
        QStringList ids;  // from the top down
        if (list.contains('#'))
            for (const QString& word : list.section('#', 1).split(',')) ids.prepend(word.trimmed());
        else
            for (const QString& line : run("xwininfo", {"-root", "-children"}).split('\n'))
                ids << line.trimmed().section(' ', 0, 0);
        for (QString& id : ids) id = QString::number(id.toULongLong(nullptr, 16));
        return int(ids.indexOf(window));
    }

private:
    QString m_display;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};
