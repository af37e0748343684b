// dxvane: follows WSJT-X's decodes and shows who is calling, looked up at QRZ.
#include <string>

#include "common/command_line.h"
#include "common/config.h"
#include "monitor/globals.h"
#include "monitor/startup.h"
#include "platform/console.h"
#include "platform/environment.h"
#include "platform/files.h"

namespace {

std::string Usage() {
  return "dxvane: follows WSJT-X's decodes every 15-second FT8 period and shows the stations calling CQ\n"
         "and the stations calling you, looked up at QRZ, in a coloured 140x43 table.\n"
         "\n"
         "Usage: dxvane [--rig NAME] [--by-band] | --help | --version\n"
         "\n"
         "Run it from the folder that holds Config.ini (made with vaneedit), in a terminal of 140x43.\n"
         "--rig NAME follows the WSJT-X started with --rig-name=NAME for a second radio: its files are\n"
         "  in the folder \"WSJT-X - NAME\" beside WSJT-X's own.\n"
         "--by-band classes rows by band slot: worked and confirmed only on the band of the decode, and\n"
         "  an entity confirmed on other bands only shown black on light cyan as a new band, with the DX\n"
         "  alert.\n"
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
  MonitorOptions options;
  if (EndsAtCommandLine(argc, argv, "dxvane", Usage(), ConsoleProblem(), exitCode, &options)) return exitCode;
  glb_RigName = options.rigName;
  glb_ByBand = options.byBand;
  // Started from the wrong folder, or before vaneedit was ever run: nothing to log in with.
  if (!FileExists(kConfigFileName)) {
    PrintText(stdout, "No Config.ini in " + CurrentFolder() +
                          ": make one there with vaneedit, or start dxvane in the folder that holds it\n");
    return 2;
  }
  ConsoleOpen();
  return RunMonitor();
}
