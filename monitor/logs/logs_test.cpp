#include "monitor/logs/logs.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include "monitor/globals.h"
#include "monitor/logs/adif.h"
#include "platform/virtual.h"
#include "tests/support.h"

namespace {

using Calls = std::vector<std::string>;

class LogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetVirtualConsole();
    setenv("LOCALAPPDATA", folder.path.c_str(), 1);
    mkdir("WSJT-X", 0755);
    glb_QRZAccountName = "K1XYZ";
  }
  void WriteWsjtxLog(const std::string& records, const std::string& name = "WSJTX_log.adi") {
    WriteFile("WSJT-X/" + name, "ADIF Export\n<adif_ver:5>3.1.1\n<programid:6>WSJT-X\n<EOH>\n" + records);
  }
  ScratchFolder folder;
  WorkedList worked;
  std::string error;
};

std::string Record(const std::string& call, const std::string& end = "\n") {
  return "<call:" + std::to_string(call.size()) + ">" + call + " <gridsquare:4>FN42 <mode:3>FT8 <rst_sent:3>-10 <band:3>20m <eor>" + end;
}

}  // namespace

TEST(CallFieldValue, FollowsTheLengthRules) {
  EXPECT_EQ(CallFieldValue("<call:5>K1ABC <gridsquare:4>FN42 <mode:3>FT8 <eor>"), "K1ABC");
  EXPECT_EQ(CallFieldValue("<call:4>W1AWextra"), "W1AW");
  EXPECT_EQ(CallFieldValue("<call:6>W1AW"), "W1AW");
  EXPECT_EQ(CallFieldValue("<CALL:5>K1ABC"), "K1ABC");
  EXPECT_EQ(CallFieldValue("<call:5:S>K1ABC"), "K1ABC");  // a type after the length is passed over
  EXPECT_EQ(CallFieldValue("<call:99999999999999999999>AB"), "AB");
  EXPECT_EQ(CallFieldValue("<call:5"), "");
  EXPECT_EQ(CallFieldValue("<call:"), "");
  EXPECT_EQ(CallFieldValue("<station_callsign:5>W9XYZ"), "");
  EXPECT_EQ(DxccFieldValue("<dxcc:3>291"), "291");
  EXPECT_EQ(DxccFieldValue("<DXCC:1>1 <x:1>y"), "1");
  EXPECT_EQ(DxccFieldValue("<dxcc:2>50"), "50");
  EXPECT_EQ(DxccFieldValue("<dxcc:3>29"), "29");
  EXPECT_EQ(DxccFieldValue("<dxcc:"), "");
  EXPECT_EQ(DxccFieldValue("<dxcc:3"), "");
  EXPECT_TRUE(HoldsField("<MODE:3>FT8", "<mode:", "3>FT8"));
  EXPECT_FALSE(HoldsField("<mode:3>ft8", "<mode:", "3>FT8"));
  EXPECT_TRUE(HoldsField("<mode:3>FT4 <submode:3>x <Mode:3>FT8", "<mode:", "3>FT8"));
}

TEST_F(LogsTest, MergeAddsNewCallsOnceInOrder) {
  for (const char* end : {"\r\n", "\n"}) {
    WorkedList list;
    AddWorked(list, "AA1A");
    AddWorked(list, "BB2B");
    std::string records;
    for (int i = 0; i < 10; ++i) records += Record("K1ABC", end);
    WriteWsjtxLog(Record("BB2B", end) + Record("CC3C", end) + records);
    MergeWsjtxWorked(list, error);
    EXPECT_EQ(error, "");
    EXPECT_EQ(list.calls, (Calls{"AA1A", "BB2B", "CC3C", "K1ABC"}));
    MergeWsjtxWorked(list, error);
    EXPECT_EQ(list.calls.size(), 4u);
  }
}

TEST_F(LogsTest, MergeFindsTheLogWhateverTheCaseOfItsName) {
  WriteWsjtxLog(Record("K1ABC") + "<CALL:5>W1ABC <MODE:3>FT8 <EOR>\n", "wsjtx_log.adi");
  MergeWsjtxWorked(worked, error);
  EXPECT_EQ(error, "");
  EXPECT_EQ(worked.calls, (Calls{"K1ABC", "W1ABC"}));
}

TEST_F(LogsTest, MergeGrowsPastFourThousandContacts) {
  std::string records;
  for (int i = 0; i < 5000; ++i) records += Record("W" + std::to_string(10000 + i));
  WriteWsjtxLog(records);
  MergeWsjtxWorked(worked, error);
  ASSERT_EQ(worked.calls.size(), 5000u);
  EXPECT_EQ(worked.calls.back(), "W14999");
  EXPECT_TRUE(IsWorked(worked, "W14999"));
}

TEST_F(LogsTest, AMissingWsjtxLogIsReportedAndLeavesTheList) {
  AddWorked(worked, "AA1A");
  MergeWsjtxWorked(worked, error);
  EXPECT_EQ(error, " 53 File not foundREADWSJT");
  EXPECT_EQ(ScreenRowText(1).substr(0, 26), " 53 File not foundREADWSJT");
  EXPECT_EQ(ScreenRowText(2).substr(0, 25), "Press Any Key to Continue");
  EXPECT_EQ(TheConsole().keyWaits, 1);
  EXPECT_EQ(worked.calls, Calls{"AA1A"});
  setenv("LOCALAPPDATA", (folder.path + "/nowhere").c_str(), 1);
  MergeWsjtxWorked(worked, error);
  EXPECT_EQ(error, " 76 Path not foundREADWSJT");
}

TEST_F(LogsTest, QrzCopyGivesFt8AndJt65ContactsAndConfirmedEntities) {
  for (const char* end : {"\r\n", "\n"}) {
    std::string e = end;
    WriteFile("K1XYZ.adi.txt", "Download Time Stamp: 03-08-2021 12:00:00<call:5>HEAD1<mode:3>FT8" + e +
                                   "<call:5>K1ABC<mode:3>FT8<app_qrzlog_status:1>C<dxcc:3>291<eor>" + e +
                                   "<call:5>K2ABC<mode:3>FT4<app_qrzlog_status:1>C<dxcc:3>339<eor>" + e +
                                   "<call:5>K3ABC<mode:4>JT65<app_qrzlog_status:1>N<dxcc:3>230<eor>" + e +
                                   "<call:5>K1ABC<mode:3>FT8<app_qrzlog_status:1>C<dxcc:3>291<eor>" + e +
                                   "<mode:3>FT8<app_qrzlog_status:1>C<dxcc:1>1<eor>" + e +
                                   "<call:4>VK2A<mode:3>SSB<APP_QRZLOG_STATUS:1>C<DXCC:2>50<eor>" + e);
    worked = WorkedList{};
    AddWorked(worked, "OLD1");
    LoadQrzWorked(worked, error);
    EXPECT_EQ(error, "");
    EXPECT_EQ(worked.calls, (Calls{"K1ABC", "K3ABC"}));
    ConfirmedList confirmed{999};
    LoadConfirmedDX(confirmed, error);
    EXPECT_EQ(confirmed, (ConfirmedList{291, 339, 1, 50}));
  }
}

TEST_F(LogsTest, AMissingOrEmptyQrzCopyIsShownAndKeepsTheList) {
  AddWorked(worked, "AA1A");
  LoadQrzWorked(worked, error);
  EXPECT_EQ(error, " 52 Error in ReadingADILog");
  EXPECT_EQ(ScreenRowText(2).substr(0, 25), "Press Any Key to Continue");
  WriteFile("K1XYZ.adi.txt", "");
  LoadQrzWorked(worked, error);
  EXPECT_EQ(error, " 62 Error in ReadingADILog");
  EXPECT_EQ(worked.calls, Calls{"AA1A"});
  ConfirmedList confirmed{1};
  LoadConfirmedDX(confirmed, error);
  EXPECT_TRUE(confirmed.empty());
  EXPECT_EQ(error, "");
}
