#include "settings/inifile.h"

#include "app/errors.h"
#include "testfiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <cstdio>

// write(), fsync() and rename() act as always until a child sets g_stepsLeft: then it dies, or
// loses power, at that step.

namespace {

int g_stepsLeft = -1;
std::set<ino_t> g_unsynced;              // written since they last reached the disk
std::vector<std::string> g_renamedOver;  // files renamed into place while unsynced

ino_t inodeOf(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? st.st_ino : 0;
}

// At the chosen step the power goes: a file renamed over before its data was synced is empty.
void stepDone() {
    if (g_stepsLeft < 0 || g_stepsLeft-- > 0) return;
    for (const std::string& path : g_renamedOver)
        if (::truncate(path.c_str(), 0) != 0) std::perror(path.c_str());
    ::raise(SIGKILL);
}

}  // namespace

extern "C" ssize_t write(int fd, const void* data, size_t size) {
    if (g_stepsLeft == 0) size /= 2;  // cut off halfway through
    const auto written = ssize_t(::syscall(SYS_write, fd, data, size));
    if (g_stepsLeft >= 0) g_unsynced.insert(inodeOf(fd));
    stepDone();
    return written;
}

extern "C" int fsync(int fd) {
    const int result = int(::syscall(SYS_fsync, fd));
    g_unsynced.erase(inodeOf(fd));
    stepDone();
    return result;
}

extern "C" int rename(const char* from, const char* to) {
    struct stat st {};
    const bool unsynced = ::stat(from, &st) == 0 && g_unsynced.count(st.st_ino);
    const int result = ::renameat(AT_FDCWD, from, AT_FDCWD, to);
    if (unsynced) g_renamedOver.push_back(to);
    stepDone();
    return result;
}

namespace {

class IniFile : public ::testing::Test {
protected:
    QString file() const { return folder.filePath(QStringLiteral("pipiron.ini")); }
    TIniFile ini() const { return TIniFile(file().toStdString()); }
    QStringList names() const {
        return QDir(folder.path())
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    }

    QTemporaryDir folder;
};

TEST_F(IniFile, ReadsTheFirstMatchingKeyOfTheFirstMatchingSection) {
    const std::string w1022(1022, 'w');
    const struct {
        std::string content;  // "-": no file
        std::string hint;     // ReadString("SETUP", "HINT", "d")
    } cases[] = {{"-", "d"},
                 {"[setup]\nhint=0\n", "0"},
                 {"  [ SeTuP ] ; main \r\n\t Hint \t= \t0 \t\r\n", "0"},
                 {"[SETUP]\nHINT=\"0\"\n", "0"},
                 {"[SETUP]\nHINT= 'a b'\t\n", "a b"},
                 {"[SETUP]\nHINT=\"a'", "\"a'"},
                 {"[SETUP]\nHINT=  \t\n", ""},
                 {"[SETUP]\nHINT=" + std::string(2000, 'w'), w1022 + "w"},
                 {"[SETUP]\nHINT=\"" + w1022 + "あい\"", w1022},
                 {utf16(u"[SETUP]\r\nHINT=\"ぴ\"\r\n"), "ぴ"},
                 {"[SETUP]\nHINT=1\nHINT=0\n", "1"},
                 {"[SETUP]\nMINI=1\n[SETUP]\nHINT=0\n", "d"},
                 {"[SETUPX]\nHINT=0\n[SETUP]\nHINTS=0\n;HINT=0\n", "d"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.content.substr(0, 60)));
        QFile::remove(file());
        if (c.content != "-") put(file(), c.content);
        EXPECT_EQ(ini().ReadString("SETUP", "HINT", "d"), c.hint);
    }
}

// A folder, a pipe or a huge file is no settings file: read as missing, never written over.
TEST_F(IniFile, WhatIsNoSettingsFileIsNeitherReadNorReplaced) {
    const auto refused = [this](const char* what) {
        SCOPED_TRACE(what);
        const QStringList before = names();
        EXPECT_EQ(ini().ReadString("SETUP", "HINT", "d"), "d");
        EXPECT_THROW(ini().WriteString("SETUP", "HINT", "1"), EIniFileError);
        EXPECT_EQ(names(), before);
        QDir(file()).removeRecursively();
        QFile::remove(file());
    };
    QDir(folder.path()).mkdir(QStringLiteral("pipiron.ini"));
    refused("a folder");
    ::mkfifo(file().toLocal8Bit().constData(), 0600);
    refused("a pipe");
    put(file(), "[SETUP]\nHINT=0\n");
    QFile(file()).resize(17 * 1024 * 1024);
    refused("a file of 17 MiB");
}

// Only the key's line changes; a line that already reads as the value stays. Values and
// names are bytes; a UTF-16 file takes them as text (bytes that are no UTF-8 as Shift-JIS).
TEST_F(IniFile, WritingChangesOnlyTheLineOfTheKey) {
    const std::string sjis = "\x83\x60\x83\x83\x83\x43\x83\x80.wav";  // チャイム.wav
    const struct {
        std::string before, key, value, after;
    } cases[] = {
        {"-", "HINT", "0", "[SETUP]\r\nHINT=0\r\n"},
        {"; ぴ\r\n[Other]\nHINT=1\n\n[setup]\r\nMINI=1\r\n hint = 1  \r\nX=y\n", "HINT", "0",
         "; ぴ\r\n[Other]\nHINT=1\n\n[setup]\r\nMINI=1\r\n hint = 0  \r\nX=y\n"},
        {"[SETUP]\nHINT=  \t\nA=1", "HINT", "0", "[SETUP]\nHINT=0  \t\nA=1"},
        {"[SETUP]\nA=1\n\n[B]\nB=2\n", "HINT", "0", "[SETUP]\nA=1\nHINT=0\r\n\n[B]\nB=2\n"},
        {"[SETUP]\nHINT= '0' \r\n", "HINT", "0", "[SETUP]\nHINT= '0' \r\n"},
        {"[SETUP]\nHINT=1\n", "HINT", "0\r\n[SETUP]\r\nHINT=2", "[SETUP]\nHINT=0\n"},
        {"[SETUP]\n", "WAVFILE", sjis, "[SETUP]\nWAVFILE=" + sjis + "\r\n"},
        {utf16(u"; ぴ 🔔\r\n[SETUP]\r\nHINT=1\r\n"), "HINT", "0",
         utf16(u"; ぴ 🔔\r\n[SETUP]\r\nHINT=0\r\n")},
        {utf16(u"[B]\nB=2", true), "HINT", "0",
         utf16(u"[B]\nB=2\r\n\r\n[SETUP]\r\nHINT=0\r\n", true)},
        {utf16(u"[SETUP]\r\n"), "WAVFILE", sjis, utf16(u"[SETUP]\r\nWAVFILE=チャイム.wav\r\n")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.before));
        QFile::remove(file());
        if (c.before != "-") put(file(), c.before);
        ini().WriteString("SETUP", c.key, c.value);
        EXPECT_EQ(got(file()), c.after);
    }
    EXPECT_EQ(names(), QStringList{QStringLiteral("pipiron.ini")});
}

// A save cut off by a kill or a power loss leaves the old or the new settings, never a torn or
// empty file; a temporary file it leaves goes with the next save.
TEST_F(IniFile, ASaveCutOffAtAnyStepLeavesTheOldOrTheNewSettings) {
    const std::string old = "; mine\r\n[SETUP]\r\nHINT=1\r\nMINI=0\r\n";
    const std::vector<std::string> whole = {old, "; mine\r\n[SETUP]\r\nHINT=0\r\nMINI=0\r\n",
                                            "; mine\r\n[SETUP]\r\nHINT=0\r\nMINI=1\r\n"};
    for (int step = 0;; ++step) {
        SCOPED_TRACE("cut off at step " + std::to_string(step));
        ASSERT_LT(step, 40);
        put(file(), old);
        const pid_t writer = ::fork();
        if (writer == 0) {
            g_stepsLeft = step;
            TIniFile settings = ini();
            settings.WriteBool("SETUP", "HINT", false);
            settings.WriteBool("SETUP", "MINI", true);
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(writer, &status, 0), writer);
        const std::string now = got(file());
        EXPECT_NE(std::find(whole.begin(), whole.end(), now), whole.end()) << now;
        if (WIFEXITED(status)) {
            EXPECT_EQ(now, whole.back());
            break;
        }
        ini().WriteString("SETUP", "HINT", "1");
        EXPECT_EQ(names(), QStringList{QStringLiteral("pipiron.ini")});
    }
}

}  // namespace
