#include "settings/inifile.h"

#include "app/convert.h"
#include "app/errors.h"
#include "settings/textencoding.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The Windows functions read a value into a buffer of 1024 bytes.
constexpr std::size_t kMaxValue = 1023;
constexpr off_t kMaxFileSize = TIniFile::kMaxFileSize;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    }
    return true;
}

// ---- Parsing ------------------------------------------------------------------------------

struct Line {
    enum Kind { Other, Section, Key } kind = Other;
    std::string_view name;
    std::string_view value;  // points into the file's text, empty view at its place when empty
};

Line parseLine(std::string_view text) {
    const std::string_view t = trimmed(text);
    if (t.empty()) return {};
    if (t.front() == '[') {
        const auto close = t.rfind(']');
        if (close != std::string_view::npos)
            return {Line::Section, trimmed(t.substr(1, close - 1)), {}};
    }
    const auto equals = t.find('=');
    if (equals == std::string_view::npos) return {};
    std::string_view value = t.substr(equals + 1);
    while (!value.empty() && isBlank(value.front())) value.remove_prefix(1);
    if (value.empty()) value = t.substr(equals + 1, 0);
    return {Line::Key, trimmed(t.substr(0, equals)), value};
}

// Where a key is, or where it would go. Only the first section of that name
// counts, as with the Windows functions.
struct Place {
    bool sectionFound = false;
    bool keyFound = false;
    std::string_view value;         // of the key found
    std::size_t insertAt = 0;       // after the last non-blank line of the section
    bool insertNeedsBreak = false;  // that line ends the file without a line break
};

Place locate(std::string_view content, std::string_view section, std::string_view key) {
    section = trimmed(section);
    key = trimmed(key);
    Place place;
    std::size_t pos = content.starts_with(kUtf8Bom) ? kUtf8Bom.size() : 0;
    while (pos < content.size()) {
        const auto newline = content.find('\n', pos);
        const bool lastLine = newline == std::string_view::npos;
        const std::size_t end = lastLine ? content.size() : newline;
        const std::size_t next = lastLine ? content.size() : newline + 1;
        const std::string_view text = content.substr(pos, end - pos);
        const Line line = parseLine(text);
        if (line.kind == Line::Section) {
            if (place.sectionFound) break;
            if (sameName(line.name, section)) {
                place.sectionFound = true;
                place.insertAt = next;
                place.insertNeedsBreak = lastLine;
            }
        } else if (place.sectionFound) {
            if (line.kind == Line::Key && sameName(line.name, key)) {
                place.keyFound = true;
                place.value = line.value;
                return place;
            }
            if (!trimmed(text).empty()) {
                place.insertAt = next;
                place.insertNeedsBreak = lastLine;
            }
        }
        pos = next;
    }
    return place;
}

// Like the C-string buffer of the Windows functions: the value ends at a NUL,
// loses one pair of matching quotes around it, and is cut at 1023 bytes, but
// never inside a UTF-8 character.
std::string_view readableValue(std::string_view value) {
    value = value.substr(0, value.find('\0'));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    if (value.size() <= kMaxValue) return value;
    std::size_t cut = kMaxValue;
    std::size_t lead = cut;
    while (lead > 0 && cut - lead < 3 && (static_cast<unsigned char>(value[lead]) & 0xC0) == 0x80)
        --lead;
    if (lead < cut && (static_cast<unsigned char>(value[lead]) & 0xC0) == 0xC0) cut = lead;
    return value.substr(0, cut);
}

// ---- Files --------------------------------------------------------------------------------

class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { reset(); }

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    void reset(int fd = -1) {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = fd;
    }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

enum class Loaded { Ok, Missing, Failed };

// The whole file as bytes. A directory, a device, a pipe or a file too large
// for a settings file is no settings file: Failed.
Loaded loadFile(const std::string& path, std::string& content, mode_t* mode = nullptr) {
    content.clear();
    // O_NONBLOCK so that a FIFO in the file's place does not hang the program.
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.valid()) return errno == ENOENT ? Loaded::Missing : Loaded::Failed;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxFileSize)
        return Loaded::Failed;
    if (mode) *mode = st.st_mode & 07777;
    content.resize(static_cast<std::size_t>(st.st_size));
    std::size_t size = 0;
    for (;;) {
        // The file may grow while it is read; one spare byte tells.
        if (size == content.size()) {
            if (content.size() > static_cast<std::size_t>(kMaxFileSize)) return Loaded::Failed;
            content.resize(content.size() + 4096);
        }
        const ssize_t n = ::read(fd.get(), content.data() + size, content.size() - size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Loaded::Failed;
        if (n == 0) break;
        size += static_cast<std::size_t>(n);
    }
    content.resize(size);
    return Loaded::Ok;
}

// The file's text as UTF-8 for the rules above, and the way back to the file's
// own bytes. A file that starts with a UTF-16 byte-order mark stays UTF-16.
struct FileText {
    enum Encoding { Bytes, Utf16LE, Utf16BE } encoding = Bytes;
    std::string text;
    std::string oddByte;  // the last byte of a UTF-16 file of odd length
};

FileText decoded(std::string bytes) {
    const bool little = bytes.starts_with("\xFF\xFE");
    if (!little && !bytes.starts_with("\xFE\xFF")) return {FileText::Bytes, std::move(bytes), {}};
    FileText file{little ? FileText::Utf16LE : FileText::Utf16BE,
                  utf16ToUtf8(std::string_view(bytes).substr(2), !little),
                  {}};
    if (bytes.size() % 2 != 0) file.oddByte = bytes.back();
    return file;
}

// Names and values are bytes; in a UTF-16 file they are taken as text.
std::string inFile(const FileText& file, std::string_view bytes) {
    return file.encoding == FileText::Bytes ? std::string(bytes) : textForUtf16(bytes);
}

std::string encoded(const FileText& file) {
    if (file.encoding == FileText::Bytes) return file.text;
    const bool big = file.encoding == FileText::Utf16BE;
    return (big ? "\xFE\xFF" : "\xFF\xFE") + utf8ToUtf16(file.text, big) + file.oddByte;
}

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// A settings file reached through a symbolic link stays a link: the new
// content replaces the file it points to.
std::string resolvedPath(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr),
                                                           &std::free);
    return real ? std::string(real.get()) : path;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file's new content with the key set. The value stops at the first line
// break or NUL, which a line cannot hold. A line whose value already reads as
// the new one stays as it is, quotes, blanks and bytes beyond 1023 included.
std::string withValue(std::string content, std::string_view section, std::string_view key,
                      std::string_view value) {
    value = value.substr(0, value.find_first_of(std::string_view("\0\r\n", 3)));
    const Place place = locate(content, section, key);
    if (place.keyFound) {
        if (readableValue(place.value) == value) return content;
        const std::size_t at = static_cast<std::size_t>(place.value.data() - content.data());
        content.replace(at, place.value.size(), value);
        return content;
    }
    std::string line;
    line.append(trimmed(key)).append("=").append(value).append("\r\n");
    if (place.sectionFound) {
        if (place.insertNeedsBreak) line.insert(0, "\r\n");
        content.insert(place.insertAt, line);
        return content;
    }
    const std::size_t body = content.starts_with(kUtf8Bom) ? kUtf8Bom.size() : 0;
    const bool hasLines = content.find_first_not_of(" \t\r\v\f\n", body) != std::string::npos;
    if (content.size() > body && content.back() != '\n') content += "\r\n";
    // A blank line between sections, as the Windows functions write them.
    if (hasLines) {
        std::string_view last = std::string_view(content).substr(0, content.size() - 1);
        last = last.substr(last.rfind('\n') + 1);
        if (!trimmed(last).empty()) content += "\r\n";
    }
    content.append("[").append(trimmed(section)).append("]\r\n").append(line);
    return content;
}

// Names that would not read back as the same name once written.
bool storableNames(std::string_view section, std::string_view key) {
    constexpr std::string_view kLineBreaks("\0\r\n", 3);
    return section.find_first_of(kLineBreaks) == std::string_view::npos &&
           key.find_first_of(kLineBreaks) == std::string_view::npos &&
           key.find('=') == std::string_view::npos && !trimmed(key).starts_with('[');
}

// The first write to a new place makes its folder, private as the XDG rule asks of
// configuration folders.
void makeFolder(const std::string& folder) {
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        if (::mkdir(folder.substr(0, slash).c_str(), 0700) != 0 && errno != EEXIST) return;
        if (slash == std::string::npos) return;
    }
}

// Waits a while for another writer; one that hangs (a stuck network folder)
// must not keep the program from closing, so after that it writes unlocked.
bool lockFolder(int folder) {
    for (int i = 0; i < 2000; ++i) {
        if (::flock(folder, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno != EWOULDBLOCK && errno != EINTR) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

// Replaces the file all or nothing: a temporary file in the same folder, flushed
// to the disk, renamed over the old one. Writers in the folder take turns (a
// lock on the folder), so two programs closing together lose no key.
bool replaceFile(const std::string& path, const std::string& carriedFrom, std::string_view section,
                 std::string_view key, std::string_view value) {
    const std::string target = resolvedPath(path);
    if (!carriedFrom.empty()) makeFolder(folderOf(target));
    const Fd folder(::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const bool locked = folder.valid() && lockFolder(folder.get());

    std::string bytes;
    mode_t mode = 0;
    const Loaded loaded = loadFile(target, bytes, &mode);
    if (loaded == Loaded::Failed) return false;
    // Windows refuses to write a read-only profile, also for an administrator.
    if (loaded == Loaded::Ok && ((mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0))
        return false;
    // A file that cannot be carried over is left where it is; the new one starts empty.
    if (loaded == Loaded::Missing && !carriedFrom.empty() &&
        loadFile(carriedFrom, bytes) != Loaded::Ok)
        bytes.clear();
    FileText file = decoded(std::move(bytes));
    file.text = withValue(std::move(file.text), inFile(file, section), inFile(file, key),
                          inFile(file, value));
    const std::string content = encoded(file);

    // Under the lock one fixed name is enough, and a temporary file left by a
    // writer that was killed is replaced by the next one instead of piling up.
    std::string temporary = target + ".tmp";
    Fd fd;
    if (locked) {
        ::unlink(temporary.c_str());
        fd.reset(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    }
    for (int attempt = 0; !fd.valid() && attempt < 100; ++attempt) {
        temporary = target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        fd.reset(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (!fd.valid() && errno != EEXIST) break;
    }
    if (!fd.valid()) return false;

    bool ok = (loaded != Loaded::Ok || ::fchmod(fd.get(), mode) == 0) &&
              writeAll(fd.get(), content) && ::fsync(fd.get()) == 0;
    ok = ::close(fd.release()) == 0 && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    // The rename itself reaches the disk only with the folder.
    if (folder.valid() && ::fsync(folder.get()) != 0 && errno != EINVAL) return false;
    return true;
}

}  // namespace

TIniFile::TIniFile(std::string fileName, std::string carriedFrom)
    : m_fileName(std::move(fileName)), m_carriedFrom(std::move(carriedFrom)) {}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& fallback) const {
    std::string bytes;
    Loaded loaded = loadFile(m_fileName, bytes);
    if (loaded == Loaded::Missing && !m_carriedFrom.empty())
        loaded = loadFile(m_carriedFrom, bytes);
    if (loaded != Loaded::Ok) return fallback;
    const FileText file = decoded(std::move(bytes));
    const Place place = locate(file.text, inFile(file, section), inFile(file, key));
    if (!place.keyFound) return fallback;
    return std::string(readableValue(place.value));
}

std::string TIniFile::tooLargeFile() const {
    for (const std::string& path : {m_fileName, m_carriedFrom}) {
        struct stat st {};
        if (path.empty() || ::stat(path.c_str(), &st) != 0) continue;
        return S_ISREG(st.st_mode) && st.st_size > kMaxFileSize ? path : std::string();
    }
    return {};
}

std::int32_t TIniFile::ReadInteger(const std::string& section, const std::string& key,
                                   std::int32_t fallback) const {
    std::string text = ReadString(section, key, "");
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.replace(0, 2, "$");
    return tryStrToInt(text).value_or(fallback);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool fallback) const {
    return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
    if (!storableNames(section, key) ||
        !replaceFile(m_fileName, m_carriedFrom, section, key, value))
        throw EIniFileError(m_fileName + " に書き込めません");
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key,
                            std::int32_t value) {
    WriteString(section, key, IntToStr(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}
