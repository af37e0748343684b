// ADIF field rules shared by the WSJT-X log and the QRZ logbook copy.
#include "monitor/logs/adif.h"

#include <cctype>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool SameIgnoringCase(const std::string& line, size_t at, const std::string& name) {
  for (size_t i = 0; i < name.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(line[at + i])) != std::tolower(static_cast<unsigned char>(name[i])))
      return false;
  return true;
}

// The field length's digits; capped, since no value can be longer than its line.
size_t ReadLength(const std::string& line, size_t at) {
  size_t length = 0;
  for (; at < line.size() && IsDigit(line[at]); ++at)
    length = std::min<size_t>(length * 10 + static_cast<size_t>(line[at] - '0'), line.size());
  return length;
}

}  // namespace

size_t FindFieldName(const std::string& line, const std::string& name, size_t from) {
  if (name.empty() || line.size() < name.size()) return std::string::npos;
  for (size_t at = from; at + name.size() <= line.size(); ++at)
    if (SameIgnoringCase(line, at, name)) return at;
  return std::string::npos;
}

bool HoldsField(const std::string& line, const std::string& name, const std::string& value) {
  for (size_t at = FindFieldName(line, name); at != std::string::npos; at = FindFieldName(line, name, at + 1))
    if (line.compare(at + name.size(), value.size(), value) == 0) return true;
  return false;
}

bool CallField(const std::string& line, std::string& value) {
  const std::string name = "<call:";
  value.clear();
  size_t at = FindFieldName(line, name);
  if (at == std::string::npos) return false;
  size_t length = ReadLength(line, at + name.size());
  size_t close = line.find('>', at);
  if (close != std::string::npos) value = line.substr(close + 1, length);
  return true;
}

std::string CallFieldValue(const std::string& line) {
  std::string value;
  CallField(line, value);
  return value;
}

std::string DxccFieldValue(const std::string& line) {
  const std::string name = "<dxcc:";
  size_t at = FindFieldName(line, name);
  if (at == std::string::npos || at + name.size() >= line.size()) return "";
  char lengthDigit = line[at + name.size()];
  if (!IsDigit(lengthDigit)) return "";
  size_t start = at + name.size() + 2;  // after a one-digit length and its ">"
  if (start > line.size()) return "";
  return line.substr(start, static_cast<size_t>(lengthDigit - '0'));
}
