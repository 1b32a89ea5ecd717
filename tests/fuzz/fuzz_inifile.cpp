// Any bytes as a settings file, and a key written into it: reading never fails nor
// returns more than a value may hold, and a plain value written reads back.
#include "settings/inifile.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // In memory where possible: every write is flushed to the disk.
    static const std::string path = (::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                    ("/fuzz_inifile." + std::to_string(::getpid()) + ".ini");
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::ofstream(path, std::ios::binary) << input;
    TIniFile ini(path);
    const std::string fallback = "\x01 none";
    const std::string text = ini.ReadString("SETUP", "HINT", fallback);
    if (text != fallback && (text.size() > 1023 || text.find('\0') != text.npos)) std::abort();
    // The first line of the input, cut to a plain value, as a key and a value.
    const std::string stops("\0\r\n\"' \t\v\f=[", 12);
    const std::string value =
        input.substr(0, std::min(input.find_first_of(stops), std::size_t(60)));
    const std::string key = value.empty() ? "K" : value;
    ini.WriteString("SETUP", key, value);  // raises only for names that cannot be stored
    const bool wide = input.starts_with("\xFF\xFE") || input.starts_with("\xFE\xFF");
    if (!wide && ini.ReadString("setup", key, fallback) != value) std::abort();
    ::unlink(path.c_str());
    return 0;
}
