// --help, --version, and the check for a person at a terminal.
#include "common/command_line.h"

#include <cstdio>

bool EndsAtCommandLine(int argc, char** argv, const std::string& program, const std::string& usage, bool atTerminal,
                       int& exitCode) {
  exitCode = 0;
  std::string argument = argc > 1 ? argv[1] : "";
  if (argc == 2 && argument == "--help") {
    std::fputs(usage.c_str(), stdout);
    return true;
  }
  if (argc == 2 && argument == "--version") {
    std::printf("%s %s\n", program.c_str(), kVersion);
    return true;
  }
  exitCode = 2;
  if (argc > 1) {
    std::fprintf(stderr, "%s: unknown argument %s\n\n%s", program.c_str(), argument.c_str(), usage.c_str());
    return true;
  }
  if (!atTerminal) {
    std::fprintf(stderr, "%s: needs a terminal to run in (standard input and output are not one)\n", program.c_str());
    return true;
  }
  exitCode = 0;
  return false;
}
