// Any bytes as a settings file. The input's first line names what is read and
// written, "SECTION|KEY|VALUE|SECTION2|KEY2"; the rest is the file's content
// (no line at all: no file). Checks that reading never fails or returns more
// than a value may hold, that a written value reads back, and that writing one
// key leaves another key's value alone.
#include "settings/inifile.h"

#include "app/errors.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

const std::string& folder() {
    // Kept alive past the static destructors, for the clean-up at exit.
    static const std::string* const path = [] {
        auto* made = new std::string(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp");
        *made += "/fuzz_inifile.XXXXXX";
        if (!::mkdtemp(made->data())) std::abort();
        std::atexit([] { std::filesystem::remove_all(*path); });
        return made;
    }();
    return *path;
}

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\v\f");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\v\f") - first + 1);
}

bool sameName(std::string_view a, std::string_view b) {
    a = trimmed(a);
    b = trimmed(b);
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// Names that can be stored so that they read back as the same name.
bool storable(std::string_view section, std::string_view key) {
    constexpr std::string_view kBreaks("\0\r\n", 3);
    return section.find_first_of(kBreaks) == std::string_view::npos &&
           key.find_first_of(kBreaks) == std::string_view::npos &&
           key.find('=') == std::string_view::npos && !trimmed(key).starts_with('[');
}

std::vector<std::string> fields(std::string_view line) {
    std::vector<std::string> result;
    for (;;) {
        const auto bar = line.find('|');
        result.emplace_back(line.substr(0, bar));
        if (bar == std::string_view::npos) break;
        line.remove_prefix(bar + 1);
    }
    const char* defaults[] = {"SETUP", "HINT", "0", "SETUP", "COLOR"};
    for (std::size_t i = result.size(); i < 5; ++i) result.emplace_back(defaults[i]);
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto newline = input.find('\n');
    const std::vector<std::string> names = fields(input.substr(0, newline));
    const std::string& section = names[0];
    const std::string& key = names[1];
    const std::string& value = names[2];
    const std::string& section2 = names[3];
    const std::string& key2 = names[4];

    const std::string path = folder() + "/pipiron.ini";
    ::unlink(path.c_str());
    if (newline != std::string_view::npos) {
        const std::string_view content = input.substr(newline + 1);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        check(fd >= 0 && ::write(fd, content.data(), content.size()) == ssize_t(content.size()),
              "cannot prepare the file");
        ::close(fd);
    }

    TIniFile ini(path);
    const std::string fallback("\x01 none", 6);
    const std::string text = ini.ReadString(section, key, fallback);
    check(text == fallback || (text.size() <= 1023 && text.find('\0') == std::string::npos),
          "value too long or with a NUL");
    const std::int32_t number = ini.ReadInteger(section, key, 12345);
    check(ini.ReadBool(section, key, true) == (ini.ReadInteger(section, key, 1) != 0),
          "boolean differs from integer");
    if (text == fallback) check(number == 12345, "integer of a missing key");
    const std::string other = ini.ReadString(section2, key2, fallback);

    try {
        ini.WriteString(section, key, value);
    } catch (const EIniFileError&) {
        check(!storable(section, key), "write of storable names failed");
        return 0;
    }
    check(storable(section, key), "names that cannot be stored were written");

    // What reads back: the value up to a line break or NUL, without its blanks,
    // cut to 1023 bytes (a few less when a UTF-8 character would be split).
    std::string_view expected = value;
    expected = trimmed(expected.substr(0, expected.find_first_of(std::string_view("\0\r\n", 3))));
    const std::string back = ini.ReadString(section, key, fallback);
    if (expected.size() <= 1023)
        check(back == expected, "written value does not read back");
    else
        check(back.size() >= 1020 && back.size() <= 1023 && expected.starts_with(back),
              "long value not cut right");

    if (!(sameName(section, section2) && sameName(key, key2)))
        check(ini.ReadString(section2, key2, fallback) == other, "another key changed");
    return 0;
}
