// The country file: entities, their prefixes and exact calls.
#include "monitor/countries.h"

#include <algorithm>
#include <cctype>

#include "common/files.h"
#include "common/text.h"
#include "platform/environment.h"
#include "platform/files.h"

// The built-in country file as static sorted arrays, made at build time from monitor/cty.csv.
CountryTable BuiltInCountryTable();

namespace {

// Calls ending so are the same station away from home: K1ABC/P is K1ABC.
const char* const kPortableSuffixes[] = {"P", "M", "A", "QRP", "QRPP", "LH", "R", "B", "J", "T"};

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
bool PrefixDecides(std::string_view prefix, const std::string& part) {
  if (prefix != "KG4") return true;
  return part.size() == 5 && std::isupper(static_cast<unsigned char>(part[3])) &&
         std::isupper(static_cast<unsigned char>(part[4]));
}

// The word of words (sorted by text) whose text is text; null when there is none.
const CountryWord* FindWord(const CountryTable& table, std::span<const CountryWord> words, std::string_view text) {
  auto found = std::lower_bound(words.begin(), words.end(), text,
                                [&](const CountryWord& word, std::string_view key) { return WordText(table, word) < key; });
  return found != words.end() && WordText(table, *found) == text ? &*found : nullptr;
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

const CountryTable& BuiltInCountries() {
  static const CountryTable table = BuiltInCountryTable();
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
  const CountryWord* exact = FindWord(table, table.exactCalls, call);
  if (exact) return &table.entities[exact->entity];
  std::string part = DecidingPart(call);
  for (size_t length = std::min(part.size(), table.longestPrefix); length > 0; --length) {
    std::string_view prefix = std::string_view(part).substr(0, length);
    const CountryWord* found = FindWord(table, table.prefixes, prefix);
    if (found && PrefixDecides(prefix, part)) return &table.entities[found->entity];
  }
  return nullptr;
}
