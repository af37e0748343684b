#include "editor/editor.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/text.h"
#include "platform/keys.h"
#include "platform/virtual.h"
#include "tests/support.h"

namespace {

const std::string kEnter = "\r", kUp = ExtendedKey(0x48), kDelete = ExtendedKey(0x53), kEsc = "\x1b";
const std::string kSample = " 40.5 \r\n-105.25 \r\nK1ABC\r\nsecret\r\nABCD-1234\r\nFN42ab\r\n 1 \r\n 0 \r\n";

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetVirtualConsole(); }
  // Runs the editor with these keys; Enter for every field after them.
  ConfigSettings Edit(std::vector<std::string> keys) {
    TheConsole().keys.clear();
    for (const std::string& key : keys) TheConsole().keys.push_back(key);
    for (int i = 0; i < 16; ++i) TheConsole().keys.push_back(kEnter);
    EditConfig();
    ConfigSettings settings;
    ReadConfig("Config.ini", settings);
    return settings;
  }
  ScratchFolder folder;
};

}  // namespace

TEST_F(EditorTest, PaintsTheForm) {
  WriteFile("Config.ini", kSample);
  ConfigSettings settings;
  ReadConfig("Config.ini", settings);
  ShowConfigForm(settings);
  EXPECT_EQ(ScreenTextMismatch(1, 1, std::string(37, ' ') + "<<< FT-8 Configuration file Editor >>>" + std::string(32, ' '), kLightGrey, kBlack), "");
  EXPECT_EQ(ScreenTextMismatch(3, 5, "Enter your latitude: ", kLightGrey, kBlack), "");
  EXPECT_EQ(ScreenTextMismatch(3, 26, " 40.5 " + std::string(10, ' '), kWhite, kBlack), "");
  EXPECT_EQ(ScreenTextMismatch(4, 27, "-105.25 ", kWhite, kBlack), "");
  EXPECT_EQ(ScreenTextMismatch(5, 34, "K1ABC", kWhite, kBlack), "");
  EXPECT_EQ(ScreenTextMismatch(6, 30, "secret" + std::string(32, ' '), kWhite, kBlack), "");
  EXPECT_EQ(ScreenTextMismatch(7, 38, "ABCD-1234", kWhite, kBlack), "");
  EXPECT_EQ(ScreenTextMismatch(8, 22, "FN42ab", kWhite, kBlack), "");
  EXPECT_EQ(ScreenRowText(9).substr(4, 38), "Enable DX Alert 0=disable 1=enable: 1 ");
  EXPECT_EQ(ScreenRowText(10).substr(4, 45), "Enable Station Alert 0=Disables 1=Enabled: 0 ");
  EXPECT_EQ(TheConsole().foreground, kLightGrey);
}

TEST_F(EditorTest, EightEntersRewriteTheSameValues) {
  WriteFile("Config.ini", " 40.5 \r\n-105.25 \r\n K1ABC \r\nsecret\r\nABCD-1234\r\nFN42ab\r\n 1 \r\n 0 \r\nextra line\r\n");
  Edit({});
  EXPECT_EQ(ReadFileBytes("Config.ini"), kSample);
}

TEST_F(EditorTest, UpGoesBackExceptOnTheFirstField) {
  WriteFile("Config.ini", kSample);
  // Up on latitude goes on to longitude; Up there back to latitude, which then takes a 1.
  ConfigSettings s = Edit({kUp, kUp, "1", kEnter});
  EXPECT_EQ(s.latitude, 10.5);
  // Up in the grid returns to the API key.
  WriteFile("Config.ini", kSample);
  s = Edit({kEnter, kEnter, kEnter, kEnter, kEnter, kUp, "F"});
  EXPECT_EQ(s.apiKey, "FBCD-1234");
}

TEST_F(EditorTest, FieldsRefuseWhatTheyCannotHold) {
  WriteFile("Config.ini", kSample);
  ConfigSettings s = Edit({"x", kEnter, kEnter, "k", "1", "x", "y", "z", kEnter, kEnter, kEnter, kEnter, "2", kEnter, ".", kEnter});
  EXPECT_EQ(s.latitude, 40.5);
  EXPECT_EQ(s.accountName, "K1XYZ");
  EXPECT_EQ(s.dxAlert, 1);       // 2 is refused
  EXPECT_EQ(s.stationAlert, 0);  // "." is accepted and stores 0
  EXPECT_EQ(TheConsole().beeps, 2);
}

TEST_F(EditorTest, DeleteClearsAnAlertToZero) {
  WriteFile("Config.ini", kSample);
  ConfigSettings s = Edit({kEnter, kEnter, kEnter, kEnter, kEnter, kEnter, kDelete, kEnter});
  EXPECT_EQ(s.dxAlert, 0);
}

TEST_F(EditorTest, ALongNumberIsCutByEnterAndKeptByEsc) {
  WriteFile("Config.ini", " 40.5 \r\n-105.123456 \r\n");
  ConfigSettings s = Edit({kEnter, kEnter});
  EXPECT_EQ(s.longitude, -105.12345);
  WriteFile("Config.ini", " 40.5 \r\n-105.123456 \r\n");
  s = Edit({kEnter, kEsc});
  EXPECT_EQ(s.longitude, -105.123456);
}

TEST_F(EditorTest, AMissingFileGivesACompleteOne) {
  Edit({});
  EXPECT_EQ(ReadFileBytes("Config.ini"), " 0 \r\n 0 \r\n\r\n\r\n\r\n\r\n 0 \r\n 0 \r\n");
  EXPECT_TRUE(IsOwnerOnlyFile("Config.ini"));  // it will hold the password
}

TEST_F(EditorTest, PasswordsWithCommasAndQuotesRoundTrip) {
  for (std::string password : {"pa,ss", " lead", "\"quo", "a\",\"b"}) {
    WriteFile("Config.ini", kSample);
    std::vector<std::string> keys = {kEnter, kEnter, kEnter};
    for (int i = 0; i < 6; ++i) keys.push_back(kDelete);
    for (char c : password) keys.push_back(std::string(1, c));
    ConfigSettings s = Edit(keys);
    EXPECT_EQ(s.password, TrimBlanks(password));
    EXPECT_EQ(s.apiKey, "ABCD-1234");
  }
}

// A Config.ini that cannot be read (here a folder of that name; a file of another user's, or one
// locked on Windows) is never edited: the form would save blanks over the settings it holds.
TEST_F(EditorTest, AFileThatCannotBeReadIsNotEdited) {
  std::filesystem::create_directory("Config.ini");
  TheConsole().keys = {"k"};
  EXPECT_FALSE(EditConfig());
  EXPECT_EQ(ScreenRowText(1).substr(4, 63), "Config.ini could not be read (70 Permission denied): not edited");
  EXPECT_EQ(ScreenRowText(3).find("Enter your latitude"), std::string::npos);  // no form
  EXPECT_TRUE(std::filesystem::is_directory("Config.ini"));
}

TEST_F(EditorTest, AReadOnlyFileIsNotReplaced) {
  WriteFile("Config.ini", kSample);
  std::filesystem::permissions("Config.ini", std::filesystem::perms::owner_read);  // chmod 0400
  TheConsole().keys.clear();
  for (int i = 0; i < 8; ++i) TheConsole().keys.push_back(kEnter);
  TheConsole().keys.push_back("k");
  EXPECT_FALSE(EditConfig());
  std::filesystem::permissions("Config.ini", std::filesystem::perms::owner_all);
  EXPECT_EQ(ReadFileBytes("Config.ini"), kSample);
  EXPECT_EQ(ScreenRowText(12).substr(4, 34), "Config.ini is read-only: not saved");
}

TEST_F(EditorTest, ControlBytesInTheFileNeverReachTheTerminal) {
  WriteFile("Config.ini", " 1 \r\n 2 \r\nK1ABC\r\n\"pass\x1b[2J\x9b\x07word\"\r\n");
  Edit({});
  EXPECT_EQ(ScreenRowText(6).substr(29, 14), "pass?[2J??word");
  ConfigSettings settings;
  ReadConfig("Config.ini", settings);
  EXPECT_EQ(settings.password, "pass\x1b[2J\x9b\x07word");  // kept as it was
}
