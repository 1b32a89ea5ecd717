#pragma once

#include <string>
#include <string_view>

// Paths beside the executable. "/", "\" and ":" all count as separators, so a
// path in the Windows form splits the same way; a byte scan is safe for UTF-8
// because those bytes never occur inside a multi-byte character.

// The path with its extension (from the last "." after the last separator)
// replaced by ext; when there is no extension, ext is appended.
std::string changeFileExt(std::string_view path, std::string_view ext);

// The path up to and including its last separator; empty when it has none.
std::string extractFilePath(std::string_view path);
