#include "settings/inifile.h"

#include "app/errors.h"
#include "settings/textencoding.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>

using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

void expectWriteFails(TIniFile& ini) {
    try {
        ini.WriteString("SETUP", "HINT", std::string(8192, 'w'));
        ADD_FAILURE() << "no error for " << ini.FileName();
    } catch (const EIniFileError& e) {
        EXPECT_EQ(e.what(), ini.FileName() + " に書き込めません");
    }
}

class IniFileTest : public ::testing::Test {
protected:
    fs::path file() const { return m_folder.path() / "pipiron.ini"; }
    TIniFile ini() const { return TIniFile(file()); }

    TempFolder m_folder;
};

TEST_F(IniFileTest, ReadsIntegersAndBooleansLikeWindows) {
    const struct {
        const char* value;
        std::int32_t integer;  // default 2
        bool ifTrue, ifFalse;  // with the default true, false
    } cases[] = {
        {"7", 7, 1, 1},     {"-5", -5, 1, 1},        {"0", 0, 0, 0},          {"0x1", 1, 1, 1},
        {"0X1f", 31, 1, 1}, {"0x10", 16, 1, 1},      {"0x", 2, 1, 0},         {"0x-1", 2, 1, 0},
        {"yes", 2, 1, 0},   {"", 2, 1, 0},           {" +2", 2, 1, 1},        {"-1", -1, 1, 1},
        {"$A", 10, 1, 1},   {"$FFFFFFFF", -1, 1, 1}, {"4294967296", 2, 1, 0}, {"7 ", 7, 1, 1},
        {"1.0", 2, 1, 0},   {"\"0\"", 0, 0, 0},      {"'7'", 7, 1, 1},        {"\"7'", 2, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        writeBytes(file(), "[SETUP]\r\nKEY="s + c.value + "\r\n");
        EXPECT_EQ(ini().ReadInteger("SETUP", "KEY", 2), c.integer);
        EXPECT_EQ(ini().ReadBool("SETUP", "KEY", true), c.ifTrue);
        EXPECT_EQ(ini().ReadBool("SETUP", "KEY", false), c.ifFalse);
    }
}

TEST_F(IniFileTest, FindsTheKeyOfTheFirstMatchingSection) {
    // Only the first section of a name counts; one pair of matching quotes goes; a
    // character across the cut at 1023 bytes goes whole, so that the text stays valid UTF-8.
    const std::string w1022(1022, 'w');
    const struct {
        std::string content;  // "-": no file
        std::string hint;     // ReadString("SETUP", "HINT", "d")
    } cases[] = {{"-", "d"},
                 {"", "d"},
                 {"[SETUP]\nHINT=0\n", "0"},
                 {"[SETUP]\r\nHINT=0\r\n", "0"},
                 {"[setup]\nhint=0\n", "0"},
                 {"  [ SeTuP ]  \r\n\t Hint \t= \t0 \t\r\n", "0"},
                 {"[SETUP] ; main\nHINT=0", "0"},
                 {"\xEF\xBB\xBF[SETUP]\nHINT=0\n", "0"},
                 {"[SETUP]\nHINT=a=b\n", "a=b"},
                 {"[SETUP]\nHINT=\"0\"\n", "0"},
                 {"[SETUP]\nHINT= 'a b'\t\n", "a b"},
                 {"[SETUP]\nHINT=\" x \"", " x "},
                 {"[SETUP]\nHINT=\"a\"b\"", "a\"b"},
                 {"[SETUP]\nHINT=''", ""},
                 {"[SETUP]\nHINT=\"", "\""},
                 {"[SETUP]\nHINT=\"a'", "\"a'"},
                 {"[SETUP]\nHINT=\"a", "\"a"},
                 {"[SETUP]\nHINT=a\"", "a\""},
                 {"[SETUP]\nHINT=\"0\0\"\n"s, "\"0"},
                 {"[SETUP]\nHINT=\"" + std::string(2000, 'w') + "\"", w1022 + "w"},
                 {utf16(u"[SETUP]\r\nHINT=\"ぴ\"\r\n"), "ぴ"},
                 {utf16(u"[setup]\nhint=0", true), "0"},
                 {"\xFF\xFE[SETUP]\nHINT=0\n", "d"},
                 {"[SETUP]\nHINT=1\nHINT=0\n", "1"},
                 {"\0\0\n[SETUP]\n\0=1\nHINT=0\0junk\n"s, "0"},
                 {"[SETUP]\nHINT=\n", ""},
                 {"[SETUP]\nHINT=  \t\n", ""},
                 {"[SETUP]\nHINT=" + std::string(2000, 'w'), w1022 + "w"},
                 {"[SETUP]\nHINT=" + w1022 + "あい", w1022},
                 {"[SETUP]\nHINT\n", "d"},
                 {"HINT=0\n[SETUP]\n", "d"},
                 {"[OTHER]\nHINT=0\n[SETUP]\nMINI=1\n", "d"},
                 {"[SETUP]\nMINI=1\n[SETUP]\nHINT=0\n", "d"},
                 {"[SETUP\nHINT=0\n", "d"},
                 {"[SETUP]\n;HINT=0\n", "d"},
                 {"[SETUPX]\nHINT=0\n[SETUP]\nHINTS=0\n", "d"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.content.substr(0, 60)));
        fs::remove(file());
        if (c.content != "-") writeBytes(file(), c.content);
        EXPECT_EQ(ini().ReadString("SETUP", "HINT", "d"), c.hint);
        EXPECT_EQ(ini().ReadString(" setup ", "hint\t", "d"), c.hint);
        EXPECT_EQ(fs::exists(file()), c.content != "-");
        if (c.hint == "d") {
            EXPECT_EQ(ini().ReadInteger("SETUP", "HINT", -7), -7);
        }
    }
}

TEST_F(IniFileTest, WhatIsNoSettingsFileReadsAsMissingAndIsNotReplaced) {
    const auto refused = [this](const char* what, const fs::path& path) {
        SCOPED_TRACE(what);
        const auto names = m_folder.names();
        const auto type = fs::symlink_status(path).type();
        TIniFile settings(path);
        EXPECT_EQ(settings.ReadString("SETUP", "HINT", "d"), "d");
        expectWriteFails(settings);
        EXPECT_EQ(m_folder.names(), names);
        EXPECT_EQ(fs::symlink_status(path).type(), type);
        fs::remove_all(path);
    };
    fs::create_directory(file());
    refused("a directory", file());
    ::mkfifo(file().c_str(), 0600);
    refused("a pipe, which must not hang", file());
    writeBytes(file(), "[SETUP]\nHINT=0\n");
    fs::resize_file(file(), 17 * 1024 * 1024);
    refused("a sparse file far too large", file());
    refused("a missing folder", m_folder.path() / "gone" / "pipiron.ini");
    if (::geteuid() != 0) {
        writeBytes(file(), "[SETUP]\nHINT=0\n");
        fs::permissions(file(), fs::perms::none);
        refused("an unreadable file", file());
    }
}

TEST_F(IniFileTest, WritingCreatesTheFileAndTheLastOfTwoWritersDecides) {
    TIniFile first = ini(), second = ini();
    first.WriteBool("SETUP", "HINT", true);
    first.WriteBool("SETUP", "MINI", false);
    first.WriteInteger("SETUP", "COLOR", 0);
    first.WriteString("SETUP", "WAVFILE", "c:\\windows\\media\\tada.wav");
    second.WriteBool("SETUP", "HINT", false);
    second.WriteInteger("SETUP", "COLOR", -1);
    EXPECT_EQ(first.ReadInteger("SETUP", "COLOR", 2), -1);
    EXPECT_EQ(
        readBytes(file()),
        "[SETUP]\r\nHINT=0\r\nMINI=0\r\nCOLOR=-1\r\nWAVFILE=c:\\windows\\media\\tada.wav\r\n");
    EXPECT_EQ(m_folder.names(), std::vector<std::string>{"pipiron.ini"});
}

TEST_F(IniFileTest, WritingChangesOnlyTheLineOfTheKey) {
    const struct {
        std::string before, after;  // HINT set to "0"
    } cases[] = {
        {"; ぴぴろん\r\n[Other]\nHINT=1\n\n[setup]\r\nMINI=1\r\n hint = 1  \r\nX=y\n",
         "; ぴぴろん\r\n[Other]\nHINT=1\n\n[setup]\r\nMINI=1\r\n hint = 0  \r\nX=y\n"},
        {"[SETUP]\nHINT=\nA=1", "[SETUP]\nHINT=0\nA=1"},
        {"[SETUP]\nHINT=1", "[SETUP]\nHINT=0"},
        {"[SETUP]\nA=1\n;x\n\n\n[B]\nB=2\n", "[SETUP]\nA=1\n;x\nHINT=0\r\n\n\n[B]\nB=2\n"},
        {"[SETUP]\nA=1", "[SETUP]\nA=1\r\nHINT=0\r\n"},
        {"[SETUP]", "[SETUP]\r\nHINT=0\r\n"},
        {"[SETUP]\nA=1\n[SETUP]\nHINT=1\n", "[SETUP]\nA=1\nHINT=0\r\n[SETUP]\nHINT=1\n"},
        {"[B]\nB=2\n", "[B]\nB=2\n\r\n[SETUP]\r\nHINT=0\r\n"},
        {"[B]\nB=2\n\n", "[B]\nB=2\n\n[SETUP]\r\nHINT=0\r\n"},
        {"[B]\nB=2", "[B]\nB=2\r\n\r\n[SETUP]\r\nHINT=0\r\n"},
        {"\xEF\xBB\xBF", "\xEF\xBB\xBF[SETUP]\r\nHINT=0\r\n"},
        // A line that already reads as the value stays as it is.
        {"[SETUP]\nHINT= '0' \t\r\n", "[SETUP]\nHINT= '0' \t\r\n"},
        {"[SETUP]\nHINT=\"0\"", "[SETUP]\nHINT=\"0\""},
        {"[SETUP]\nHINT=\"1\"\n", "[SETUP]\nHINT=0\n"},
        {"[SETUP]\nHINT=0\0x\n"s, "[SETUP]\nHINT=0\0x\n"s},
        {"[SETUP\n\0\0\n[SETUP]\nHINT=1\n"s, "[SETUP\n\0\0\n[SETUP]\nHINT=0\n"s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.before));
        writeBytes(file(), c.before);
        TIniFile settings = ini();
        settings.WriteString("SETUP", "HINT", "0");
        EXPECT_EQ(readBytes(file()), c.after);
        EXPECT_EQ(settings.ReadString("setup", "hint", "d"), "0");
    }
    // A line break in a value cannot smuggle in lines.
    ini().WriteString("SETUP", "HINT", "1\r\n[SETUP]\r\nHINT=2");
    EXPECT_EQ(readBytes(file()), "[SETUP\n\0\0\n[SETUP]\nHINT=1\n"s);
}

TEST_F(IniFileTest, NamesThatCannotBeStoredAreRefused) {
    TIniFile settings = ini();
    for (const char* key : {"A=B", "[X]", "A\nB"})
        EXPECT_THROW(settings.WriteString("SETUP", key, "1"), EIniFileError) << key;
    EXPECT_THROW(settings.WriteString("SET\nUP", "HINT", "1"), EIniFileError);
    EXPECT_FALSE(fs::exists(file()));
}

TEST_F(IniFileTest, FullDiskLeavesTheOldFileIntact) {
    const fs::path disk = m_folder.path() / "disk";
    fs::create_directory(disk);
    if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here";
    const std::string old = "; mine\r\n[SETUP]\r\nHINT=1\r\nWAVFILE=a.wav\r\n";
    writeBytes(disk / "pipiron.ini", old);
    std::ofstream filler(disk / "filler", std::ios::binary);
    while (filler.write(old.data(), std::streamsize(old.size())) && filler.flush()) {
    }
    TIniFile settings(disk / "pipiron.ini");
    expectWriteFails(settings);
    EXPECT_EQ(readBytes(disk / "pipiron.ini"), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(disk), {}), 2) << "a temporary file is left";
    ::umount2(disk.c_str(), MNT_DETACH);
}

TEST_F(IniFileTest, WritingKeepsTheLinkAndThePermissions) {
    const fs::path real = m_folder.path() / "real.ini";
    const auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    writeBytes(real, "[SETUP]\r\nHINT=1\r\n");
    fs::permissions(real, perms);
    fs::create_symlink(real, file());
    ini().WriteBool("SETUP", "HINT", false);
    EXPECT_TRUE(fs::is_symlink(file()));
    EXPECT_EQ(readBytes(real), "[SETUP]\r\nHINT=0\r\n");
    EXPECT_EQ(fs::status(real).permissions(), perms);
}

TEST_F(IniFileTest, AUtf16FileIsWrittenInUtf16AndKeepsItsOtherLines) {
    std::u16string lone = u"?; ?\r\n";  // unpaired surrogates, which must survive
    lone[0] = 0xDC00;
    lone[3] = 0xD800;
    const struct {
        std::string before;
        std::string key, value;
        std::string after;
    } cases[] = {
        {utf16(u"; ぴぴろん 🔔\r\n[SETUP]\r\nHINT=1\r\nWAVFILE=c:\\音.wav\r\n"), "HINT", "0",
         utf16(u"; ぴぴろん 🔔\r\n[SETUP]\r\nHINT=0\r\nWAVFILE=c:\\音.wav\r\n")},
        {utf16(u"[B]\nB=2", true), "HINT", "0",
         utf16(u"[B]\nB=2\r\n\r\n[SETUP]\r\nHINT=0\r\n", true)},
        {utf16(u"[Other]\r\nx=1\r\n"), "WAVFILE", "チャイム.wav",
         utf16(u"[Other]\r\nx=1\r\n\r\n[SETUP]\r\nWAVFILE=チャイム.wav\r\n")},
        {"\xFF\xFE", "HINT", "0", utf16(u"[SETUP]\r\nHINT=0\r\n")},
        {utf16(lone + u"[SETUP]\r\nHINT=1\r\n") + "!", "HINT", "0",
         utf16(lone + u"[SETUP]\r\nHINT=0\r\n") + "!"},
        // Bytes that are no UTF-8 are taken as Shift-JIS.
        {utf16(u"[SETUP]\r\n"), "WAVFILE", "\x83\x60\x83\x83\x83\x43\x83\x80.wav",
         utf16(u"[SETUP]\r\nWAVFILE=チャイム.wav\r\n")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.before));
        writeBytes(file(), c.before);
        ini().WriteString("SETUP", c.key, c.value);
        EXPECT_EQ(readBytes(file()), c.after);
        EXPECT_EQ(ini().ReadString("SETUP", c.key, "d"), readableText(c.value));
    }
    EXPECT_EQ(ini().ReadString("setup", "wavfile", "d"), "チャイム.wav");
}

TEST_F(IniFileTest, UntilTheFileExistsTheCarriedFileCountsAndItsLinesMoveOver) {
    const fs::path carried = m_folder.path() / "beside.ini";
    const struct {
        std::string carried;  // "-": none, "/": a folder
        std::string hint;     // read before the first write
        std::string written;  // the file after MINI=1
    } cases[] = {
        {"; mine\r\n[SETUP]\r\nHINT=0\r\n[Other]\r\nx=1\r\n", "0",
         "; mine\r\n[SETUP]\r\nHINT=0\r\nMINI=1\r\n[Other]\r\nx=1\r\n"},
        {utf16(u"[SETUP]\r\nHINT=0\r\n"), "0", utf16(u"[SETUP]\r\nHINT=0\r\nMINI=1\r\n")},
        {"-", "d", "[SETUP]\r\nMINI=1\r\n"},
        {"/", "d", "[SETUP]\r\nMINI=1\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.carried));
        fs::remove_all(carried);
        fs::remove(file());
        if (c.carried == "/")
            fs::create_directory(carried);
        else if (c.carried != "-")
            writeBytes(carried, c.carried);
        TIniFile settings(file(), carried);
        EXPECT_EQ(settings.ReadString("SETUP", "HINT", "d"), c.hint);
        settings.WriteBool("SETUP", "MINI", true);
        EXPECT_EQ(readBytes(file()), c.written);
        if (c.carried.size() > 1) {
            EXPECT_EQ(readBytes(carried), c.carried);
        }
        // From now on the file itself counts.
        settings.WriteBool("SETUP", "HINT", true);
        EXPECT_EQ(settings.ReadString("SETUP", "HINT", "d"), "1");
    }
}

TEST(SettingsText, Utf8AndShiftJisShowAsTheirText) {
    const struct {
        std::string bytes, text;
    } cases[] = {
        {"c:\\windows\\media\\tada.wav", "c:\\windows\\media\\tada.wav"},
        {"c:\\音\\チャイム.wav", "c:\\音\\チャイム.wav"},
        {"c:\\\x89\xb9\\\x83\x60\x83\x83\x83\x43\x83\x80.wav", "c:\\音\\チャイム.wav"},
        {"\x95\x5c\xb1", "表ｱ"},
        {"\x83\x60\xff", "チ\uFFFD"},
        {"\x80\x83", "\uFFFD\uFFFD"},
        // No surrogate and no overlong "/" is UTF-8: these are Shift-JIS.
        {"\xED\xA0\x80", "恝\uFFFD"},
        {"\xC0\xAF", "ﾀｯ"},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(readableText(c.bytes), c.text) << c.bytes;
}

}  // namespace
