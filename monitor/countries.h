// DXCC entities from the amateur radio country file: a call's entity by its prefix, for the
// stations whose QRZ record names none (accounts without an XML subscription).
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

struct Entity {
  int dxcc = 0;  // the ADIF entity number
  std::string name;
  double latitude = 0;   // of the entity's centre, north positive
  double longitude = 0;  // east positive
};

struct CountryTable {
  std::vector<Entity> entities;
  std::unordered_map<std::string, size_t> exactCalls;  // positions in entities
  std::unordered_map<std::string, size_t> prefixes;
  size_t longestPrefix = 0;
  std::string version;  // "20230912" from the file's VER entry; empty when it has none
};

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
