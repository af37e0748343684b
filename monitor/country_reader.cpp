// Reading the country file's two forms, cty.csv and WSJT-X's cty.dat, into a table of sorted
// arrays: the same form the build makes of the built-in file.
#include <algorithm>
#include <unordered_map>

#include "common/text.h"
#include "monitor/countries.h"

namespace {

// An entity and the words of its prefix list as the file gives them, before the table is made.
struct ReadEntity {
  int dxcc = 0;
  std::string name;
  double latitude = 0;
  double longitude = 0;
};

struct ReadWord {
  std::string text;
  uint16_t entity = 0;
};

struct ReadTable {
  std::vector<ReadEntity> entities;
  std::vector<ReadWord> exactCalls;
  std::vector<ReadWord> prefixes;
  std::string version;
};

std::string Trimmed(const std::string& text) {
  size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// Adds one word of a prefix list: "=K1ABC/P" an exact call, "VE" a prefix; the overrides of
// zones, continent, position and time ("(4)[7]{NA}<40.0/-75.0>~-5.0~") are not used here.
void AddWord(ReadTable& table, std::string word) {
  word = Trimmed(word.substr(0, word.find_first_of("([{<~")));
  if (word.empty()) return;
  uint16_t entity = static_cast<uint16_t>(table.entities.size() - 1);
  if (word[0] == '=') {
    word.erase(0, 1);
    if (word.rfind("VER", 0) == 0 && word.size() == 11) table.version = word.substr(3);
    table.exactCalls.push_back(ReadWord{word, entity});
    return;
  }
  table.prefixes.push_back(ReadWord{word, entity});
}

void AddWords(ReadTable& table, const std::string& list, char separator) {
  for (const std::string& word : SplitOn(list, separator)) AddWord(table, word);
}

// The centre as the file gives it, longitude west positive.
void AddEntity(ReadTable& table, int dxcc, const std::string& name, const std::string& latitude,
               const std::string& longitude) {
  table.entities.push_back(ReadEntity{dxcc, name, TextToNumber(latitude), -TextToNumber(longitude)});
}

// "*IT9" marks an entity of the WAE list within a DXCC entity (Sicily within Italy).
std::string WithoutStar(const std::string& prefix) { return prefix.rfind('*', 0) == 0 ? prefix.substr(1) : prefix; }

// The words sorted by text, the first of each text kept (a word listed twice keeps the entity
// that listed it first), their texts appended to pool.
std::vector<CountryWord> SortedWords(std::vector<ReadWord>& words, std::vector<char>& pool, size_t& longest) {
  std::stable_sort(words.begin(), words.end(), [](const ReadWord& a, const ReadWord& b) { return a.text < b.text; });
  std::vector<CountryWord> sorted;
  for (size_t i = 0; i < words.size(); ++i) {
    if (i > 0 && words[i].text == words[i - 1].text) continue;
    sorted.push_back(CountryWord{static_cast<uint32_t>(pool.size()), static_cast<uint16_t>(words[i].text.size()),
                                 words[i].entity});
    pool.insert(pool.end(), words[i].text.begin(), words[i].text.end());
    longest = std::max(longest, words[i].text.size());
  }
  return sorted;
}

// The table's arrays made from what was read; the views are set once the pool is whole.
void MakeTable(ReadTable& read, CountryTable& table) {
  table = CountryTable{};
  std::vector<uint32_t> nameAt;
  for (const ReadEntity& entity : read.entities) {
    nameAt.push_back(static_cast<uint32_t>(table.ownPool.size()));
    table.ownPool.insert(table.ownPool.end(), entity.name.begin(), entity.name.end());
  }
  size_t longestCall = 0, longestPrefix = 0;
  table.ownWords = SortedWords(read.exactCalls, table.ownPool, longestCall);
  size_t exactCount = table.ownWords.size();
  std::vector<CountryWord> prefixes = SortedWords(read.prefixes, table.ownPool, longestPrefix);
  table.ownWords.insert(table.ownWords.end(), prefixes.begin(), prefixes.end());

  table.pool = std::string_view(table.ownPool.data(), table.ownPool.size());
  for (size_t i = 0; i < read.entities.size(); ++i) {
    const ReadEntity& entity = read.entities[i];
    table.ownEntities.push_back(
        Entity{entity.dxcc, table.pool.substr(nameAt[i], entity.name.size()), entity.latitude, entity.longitude});
  }
  table.entities = table.ownEntities;
  table.exactCalls = std::span<const CountryWord>(table.ownWords).first(exactCount);
  table.prefixes = std::span<const CountryWord>(table.ownWords).subspan(exactCount);
  table.longestPrefix = longestPrefix;
  if (read.version.empty()) return;
  // The version, as a view of its "=VERyyyymmdd" entry in the pool.
  std::string entry = "VER" + read.version;
  for (const CountryWord& call : table.exactCalls)
    if (WordText(table, call) == entry) table.version = WordText(table, call).substr(3);
}

}  // namespace

void ReadCountryCsv(const std::string& text, CountryTable& table) {
  ReadTable read;
  for (const std::string& line : SplitOn(text, '\n')) {
    std::vector<std::string> fields = SplitOn(line, ',');
    if (fields.size() < 10) continue;
    AddEntity(read, TextToWholeNumber(fields[2]), fields[1], fields[6], fields[7]);
    AddWord(read, WithoutStar(fields[0]));  // the primary prefix may stand alone (3D2/c)
    AddWords(read, fields[9].substr(0, fields[9].find(';')), ' ');
  }
  MakeTable(read, table);
}

void ReadCountryDat(const std::string& text, const CountryTable& known, CountryTable& table) {
  ReadTable read;
  std::unordered_map<std::string_view, int> numberOfPrimary;
  for (const CountryWord& prefix : known.prefixes)
    numberOfPrimary.emplace(WordText(known, prefix), known.entities[prefix.entity].dxcc);
  bool inList = false;  // reading an entity's prefix list, which ends with ";"
  bool mapped = false;
  for (const std::string& line : SplitOn(text, '\n')) {
    if (!inList) {
      std::vector<std::string> fields = SplitOn(line, ':');
      if (fields.size() < 8) continue;
      auto number = numberOfPrimary.find(WithoutStar(Trimmed(fields[7])));
      mapped = number != numberOfPrimary.end();
      if (mapped) {
        AddEntity(read, number->second, Trimmed(fields[0]), Trimmed(fields[4]), Trimmed(fields[5]));
        AddWord(read, WithoutStar(Trimmed(fields[7])));  // may stand alone (1S)
      }
      inList = true;
      continue;
    }
    size_t end = line.find(';');
    if (mapped) AddWords(read, line.substr(0, end), ',');
    if (end != std::string::npos) inList = false;
  }
  MakeTable(read, table);
}
