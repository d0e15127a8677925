#pragma once

#include <optional>

// Answers --help and --version and refuses what pondel does not take, all before a
// window system is opened: the answer needs no display and leaves SET alone. Returns
// the exit status when the program is to end here, nothing when it is to start.
// Qt's own options (-platform, -style, -session ...) are let through for QApplication.
std::optional<int> answerCommandLine(int argc, const char* const* argv);
