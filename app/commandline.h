#pragma once

#include <optional>
#include <string>
#include <vector>

// Answers --help and --version, refuses what the program does not take, and
// stops a start with no display, all before any window system is touched.
// Returns the exit status when the program is to end here. Qt's own options
// are accepted and left in argv for QApplication.
std::optional<int> answerCommandLine(int argc, char* argv[]);

// The arguments as QApplication is to read them. Qt takes its options only as
// "-name value" or "--name value"; "--name=value", which the check above accepts,
// is split into the first form so that Qt sees what was checked.
std::vector<std::string> argumentsForQt(int argc, char* argv[]);

// Qt ends a program that cannot reach its display with an abort and a hint about
// reinstalling. While this lives (the application object being made), that ends
// the program with one line naming the display and exit status 1; Qt's other
// messages meanwhile are passed on when it goes.
class DisplayOpenCheck {
public:
    DisplayOpenCheck(const std::vector<std::string>& arguments);
    ~DisplayOpenCheck();
    DisplayOpenCheck(const DisplayOpenCheck&) = delete;
    DisplayOpenCheck& operator=(const DisplayOpenCheck&) = delete;
};
