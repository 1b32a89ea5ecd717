#pragma once

#include <cstdint>
#include <string>

// A settings file with the rules of the Windows private-profile functions, so a
// file written by either program reads the same in the other. Every read and
// write is one pass over the file on disk; nothing is cached.
//
// Reading: section and key names match without regard to ASCII case; a missing
// file, section or key gives the default; a key with an empty value gives the
// empty text; one pair of matching quotes ("..." or '...') around a value goes;
// values are cut at 1023 bytes; CR LF and LF lines both read.
// Writing: refused for a file without write permission (read-only, as Windows
// has it); otherwise replaces the value or adds the key (creating the section and the
// file), leaves every other line alone (and the key's own line when it already
// reads as the value), and reaches the disk all or nothing (a temporary file
// renamed over the old one). New lines are written with CR LF.
// Values are bytes, passed through as they are; only a file that starts with a
// UTF-16 byte-order mark is read as UTF-8 text and written back in UTF-16.
class TIniFile {
public:
    // Until fileName exists, reads come from carriedFrom, and the first write
    // starts from its lines (making fileName's folder), so that moving the
    // settings elsewhere loses none.
    explicit TIniFile(std::string fileName, std::string carriedFrom = {});

    // A settings file holds a few lines; a file larger than this is not one, and is
    // neither read into memory nor rewritten.
    static constexpr std::int64_t kMaxFileSize = 16 * 1024 * 1024;

    const std::string& FileName() const { return m_fileName; }
    // The file the settings would be read from when it is too large to be one;
    // empty otherwise.
    std::string tooLargeFile() const;

    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& fallback) const;
    // "0x"/"0X" become "$" for texts longer than two characters, then the Pascal
    // integer conversion; anything else gives the default.
    std::int32_t ReadInteger(const std::string& section, const std::string& key,
                             std::int32_t fallback) const;
    bool ReadBool(const std::string& section, const std::string& key, bool fallback) const;

    // Each raises EIniFileError "<path> に書き込めません" when the write fails.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, std::int32_t value);
    void WriteBool(const std::string& section, const std::string& key, bool value);

private:
    std::string m_fileName;
    std::string m_carriedFrom;
};
