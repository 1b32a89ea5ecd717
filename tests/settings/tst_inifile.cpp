#include "settings/inifile.h"

#include "app/errors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>
#include <vector>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::string_view_literals;
namespace fs = std::filesystem;

namespace {

void writeBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
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

class TempFolder {
public:
    TempFolder() {
        std::string pattern = fs::temp_directory_path() / "tst_inifile.XXXXXX";
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

void expectWriteFails(TIniFile& ini) {
    try {
        ini.WriteString("SETUP", "HINT", "0");
        ADD_FAILURE() << "no error for " << ini.FileName();
    } catch (const EIniFileError& e) {
        EXPECT_EQ(e.what(), ini.FileName() + " に書き込めません");
    }
}

}  // namespace

class IniFileTest : public ::testing::Test {
protected:
    fs::path file() const { return m_folder.path() / "pipiron.ini"; }
    TIniFile ini() const { return TIniFile(file()); }

    TempFolder m_folder;
};

TEST_F(IniFileTest, MissingFileGivesTheDefaults) {
    const TIniFile settings = ini();
    EXPECT_TRUE(settings.ReadBool("SETUP", "HINT", true));
    EXPECT_FALSE(settings.ReadBool("SETUP", "MINI", false));
    EXPECT_EQ(settings.ReadInteger("SETUP", "COLOR", 2), 2);
    EXPECT_EQ(settings.ReadString("SETUP", "WAVFILE", "c:\\windows\\media\\tada.wav"),
              "c:\\windows\\media\\tada.wav");
    EXPECT_FALSE(fs::exists(file()));
}

struct ValueCase {
    std::string_view value;
    std::int32_t integer;  // default 2
    bool boolTrue;         // default true
    bool boolFalse;        // default false
};

class IniValueTest : public IniFileTest, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(IniValueTest, ReadsIntegersAndBooleansLikeWindows) {
    const ValueCase& c = GetParam();
    writeBytes(file(), "[SETUP]\r\nKEY=" + std::string(c.value) + "\r\n");
    const TIniFile settings = ini();
    EXPECT_EQ(settings.ReadInteger("SETUP", "KEY", 2), c.integer);
    EXPECT_EQ(settings.ReadBool("SETUP", "KEY", true), c.boolTrue);
    EXPECT_EQ(settings.ReadBool("SETUP", "KEY", false), c.boolFalse);
}

INSTANTIATE_TEST_SUITE_P(
    Values, IniValueTest,
    ::testing::Values(ValueCase{"7", 7, true, true}, ValueCase{"-5", -5, true, true},
                      ValueCase{"0", 0, false, false}, ValueCase{"0x1", 1, true, true},
                      ValueCase{"0X1f", 31, true, true}, ValueCase{"0x10", 16, true, true},
                      ValueCase{"0x", 2, true, false}, ValueCase{"0x-1", 2, true, false},
                      ValueCase{"abc", 2, true, false}, ValueCase{"yes", 2, true, false},
                      ValueCase{"", 2, true, false}, ValueCase{" +2", 2, true, true},
                      ValueCase{"2", 2, true, true}, ValueCase{"-1", -1, true, true},
                      ValueCase{"$A", 10, true, true}, ValueCase{"$FFFFFFFF", -1, true, true},
                      ValueCase{"4294967296", 2, true, false}, ValueCase{"7 ", 7, true, true},
                      ValueCase{"1.0", 2, true, false}));

TEST_F(IniFileTest, EmptyValueIsEmptyTextNotTheDefault) {
    writeBytes(file(), "[SETUP]\r\nWAVFILE=\r\n");
    EXPECT_EQ(ini().ReadString("SETUP", "WAVFILE", "tada.wav"), "");
}

struct LayoutCase {
    const char* what;
    std::string_view content;
    const char* hint;  // ReadString("SETUP", "HINT", "d")
};

class IniLayoutTest : public IniFileTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(IniLayoutTest, FindsTheKeyOfTheFirstMatchingSection) {
    writeBytes(file(), GetParam().content);
    EXPECT_EQ(ini().ReadString("SETUP", "HINT", "d"), GetParam().hint) << GetParam().what;
    EXPECT_EQ(ini().ReadString(" setup ", "hint\t", "d"), GetParam().hint) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, IniLayoutTest,
    ::testing::Values(
        LayoutCase{"LF", "[SETUP]\nHINT=0\n", "0"},
        LayoutCase{"CR LF", "[SETUP]\r\nHINT=0\r\n", "0"},
        LayoutCase{"other case", "[setup]\nhint=0\n", "0"},
        LayoutCase{"blanks around names and value", "  [ SeTuP ]  \r\n\t Hint \t= \t0 \t\r\n", "0"},
        LayoutCase{"no line end at the end", "[SETUP]\nHINT=0", "0"},
        LayoutCase{"text after the bracket", "[SETUP] ; main\nHINT=0", "0"},
        LayoutCase{"byte order mark", "\xEF\xBB\xBF[SETUP]\nHINT=0\n", "0"},
        LayoutCase{"second equals sign", "[SETUP]\nHINT=a=b\n", "a=b"},
        LayoutCase{"quotes are kept", "[SETUP]\nHINT=\"0\"\n", "\"0\""},
        LayoutCase{"first of two keys", "[SETUP]\nHINT=1\nHINT=0\n", "1"},
        LayoutCase{"NUL ends the value", "[SETUP]\nHINT=0\0junk\n"sv, "0"},
        LayoutCase{"NUL bytes elsewhere", "\0\0\n[SETUP]\n\0=1\nHINT=0\n"sv, "0"},
        LayoutCase{"empty value", "[SETUP]\nHINT=\n", ""},
        LayoutCase{"blank value", "[SETUP]\nHINT=  \t\n", ""},
        LayoutCase{"key without equals", "[SETUP]\nHINT\n", "d"},
        LayoutCase{"key before any section", "HINT=0\n[SETUP]\n", "d"},
        LayoutCase{"key in another section", "[OTHER]\nHINT=0\n[SETUP]\nMINI=1\n", "d"},
        LayoutCase{"only the first section counts", "[SETUP]\nMINI=1\n[SETUP]\nHINT=0\n", "d"},
        LayoutCase{"bracket not closed", "[SETUP\nHINT=0\n", "d"},
        LayoutCase{"comment", "[SETUP]\n;HINT=0\n", "d"},
        LayoutCase{"section as a prefix", "[SETUPX]\nHINT=0\n", "d"},
        LayoutCase{"key as a prefix", "[SETUP]\nHINTS=0\n", "d"},
        LayoutCase{"empty file", "", "d"}));

TEST_F(IniFileTest, LongValuesAreCutAt1023Bytes) {
    const std::string ascii(2000, 'w');
    // A character across the cut goes whole, so the text stays valid UTF-8.
    const std::string japanese = std::string(1022, 'w') + "あい";
    writeBytes(file(),
               "[SETUP]\nA=" + ascii + "\nB=" + japanese + "\nC=" + ascii.substr(0, 1023) + "\n");
    const TIniFile settings = ini();
    EXPECT_EQ(settings.ReadString("SETUP", "A", ""), ascii.substr(0, 1023));
    EXPECT_EQ(settings.ReadString("SETUP", "B", ""), japanese.substr(0, 1022));
    EXPECT_EQ(settings.ReadString("SETUP", "C", ""), ascii.substr(0, 1023));
}

TEST_F(IniFileTest, WhatIsNoSettingsFileReadsAsMissing) {
    fs::create_directory(file());
    EXPECT_EQ(ini().ReadString("SETUP", "HINT", "d"), "d");
    fs::remove(file());

    // A pipe in its place must not hang the program.
    ASSERT_EQ(::mkfifo(file().c_str(), 0600), 0);
    EXPECT_EQ(ini().ReadInteger("SETUP", "COLOR", 2), 2);
    fs::remove(file());

    // A file far too large for settings (sparse, so it costs nothing).
    writeBytes(file(), "[SETUP]\nHINT=0\n");
    fs::resize_file(file(), 17 * 1024 * 1024);
    EXPECT_EQ(ini().ReadString("SETUP", "HINT", "d"), "d");
    TIniFile settings = ini();
    expectWriteFails(settings);
    EXPECT_EQ(fs::file_size(file()), 17u * 1024 * 1024);
    fs::remove(file());

    if (::geteuid() != 0) {
        writeBytes(file(), "[SETUP]\nHINT=0\n");
        fs::permissions(file(), fs::perms::none);
        EXPECT_EQ(ini().ReadString("SETUP", "HINT", "d"), "d");
    }
}

TEST_F(IniFileTest, WritingCreatesTheFileAndTheSection) {
    TIniFile settings = ini();
    settings.WriteBool("SETUP", "HINT", true);
    settings.WriteBool("SETUP", "MINI", false);
    settings.WriteInteger("SETUP", "COLOR", -1);
    settings.WriteString("SETUP", "WAVFILE", "c:\\windows\\media\\tada.wav");
    EXPECT_EQ(
        readBytes(file()),
        "[SETUP]\r\nHINT=1\r\nMINI=0\r\nCOLOR=-1\r\nWAVFILE=c:\\windows\\media\\tada.wav\r\n");
    EXPECT_TRUE(settings.ReadBool("SETUP", "HINT", false));
    EXPECT_FALSE(settings.ReadBool("SETUP", "MINI", true));
    EXPECT_EQ(settings.ReadInteger("SETUP", "COLOR", 2), -1);
    EXPECT_EQ(namesIn(m_folder.path()), std::vector<std::string>{"pipiron.ini"});
}

struct WriteCase {
    const char* what;
    std::string_view before;
    const char* value;
    std::string_view after;
};

class IniWriteTest : public IniFileTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(IniWriteTest, ChangesOnlyTheLineOfTheKey) {
    const WriteCase& c = GetParam();
    writeBytes(file(), c.before);
    TIniFile settings = ini();
    settings.WriteString("SETUP", "HINT", c.value);
    EXPECT_EQ(readBytes(file()), c.after) << c.what;
    EXPECT_EQ(settings.ReadString("setup", "hint", "d"), "0") << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Writes, IniWriteTest,
    ::testing::Values(
        WriteCase{"value replaced, other lines kept",
                  "; ぴぴろん\r\n[Other]\nHINT=1\n\n[SETUP]\r\nMINI=1\r\nHINT=1\r\nX=y\n", "0",
                  "; ぴぴろん\r\n[Other]\nHINT=1\n\n[SETUP]\r\nMINI=1\r\nHINT=0\r\nX=y\n"},
        WriteCase{"spelling and blanks of the key kept", "[setup]\n hint = 1  \n", "0",
                  "[setup]\n hint = 0  \n"},
        WriteCase{"empty value filled", "[SETUP]\nHINT=\nA=1", "0", "[SETUP]\nHINT=0\nA=1"},
        WriteCase{"last line without line end", "[SETUP]\nHINT=1", "0", "[SETUP]\nHINT=0"},
        WriteCase{"key added before the blank lines", "[SETUP]\nA=1\n;x\n\n\n[B]\nB=2\n", "0",
                  "[SETUP]\nA=1\n;x\nHINT=0\r\n\n\n[B]\nB=2\n"},
        WriteCase{"key added after a line without line end", "[SETUP]\nA=1", "0",
                  "[SETUP]\nA=1\r\nHINT=0\r\n"},
        WriteCase{"key added to an empty section", "[SETUP]", "0", "[SETUP]\r\nHINT=0\r\n"},
        WriteCase{"key added to the first of two sections", "[SETUP]\nA=1\n[SETUP]\nHINT=1\n", "0",
                  "[SETUP]\nA=1\nHINT=0\r\n[SETUP]\nHINT=1\n"},
        WriteCase{"section added", "[B]\nB=2\n", "0", "[B]\nB=2\n\r\n[SETUP]\r\nHINT=0\r\n"},
        WriteCase{"section added after a blank line", "[B]\nB=2\n\n", "0",
                  "[B]\nB=2\n\n[SETUP]\r\nHINT=0\r\n"},
        WriteCase{"section added after a line without line end", "[B]\nB=2", "0",
                  "[B]\nB=2\r\n\r\n[SETUP]\r\nHINT=0\r\n"},
        WriteCase{"section added to an empty file", "", "0", "[SETUP]\r\nHINT=0\r\n"},
        WriteCase{"byte order mark kept", "\xEF\xBB\xBF", "0", "\xEF\xBB\xBF[SETUP]\r\nHINT=0\r\n"},
        WriteCase{"NUL bytes and an open bracket kept", "[SETUP\n\0\0\n[SETUP]\nHINT=1\n"sv, "0",
                  "[SETUP\n\0\0\n[SETUP]\nHINT=0\n"sv},
        WriteCase{"a line break cannot smuggle in lines", "[SETUP]\nHINT=1\n",
                  "0\r\n[SETUP]\r\nHINT=1", "[SETUP]\nHINT=0\n"}));

TEST_F(IniFileTest, NamesThatCannotBeStoredAreRefused) {
    TIniFile settings = ini();
    for (const char* key : {"A=B", "[X]", "A\nB"}) {
        EXPECT_THROW(settings.WriteString("SETUP", key, "1"), EIniFileError) << key;
    }
    EXPECT_THROW(settings.WriteString("SET\nUP", "HINT", "1"), EIniFileError);
    EXPECT_FALSE(fs::exists(file()));
}

TEST_F(IniFileTest, FailedWriteRaisesAndLeavesTheFolderAlone) {
    fs::create_directory(file());
    TIniFile directory = ini();
    expectWriteFails(directory);
    EXPECT_TRUE(fs::is_directory(file()));
    EXPECT_EQ(namesIn(m_folder.path()), std::vector<std::string>{"pipiron.ini"});

    TIniFile missingFolder(m_folder.path() / "gone" / "pipiron.ini");
    expectWriteFails(missingFolder);
    EXPECT_FALSE(fs::exists(m_folder.path() / "gone"));
}

TEST_F(IniFileTest, FullDiskLeavesTheOldFileIntact) {
    const fs::path disk = m_folder.path() / "disk";
    fs::create_directory(disk);
    if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here";
    const fs::path path = disk / "pipiron.ini";
    const std::string old = "; mine\r\n[SETUP]\r\nHINT=1\r\nWAVFILE=a.wav\r\n";
    writeBytes(path, old);
    // Fill the rest of the disk, so only a few bytes are free.
    {
        std::ofstream filler(disk / "filler", std::ios::binary);
        const std::string block(1024, 'x');
        while (filler.write(block.data(), std::streamsize(block.size())) && filler.flush()) {
        }
    }
    TIniFile settings(path);
    try {
        settings.WriteString("SETUP", "WAVFILE", std::string(8192, 'w'));
        ADD_FAILURE() << "no error on a full disk";
    } catch (const EIniFileError& e) {
        EXPECT_EQ(e.what(), path.string() + " に書き込めません");
    }
    EXPECT_EQ(readBytes(path), old);
    EXPECT_EQ(namesIn(disk), (std::vector<std::string>{"filler", "pipiron.ini"}));
    ::umount(disk.c_str());
}

TEST_F(IniFileTest, LastOfTwoWritersDecides) {
    TIniFile first = ini();
    TIniFile second = ini();
    first.WriteBool("SETUP", "HINT", false);
    first.WriteInteger("SETUP", "COLOR", 0);
    second.WriteBool("SETUP", "HINT", true);
    second.WriteInteger("SETUP", "COLOR", 3);
    EXPECT_TRUE(first.ReadBool("SETUP", "HINT", false));
    EXPECT_EQ(first.ReadInteger("SETUP", "COLOR", 2), 3);
    EXPECT_EQ(readBytes(file()), "[SETUP]\r\nHINT=1\r\nCOLOR=3\r\n");
}

TEST_F(IniFileTest, WritingKeepsTheLinkAndThePermissions) {
    const fs::path real = m_folder.path() / "real.ini";
    writeBytes(real, "[SETUP]\r\nHINT=1\r\n");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(real, file());
    TIniFile settings = ini();
    settings.WriteBool("SETUP", "HINT", false);
    EXPECT_TRUE(fs::is_symlink(file()));
    EXPECT_EQ(readBytes(real), "[SETUP]\r\nHINT=0\r\n");
    EXPECT_EQ(fs::status(real).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}
