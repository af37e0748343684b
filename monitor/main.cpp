// dxvane: follows WSJT-X's decodes and shows who is calling, looked up at QRZ.
#include "monitor/startup.h"
#include "platform/console.h"

int main() {
  ConsoleOpen();
  return RunMonitor();
}
