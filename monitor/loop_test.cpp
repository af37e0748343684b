#include "monitor/loop.h"

#include <gtest/gtest.h>
#include <filesystem>

#include <cstdlib>

#include "common/text.h"
#include "monitor/globals.h"
#include "monitor/startup.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/keys.h"
#include "platform/virtual.h"
#include "tests/support.h"
#include "tools/qrz_double.h"

namespace {

constexpr int64_t kMarch8th2021At123458 = 1615206898;

std::string Decode(const std::string& message, const std::string& frequency = "14.074") {
  return DecodeLine(message, frequency, "210308_123500") + "\n";
}

class MonitorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetVirtualConsole();
    PlayedSounds().clear();
    SetSleepHook(nullptr);
    SetVirtualClock(kMarch8th2021At123458);
    QrzDoubleOptions options = DemoDataOptions();
    ASSERT_TRUE(StartQrzDouble(service, options));
    SetEnvironmentValue("DXVANE_QRZ_XML_URL", QrzDoubleUrl(service));
    SetEnvironmentValue("DXVANE_QRZ_LOGBOOK_URL", QrzDoubleUrl(service));
    SetEnvironmentValue("LOCALAPPDATA", folder.path);
    SetEnvironmentValue("TEMP", folder.path);
    std::filesystem::create_directory("WSJT-X");
    WriteFile("WSJT-X/ALL.TXT", Decode("CQ OLD1 FN42") + Decode("CQ OLD2 FN42"));
    WriteFile("WSJT-X/WSJTX_log.adi", "ADIF Export\n<eoh>\n<call:6>VE3KTB <mode:3>FT8 <eor>\n");
    WriteFile("N0VANE.adi.txt", "Download Time Stamp: 03-01-2021 10:00:00\r\n"
                                "<call:5>K2LYV<mode:3>FT8<dxcc:3>291<app_qrzlog_status:1>C<eor>\r\n"
                                "<call:6>JA1XGI<mode:3>FT8<dxcc:3>339<app_qrzlog_status:1>C<eor>\r\n"
                                "<call:5>G4RTY<mode:4>JT65<dxcc:3>223<app_qrzlog_status:1>C<eor>\r\n");
    WriteConfig(" fn42ab", "1");
    WriteFile("DXAlert.wav", "RIFF");
    WriteFile("StationAlert.wav", "RIFF");
  }
  void TearDown() override {
    StopQrzDouble(service);
    glb_ByBand = false;
  }

  void WriteConfig(const std::string& grid, const std::string& alerts) {
    WriteFile("Config.ini", " 44.98 \r\n-93.27 \r\n N0VANE \r\nvane-demo\r\nA1B2-C3D4-E5F6-0789\r\n" + grid + "\r\n " +
                                alerts + " \r\n " + alerts + " \r\n");
  }
  bool Start(const std::string& key = "N") {
    TheConsole().keys.push_back(key);
    return StartUp(state);
  }
  void AppendDecodes(const std::string& lines) { AppendFile("WSJT-X/ALL.TXT", lines); }
  std::string Cells(int row, int column, const std::string& text, int foreground, int background) {
    return ScreenTextMismatch(row, column, text, foreground, background);
  }

  ScratchFolder folder;
  QrzDouble service;
  MonitorState state;
};

const char* kTwelveCqsAndACaller[] = {
    "CQ W1AW FN31",   "CQ K2LYV FN32",  "CQ JH3PRR PM74", "CQ DX PY2XB GG66", "CQ ZZ9ZZZ AA00",
    "CQ VE3KTB FN14", "CQ G4RTY IO93",  "CQ EA7JQ IM77",  "CQ LU1FAM FF97",  "CQ KL7RW BP51",
    "CQ VK2DX QF56",  "CQ OH2BH KP20",  "N0VANE ZS6RJ KG44",
};

std::string Batch(const char* const* messages, size_t count) {
  std::string lines;
  for (size_t i = 0; i < count; ++i) lines += Decode(messages[i]);
  return lines;
}

}  // namespace

TEST_F(MonitorTest, StartUpReadsTheSettingsAndBuildsTheLists) {
  ASSERT_TRUE(Start());
  EXPECT_EQ(glb_QRZAccountName, "N0VANE");
  EXPECT_EQ(glb_MyGrid, "FN42");
  EXPECT_EQ(glb_TempFileName, folder.File("QRZ_Data.tmp"));
  EXPECT_FALSE(glb_QRZSessionKey.empty());
  EXPECT_EQ(WorkedCalls(state.worked), (std::vector<std::string>{"K2LYV", "JA1XGI", "G4RTY", "VE3KTB"}));
  EXPECT_EQ(state.confirmed, (ConfirmedList{291, 339, 223}));
  EXPECT_EQ(state.dxAlertEnabled, 1);
  EXPECT_EQ(state.allTxtPosition, static_cast<int64_t>(ReadFileBytes("WSJT-X/ALL.TXT").size()));
  EXPECT_EQ(TheConsole().title, kBanner);
  EXPECT_TRUE(TheConsole().secondBuffer);
  EXPECT_EQ(TheConsole().columns, 140);
  EXPECT_EQ(TheConsole().rows, 43);
  EXPECT_FALSE(TheConsole().cursorVisible);
  const std::string& shown = TheConsole().transcript;
  EXPECT_NE(shown.find("Do you want to download your QRZ Log Book?\n"), std::string::npos);
  EXPECT_EQ(shown.find("Checking the status"), std::string::npos);
  EXPECT_NE(shown.find("One moment please, building Confirmed DX List.......\n"), std::string::npos);
}

TEST_F(MonitorTest, TheLogbookQuestionIsAskedInYellowOnRed) {
  TheConsole().onKeyWait = [this] {
    EXPECT_EQ(Cells(21, 48, "Do you want to download your QRZ Log Book?", kYellow, kRed), "");
  };
  ASSERT_TRUE(Start());
}

TEST_F(MonitorTest, YInEitherCaseDownloadsTheLogbook) {
  for (const char* key : {"y", "Y"}) {
    RemoveFile("N0VANE.adi.txt");
    ASSERT_TRUE(Start(key));
    EXPECT_NE(ReadFileBytes("N0VANE.adi.txt").find("<call:5>PY2XB"), std::string::npos) << key;
    EXPECT_NE(TheConsole().transcript.find("Checking the status of the QRZ ADI Log\n"), std::string::npos);
  }
  RemoveFile("N0VANE.adi.txt");
  ASSERT_TRUE(Start(ExtendedKey(0x3B)));  // F1 skips it
  EXPECT_FALSE(FileExists("N0VANE.adi.txt"));
}

TEST_F(MonitorTest, AFailedLogbookDownloadIsSaidAndTheRunGoesOn) {
  WriteFile("N0VANE.adi.txt.new", "left by a download cut off by Ctrl+C");
  WriteFile("Config.ini", " 44.98 \r\n-93.27 \r\nN0VANE\r\nvane-demo\r\nwrong-key\r\nEN34\r\n 1 \r\n 1 \r\n");
  ASSERT_TRUE(Start("Y"));
  EXPECT_EQ(ScreenRowText(1).find("Logbook download failed"), std::string::npos);  // the screen moved on
  EXPECT_NE(TheConsole().transcript.find("Logbook download failed: invalid api key; "
                                         "using the copy from 03-01-2021 10:00:00\n"),
            std::string::npos);
  ASSERT_TRUE(PollPeriod(state));  // and it stays below the legend while monitoring
  EXPECT_EQ(ScreenRowText(43).substr(1, 41), "Logbook download failed: invalid api key;");
  EXPECT_FALSE(FileExists("N0VANE.adi.txt.new"));
  EXPECT_EQ(state.confirmed, (ConfirmedList{291, 339, 223}));
  RemoveFile("N0VANE.adi.txt");
  ASSERT_TRUE(Start("Y"));
  EXPECT_NE(TheConsole().transcript.find("invalid api key; no copy yet\n"), std::string::npos);
}

TEST_F(MonitorTest, AQuotedGridIsCutBeforeItIsTrimmed) {
  WriteConfig("\" fn42\"", "1");
  ASSERT_TRUE(Start());
  EXPECT_EQ(glb_MyGrid, "FN4");
}

TEST_F(MonitorTest, NoConfirmedEntitiesSwitchTheDxAlertOff) {
  RemoveFile("N0VANE.adi.txt");
  ASSERT_TRUE(Start());
  EXPECT_EQ(state.dxAlertEnabled, 0);
  EXPECT_EQ(state.stationAlertEnabled, 1);
}

// QRZ out of reach at start-up: no error box, the monitor goes on with rows from the calls'
// prefixes, asks for a session once a minute, and looks stations up again once one opens.
TEST_F(MonitorTest, QrzOutOfReachAtStartIsRiddenOut) {
  int port = service.port;
  StopQrzDouble(service);
  ASSERT_TRUE(Start());
  EXPECT_NE(TheConsole().transcript.find("QRZ cannot be reached ("), std::string::npos);
  EXPECT_EQ(TheConsole().keyWaits, 1);  // the logbook question only: no box, no pause
  AppendDecodes(Decode("CQ W1AW FN31"));
  ASSERT_TRUE(PollPeriod(state));  // 12:35:00
  AppendDecodes(Decode("CQ DL5NAM JO43"));
  ASSERT_TRUE(PollPeriod(state));
  EXPECT_EQ(Cells(3, 3, "DL5NAM     QRZ lookup failed", kYellow, kRed), "");
  EXPECT_EQ(ScreenRowText(43).substr(1, 23), "QRZ cannot be reached: ");
  service.~QrzDouble();  // back on the same address
  new (&service) QrzDouble();
  ASSERT_TRUE(StartQrzDouble(service, DemoDataOptions(), port));
  for (int pass = 0; pass < 2; ++pass) ASSERT_TRUE(PollPeriod(state));  // 12:35:30, 12:35:45: within the minute
  EXPECT_TRUE(service.requests.empty());
  AppendDecodes(Decode("CQ DL5NAM JO43"));
  ASSERT_TRUE(PollPeriod(state));  // 12:36:00, a minute on
  EXPECT_EQ(Cells(3, 3, "DL5NAM     Jens Hoffmann", kYellow, kRed), "");
  EXPECT_EQ(ScreenRowText(43), std::string(kScreenColumns, ' '));
  ASSERT_EQ(service.requests.size(), 2u);
  EXPECT_EQ(service.requests[0].rfind("/xml/current/?username=N0VANE", 0), 0u);
}

TEST_F(MonitorTest, AWrongPasswordEndsTheStart) {
  WriteFile("Config.ini", " 0 \r\n 0 \r\nN0VANE\r\nwrong\r\n");
  EXPECT_FALSE(Start());
  EXPECT_EQ(state.errorText, "Username/password incorrect");
  // The refused session paused 1,000 seconds.
  EXPECT_EQ(Terminate(), "Program terminated at 03-08-2021 12:51:38");
  EXPECT_EQ(ScreenRowText(1).substr(0, 41), "Program terminated at 03-08-2021 12:51:38");
}

// A wait longer than a period (the monitor suspended with Ctrl+Z) never shows more than 15.
TEST_F(MonitorTest, TheProgressNeverPassesFifteen) {
  SetVirtualClock(kMarch8th2021At123458 - 57);  // 12:34:01
  std::vector<std::string> counters;
  SetSleepHook([&] {
    if (counters.empty()) SetVirtualClock(kMarch8th2021At123458 - 1);  // resumed at 12:34:57
    std::string counter;
    for (int column = 60; column <= 64; ++column) counter += static_cast<char>(ScreenCell(42, column).ch);
    counters.push_back(counter);
  });
  WaitForSlotBoundary();
  ASSERT_GE(counters.size(), 2u);
  EXPECT_EQ(counters[1], "15/15");
  EXPECT_EQ(ScreenCell(42, 58).ch, U'\u2592');  // the fifteenth block
  EXPECT_EQ(ScreenCell(42, 59).ch, U' ');
}

TEST_F(MonitorTest, TheProgressCounterShows57WhenTheWaitStartsAtSecond58) {
  std::string counterAtBoundary;  // as the last sample, at second 00, left it
  SetSleepHook([&] { counterAtBoundary = ScreenRowText(42).substr(43, 30); });  // two shade blocks of 3 bytes
  WaitForSlotBoundary();
  EXPECT_EQ(counterAtBoundary, "\u2592\u2592" + std::string(14, ' ') + "57/15     ");
  EXPECT_EQ(ScreenCell(42, 44).foreground, kYellow);
  EXPECT_EQ(ScreenCell(42, 44).background, kRed);
  EXPECT_EQ(ScreenCell(42, 60).background, kWhite);
}

TEST_F(MonitorTest, AFullPassDrawsTheTableInItsColours) {
  ASSERT_TRUE(Start());
  AppendDecodes(Batch(kTwelveCqsAndACaller, 13));
  ASSERT_TRUE(PollPeriod(state));

  EXPECT_EQ(Cells(1, 1, "  Call       Name", kYellow, kBlue), "");
  std::string header = ScreenRowText(1);
  for (auto [column, heading] : {std::pair{3, "Call"}, {14, "Name"}, {41, "City/Country"}, {90, "DXCC"}, {96, "State"},
                                 {103, "Bearing"}, {116, "Distance"}, {128, "CQ's"}})
    EXPECT_EQ(header.substr(column - 1, std::string(heading).size()), heading);
  EXPECT_EQ(ScreenCell(1, 134).background, kBlue);
  EXPECT_EQ(ScreenCell(1, 135).background, kWhite);

  EXPECT_EQ(Cells(2, 1, std::string(58, '-') + "[210308_123500  20m]", kBlack, kWhite), "");
  struct Expected {
    int row;
    const char* call;
    int foreground, background;
  };
  for (Expected e : {Expected{3, "ZS6RJ", kBlack, kLightRed}, {4, "OH2BH", kYellow, kRed}, {9, "G4RTY", kBlack, kLightGreen},
                     {10, "VE3KTB", kBlack, kLightGreen}, {11, "ZZ9ZZZ", kBlack, kLightGrey}, {12, "PY2XB", kYellow, kRed},
                     {13, "JH3PRR", kRed, kWhite}, {14, "K2LYV", kBlack, kLightGreen}, {15, "W1AW", kBlack, kWhite}})
    EXPECT_EQ(Cells(e.row, 3, e.call, e.foreground, e.background), "") << e.call;
  EXPECT_EQ(ScreenRowText(15).substr(0, 40), "  W1AW       ARRL HQ OPERATORS CLUB     ");
  EXPECT_EQ(ScreenRowText(15).substr(127, 5), "  1  ");
  EXPECT_EQ(ScreenRowText(11).substr(13, 20), "Call Sign Not Found!");
  EXPECT_EQ(Cells(40, 1, std::string(135, '-'), kBlack, kWhite), "");
  EXPECT_EQ(Cells(41, 2, "Run Time: 00:00:02", kBlack, kWhite), "");
  EXPECT_EQ(Cells(41, 22, "Total CQ's: 12 ", kBlack, kWhite), "");
  EXPECT_EQ(Cells(41, 40, "QRZ Lookups:  13 ", kBlack, kWhite), "");
  EXPECT_EQ(Cells(41, 60, "Cache Lookups:  0 ", kBlack, kWhite), "");  // the caller of the operator is no CQ
  EXPECT_EQ(Cells(42, 2, "Running 5 minute avg CQ's per/min:  2.4 ", kBlack, kWhite), "");
  EXPECT_EQ(Cells(41, 82, "Worked          ", kBlack, kLightGreen), "");
  EXPECT_EQ(Cells(41, 100, "Confirmed DX      ", kRed, kWhite), "");
  EXPECT_EQ(Cells(41, 120, "Unconfirmed DX  ", kYellow, kRed), "");
  EXPECT_EQ(Cells(42, 82, "Call Not found  ", kBlack, kLightGrey), "");
  EXPECT_EQ(Cells(42, 100, "Station Calling Me", kBlack, kLightRed), "");
  EXPECT_EQ(state.newRowsEnd, 0);
  EXPECT_TRUE(PlayedSounds().empty());  // the first pass has no second separator
  AppendDecodes(Decode("CQ W1AW FN31") + Decode("N0VANE ZS6RJ KG44"));
  ASSERT_TRUE(PollPeriod(state));
  EXPECT_EQ(Cells(41, 60, "Cache Lookups:  1 ", kBlack, kWhite), "");  // W1AW's second CQ
}

TEST_F(MonitorTest, RowsAboveTheSecondSeparatorAreNewAndSound) {
  ASSERT_TRUE(Start());
  AppendDecodes(Decode("CQ W1AW FN31"));
  ASSERT_TRUE(PollPeriod(state));
  AppendDecodes(Decode("CQ PY2XB GG66") + Decode("N0VANE K2LYV FN32") + Decode("CQ JH3PRR PM74"));
  ASSERT_TRUE(PollPeriod(state));
  EXPECT_EQ(state.newRowsEnd, 5);
  // The station calling the operator is heard last: a later sound cuts off an earlier one.
  EXPECT_EQ(PlayedSounds(), (std::vector<std::string>{"DXAlert.wav", "StationAlert.wav"}));
  PlayedSounds().clear();
  ASSERT_TRUE(PollPeriod(state));  // nothing new: a separator alone
  EXPECT_EQ(state.newRowsEnd, 2);
  EXPECT_TRUE(PlayedSounds().empty());
}

// 35 callers fill every shown row and push the last period's separator to the 37th kept row:
// the station calling the operator on top still sounds.
TEST_F(MonitorTest, ABusyPeriodStillSoundsForTheStationCallingTheOperator) {
  for (int cqs : {34, 39}) {
    ASSERT_TRUE(Start());
    AppendDecodes(Decode("CQ W1AW FN31"));
    ASSERT_TRUE(PollPeriod(state));
    std::string lines = Decode("N0VANE ZS6RJ KG44");
    for (int i = 0; i < cqs; ++i) lines += Decode("CQ K" + std::to_string(100 + i) + "X FN42");
    AppendDecodes(lines);
    PlayedSounds().clear();
    ASSERT_TRUE(PollPeriod(state));
    EXPECT_EQ(Cells(3, 3, "ZS6RJ", kBlack, kLightRed), "") << cqs;
    EXPECT_EQ(ScreenRowText(4).substr(2, 5), "K133X") << cqs;  // the 34th CQ, the last one kept
    EXPECT_EQ(ScreenRowText(37).substr(2, 5), "K100X") << cqs;
    EXPECT_EQ(state.newRowsEnd, 37) << cqs;
    EXPECT_EQ(PlayedSounds(), std::vector<std::string>{"StationAlert.wav"}) << cqs;
  }
}

// Sounds not copied into the folder: the ones installed with the program are played.
TEST_F(MonitorTest, TheInstalledSoundsPlayWhenTheFolderHasNone) {
  RemoveFile("DXAlert.wav");
  RemoveFile("StationAlert.wav");
  ASSERT_TRUE(Start());
  AppendDecodes(Decode("CQ W1AW FN31"));
  ASSERT_TRUE(PollPeriod(state));
  AppendDecodes(Decode("CQ PY2XB GG66") + Decode("N0VANE ZS6RJ KG44"));
  ASSERT_TRUE(PollPeriod(state));
  // The build puts them beside the programs, as the Windows zip does.
  EXPECT_EQ(PlayedSounds(), (std::vector<std::string>{JoinPath(ProgramFolder(), "DXAlert.wav"),
                                                      JoinPath(ProgramFolder(), "StationAlert.wav")}));
}

// By band slot: Japan confirmed on 20 m only is a new band on 40 m, black on light cyan with the
// DX alert; without --by-band the same row is confirmed DX, as always.
TEST_F(MonitorTest, ByBandSlotsAnEntityConfirmedElsewhereIsANewBand) {
  WriteFile("N0VANE.adi.txt", "Download Time Stamp: 03-01-2021 10:00:00\r\n"
                              "<call:6>JA1XGI<band:3>20m<mode:3>FT8<dxcc:3>339<app_qrzlog_status:1>C<eor>\r\n");
  for (bool byBand : {true, false}) {
    glb_ByBand = byBand;
    PlayedSounds().clear();
    ASSERT_TRUE(Start());
    AppendDecodes(Decode("CQ W1AW FN31", "7.074"));
    ASSERT_TRUE(PollPeriod(state));
    AppendDecodes(Decode("CQ JH3PRR PM74", "7.074"));
    ASSERT_TRUE(PollPeriod(state));
    if (byBand) {
      EXPECT_EQ(Cells(3, 3, "JH3PRR", kBlack, kLightCyan), "");
      EXPECT_EQ(PlayedSounds(), std::vector<std::string>{"DXAlert.wav"});
      EXPECT_EQ(Cells(42, 120, "New Band        ", kBlack, kLightCyan), "");
    } else {
      EXPECT_EQ(Cells(3, 3, "JH3PRR", kRed, kWhite), "");
      EXPECT_TRUE(PlayedSounds().empty());
      EXPECT_EQ(ScreenRowText(42).substr(119, 16), std::string(16, ' '));
    }
  }
}

TEST_F(MonitorTest, AlertsSwitchedOffLeaveTheRowsColouredButSilent) {
  WriteConfig("EN34", "0");
  ASSERT_TRUE(Start());
  AppendDecodes(Decode("CQ W1AW FN31"));
  ASSERT_TRUE(PollPeriod(state));
  AppendDecodes(Decode("CQ PY2XB GG66") + Decode("N0VANE ZS6RJ KG44"));
  ASSERT_TRUE(PollPeriod(state));
  EXPECT_EQ(Cells(3, 3, "ZS6RJ", kBlack, kLightRed), "");
  EXPECT_EQ(Cells(4, 3, "PY2XB", kYellow, kRed), "");
  EXPECT_TRUE(PlayedSounds().empty());
}

// Accented names keep every column in place; a station calling the operator whose lookup
// failed keeps its colour and its alert, and the failure is said below the legend.
TEST_F(MonitorTest, AccentedNamesAndFailedLookupsKeepTheirColumns) {
  ASSERT_TRUE(Start());
  AppendDecodes(Decode("CQ W1AW FN31"));
  ASSERT_TRUE(PollPeriod(state));
  service.fault = QrzFault::kHttpError;
  AppendDecodes(Decode("N0VANE ZS6RJ KG44") + Decode("CQ DL5NAM JO43"));
  ASSERT_TRUE(PollPeriod(state));
  EXPECT_EQ(Cells(3, 3, "ZS6RJ      QRZ lookup failed", kBlack, kLightRed), "");
  EXPECT_EQ(ScreenRowText(3).substr(127, 5), "  1  ");
  // A CQ whose lookup was not made is classed by its prefix and placed by its grid.
  EXPECT_EQ(Cells(4, 3, "DL5NAM     QRZ lookup failed          Fed. Rep. of Germany", kYellow, kRed), "");
  EXPECT_EQ(ScreenRowText(4).substr(90, 40), "230           41          4242         1");
  EXPECT_EQ(PlayedSounds(), (std::vector<std::string>{"DXAlert.wav", "StationAlert.wav"}));
  EXPECT_EQ(ScreenRowText(43).substr(1, 34), "QRZ: the server answered HTTP 503 ");
  PlayedSounds().clear();
  service.fault = QrzFault::kNone;
  AppendDecodes(Decode("CQ EA4JOS IM87") + Decode("N0VANE ZS6RJ KG44") + Decode("CQ DL5NAM JO43"));
  ASSERT_TRUE(PollPeriod(state));
  EXPECT_EQ(Cells(3, 3, "ZS6RJ", kBlack, kLightRed), "");
  EXPECT_EQ(Cells(4, 14, "Jens Hoffmann", kYellow, kRed), "");  // not kept while failed: asked again
  EXPECT_EQ(Cells(5, 14, "Jos\u00e9 Mart\u00ednez", kYellow, kRed), "");
  EXPECT_EQ(Cells(5, 41, "C\u00f3rdoba/Spain", kYellow, kRed), "");
  EXPECT_EQ(Cells(5, 91, "281", kYellow, kRed), "");
  EXPECT_EQ(Cells(5, 128, "  1", kYellow, kRed), "");
}

// Most operators have no XML subscription: records without dxcc, land or position. The call's
// prefix gives the entity and its class, the grid sent gives bearing and distance.
TEST_F(MonitorTest, AnAccountWithoutASubscriptionClassesStationsByTheirPrefix) {
  WriteFile("Config.ini", " 44.98 \r\n-93.27 \r\nN0FREE\r\nvane-free\r\n\r\nEN34\r\n 1 \r\n 1 \r\n");
  WriteFile("N0FREE.adi.txt", ReadFileBytes("N0VANE.adi.txt"));
  ASSERT_TRUE(Start());
  const std::string message = "A subscription is required to access the complete record.";
  EXPECT_NE(TheConsole().transcript.find(message + "\n"), std::string::npos);
  AppendDecodes(Decode("CQ K2LYV FN32"));
  ASSERT_TRUE(PollPeriod(state));  // the first period's rows sound nothing

  AppendDecodes(Decode("CQ W1AW FN31") + Decode("CQ DL5NAM JO43") + Decode("CQ OE3WKL JN78") + Decode("N0FREE ZS6RJ -10"));
  ASSERT_TRUE(PollPeriod(state));
  EXPECT_EQ(Cells(3, 3, "ZS6RJ      Pieter van Wyk             Pretoria/South Africa", kBlack, kLightRed), "");
  EXPECT_EQ(ScreenRowText(3).substr(90, 40), "462           95          8834         1");  // the entity's centre
  EXPECT_EQ(Cells(4, 3, "OE3WKL     Karl Wimmer                St. P\u00f6lten/\u00d6sterreich", kYellow, kRed), "");
  EXPECT_EQ(ScreenRowText(4).substr(92, 17), "206   NIEDER\u00f6 43");  // two characters of two bytes before
  EXPECT_EQ(Cells(5, 3, "DL5NAM     Jens Hoffmann              Hamburg/Germany", kYellow, kRed), "");
  EXPECT_EQ(ScreenRowText(5).substr(90, 40), "230           41          4242         1");  // JO43's centre
  EXPECT_EQ(Cells(6, 3, "W1AW", kBlack, kWhite), "");
  EXPECT_EQ(PlayedSounds(), (std::vector<std::string>{"DXAlert.wav", "DXAlert.wav", "StationAlert.wav"}));
  EXPECT_EQ(ScreenRowText(43).substr(1, message.size()), message);
}

TEST_F(MonitorTest, ABandChangeEmptiesTheTable) {
  ASSERT_TRUE(Start());
  AppendDecodes(Decode("CQ W1AW FN31"));
  ASSERT_TRUE(PollPeriod(state));
  AppendDecodes(Decode("CQ PY2XB GG66", "7.074"));
  ASSERT_TRUE(PollPeriod(state));
  EXPECT_EQ(ScreenRowText(2).substr(58, 20), "[210308_123500  40m]");
  EXPECT_EQ(ScreenRowText(3).substr(2, 5), "PY2XB");
  EXPECT_EQ(ScreenRowText(4), std::string(kScreenColumns, ' '));
}

TEST_F(MonitorTest, TheWorkedListIsReloadedEverySecondPass) {
  ASSERT_TRUE(Start());
  AppendFile("WSJT-X/WSJTX_log.adi", "<call:5>PY2XB <mode:3>FT8 <eor>\n");
  ASSERT_TRUE(PollPeriod(state));
  EXPECT_FALSE(IsWorked(state.worked, "PY2XB"));
  ASSERT_TRUE(PollPeriod(state));
  EXPECT_TRUE(IsWorked(state.worked, "PY2XB"));
}

TEST_F(MonitorTest, ADecodeFileErasedWhileMonitoringIsWaitedFor) {
  ASSERT_TRUE(Start());
  AppendDecodes(Decode("CQ W1AW FN31"));
  ASSERT_TRUE(PollPeriod(state));
  RemoveFile("WSJT-X/ALL.TXT");
  RemoveFile("WSJT-X/WSJTX_log.adi");  // a reload in between keeps the list it has
  ASSERT_TRUE(PollPeriod(state));
  EXPECT_EQ(ScreenRowText(43).substr(0, 21), " Waiting for ALL.TXT ");
  EXPECT_EQ(TheConsole().keyWaits, 1);  // the logbook question only
  EXPECT_TRUE(IsWorked(state.worked, "VE3KTB"));
  AppendDecodes(Decode("CQ PY2XB GG66"));
  ASSERT_TRUE(PollPeriod(state));
  EXPECT_EQ(ScreenRowText(3).substr(2, 5), "PY2XB");
  EXPECT_EQ(ScreenRowText(43), std::string(kScreenColumns, ' '));
}

TEST_F(MonitorTest, AMissingWsjtxFolderIsWaitedFor) {
  std::filesystem::remove_all("WSJT-X");
  ASSERT_TRUE(Start());
  EXPECT_NE(TheConsole().transcript.find("No WSJT-X folder " + folder.File("WSJT-X") + " yet"), std::string::npos);
  ASSERT_TRUE(PollPeriod(state));
  EXPECT_EQ(ScreenRowText(43).substr(1, 40), "Waiting for WSJT-X's folder " + folder.File("WSJT-X").substr(0, 12));
  std::filesystem::create_directory("WSJT-X");
  WriteFile("WSJT-X/ALL.TXT", Decode("CQ PY2XB GG66"));
  ASSERT_TRUE(PollPeriod(state));
  EXPECT_EQ(ScreenRowText(3).substr(2, 5), "PY2XB");
  EXPECT_EQ(TheConsole().keyWaits, 1);  // the logbook question only
}
