// vaneedit: edits Config.ini in the current folder, the settings dxvane reads at start-up.
#include "common/command_line.h"
#include "editor/editor.h"
#include "platform/console.h"

namespace {

const char* kUsage =
    "vaneedit: edits the eight settings that dxvane reads (latitude, longitude, QRZ account name,\n"
    "QRZ password, QRZ logbook API key, grid square, DX alert and station alert switches).\n"
    "\n"
    "Usage: vaneedit [--help | --version]\n"
    "\n"
    "Reads and writes Config.ini in the current folder (readable by its owner only).\n"
    "Keys: Enter, Tab, Down and Page keys go to the next field, Up to the previous one; Insert\n"
    "switches between overwrite and insert; Esc keeps a field's old value; Ctrl+C leaves without\n"
    "saving. After the last field the form saves Config.ini and ends.\n";

}  // namespace

int main(int argc, char** argv) {
  int exitCode = 0;
  if (EndsAtCommandLine(argc, argv, "vaneedit", kUsage, ConsoleProblem(), exitCode)) return exitCode;
  ConsoleOpen();
  // Leave the shell's prompt below the form, also after Ctrl+C.
  ConsoleSetEndRow(14);
  bool saved = EditConfig();
  ConsoleLocate(saved ? 12 : 14, 1);
  ConsoleClose();
  return saved ? 0 : 1;
}
