// Any bytes as a settings file. The input's first line names what is read and
// written, "SECTION|KEY|VALUE|SECTION2|KEY2"; the rest is the file's content
// (no line at all: no file). Checks that reading never fails or returns more
// than a value may hold, that a written value reads back, and that writing one
// key leaves another key's value alone, in 8-bit and in UTF-16 files.
#include "settings/inifile.h"

#include "app/errors.h"
#include "settings/textencoding.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>

#include <unistd.h>

namespace {

#define CHECK(ok) ((ok) ? void() : (std::fprintf(stderr, "broken: %s\n", #ok), std::abort()))

// Kept alive past the static destructors, for the clean-up at exit.
const std::string& folder() {
    static const std::string* const made = [] {
        auto* path = new std::string(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp");
        *path += "/fuzz_inifile.XXXXXX";
        if (!::mkdtemp(path->data())) std::abort();
        std::atexit([] { std::filesystem::remove_all(folder()); });
        return path;
    }();
    return *made;
}

std::string_view trimmed(std::string_view text) {
    text.remove_prefix(std::min(text.find_first_not_of(" \t\r\v\f"), text.size()));
    return text.substr(0, text.find_last_not_of(" \t\r\v\f") + 1);
}

// One pair of matching quotes goes when a value is read.
std::string_view unquoted(std::string_view text) {
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
        text.back() == text.front())
        text = text.substr(1, text.size() - 2);
    return text;
}

bool sameName(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return std::ranges::equal(trimmed(a), trimmed(b), {}, lower, lower);
}

constexpr std::string_view kBreaks("\0\r\n", 3);

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string path = folder() + "/pipiron.ini";
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto newline = input.find('\n');
    std::string names[5] = {"SETUP", "HINT", "0", "SETUP", "COLOR"};
    std::string_view line = input.substr(0, newline);
    for (std::size_t i = 0, bar = 0; i < 5 && bar != line.npos; ++i) {
        bar = line.find('|');
        names[i] = line.substr(0, bar);
        line.remove_prefix(bar == line.npos ? line.size() : bar + 1);
    }
    const auto& [section, key, value, section2, key2] = names;
    std::filesystem::remove(path);
    const std::string_view content = input.substr(std::min(newline + 1, size));
    // A UTF-16 file holds text: names and values given as bytes go in as text.
    const bool wide = newline != input.npos &&
                      (content.starts_with("\xFF\xFE") || content.starts_with("\xFE\xFF"));
    const auto inFile = [wide](std::string_view bytes) {
        return wide ? textForUtf16(bytes) : std::string(bytes);
    };
    if (newline != input.npos)
        CHECK(std::ofstream(path, std::ios::binary).write(content.data(), content.size()).flush());

    TIniFile ini(path);
    const std::string fallback("\x01 none", 6);
    const std::string text = ini.ReadString(section, key, fallback);
    CHECK(text == fallback || (text.size() <= 1023 && text.find('\0') == text.npos));
    CHECK(text != fallback || ini.ReadInteger(section, key, 12345) == 12345);
    CHECK(ini.ReadBool(section, key, true) == (ini.ReadInteger(section, key, 1) != 0));
    const std::string other = ini.ReadString(section2, key2, fallback);

    // Names that can be stored are those that read back as the same name.
    const bool storable = section.find_first_of(kBreaks) == section.npos &&
                          key.find_first_of(kBreaks) == key.npos && key.find('=') == key.npos &&
                          !trimmed(key).starts_with('[');
    try {
        ini.WriteString(section, key, value);
    } catch (const EIniFileError&) {
        CHECK(!storable);
        return 0;
    }
    CHECK(storable);

    // What reads back: the value up to a line break or NUL, as it stands when the
    // key's line already read as that; otherwise without its blanks and one pair
    // of quotes, cut to 1023 bytes (a few less when a UTF-8 character would be split).
    const std::string written = inFile(value);
    const std::string_view stored =
        std::string_view(written).substr(0, written.find_first_of(kBreaks));
    const auto expected = unquoted(trimmed(stored));
    const std::string back = ini.ReadString(section, key, fallback);
    CHECK(back == stored || (expected.size() <= 1023 ? back == expected
                                                     : back.size() >= 1020 && back.size() <= 1023 &&
                                                           expected.starts_with(back)));
    CHECK((sameName(inFile(section), inFile(section2)) && sameName(inFile(key), inFile(key2))) ||
          ini.ReadString(section2, key2, fallback) == other);
    return 0;
}
