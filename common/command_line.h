// What both programs do with their command line before they take the terminal.
#pragma once

#include <string>

inline constexpr const char* kVersion = "2021.03.08";

// What the monitor takes besides --help and --version.
struct MonitorOptions {
  std::string rigName;  // "--rig NAME": the WSJT-X of a second radio
  bool byBand = false;  // "--by-band": rows classed by band slot
};

// --help prints the usage and --version the version (exit code 0); "--rig NAME" and
// "--by-band" set monitorOptions where the program takes them; any other argument is refused with the usage on standard error
// (2); without a terminal that can show the screen (terminalProblem says why: see
// ConsoleProblem) the program says so and ends (2), since nobody would answer it. True when the
// program must end now with exitCode; no file and no terminal setting is touched.
bool EndsAtCommandLine(int argc, char** argv, const std::string& program, const std::string& usage,
                       const std::string& terminalProblem, int& exitCode, MonitorOptions* monitorOptions = nullptr);
