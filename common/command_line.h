// What both programs do with their command line before they take the terminal.
#pragma once

#include <string>

inline constexpr const char* kVersion = "2021.03.08";

// --help prints the usage and --version the version (exit code 0); "--rig NAME" sets rigName
// where the program takes one; any other argument is refused with the usage on standard error
// (2); without a terminal that can show the screen (terminalProblem says why: see
// ConsoleProblem) the program says so and ends (2), since nobody would answer it. True when the
// program must end now with exitCode; no file and no terminal setting is touched.
bool EndsAtCommandLine(int argc, char** argv, const std::string& program, const std::string& usage,
                       const std::string& terminalProblem, int& exitCode, std::string* rigName = nullptr);
