#include "settings/textencoding.h"

#include <cerrno>
#include <cstdint>

#include <iconv.h>

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

bool isSurrogate(char32_t c) {
    return c >= 0xD800 && c <= 0xDFFF;
}

// The code point at `at`, which moves past it; -1 for bytes that are no UTF-8,
// and then `at` is left alone. Surrogates only where allowed: they stand for
// unpaired UTF-16 units.
std::int32_t nextCodePoint(std::string_view text, std::size_t& at, bool surrogates) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) return text[at++];
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || at + length > text.size()) return -1;
    char32_t c = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return -1;
        c = (c << 6) | (byte(at + i) & 0x3F);
    }
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[length] || c > 0x10FFFF || (isSurrogate(c) && !surrogates)) return -1;
    at += length;
    return static_cast<std::int32_t>(c);
}

bool decodes(std::string_view text, bool surrogates) {
    for (std::size_t at = 0; at < text.size();)
        if (nextCodePoint(text, at, surrogates) < 0) return false;
    return true;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Shift-JIS as Windows reads it, through glibc's table of code page 932; a
// byte that does not decode becomes U+FFFD and the rest goes on.
std::string fromCp932(std::string_view bytes) {
    std::string out;
    const iconv_t cd = ::iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        // Without the table, the bytes that are plain ASCII at least stay readable.
        for (const char c : bytes)
            static_cast<unsigned char>(c) < 0x80 ? out += c : out += kReplacement;
        return out;
    }
    std::string in(bytes);
    char* from = in.data();
    std::size_t left = in.size();
    // One byte of code page 932 never takes more than three of UTF-8.
    std::string buffer(3 * in.size() + 4, '\0');
    while (left > 0) {
        char* to = buffer.data();
        std::size_t room = buffer.size();
        const std::size_t done = ::iconv(cd, &from, &left, &to, &room);
        out.append(buffer.data(), static_cast<std::size_t>(to - buffer.data()));
        if (done != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) continue;
        out += kReplacement;
        ++from;
        --left;
        ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    ::iconv_close(cd);
    return out;
}

bool isCp932Lead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

std::uint16_t unitAt(std::string_view units, std::size_t i, bool bigEndian) {
    const auto first = static_cast<unsigned char>(units[i]);
    const auto second = static_cast<unsigned char>(units[i + 1]);
    return static_cast<std::uint16_t>(bigEndian ? first << 8 | second : second << 8 | first);
}

void appendUnit(std::string& out, char32_t unit, bool bigEndian) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    out += bigEndian ? high : low;
    out += bigEndian ? low : high;
}

}  // namespace

bool isUtf8(std::string_view bytes) {
    return decodes(bytes, false);
}

std::string readableText(std::string_view bytes) {
    return isUtf8(bytes) ? std::string(bytes) : fromCp932(bytes);
}

std::size_t lastBackslash(std::string_view bytes) {
    if (isUtf8(bytes)) return bytes.rfind('\\');
    std::size_t last = std::string_view::npos;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (isCp932Lead(static_cast<unsigned char>(bytes[i])) && i + 1 < bytes.size())
            ++i;
        else if (bytes[i] == '\\')
            last = i;
    }
    return last;
}

std::string utf16ToUtf8(std::string_view units, bool bigEndian) {
    std::string out;
    out.reserve(units.size() * 3 / 2);
    for (std::size_t i = 0; i + 1 < units.size(); i += 2) {
        char32_t c = unitAt(units, i, bigEndian);
        if (c >= 0xD800 && c <= 0xDBFF && i + 3 < units.size()) {
            const char32_t next = unitAt(units, i + 2, bigEndian);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
                i += 2;
            }
        }
        appendUtf8(out, c);
    }
    return out;
}

std::string utf8ToUtf16(std::string_view text, bool bigEndian) {
    std::string out;
    out.reserve(text.size() * 2);
    for (std::size_t at = 0; at < text.size();) {
        const std::int32_t next = nextCodePoint(text, at, true);
        const char32_t c = next < 0 ? 0xFFFD : static_cast<char32_t>(next);
        if (next < 0) ++at;
        if (c < 0x10000) {
            appendUnit(out, c, bigEndian);
        } else {
            appendUnit(out, 0xD800 + ((c - 0x10000) >> 10), bigEndian);
            appendUnit(out, 0xDC00 + ((c - 0x10000) & 0x3FF), bigEndian);
        }
    }
    return out;
}

std::string textForUtf16(std::string_view bytes) {
    if (!decodes(bytes, true)) return readableText(bytes);
    // Two unpaired surrogates in a row make a pair in UTF-16.
    return utf16ToUtf8(utf8ToUtf16(bytes, false), false);
}
