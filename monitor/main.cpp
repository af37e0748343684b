// dxvane: follows WSJT-X's decodes and shows who is calling, looked up at QRZ.
#include <string>

#include "common/command_line.h"
#include "monitor/startup.h"
#include "platform/console.h"
#include "platform/environment.h"

namespace {

std::string Usage() {
  return "dxvane: follows WSJT-X's decodes every 15-second FT8 period and shows the stations calling CQ\n"
         "and the stations calling you, looked up at QRZ, in a coloured 140x43 table.\n"
         "\n"
         "Usage: dxvane [--help | --version]\n"
         "\n"
         "Run it from the folder that holds Config.ini (made with vaneedit), in a terminal of 140x43.\n"
         "Files:\n"
         "  Config.ini, <CALL>.adi.txt (your QRZ logbook copy), DXAlert.wav, StationAlert.wav:\n"
         "      the current folder\n"
         "  ALL.TXT and WSJTX_log.adi (read, never written): " +
         JoinPath(LocalAppDataFolder(), "WSJT-X") +
         "\n"
         "  QRZ_Data.tmp (every QRZ reply): " +
         TempFolderName() + "\n" + PlatformHelp() +
         "Keys: Y at the start downloads your QRZ logbook, any other key skips it; Ctrl+C ends the\n"
         "  monitor.\n";
}

}  // namespace

int main(int argc, char** argv) {
  int exitCode = 0;
  if (EndsAtCommandLine(argc, argv, "dxvane", Usage(), ConsoleProblem(), exitCode)) return exitCode;
  ConsoleOpen();
  return RunMonitor();
}
