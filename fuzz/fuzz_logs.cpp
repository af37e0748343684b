// Fuzzes the readers of the two logs: WSJT-X's contact log (whole and appended to) and the
// local logbook copy, and the one-pass record scanner under them.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_support.h"
#include "monitor/globals.h"
#include "monitor/logs/adif.h"
#include "monitor/logs/logs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string folder = [] {
    std::string made = "/tmp/dxvane-fuzz-logs-" + std::to_string(getpid());
    mkdir(made.c_str(), 0700);
    mkdir((made + "/WSJT-X").c_str(), 0700);
    setenv("LOCALAPPDATA", made.c_str(), 1);
    return made;
  }();
  std::string text(reinterpret_cast<const char*>(data), size);
  ScanRecord(text);
  size_t half = size / 2;
  FuzzFile("log", data, half);
  std::rename(("/tmp/dxvane-fuzz-" + std::to_string(getpid()) + "-log").c_str(), (folder + "/WSJT-X/wsjtx_log.adi").c_str());
  WorkedList worked;
  WsjtxLogTrack track;
  std::string error;
  ReloadWsjtxWorked(worked, error, track);
  if (std::FILE* log = std::fopen((folder + "/WSJT-X/wsjtx_log.adi").c_str(), "ab")) {
    std::fwrite(data + half, 1, size - half, log);  // appended: the reload reads only that
    std::fclose(log);
  }
  ReloadWsjtxWorked(worked, error, track);
  glb_QRZAccountName = folder + "/N0VANE";  // the copy is named after the account: a path keeps it here
  FuzzFile("copy", data, size);
  std::rename(("/tmp/dxvane-fuzz-" + std::to_string(getpid()) + "-copy").c_str(), LogBookCopyName().c_str());
  LoadQrzWorked(worked, error);
  ConfirmedList confirmed;
  LoadConfirmedDX(confirmed, error);
  return 0;
}
