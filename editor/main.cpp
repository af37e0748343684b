// vaneedit: edits Config.ini in the current folder, the settings dxvane reads at start-up.
#include "editor/editor.h"
#include "platform/console.h"

int main() {
  ConsoleOpen();
  EditConfig();
  // Leave the shell's prompt below the form.
  ConsoleLocate(12, 1);
  ConsoleClose();
  return 0;
}
