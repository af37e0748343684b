// DXCC entities from the amateur radio country file: a call's entity by its prefix, for the
// stations whose QRZ record names none (accounts without an XML subscription).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct Entity {
  int dxcc = 0;           // the ADIF entity number
  std::string_view name;  // in the table's pool
  double latitude = 0;    // of the entity's centre, north positive
  double longitude = 0;   // east positive
};

// A prefix or an exact call: its text in the table's pool and its entity's position.
struct CountryWord {
  uint32_t at = 0;
  uint16_t length = 0;
  uint16_t entity = 0;
};

// Sorted arrays over one string pool. The built-in table's arrays are made at build time and
// are static, so that start-up parses nothing; a table read at run time owns its arrays, and
// a move keeps the views valid. Never copied.
struct CountryTable {
  std::span<const Entity> entities;
  std::span<const CountryWord> exactCalls;  // sorted by text, one entry a call
  std::span<const CountryWord> prefixes;    // sorted by text, one entry a prefix
  std::string_view pool;
  size_t longestPrefix = 0;
  std::string_view version;  // "20230912" from the file's VER entry; empty when it has none

  std::vector<Entity> ownEntities;
  std::vector<CountryWord> ownWords;
  std::vector<char> ownPool;

  CountryTable() = default;
  CountryTable(CountryTable&&) = default;
  CountryTable& operator=(CountryTable&&) = default;
  CountryTable(const CountryTable&) = delete;
  CountryTable& operator=(const CountryTable&) = delete;
};

// The text of a word of the table.
inline std::string_view WordText(const CountryTable& table, const CountryWord& word) {
  return table.pool.substr(word.at, word.length);
}

// Reads the CSV form (cty.csv): one entity a line, its ADIF number in the third field.
void ReadCountryCsv(const std::string& text, CountryTable& table);
// Reads WSJT-X's cty.dat, which carries no ADIF numbers: each entity takes the number of the
// entity with the same primary prefix in known. Entities it cannot map are left out.
void ReadCountryDat(const std::string& text, const CountryTable& known, CountryTable& table);
// The country file built into the program.
const CountryTable& BuiltInCountries();
// A real country file is some 100 kB and maps some 340 entities.
inline constexpr int64_t kMaxCountryFileBytes = 4 << 20;
inline constexpr size_t kFewestCountryEntities = 300;
// WSJT-X's cty.dat in wsjtxFolder (WSJT-X can download one) when it is newer than the built-in
// file and whole (it maps at least kFewestCountryEntities); an empty table otherwise, with a
// notice that says why when a newer or an oversized file was passed over.
CountryTable NewerCountries(const std::string& wsjtxFolder, std::string& notice);
// The table the monitor uses: the newer one when there is one, else the built-in one, which
// is never copied.
inline const CountryTable& CountriesToUse(const CountryTable& newer) {
  return newer.entities.empty() ? BuiltInCountries() : newer;
}
// The entity of a call: an exact call first, then the longest prefix of the part that decides
// (VE3/K1ABC by VE3, K1ABC/P by K1ABC); null for /MM and /AM, or when nothing matches.
const Entity* EntityOfCall(const CountryTable& table, const std::string& call);
