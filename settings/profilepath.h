#pragma once

#include <string>

// The executable's path with its extension replaced (".ini", ".hlp"); the
// extension is the part from the last "." after the last "/", "\" or ":", and is
// appended when there is none. A byte scan is safe: those bytes never occur
// inside a UTF-8 sequence.
std::string changeFileExt(const std::string& path, const std::string& extension);

// The folder of a path up to and including its last "/", "\" or ":".
std::string extractFilePath(const std::string& path);
