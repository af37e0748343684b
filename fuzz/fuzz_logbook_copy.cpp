// Fuzzes the logbook copy: any reply of the logbook API into the local copy, which must then
// read back through the worked and confirmed lists.
#include <unistd.h>

#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "monitor/globals.h"
#include "monitor/logs/logs.h"
#include "monitor/qrz/logbook.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  glb_TempFileName = FuzzFile("QRZ_Data.tmp", data, size);
  // The copy is named after the account, in the current folder: a path keeps it in /tmp.
  glb_QRZAccountName = "/tmp/dxvane-fuzz-" + std::to_string(getpid()) + "-N0VANE";
  std::string error;
  WriteLogBookCopy(LogBookCopyName(), error);
  WorkedList worked;
  LoadQrzWorked(worked, error);
  ConfirmedList confirmed;
  LoadConfirmedDX(confirmed, error);
  return 0;
}
