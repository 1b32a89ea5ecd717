#pragma once

#include <string>

// Where the alarm sound is looked for. A Windows path (second character ":") is
// looked up by its file name in media/ beside the executable, so the default
// "c:\windows\media\tada.wav" plays the program's own chime; a text starting
// with "/" is an absolute path; anything else is joined to the executable's
// folder as it stands. The text is bytes, as the settings file holds them: a
// Shift-JIS name from a Windows file names a file of those bytes here.
std::string resolveWavPath(const std::string& text, const std::string& executablePath);
