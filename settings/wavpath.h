#pragma once

#include <string>
#include <vector>

// The sound of a settings file that names none.
inline constexpr char kDefaultWavFile[] = "c:\\windows\\media\\tada.wav";

// Where the alarm sound is looked for, as the files to try in turn. A Windows path
// (second character ":") is looked up by its file name in media/ beside the
// executable, without regard to case as Windows matches names, so the default
// "c:\windows\media\tada.wav" plays the program's own chime; a text starting with
// "/" is an absolute path; anything else is joined to the executable's folder as it
// stands. The text is bytes, as the settings file holds them: a name in Shift-JIS
// is looked for first as the name shown for it (Linux names are UTF-8), then as a
// name of those very bytes.
std::vector<std::string> wavFileCandidates(const std::string& text,
                                           const std::string& executablePath);
