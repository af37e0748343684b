#include "common/config.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/files.h"
#include "tests/support.h"

namespace {

ConfigSettings ReadBytes(const std::string& bytes) {
  WriteFile("Config.ini", bytes);
  ConfigSettings settings;
  ReadConfig("Config.ini", settings);
  return settings;
}

ConfigSettings Sample() {
  ConfigSettings settings;
  settings.latitude = 40.5;
  settings.longitude = -105.25;
  settings.accountName = "K1ABC";
  settings.password = "secret";
  settings.apiKey = "ABCD-1234";
  settings.grid = "fn42ab";
  settings.dxAlert = 1;
  settings.stationAlert = 0;
  return settings;
}

}  // namespace

TEST(Config, MissingFileGivesZerosAndEmptyTexts) {
  ScratchFolder folder;
  ConfigSettings settings = Sample();
  ReadConfig("Config.ini", settings);
  EXPECT_EQ(settings.latitude, 0);
  EXPECT_EQ(settings.accountName, "");
  EXPECT_EQ(settings.grid, "");
  EXPECT_EQ(settings.dxAlert, 0);
}

TEST(Config, WritesThePlainFormByteForByte) {
  ScratchFolder folder;
  std::string error;
  ASSERT_TRUE(WriteConfig("Config.ini", Sample(), error));
  EXPECT_EQ(ReadFileBytes("Config.ini"), " 40.5 \r\n-105.25 \r\nK1ABC\r\nsecret\r\nABCD-1234\r\nfn42ab\r\n 1 \r\n 0 \r\n");
  EXPECT_TRUE(IsOwnerOnlyFile("Config.ini"));
}

TEST(Config, ReadsCrLfAndLfOnlyFilesAlike) {
  ScratchFolder folder;
  for (const char* end : {"\r\n", "\n"}) {
    std::string e = end;
    ConfigSettings s = ReadBytes(" 40.5 " + e + "-105.25 " + e + "K1ABC" + e + "pw" + e + "KEY" + e + "fn42" + e + " 1 " + e + " 0.6 " + e);
    EXPECT_EQ(s.latitude, 40.5);
    EXPECT_EQ(s.longitude, -105.25);
    EXPECT_EQ(s.accountName, "K1ABC");
    EXPECT_EQ(s.password, "pw");
    EXPECT_EQ(s.apiKey, "KEY");
    EXPECT_EQ(s.grid, "fn42");
    EXPECT_EQ(s.dxAlert, 1);
    EXPECT_EQ(s.stationAlert, 1);  // 0.6 rounds to 1
  }
}

TEST(Config, ShortFilesAndExtraLines) {
  ScratchFolder folder;
  ConfigSettings s = ReadBytes(" 1 \r\n 2 \r\nK1ABC\r\n");
  EXPECT_EQ(s.accountName, "K1ABC");
  EXPECT_EQ(s.password, "");
  EXPECT_EQ(s.stationAlert, 0);
  s = ReadBytes(" 1 \r\n 2 \r\na\r\nb\r\nc\r\nd\r\n 1 \r\n 1 \r\nextra\r\n");
  EXPECT_EQ(s.stationAlert, 1);
  EXPECT_EQ(ReadBytes(" 1 \r\n 2 \r\na\r\nb\r\nc\r\nd\r\n 2.5 \r\n 1.5 \r\n").dxAlert, 2);  // halves to even
}

TEST(Config, ACommaShiftsTheLaterValues) {
  ScratchFolder folder;
  ConfigSettings s = ReadBytes("40.5,-105.25\r\nK1ABC\r\npass,word\r\nKEY\r\nFN42\r\n 1 \r\n 1 \r\n");
  EXPECT_EQ(s.latitude, 40.5);
  EXPECT_EQ(s.longitude, -105.25);
  EXPECT_EQ(s.accountName, "K1ABC");
  EXPECT_EQ(s.password, "pass");
  EXPECT_EQ(s.apiKey, "word");
  EXPECT_EQ(s.grid, "KEY");
}

TEST(Config, TextValuesKeepTrailingBlanksAndDropTabs) {
  ScratchFolder folder;
  ConfigSettings s = ReadBytes(" 0 \r\n 0 \r\n  K1\tABC  \r\n\"quoted, value\"\r\n");
  EXPECT_EQ(s.accountName, "K1ABC  ");
  EXPECT_EQ(s.password, "quoted, value");
}

TEST(Config, PasswordsThatThePlainFormCannotHoldRoundTrip) {
  ScratchFolder folder;
  std::vector<std::string> passwords = {"pass,word", " leading", "\"quoted", "both\",\"kinds", "\"", ",", "end\"", "a\"\"b,"};
  for (int byte = 1; byte < 32; ++byte)  // every control byte but Ctrl-Z, which no form holds
    if (byte != 26) passwords.push_back("ab" + std::string(1, static_cast<char>(byte)) + "cd");
  std::string error;
  for (const std::string& password : passwords) {
    ConfigSettings written = Sample();
    written.password = password;
    ASSERT_TRUE(WriteConfig("Config.ini", written, error));
    ConfigSettings read;
    ReadConfig("Config.ini", read);
    EXPECT_EQ(read.password, password);
    EXPECT_EQ(read.apiKey, "ABCD-1234") << "later values must not shift for " << password;
  }
  ConfigSettings plain = Sample();
  plain.password = "mid\"quote";  // needs no quotes: written as it stands
  WriteConfig("Config.ini", plain, error);
  EXPECT_NE(ReadFileBytes("Config.ini").find("\r\nmid\"quote\r\n"), std::string::npos);
}

TEST(Config, NumbersRoundTripToFifteenDigits) {
  ScratchFolder folder;
  ConfigSettings written = Sample();
  written.latitude = 0.5;
  written.longitude = -105.123456789012;
  std::string error;
  WriteConfig("Config.ini", written, error);
  ConfigSettings read;
  ReadConfig("Config.ini", read);
  EXPECT_EQ(read.latitude, 0.5);
  EXPECT_EQ(read.longitude, -105.123456789012);
}

