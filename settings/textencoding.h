#pragma once

#include <string>
#include <string_view>

// The encodings that settings files from Windows come in: UTF-8, Shift-JIS
// (code page 932, the Japanese system's own) and UTF-16 with a byte-order mark.

bool isUtf8(std::string_view bytes);

// Readable UTF-8 for bytes in UTF-8 or in Shift-JIS; in bytes that are neither,
// what does not decode shows as U+FFFD.
std::string readableText(std::string_view bytes);

// Where a CP932 trail byte can equal "\" (0x5C), a scan for separators must step
// over double-byte characters. Bytes that are UTF-8 are scanned as bytes.
std::size_t lastBackslash(std::string_view bytes);

// UTF-16 without its byte-order mark, and back. An unpaired surrogate keeps a
// three-byte form of its own, so any sequence of units comes back unit for unit;
// bytes that do not decode become U+FFFD.
std::string utf16ToUtf8(std::string_view units, bool bigEndian);
std::string utf8ToUtf16(std::string_view text, bool bigEndian);

// Bytes as they read back from a UTF-16 text: UTF-8 (unpaired surrogates
// included) as it is, anything else as readableText.
std::string textForUtf16(std::string_view bytes);
