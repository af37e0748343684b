// ADIF field rules shared by the WSJT-X log and the QRZ logbook copy. The lines are long and
// many (a decade's log is 100,000 of them): each is scanned once, '<' to '<'.
#include "monitor/logs/adif.h"

#include <algorithm>
#include <cstring>

#include "common/text.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
char FoldCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// True when line holds name (lower case, after the "<") at `at`, whatever its case there.
bool NameAt(std::string_view line, size_t at, std::string_view name) {
  if (line.size() - at < name.size()) return false;
  for (size_t i = 0; i < name.size(); ++i)
    if (FoldCase(line[at + i]) != name[i]) return false;
  return true;
}

bool ValueAt(std::string_view line, size_t at, std::string_view value) { return line.substr(at, value.size()) == value; }

// The field length's digits; capped, since no value can be longer than its line.
size_t ReadLength(std::string_view line, size_t at) {
  size_t length = 0;
  for (; at < line.size() && IsDigit(line[at]); ++at)
    length = std::min<size_t>(length * 10 + static_cast<size_t>(line[at] - '0'), line.size());
  return length;
}

// The call field whose "<" stands at `at`.
std::string_view CallValue(std::string_view line, size_t at) {
  size_t length = ReadLength(line, at + 6);
  size_t close = line.find('>', at);
  return close == std::string_view::npos ? std::string_view() : line.substr(close + 1, length);
}

// The dxcc field whose "<" stands at `at`: one length digit, then ">", then the value.
std::string_view DxccValue(std::string_view line, size_t at) {
  size_t digit = at + 6;
  if (digit >= line.size() || !IsDigit(line[digit])) return {};
  size_t start = digit + 2;
  if (start > line.size()) return {};
  return line.substr(start, static_cast<size_t>(line[digit] - '0'));
}

// The offset of the next "<" from `from`, npos when none.
size_t NextTag(std::string_view line, size_t from) {
  if (from >= line.size()) return std::string_view::npos;
  size_t found = from + FindByte(line.data() + from, line.size() - from, '<');
  return found < line.size() ? found : std::string_view::npos;
}

}  // namespace

RecordFields ScanRecord(std::string_view line) {
  RecordFields fields;
  bool hasDxcc = false;
  for (size_t at = NextTag(line, 0); at != std::string_view::npos; at = NextTag(line, at + 1)) {
    if (at + 1 >= line.size()) break;
    switch (FoldCase(line[at + 1])) {  // most fields are none of these four: one test passes them
      case 'c':
        if (!fields.hasCall && NameAt(line, at + 1, "call:")) {
          fields.hasCall = true;
          fields.call = CallValue(line, at);
        }
        break;
      case 'm':
        if (NameAt(line, at + 1, "mode:"))
          fields.workedMode = fields.workedMode || ValueAt(line, at + 6, "3>FT8") || ValueAt(line, at + 6, "4>JT65");
        break;
      case 'd':
        if (!hasDxcc && NameAt(line, at + 1, "dxcc:")) {
          hasDxcc = true;
          fields.dxcc = DxccValue(line, at);
        }
        break;
      case 'a':
        if (NameAt(line, at + 1, "app_qrzlog_status:")) fields.confirmed = fields.confirmed || ValueAt(line, at + 19, "1>C");
        break;
      default:
        break;
    }
  }
  return fields;
}

bool CallFieldOf(std::string_view line, std::string_view& value) {
  value = {};
  for (size_t at = NextTag(line, 0); at != std::string_view::npos; at = NextTag(line, at + 1)) {
    if (!NameAt(line, at + 1, "call:")) continue;
    value = CallValue(line, at);
    return true;
  }
  return false;
}
