// Fuzzes the decode parser: any bytes in ALL.TXT, read from any saved position.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "monitor/decodes.h"
#include "monitor/globals.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A folder of its own: the parser follows the newest decode file of its folder.
  static const std::string folder = "/tmp/dxvane-fuzz-" + std::to_string(getpid());
  static const std::string path = (mkdir(folder.c_str(), 0700), folder + "/ALL.TXT");
  if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  }
  glb_QRZAccountName = "K1XYZ";
  glb_MyGrid = "FN42";
  CallTable calls;
  std::string stamp, frequency, error;
  int32_t total = 0, period = 0;
  int64_t position = size > 0 ? data[0] % (size + 2) : 0;
  DecodeFileTrack track;
  ReadDecodes(path, position, calls, stamp, total, period, frequency, error, track);
  ReadDecodes(path, position, calls, stamp, total, period, frequency, error, track);
  return 0;
}
