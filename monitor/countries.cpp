// The country file: entities, their prefixes and exact calls.
#include "monitor/countries.h"

#include <algorithm>
#include <cctype>

#include "common/files.h"
#include "common/text.h"
#include "platform/environment.h"
#include "platform/files.h"

extern const char* const kBuiltInCountryFile[];  // made at build time from monitor/cty.csv

namespace {

// Calls ending so are the same station away from home: K1ABC/P is K1ABC.
const char* const kPortableSuffixes[] = {"P", "M", "A", "QRP", "QRPP", "LH", "R", "B", "J", "T"};

std::vector<std::string> SplitOn(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (size_t end = text.find(separator); end != std::string::npos; end = text.find(separator, start)) {
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  parts.push_back(text.substr(start));
  return parts;
}

std::string Trimmed(const std::string& text) {
  size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// Adds one word of a prefix list: "=K1ABC/P" an exact call, "VE" a prefix; the overrides of
// zones, continent, position and time ("(4)[7]{NA}<40.0/-75.0>~-5.0~") are not used here.
void AddWord(CountryTable& table, std::string word, size_t entity) {
  word = Trimmed(word.substr(0, word.find_first_of("([{<~")));
  if (word.empty()) return;
  if (word[0] == '=') {
    word.erase(0, 1);
    if (word.rfind("VER", 0) == 0 && word.size() == 11) table.version = word.substr(3);
    table.exactCalls.emplace(word, entity);
    return;
  }
  table.prefixes.emplace(word, entity);
  table.longestPrefix = std::max(table.longestPrefix, word.size());
}

void AddWords(CountryTable& table, const std::string& list, char separator, size_t entity) {
  for (const std::string& word : SplitOn(list, separator)) AddWord(table, word, entity);
}

// The centre as the file gives it, longitude west positive.
Entity MakeEntity(int dxcc, const std::string& name, const std::string& latitude, const std::string& longitude) {
  return Entity{dxcc, name, TextToNumber(latitude), -TextToNumber(longitude)};
}

// "*IT9" marks an entity of the WAE list within a DXCC entity (Sicily within Italy).
std::string WithoutStar(const std::string& prefix) { return prefix.rfind('*', 0) == 0 ? prefix.substr(1) : prefix; }

// K1ABC/4 or UA3ABC/9: the call with the area's digit in place of its own (UA9ABC).
std::string InCallArea(const std::string& call, char area) {
  size_t first = 0, end = 0;
  if (!LastDigitRun(call, first, end)) return call;
  return call.substr(0, first) + area + call.substr(end);
}

// The part of a call that decides its entity: the call itself (in the call area a digit suffix
// names), or of "A/B" the part that is not a portable suffix, the shorter one (the prefix) when
// neither is. Empty for /MM and /AM.
std::string DecidingPart(const std::string& call) {
  std::vector<std::string> parts = SplitOn(call, '/');
  std::vector<std::string> kept;
  for (const std::string& part : parts) {
    if (part == "MM" || part == "AM") return "";
    bool suffix = std::find(std::begin(kPortableSuffixes), std::end(kPortableSuffixes), part) != std::end(kPortableSuffixes);
    bool area = part.size() == 1 && IsDigit(part[0]);
    if (area && !kept.empty()) kept.back() = InCallArea(kept.back(), part[0]);
    else if (!part.empty() && (kept.empty() || !suffix)) kept.push_back(part);
  }
  if (kept.empty()) return "";
  if (kept.size() == 1) return kept[0];
  return kept[1].size() < kept[0].size() ? kept[1] : kept[0];
}

// The file's bare KG4 stands for Guantanamo Bay, whose stations sign KG4 and two letters; KG4
// with one or three letters is an ordinary United States call.
bool PrefixDecides(const std::string& prefix, const std::string& part) {
  if (prefix != "KG4") return true;
  return part.size() == 5 && std::isupper(static_cast<unsigned char>(part[3])) &&
         std::isupper(static_cast<unsigned char>(part[4]));
}

// Reads the file whole when it is no larger than a real one can be; a larger one is no country file.
bool ReadCountryFile(const std::string& path, std::string& text) {
  TextFile file;
  if (!OpenForReading(file, path, FileShare::kReadWrite)) return false;
  if (FileSize(file) > kMaxCountryFileBytes) return false;
  std::string chunk;
  while (ReadChunk(file, chunk) && static_cast<int64_t>(text.size()) <= kMaxCountryFileBytes) text += chunk;
  return static_cast<int64_t>(text.size()) <= kMaxCountryFileBytes;
}

}  // namespace

void ReadCountryCsv(const std::string& text, CountryTable& table) {
  table = CountryTable{};
  for (const std::string& line : SplitOn(text, '\n')) {
    std::vector<std::string> fields = SplitOn(line, ',');
    if (fields.size() < 10) continue;
    std::string words = fields[9].substr(0, fields[9].find(';'));
    size_t entity = table.entities.size();
    table.entities.push_back(MakeEntity(TextToWholeNumber(fields[2]), fields[1], fields[6], fields[7]));
    AddWord(table, WithoutStar(fields[0]), entity);  // the primary prefix may stand alone (3D2/c)
    AddWords(table, words, ' ', entity);
  }
}

void ReadCountryDat(const std::string& text, const CountryTable& known, CountryTable& table) {
  table = CountryTable{};
  std::unordered_map<std::string, int> numberOfPrimary;
  for (const auto& [prefix, entity] : known.prefixes) numberOfPrimary.emplace(prefix, known.entities[entity].dxcc);
  bool inList = false;  // reading an entity's prefix list, which ends with ";"
  bool mapped = false;
  for (const std::string& line : SplitOn(text, '\n')) {
    if (!inList) {
      std::vector<std::string> fields = SplitOn(line, ':');
      if (fields.size() < 8) continue;
      auto number = numberOfPrimary.find(WithoutStar(Trimmed(fields[7])));
      mapped = number != numberOfPrimary.end();
      if (mapped) {
        table.entities.push_back(MakeEntity(number->second, Trimmed(fields[0]), Trimmed(fields[4]), Trimmed(fields[5])));
        AddWord(table, WithoutStar(Trimmed(fields[7])), table.entities.size() - 1);  // may stand alone (1S)
      }
      inList = true;
      continue;
    }
    size_t end = line.find(';');
    if (mapped) AddWords(table, line.substr(0, end), ',', table.entities.size() - 1);
    if (end != std::string::npos) inList = false;
  }
}

const CountryTable& BuiltInCountries() {
  static const CountryTable table = [] {
    std::string text;
    for (const char* const* piece = kBuiltInCountryFile; *piece; ++piece) text += *piece;
    CountryTable built;
    ReadCountryCsv(text, built);
    return built;
  }();
  return table;
}

CountryTable NewerCountries(const std::string& wsjtxFolder, std::string& notice) {
  notice.clear();
  const CountryTable& builtIn = BuiltInCountries();
  std::string path = FindFileIgnoringCase(wsjtxFolder, "cty.dat"), text;
  if (!FileExists(path)) return {};
  if (!ReadCountryFile(path, text)) {
    notice = "cty.dat in " + wsjtxFolder + " is larger than any country file: the built-in one is used";
    return {};
  }
  CountryTable downloaded;
  ReadCountryDat(text, builtIn, downloaded);
  if (downloaded.version <= builtIn.version) return {};
  if (downloaded.entities.size() < kFewestCountryEntities) {
    notice = "cty.dat in " + wsjtxFolder + " maps only " + std::to_string(downloaded.entities.size()) +
             " entities: the built-in country file is used";
    return {};
  }
  return downloaded;
}

const Entity* EntityOfCall(const CountryTable& table, const std::string& call) {
  auto exact = table.exactCalls.find(call);
  if (exact != table.exactCalls.end()) return &table.entities[exact->second];
  std::string part = DecidingPart(call);
  for (size_t length = std::min(part.size(), table.longestPrefix); length > 0; --length) {
    auto found = table.prefixes.find(part.substr(0, length));
    if (found != table.prefixes.end() && PrefixDecides(found->first, part)) return &table.entities[found->second];
  }
  return nullptr;
}
