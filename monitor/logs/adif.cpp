// ADIF field rules shared by the WSJT-X log and the QRZ logbook copy. The lines are long and
// many (a decade's log is 100,000 of them): each is scanned once, for its '<'s.
#include "monitor/logs/adif.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <vector>

#include "common/text.h"
#include "platform/bytes.h"

namespace {

char FoldCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// True when line holds name (lower case, after the "<") at `at`, whatever its case there.
bool NameAt(std::string_view line, size_t at, std::string_view name) {
  if (line.size() - at < name.size()) return false;
  for (size_t i = 0; i < name.size(); ++i)
    if (FoldCase(line[at + i]) != name[i]) return false;
  return true;
}

// The value of the field whose "<" stands at `at` and whose name (with its colon) takes
// nameLength bytes: "<dxcc:3>291", "<dxcc:03>230" and "<dxcc:3:N>291" all give 291. The
// length counts bytes and is capped, since no value can be longer than its line.
std::string_view FieldValue(std::string_view line, size_t at, size_t nameLength) {
  size_t digits = at + 1 + nameLength, length = 0;
  for (; digits < line.size() && IsDigit(line[digits]); ++digits)
    length = std::min<size_t>(length * 10 + static_cast<size_t>(line[digits] - '0'), line.size());
  // The ">" mostly follows the digits at once; a type ("<dxcc:3:N>") or a broken tag takes a search.
  size_t close = digits < line.size() && line[digits] == '>' ? digits : line.find('>', digits);
  return close == std::string_view::npos ? std::string_view() : line.substr(close + 1, length);
}

// The offset of the next "<" from `from`, npos when none.
size_t NextTag(std::string_view line, size_t from) {
  if (from >= line.size()) return std::string_view::npos;
  if (line[from] == '<') return from;  // a record's first field, most often
  size_t found = from + FindByte(line.data() + from, line.size() - from, '<');
  return found < line.size() ? found : std::string_view::npos;
}

// A four-letter field name as one number, the first letter lowest: Name4("call").
constexpr uint32_t Name4(const char (&name)[5]) {
  return static_cast<uint32_t>(name[0]) | static_cast<uint32_t>(name[1]) << 8 | static_cast<uint32_t>(name[2]) << 16 |
         static_cast<uint32_t>(name[3]) << 24;
}

// The names the readers look for, with their colons, as bytes after the "<": the colon stands
// that far from the "<".
constexpr size_t kFourLetterName = 5;  // "call:", "mode:", "dxcc:", "band:", "freq:"
constexpr size_t kStatusName = 18;     // "app_qrzlog_status:"

// True when the field whose "<" stands at `at` has a name of four letters ("<call:").
bool HasFourLetterName(std::string_view line, size_t at) {
  return at + kFourLetterName < line.size() && line[at + kFourLetterName] == ':';
}

// True when the field whose "<" stands at `at` is app_qrzlog_status, in any case.
bool HasStatusName(std::string_view line, size_t at) {
  return at + kStatusName < line.size() && line[at + kStatusName] == ':' && NameAt(line, at + 1, "app_qrzlog_status");
}

// The four bytes from `at` in lower case as Name4 makes them (bytes other than letters are
// changed too, but never into a letter). The caller knows that four bytes are there.
uint32_t FoldedName4(std::string_view line, size_t at) {
  uint32_t name;
  std::memcpy(&name, line.data() + at, 4);  // one load where the processor keeps the first byte lowest
  if constexpr (std::endian::native == std::endian::big)
    name = name >> 24 | (name >> 8 & 0xff00u) | (name << 8 & 0xff0000u) | name << 24;
  return name | 0x20202020u;
}

// Calls visit, in order, with the offset of every "<" of line whose name may be one the readers
// want: those of four letters ("<call:", ":" five bytes on) and app_qrzlog_status (":" eighteen
// on). A QRZ record has some 41 short fields and only these few matter: a map of them made many
// bytes a step passes the rest without a look, and beats both a search per field and a jump by
// each field's declared length, whose digits cost more to read than the short values they skip.
template <typename Visit>
void ForEachCandidateTag(std::string_view line, Visit visit) {
  uint64_t shortMap[64];  // a line of up to 4 KB; a longer one takes a map of its own
  std::vector<uint64_t> longMap;
  uint64_t* map = shortMap;
  size_t words = ByteMapWords(line.size());
  if (words > std::size(shortMap)) {
    longMap.resize(words);
    map = longMap.data();
  }
  MarkBytePairs(line, '<', ':', kFourLetterName, kStatusName, map);
  for (size_t word = 0; word < words; ++word)
    for (uint64_t found = map[word]; found != 0; found &= found - 1)
      visit(word * 64 + static_cast<size_t>(std::countr_zero(found)));
}

// The first "<band:" of line; npos when none. Found by its "b", as WSJT-X's records have no "b"
// before it, where a search for "<" would stop at every field.
size_t FindBandTag(std::string_view line) {
  for (size_t b = line.find('b', 1); b != std::string_view::npos; b = line.find('b', b + 1))
    if (line[b - 1] == '<' && line.substr(b, 5) == "band:") return b - 1;
  return std::string_view::npos;
}

}  // namespace

RecordFields ScanRecord(std::string_view line) {
  RecordFields fields;
  bool hasDxcc = false, hasBand = false, hasFreq = false;
  ForEachCandidateTag(line, [&](size_t at) {
    if (HasFourLetterName(line, at)) {
      std::string_view value;
      switch (FoldedName4(line, at + 1)) {
        case Name4("call"):
          if (!fields.hasCall) {
            fields.hasCall = true;
            fields.call = FieldValue(line, at, kFourLetterName);
          }
          break;
        case Name4("mode"):
          value = FieldValue(line, at, kFourLetterName);
          fields.workedMode = fields.workedMode || value == "FT8" || value == "JT65";
          break;
        case Name4("dxcc"):
          if (!hasDxcc) fields.dxcc = FieldValue(line, at, kFourLetterName);
          hasDxcc = true;
          break;
        case Name4("band"):
          if (!hasBand) fields.band = FieldValue(line, at, kFourLetterName);
          hasBand = true;
          break;
        case Name4("freq"):
          if (!hasFreq) fields.freq = FieldValue(line, at, kFourLetterName);
          hasFreq = true;
          break;
        default:
          break;
      }
    } else if (HasStatusName(line, at)) {
      fields.confirmed = fields.confirmed || FieldValue(line, at, kStatusName) == "C";
    }
  });
  return fields;
}

bool CallFieldOf(std::string_view line, std::string_view& value) {
  value = {};
  for (size_t at = NextTag(line, 0); at != std::string_view::npos; at = NextTag(line, at + 1)) {
    if (!HasFourLetterName(line, at) || FoldedName4(line, at + 1) != Name4("call")) continue;
    value = FieldValue(line, at, kFourLetterName);
    return true;
  }
  return false;
}

void BandFieldsOf(std::string_view line, std::string_view& band, std::string_view& freq) {
  // WSJT-X writes "<band:3>20m" in lower case: found in one search. Other loggers' fields, in
  // any case, take a scan of the line.
  size_t at = FindBandTag(line);
  if (at != std::string_view::npos) {
    band = FieldValue(line, at, kFourLetterName);
    freq = {};
    return;
  }
  RecordFields fields = ScanRecord(line);
  band = fields.band;
  freq = fields.freq;
}

bool EndsRecord(std::string_view line) {
  for (size_t at = NextTag(line, 0); at != std::string_view::npos; at = NextTag(line, at + 1))
    if (NameAt(line, at + 1, "eor>")) return true;
  return false;
}
