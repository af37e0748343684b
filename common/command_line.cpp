// --help, --version, and the check for a person at a terminal.
#include "common/command_line.h"

#include <cstdio>
#include <vector>

#include "platform/environment.h"

bool EndsAtCommandLine(int argc, char** argv, const std::string& program, const std::string& usage,
                       const std::string& terminalProblem, int& exitCode, MonitorOptions* monitorOptions) {
  exitCode = 0;
  std::vector<std::string> arguments(argv + 1, argv + argc);
  while (monitorOptions && !arguments.empty()) {
    if (arguments[0] == "--by-band") {
      monitorOptions->byBand = true;
      arguments.erase(arguments.begin());
    } else if (arguments.size() >= 2 && arguments[0] == "--rig" && !arguments[1].empty()) {
      monitorOptions->rigName = arguments[1];
      arguments.erase(arguments.begin(), arguments.begin() + 2);
    } else {
      break;
    }
  }
  std::string argument = arguments.empty() ? "" : arguments[0];
  // The one not understood: what follows --help or --version, or --rig without its name.
  if (arguments.size() > 1 && (argument == "--help" || argument == "--version")) argument = arguments[1];
  if (arguments.size() == 1 && argument == "--help") {
    PrintText(stdout, usage);
    return true;
  }
  if (arguments.size() == 1 && argument == "--version") {
    PrintText(stdout, program + " " + kVersion + "\n");
    return true;
  }
  exitCode = 2;
  if (!arguments.empty()) {
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
