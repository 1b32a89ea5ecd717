#include "settings/inifile.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <functional>
#include <random>
#include <thread>

#include <signal.h>
#include <sys/wait.h>

using namespace std::chrono;

namespace {

const std::array<std::string, 4> kKeys = {"HINT", "MINI", "COLOR", "WAVFILE"};
// Two sets of values written in turn; the long path makes each write take a while.
const std::array<std::array<std::string, 4>, 2> kValues = {{
    {"1", "0", "2", "c:\\windows\\media\\" + std::string(600, 'a') + ".wav"},
    {"0", "1", "-1", "sounds/" + std::string(900, 'b') + ".wav"},
}};

// The file after the first `written` keys of `set` replaced those of the other set.
std::string fileText(int set, int written) {
    std::string text = "; ぴぴろん\r\n[OTHER]\nkeep=me\n\n[SETUP]\r\n";
    for (int i = 0; i < 4; ++i)
        text += kKeys[i] + "=" + kValues[i < written ? set : 1 - set][i] + "\r\n";
    return text + "[LAST]\r\nx=y";
}

// A writer goes through the keys in order, so any whole file is one of these:
// set * 4 + written, or -1 for a torn file.
int progressOf(const std::string& text) {
    for (int at = 0; at < 8; ++at)
        if (fileText(at / 4, at % 4) == text) return at;
    return -1;
}

// "WRITER1", "K7". Appended, not inserted in front: GCC 12's optimiser takes
// a string + std::to_string(n) for an overlapping copy.
std::string numbered(const char* stem, int number) {
    std::string name(stem);
    name += std::to_string(number);
    return name;
}

void writeSet(TIniFile& ini, int set) {
    for (int i = 0; i < 4; ++i) ini.WriteString("SETUP", kKeys[i], kValues[set][i]);
}

pid_t child(const std::function<void()>& run) {
    // An exception ends the child with SIGABRT.
    const pid_t pid = ::fork();
    if (pid == 0) {
        run();
        ::_exit(0);
    }
    return pid;
}

// 0 for a clean exit, the signal's number for a kill.
int statusOf(pid_t pid) {
    int status = -1;
    return ::waitpid(pid, &status, 0) == pid ? status : -1;
}

TEST(IniFileCrash, KilledWriterLeavesOldOrNewValues) {
    TempFolder folder;
    const std::string path = folder.path() / "pipiron.ini";
    writeBytes(path, fileText(1, 0));
    TIniFile ini(path);

    // Kill within roughly the time of two rounds of writes.
    const auto start = steady_clock::now();
    writeSet(ini, 0);
    writeSet(ini, 0);
    const duration<double> window = steady_clock::now() - start + 500us;
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);

    int progress = progressOf(readBytes(path));
    int kills = 0, changes = 0;
    for (const auto end = steady_clock::now() + 6s; kills < 300 && steady_clock::now() < end;
         ++kills) {
        // The writer goes on with the set the file stands in, so the order stays checkable.
        const pid_t writer = child([&] {
            for (int set = progress / 4;; set = 1 - set) writeSet(ini, set);
        });
        ASSERT_GT(writer, 0);
        std::this_thread::sleep_for(window * std::uniform_real_distribution(0.0, 1.0)(random));
        ::kill(writer, SIGKILL);
        ASSERT_EQ(statusOf(writer), SIGKILL) << "the writer failed on its own";
        const std::string text = readBytes(path);
        const auto now = progressOf(text);
        ASSERT_GE(now, 0) << "torn file after kill " << kills << ":\n" << text;
        ASSERT_LE(folder.names().size(), 2u) << "temporary files pile up";
        changes += now != progress;
        progress = now;
    }
    EXPECT_GE(kills, 100);
    EXPECT_GE(changes, kills / 4) << "the writer was killed before it wrote anything";

    // A temporary file left by a killed writer goes with the next write.
    ini.WriteString("SETUP", "HINT", "1");
    EXPECT_EQ(folder.names(), std::vector<std::string>{"pipiron.ini"});
}

TEST(IniFileCrash, TwoProgramsWritingAtOnceLoseNoKey) {
    TempFolder folder;
    const std::string path = folder.path() / "pipiron.ini";
    const auto go = steady_clock::now() + 100ms;
    std::array<pid_t, 2> writers{};
    for (int w = 0; w < 2; ++w) {
        writers[w] = child([&] {
            std::this_thread::sleep_until(go);
            TIniFile ini(path);
            for (int k = 0; k < 40; ++k) {
                ini.WriteInteger(numbered("WRITER", w), numbered("K", k), k * 10 + w);
                if (k % 10 == 0) writeSet(ini, w);
            }
        });
        ASSERT_GT(writers[w], 0);
    }
    for (const pid_t writer : writers) ASSERT_EQ(statusOf(writer), 0);

    const TIniFile ini(path);
    for (int w = 0; w < 2; ++w)
        for (int k = 0; k < 40; ++k)
            EXPECT_EQ(ini.ReadInteger(numbered("WRITER", w), numbered("K", k), -1), k * 10 + w);
    for (int i = 0; i < 4; ++i) {
        const std::string value = ini.ReadString("SETUP", kKeys[i], "");
        EXPECT_TRUE(value == kValues[0][i] || value == kValues[1][i]) << kKeys[i] << "=" << value;
    }
    EXPECT_EQ(folder.names(), std::vector<std::string>{"pipiron.ini"});
}

}  // namespace
