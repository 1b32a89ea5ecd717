#pragma once

#include <optional>

// Answers --help and --version, refuses what the program does not take, and
// stops a start with no display, all before any window system is touched.
// Returns the exit status when the program is to end here. Qt's own options
// are accepted and left in argv for QApplication.
std::optional<int> answerCommandLine(int argc, char* argv[]);
