#include "monitor/countries.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "tests/support.h"

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
  };
  const CountryTable& table = BuiltInCountries();
  for (const Row& row : rows) {
    const Entity* entity = EntityOfCall(table, row.call);
    EXPECT_EQ(entity ? entity->dxcc : 0, row.dxcc) << row.call;
  }
  const Entity* japan = EntityOfCall(table, "JA1XGI");
  ASSERT_NE(japan, nullptr);
  EXPECT_EQ(japan->name, "Japan");
  EXPECT_DOUBLE_EQ(japan->longitude, 138.38);  // the file's west-positive longitude, turned east-positive
  EXPECT_EQ(table.version, "20230912");
}

// WSJT-X can download a newer cty.dat into its folder; it has no ADIF numbers of its own.
TEST(NewerCountries, TakesANewerCtyDatFromWsjtxFolder) {
  ScratchFolder folder;
  std::string dat =
      "Japan:                    25:  45:  AS:   36.40:  -138.38:    -9.0:  JA:\r\n"
      "    7J,7K,JA,JE;\r\n"
      "Canada:                   05:  09:  NA:   44.35:    78.75:     5.0:  VE:\r\n"
      "    VA,VE,=VER29991231,\r\n"
      "    VY9;\r\n"
      "Atlantis:                 01:  01:  EU:    1.00:     1.00:     0.0:  *QQ1:\r\n"
      "    QQ1;\r\n";
  WriteFile("cty.dat", dat);
  CountryTable newer = NewerCountries(folder.path);
  const CountryTable& table = CountriesToUse(newer);
  EXPECT_EQ(table.version, "29991231");
  EXPECT_EQ(table.entities.size(), 2u);  // an entity without a known number is left out
  ASSERT_NE(EntityOfCall(table, "VY9ABC"), nullptr);
  EXPECT_EQ(EntityOfCall(table, "VY9ABC")->dxcc, 1);
  EXPECT_EQ(EntityOfCall(table, "K1ABC"), nullptr);
  WriteFile("cty.dat", ReplaceAll(dat, "VER29991231", "VER20010101"));  // older: the built-in file
  EXPECT_EQ(CountriesToUse(NewerCountries(folder.path)).version, "20230912");
}
