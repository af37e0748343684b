// --help, --version, and the check for a person at a terminal.
#include "common/command_line.h"

#include <cstdio>

#include "platform/environment.h"

bool EndsAtCommandLine(int argc, char** argv, const std::string& program, const std::string& usage,
                       const std::string& terminalProblem, int& exitCode) {
  exitCode = 0;
  std::string argument = argc > 1 ? argv[1] : "";
  if (argc > 2 && (argument == "--help" || argument == "--version")) argument = argv[2];  // the one not understood
  if (argc == 2 && argument == "--help") {
    PrintText(stdout, usage);
    return true;
  }
  if (argc == 2 && argument == "--version") {
    PrintText(stdout, program + " " + kVersion + "\n");
    return true;
  }
  exitCode = 2;
  if (argc > 1) {
    PrintText(stderr, program + ": unknown argument " + argument + "\n\n" + usage);
    return true;
  }
  if (!terminalProblem.empty()) {
    PrintText(stderr, program + ": " + terminalProblem + "\n");
    return true;
  }
  exitCode = 0;
  return false;
}
