#include "monitor/countries.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "tests/support.h"

extern const char* const kBuiltInCountryFile[];

namespace {

std::string BuiltInCountryText() {
  std::string text;
  for (const char* const* piece = kBuiltInCountryFile; *piece; ++piece) text += *piece;
  return text;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts(1);
  for (char c : text) {
    if (c == separator) parts.emplace_back();
    else parts.back().push_back(c);
  }
  return parts;
}

int DxccOf(const CountryTable& table, const std::string& call) {
  const Entity* entity = EntityOfCall(table, call);
  return entity ? entity->dxcc : 0;
}

// cty.dat as WSJT-X downloads it, made from the built-in country file with a newer version.
std::string CtyDatOf(const std::string& csv, const std::string& version) {
  std::string dat;
  for (const std::string& line : Split(csv, '\n')) {
    std::vector<std::string> fields = Split(line, ',');
    if (fields.size() < 10) continue;
    dat += fields[1] + ": " + fields[4] + ": " + fields[5] + ": " + fields[3] + ": " + fields[6] + ": " + fields[7] + ": " +
           fields[8] + ": " + fields[0] + ":\r\n    " + ReplaceAll(fields[9], " ", ",") + "\r\n";
  }
  return ReplaceAll(dat, "=VER20230912", "=VER" + version);
}

}  // namespace

TEST(EntityOfCall, FindsTheEntityOfEveryKindOfCall) {
  struct Row {
    const char* call;
    int dxcc;  // 0: no entity
  };
  const Row rows[] = {
      {"K1ABC", 291},     {"W1AW", 291},       {"KH6LC", 110},     {"KL7RW", 6},      {"JA1XGI", 339},
      {"VE3KTB", 1},      {"VE3/K1ABC", 1},    {"K1ABC/P", 291},   {"K1ABC/4", 291},  {"W1ABC/KH6", 110},
      {"DL5NAM", 230},    {"EA8/DL5NAM", 29},  {"K1ABC/MM", 0},    {"K2A", 291},      {"3D2AG/P", 460},
      {"VP8DFK", 13},     {"IT9ABC", 248},     {"ZS6RJ", 462},     {"9K2HN", 348},    {"", 0},
      {"1S1A", 247},      {"RA0ABC", 15},      {"KG4AB", 105},     {"KG4ABC", 291},   {"KG4A", 291},
      {"KG4AC", 105},     {"UA3ABC/9", 15},    {"R9ABC/3", 54},    {"UA3ABC", 54},    {"W1ABC/R", 291},
  };
  const CountryTable& table = BuiltInCountries();
  for (const Row& row : rows) EXPECT_EQ(DxccOf(table, row.call), row.dxcc) << row.call;
  const Entity* japan = EntityOfCall(table, "JA1XGI");
  ASSERT_NE(japan, nullptr);
  EXPECT_EQ(japan->name, "Japan");
  EXPECT_DOUBLE_EQ(japan->longitude, 138.38);  // the file's west-positive longitude, turned east-positive
  EXPECT_EQ(table.version, "20230912");
}

// The table compiled into the program is the one the reader makes of the same file.
TEST(BuiltInCountries, HoldsWhatReadingTheCountryFileGives) {
  CountryTable read;
  ReadCountryCsv(BuiltInCountryText(), read);
  const CountryTable& built = BuiltInCountries();
  ASSERT_EQ(built.entities.size(), read.entities.size());
  for (size_t i = 0; i < read.entities.size(); ++i) {
    EXPECT_EQ(built.entities[i].dxcc, read.entities[i].dxcc);
    EXPECT_EQ(built.entities[i].name, read.entities[i].name);
    EXPECT_EQ(built.entities[i].latitude, read.entities[i].latitude);
    EXPECT_EQ(built.entities[i].longitude, read.entities[i].longitude);
  }
  auto texts = [](const CountryTable& table, std::span<const CountryWord> words) {
    std::vector<std::pair<std::string_view, int>> listed;
    for (const CountryWord& word : words) listed.emplace_back(WordText(table, word), word.entity);
    return listed;
  };
  EXPECT_EQ(texts(built, built.exactCalls), texts(read, read.exactCalls));
  EXPECT_EQ(texts(built, built.prefixes), texts(read, read.prefixes));
  EXPECT_GT(built.exactCalls.size(), 10000u);
  EXPECT_EQ(built.longestPrefix, read.longestPrefix);
  EXPECT_EQ(built.version, read.version);
}

// WSJT-X can download a newer cty.dat into its folder; it has no ADIF numbers of its own. Only a
// whole one of a sane size replaces the built-in file.
TEST(NewerCountries, TakesAWholeNewerCtyDatFromWsjtxFolder) {
  ScratchFolder folder;
  std::string notice;
  WriteFile("cty.dat", CtyDatOf(BuiltInCountryText(), "29991231"));
  CountryTable newer = NewerCountries(folder.path, notice);
  const CountryTable& table = CountriesToUse(newer);
  EXPECT_EQ(table.version, "29991231");
  EXPECT_EQ(notice, "");
  EXPECT_GE(table.entities.size(), 300u);
  for (const char* call : {"1S1A", "VE3KTB", "UA3ABC/9", "KG4AB", "KG4ABC"})
    EXPECT_EQ(DxccOf(table, call), DxccOf(BuiltInCountries(), call)) << call;

  std::string two =
      "Japan:                    25:  45:  AS:   36.40:  -138.38:    -9.0:  JA:\r\n"
      "    7J,7K,JA,JE;\r\n"
      "Canada:                   05:  09:  NA:   44.35:    78.75:     5.0:  VE:\r\n"
      "    VA,VE,=VER29991231,\r\n"
      "    VY9;\r\n"
      "Atlantis:                 01:  01:  EU:    1.00:     1.00:     0.0:  *QQ1:\r\n"
      "    QQ1;\r\n";
  WriteFile("cty.dat", two);  // cut short: an entity without a known number is left out too
  EXPECT_EQ(CountriesToUse(NewerCountries(folder.path, notice)).version, "20230912");
  EXPECT_EQ(notice, "cty.dat in " + folder.path + " maps only 2 entities: the built-in country file is used");
  WriteFile("cty.dat", ReplaceAll(two, "VER29991231", "VER20010101"));  // older: the built-in file, said nothing
  EXPECT_EQ(CountriesToUse(NewerCountries(folder.path, notice)).version, "20230912");
  EXPECT_EQ(notice, "");
  WriteFile("cty.dat", CtyDatOf(BuiltInCountryText(), "29991231") + std::string(kMaxCountryFileBytes, ' '));
  EXPECT_EQ(CountriesToUse(NewerCountries(folder.path, notice)).version, "20230912");
  EXPECT_EQ(notice, "cty.dat in " + folder.path + " is larger than any country file: the built-in one is used");
}
