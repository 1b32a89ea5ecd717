#include "settings/inifile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::array<std::string, 4> kKeys = {"HINT", "MINI", "COLOR", "WAVFILE"};
// Two sets of values written in turn; the long path makes each write take a while.
const std::array<std::array<std::string, 4>, 2> kValues = {{
    {"1", "0", "2", "c:\\windows\\media\\" + std::string(600, 'a') + ".wav"},
    {"0", "1", "-1", "sounds/" + std::string(900, 'b') + ".wav"},
}};
const std::string kBefore = "; ぴぴろん\r\n[OTHER]\nkeep=me\n\n[SETUP]\r\n";
const std::string kAfter = "[LAST]\r\nx=y";

std::string fileText(const std::array<int, 4>& set) {
    std::string text = kBefore;
    for (int i = 0; i < 4; ++i) text += kKeys[i] + "=" + kValues[set[i]][i] + "\r\n";
    return text + kAfter;
}

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

// The writer goes through the keys in order, so the file must always hold the
// first `written` keys of one set and the rest of the other set.
struct Progress {
    int set;      // the set being written
    int written;  // keys of it already in the file, 0..3
};

std::optional<Progress> progressOf(const std::string& text) {
    for (int set = 0; set < 2; ++set) {
        for (int written = 0; written < 4; ++written) {
            std::array<int, 4> sets{};
            for (int i = 0; i < 4; ++i) sets[i] = i < written ? set : 1 - set;
            if (fileText(sets) == text) return Progress{set, written};
        }
    }
    return std::nullopt;
}

[[noreturn]] void writeForever(const fs::path& path, Progress from) {
    try {
        TIniFile ini(path);
        for (;;) {
            for (int i = from.written; i < 4; ++i)
                ini.WriteString("SETUP", kKeys[i], kValues[from.set][i]);
            from = {1 - from.set, 0};
        }
    } catch (...) {
    }
    ::_exit(1);
}

class TempFolder {
public:
    TempFolder() {
        // A kill tests the process, not the disk: memory-backed files let the
        // writer get through hundreds of rounds in a few seconds.
        std::error_code error;
        const fs::path base =
            fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path();
        std::string pattern = base / "tst_inifile_crash.XXXXXX";
        m_path = ::mkdtemp(pattern.data());
    }
    ~TempFolder() {
        std::error_code error;
        fs::remove_all(m_path, error);
    }
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

}  // namespace

TEST(IniFileCrash, KilledWriterLeavesOldOrNewValues) {
    TempFolder folder;
    const fs::path path = folder.path() / "pipiron.ini";
    std::ofstream(path, std::ios::binary) << fileText({0, 0, 0, 0});

    // Kill within roughly the time of two rounds of writes.
    const auto start = std::chrono::steady_clock::now();
    {
        TIniFile ini(path);
        for (int i = 0; i < 8; ++i) ini.WriteString("SETUP", kKeys[i % 4], kValues[0][i % 4]);
    }
    const auto rounds = std::chrono::steady_clock::now() - start;
    const auto window = std::chrono::duration_cast<std::chrono::microseconds>(rounds).count() + 500;

    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::uniform_int_distribution<long> delay(0, window);

    Progress progress{1, 0};
    int changes = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(6);
    int kills = 0;
    for (; kills < 300 && std::chrono::steady_clock::now() < deadline; ++kills) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) writeForever(path, progress);
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer failed on its own";

        const std::string text = readBytes(path);
        const auto now = progressOf(text);
        ASSERT_TRUE(now) << "torn file after kill " << kills << ":\n" << text;
        const auto names = namesIn(folder.path());
        ASSERT_TRUE(names == std::vector<std::string>{"pipiron.ini"} ||
                    names == (std::vector<std::string>{"pipiron.ini", "pipiron.ini.tmp"}));
        // The next writer goes on where the file stands, so the order stays checkable.
        changes += now->set != progress.set || now->written != progress.written;
        progress = *now;
    }
    RecordProperty("kills", kills);
    RecordProperty("changes", changes);
    EXPECT_GE(kills, 100);
    EXPECT_GE(changes, kills / 4) << "the writer was killed before it wrote anything";

    // A temporary file left by a killed writer goes with the next write.
    TIniFile(path).WriteString("SETUP", "HINT", "1");
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"pipiron.ini"});
}

TEST(IniFileCrash, TwoProgramsWritingAtOnceLoseNoKey) {
    TempFolder folder;
    const fs::path path = folder.path() / "pipiron.ini";
    constexpr int kKeysEach = 40;
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);

    std::array<pid_t, 2> children{};
    for (int writer = 0; writer < 2; ++writer) {
        children[writer] = ::fork();
        ASSERT_GE(children[writer], 0);
        if (children[writer] == 0) {
            ::close(gate[1]);
            char byte;
            while (::read(gate[0], &byte, 1) < 0) {
            }
            try {
                TIniFile ini(path);
                const std::string section = "WRITER" + std::to_string(writer);
                for (int k = 0; k < kKeysEach; ++k) {
                    ini.WriteInteger(section, "K" + std::to_string(k), k * 10 + writer);
                    if (k % 10 == 0) {
                        for (int i = 0; i < 4; ++i)
                            ini.WriteString("SETUP", kKeys[i], kValues[writer][i]);
                    }
                }
            } catch (...) {
                ::_exit(1);
            }
            ::_exit(0);
        }
    }
    // Closing the gate's write end lets both writers go at the same moment.
    ::close(gate[0]);
    ::close(gate[1]);
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    const TIniFile ini(path);
    for (int writer = 0; writer < 2; ++writer) {
        for (int k = 0; k < kKeysEach; ++k) {
            EXPECT_EQ(
                ini.ReadInteger("WRITER" + std::to_string(writer), "K" + std::to_string(k), -1),
                k * 10 + writer)
                << "writer " << writer << " key " << k;
        }
    }
    for (int i = 0; i < 4; ++i) {
        const std::string value = ini.ReadString("SETUP", kKeys[i], "");
        EXPECT_TRUE(value == kValues[0][i] || value == kValues[1][i]) << kKeys[i] << "=" << value;
    }
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"pipiron.ini"});
}
