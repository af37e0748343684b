// Fuzzes the parsers of the other outside texts: Config.ini, ADIF log lines, QRZ replies.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "common/config.h"
#include "common/text.h"
#include "monitor/logs/adif.h"
#include "monitor/qrz/reply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  static const std::string path = "/tmp/dxvane-fuzz-Config-" + std::to_string(getpid()) + ".ini";
  if (std::FILE* file = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, file);
    std::fclose(file);
  }
  ConfigSettings settings;
  ReadConfig(path, settings);

  std::string_view call;
  CallFieldOf(text, call);
  ScanRecord(text);
  std::string value;
  TagValue(text, "call", value);
  MarkedValue(text, "<Error>", "</Error>", value);
  TextToNumber(text);
  return 0;
}
