// Requests to the QRZ services and the reading of their replies.
#include "monitor/qrz/reply.h"

#include "common/files.h"
#include "common/text.h"
#include "monitor/globals.h"
#include "platform/download.h"
#include "platform/environment.h"

namespace {

std::string SettingOr(const char* name, const char* fallback) {
  std::string value = EnvironmentValue(name);
  return value.empty() ? fallback : value;
}

}  // namespace

std::string QrzXmlBase() { return SettingOr("DXVANE_QRZ_XML_URL", "https://xmldata.qrz.com"); }

std::string QrzLogbookBase() { return SettingOr("DXVANE_QRZ_LOGBOOK_URL", "https://logbook.qrz.com"); }

bool RequestToTempFile(const std::string& address) {
  return DownloadToFile(address.substr(0, kMaxAddressLength), glb_TempFileName);
}

void FetchReply(const std::string& address, std::string& reply) {
  reply.clear();
  if (!RequestToTempFile(address)) return;
  TextFile file;
  if (OpenForReading(file, glb_TempFileName, FileShare::kExclusive)) ReadReplyLine(file, reply);
  CloseFile(file);
}

bool MarkedValue(const std::string& reply, const std::string& opening, const std::string& closing, std::string& value) {
  size_t start = reply.find(opening);
  if (start == std::string::npos) return false;
  size_t end = reply.find(closing);
  // A closing marker that is missing, or comes first, leaves nothing between them.
  std::string between = end == std::string::npos || end < start ? "" : reply.substr(start, end - start);
  value = TrimBlanks(ReplaceAll(between, opening, ""));
  return true;
}

bool TagValue(const std::string& reply, const std::string& tag, std::string& value) {
  return MarkedValue(reply, "<" + tag + ">", "</" + tag + ">", value);
}
