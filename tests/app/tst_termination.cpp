#include "programcopy.h"

#include <QFile>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {

// True once the process catches all three signals, that is, it is ready for them.
bool catchesTerminationSignals(qint64 pid) {
    QFile status(u"/proc/%1/status"_s.arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (!line.startsWith("SigCgt:")) continue;
        const qulonglong caught = line.mid(7).trimmed().toULongLong(nullptr, 16);
        const qulonglong wanted =
            (1ull << (SIGHUP - 1)) | (1ull << (SIGINT - 1)) | (1ull << (SIGTERM - 1));
        return (caught & wanted) == wanted;
    }
    return false;
}

}  // namespace

// The desktop ends the program with a signal: it saves what the user chose and ends
// normally, also while a message is up and when the save fails.
TEST(TerminationSignals, EndTheProgramWithTheSettingsSaved) {
    const QByteArray wav = PIPIRON_CHIME;
    struct Case {
        const char* name;
        int signal;
        QByteArray settings;
        bool unwritable;  // the settings file is a folder: reading and saving fail
        QByteArray saved;
    } cases[] = {
        {"SIGTERM", SIGTERM, "[SETUP]\r\nHINT=0\r\nCOLOR=1\r\nWAVFILE=" + wav + "\r\n", false,
         "[SETUP]\r\nHINT=0\r\nCOLOR=1\r\nWAVFILE=" + wav + "\r\nMINI=0\r\n"},
        {"SIGINT", SIGINT, "[SETUP]\r\nMINI=1\r\nWAVFILE=" + wav + "\r\n", false,
         "[SETUP]\r\nMINI=1\r\nWAVFILE=" + wav + "\r\nHINT=1\r\nCOLOR=2\r\n"},
        {"SIGHUP", SIGHUP, "[SETUP]\r\nCOLOR=3\r\nWAVFILE=" + wav + "\r\n", false,
         "[SETUP]\r\nCOLOR=3\r\nWAVFILE=" + wav + "\r\nHINT=1\r\nMINI=0\r\n"},
        // The message about the missing sound is up when the signal comes.
        {"SIGTERM at the start-up message", SIGTERM, "[SETUP]\r\nWAVFILE=missing.wav\r\n", false,
         "[SETUP]\r\nWAVFILE=missing.wav\r\nHINT=1\r\nMINI=0\r\nCOLOR=2\r\n"},
        {"SIGTERM with a failing save", SIGTERM, {}, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramCopy copy(c.settings);
        ASSERT_TRUE(copy.isValid());
        if (c.unwritable) {
            ASSERT_TRUE(QFile::remove(copy.iniPath()) && QDir().mkdir(copy.iniPath()));
        }
        QProcess program;
        QProcessEnvironment env = copy.environment(QProcessEnvironment::systemEnvironment());
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        program.setProcessEnvironment(env);
        program.start(copy.program(), {});
        ASSERT_TRUE(program.waitForStarted());
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return catchesTerminationSignals(program.processId()); }, 20000));
        ::kill(pid_t(program.processId()), c.signal);
        ASSERT_TRUE(program.waitForFinished(20000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
        if (c.unwritable) continue;
        QFile ini(copy.iniPath());
        ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
        EXPECT_EQ(ini.readAll(), c.saved);
    }
}
