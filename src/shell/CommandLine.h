#pragma once

// The program's few options, answered before any window system is touched, so that
// `tallywick --version` works on a machine without a display.

#include <optional>
#include <ostream>
#include <span>

inline constexpr int kExitUsage = 2;

// The arguments after the program's name. Gives the exit code when an option was answered
// here, or nothing when the program should open its window.
std::optional<int> AnswerCommandLine(std::span<const char* const> arguments, std::ostream& out, std::ostream& errors);
