// Fuzzes what is read of the QRZ XML replies: the session key and the station record.
#include <cstdint>
#include <string>

#include "monitor/qrz/lookup.h"
#include "monitor/qrz/reply.h"
#include "monitor/qrz/session.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string reply(reinterpret_cast<const char*>(data), size);
  std::string key = "kept", error;
  KeyFromReply(DownloadStatus::kDone, "", reply, key, error);
  StationRecord record;
  StationFromReply(reply, record);
  DecodeXmlText(reply);
  return 0;
}
