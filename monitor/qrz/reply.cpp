// Requests to the QRZ services and the reading of their replies.
#include "monitor/qrz/reply.h"

#include <cctype>

#include "common/files.h"
#include "common/text.h"
#include "common/unicode.h"
#include "monitor/globals.h"
#include "platform/console.h"
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

std::string PercentEncoded(const std::string& value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (char c : value) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (std::isalnum(byte) && byte < 0x80) encoded += c;
    else if (c == '-' || c == '.' || c == '_' || c == '~') encoded += c;
    else encoded += {'%', kHex[byte >> 4], kHex[byte & 15]};
  }
  return encoded;
}

std::string CutAddress(const std::string& address) {
  std::string cut = address.substr(0, kMaxAddressLength);
  // Never inside a percent escape: "%2" would reach the service as a broken byte.
  size_t percent = cut.rfind('%');
  if (cut.size() < address.size() && percent != std::string::npos && percent + 3 > cut.size()) cut.erase(percent);
  return cut;
}

DownloadStatus RequestToTempFile(const std::string& address, std::string& failure, const DownloadLimits& limits,
                                 const ReceivedBytes& onReceived) {
  ConsoleFlush();  // what was written so far stays on screen while the request runs
  return DownloadToFile(CutAddress(address), glb_TempFileName, failure, limits, onReceived);
}

DownloadStatus FetchReply(const std::string& address, std::string& reply, std::string& failure,
                          const DownloadLimits& limits) {
  reply.clear();
  DownloadStatus status = RequestToTempFile(address, failure, limits);
  if (status != DownloadStatus::kDone) return status;
  TextFile file;
  if (OpenForReading(file, glb_TempFileName, FileShare::kExclusive)) ReadReplyLine(file, reply);
  CloseFile(file);
  return status;
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

namespace {

struct NamedEntity {
  const char* name;
  char character;
};

constexpr NamedEntity kNamedEntities[] = {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};

// The character a numeric reference such as "#233" or "#xE9" names; 0 when it names none.
char32_t NumericReference(const std::string& name) {
  bool hex = name.size() > 2 && (name[1] == 'x' || name[1] == 'X');
  std::string digits = name.substr(hex ? 2 : 1);
  if (digits.empty() || digits.size() > 8) return 0;
  char32_t value = 0;
  for (char c : digits) {
    int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                : hex && std::isxdigit(static_cast<unsigned char>(c)) ? std::tolower(c) - 'a' + 10
                                                                      : -1;
    if (digit < 0) return 0;
    value = value * (hex ? 16 : 10) + static_cast<char32_t>(digit);
  }
  bool surrogate = value >= 0xD800 && value <= 0xDFFF;
  return value > 0x10FFFF || surrogate ? 0 : value;
}

// Appends what the reference name (between "&" and ";") stands for, as UTF-8; false when it
// names nothing.
bool AppendReference(const std::string& name, std::string& out) {
  for (const NamedEntity& entity : kNamedEntities) {
    if (name != entity.name) continue;
    out += entity.character;
    return true;
  }
  char32_t character = name.size() > 1 && name[0] == '#' ? NumericReference(name) : 0;
  if (character == 0) return false;
  AppendUtf8(out, character);
  return true;
}

// ISO-8859-1 bytes as UTF-8: each byte is the character of that number.
std::string Utf8FromLatin1(const std::string& text) {
  std::string out;
  for (char byte : text) AppendUtf8(out, static_cast<unsigned char>(byte));
  return out;
}

}  // namespace

std::string DecodeXmlText(const std::string& text) {
  std::string utf8 = IsValidUtf8(text) ? text : Utf8FromLatin1(text);
  if (utf8.find('&') == std::string::npos) return utf8;
  std::string out;
  for (size_t i = 0; i < utf8.size(); ++i) {
    size_t end = utf8[i] == '&' ? utf8.find(';', i) : std::string::npos;
    if (end != std::string::npos && end - i <= 10 && AppendReference(utf8.substr(i + 1, end - i - 1), out)) {
      i = end;
      continue;
    }
    out += utf8[i];
  }
  return out;
}
