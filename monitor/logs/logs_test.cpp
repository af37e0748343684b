#include "monitor/logs/logs.h"

#include <gtest/gtest.h>
#include <filesystem>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <random>

#include "common/files.h"
#include "common/text.h"
#include "monitor/globals.h"
#include "platform/files.h"
#include "monitor/logs/adif.h"
#include "platform/virtual.h"
#include "tests/support.h"

namespace {

using Calls = std::vector<std::string>;

class LogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetVirtualConsole();
    SetEnvironmentValue("LOCALAPPDATA", folder.path);
    std::filesystem::create_directory("WSJT-X");
    glb_QRZAccountName = "K1XYZ";
  }
  void WriteWsjtxLog(const std::string& records, const std::string& name = "WSJTX_log.adi") {
    WriteFile("WSJT-X/" + name, "ADIF Export\n<adif_ver:5>3.1.1\n<programid:6>WSJT-X\n<EOH>\n" + records);
  }
  ScratchFolder folder;
  WorkedList worked;
  WsjtxLogTrack track;
  std::string error;
};

std::string Record(const std::string& call, const std::string& end = "\n") {
  return "<call:" + std::to_string(call.size()) + ">" + call + " <gridsquare:4>FN42 <mode:3>FT8 <rst_sent:3>-10 <band:3>20m <eor>" + end;
}

}  // namespace

namespace {

std::string CallFieldValue(std::string_view line) {
  std::string_view value;
  CallFieldOf(line, value);
  return std::string(value);
}

std::string DxccFieldValue(std::string_view line) { return std::string(ScanRecord(line).dxcc); }

// The readers as they were, a line and a field search at a time: the reference the block
// readers must match element for element.
namespace reference {

size_t Find(const std::string& line, const std::string& name, size_t from = 0) {
  for (size_t at = from; at + name.size() <= line.size(); ++at) {
    bool same = true;
    for (size_t i = 0; i < name.size() && same; ++i)
      same = std::tolower(static_cast<unsigned char>(line[at + i])) == name[i];
    if (same) return at;
  }
  return std::string::npos;
}

bool Holds(const std::string& line, const std::string& name, const std::string& value) {
  for (size_t at = Find(line, name); at != std::string::npos; at = Find(line, name, at + 1))
    if (line.compare(at + name.size(), value.size(), value) == 0) return true;
  return false;
}

bool Call(const std::string& line, std::string& value) {
  value.clear();
  size_t at = Find(line, "<call:");
  if (at == std::string::npos) return false;
  size_t length = 0;
  for (size_t i = at + 6; i < line.size() && std::isdigit(static_cast<unsigned char>(line[i])); ++i)
    length = std::min<size_t>(length * 10 + static_cast<size_t>(line[i] - '0'), line.size());
  size_t close = line.find('>', at);
  if (close != std::string::npos) value = line.substr(close + 1, length);
  return true;
}

std::string Dxcc(const std::string& line) {
  size_t at = Find(line, "<dxcc:");
  if (at == std::string::npos || at + 6 >= line.size() || !std::isdigit(static_cast<unsigned char>(line[at + 6]))) return "";
  if (at + 8 > line.size()) return "";
  return line.substr(at + 8, static_cast<size_t>(line[at + 6] - '0'));
}

void Lists(const std::string& path, bool qrzCopy, Calls& calls, ConfirmedList& confirmed) {
  TextFile file;
  OpenForReading(file, path, FileShare::kReadWrite);
  std::string line, call;
  WorkedList worked;
  if (qrzCopy) ReadLine(file, line);
  while (ReadLine(file, line)) {
    bool mode = Holds(line, "<mode:", "3>FT8") || Holds(line, "<mode:", "4>JT65");
    if ((!qrzCopy || mode) && Call(line, call)) AddWorked(worked, qrzCopy ? ReplaceAll(call, "_", "/") : call);
    std::string dxcc = Holds(line, "<app_qrzlog_status:", "1>C") ? Dxcc(line) : "";
    int32_t entity = TextToWholeNumber(dxcc);
    if (entity > 0 && std::find(confirmed.begin(), confirmed.end(), entity) == confirmed.end())
      confirmed.push_back(entity);
  }
  CloseFile(file);
  calls = WorkedCalls(worked);
}

}  // namespace reference

// A log of every odd shape a hand-edited or broken file has: field names in any case, fields
// across lines, empty values, no ">", every line end, a Ctrl-Z, lines longer than a block.
std::string OddLog(unsigned seed) {
  std::mt19937 random(seed);
  auto pick = [&](std::initializer_list<const char*> choices) {
    return std::string(*(choices.begin() + random() % choices.size()));
  };
  std::string log = "Download Time Stamp: 03-08-2021 12:00:00\r\n";
  while (log.size() < 3'500'000) {
    std::string call = pick({"K1ABC", "w2xyz", "JA1AA", "VK2DX", "K1AB", ""}) + std::to_string(random() % 50);
    std::string record = pick({"<call:", "<CALL:", "<Call:", "<call:0>", "<call:", "<callx:"}) +
                         std::to_string(call.size()) + pick({">", ">", ":S>", "", " "}) + call +
                         pick({"<mode:3>FT8", "<MODE:4>JT65", "<mode:3>ft8", "<mode:3>FT4", "<mode:"}) +
                         pick({"<app_qrzlog_status:1>C", "<APP_QRZLOG_STATUS:1>C", "<app_qrzlog_status:1>N", ""}) +
                         pick({"<dxcc:3>291", "<DXCC:1>1", "<dxcc:2>50", "<dxcc:3>29", "<dxcc:", "<dxcc:x>1", ""}) +
                         "<eor>";
    if (random() % 7 == 0) record.insert(random() % record.size(), pick({"\n", "\r", "\r\n"}));  // across lines
    if (random() % 9000 == 0) record += std::string(1'200'000, 'x');                          // past a block
    log += record + pick({"\r\n", "\n", "\r", "\r\n"});
  }
  return log;
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
  EXPECT_TRUE(ScanRecord("<MODE:3>FT8").workedMode);
  EXPECT_FALSE(ScanRecord("<mode:3>ft8").workedMode);
  EXPECT_TRUE(ScanRecord("<mode:3>FT4 <submode:3>x <Mode:4>JT65").workedMode);
  EXPECT_TRUE(ScanRecord("<APP_QRZLOG_STATUS:1>C").confirmed);
  EXPECT_FALSE(ScanRecord("<app_qrzlog_status:1>N <app_qrzlog_status:").confirmed);
}

// The block readers give the lists the line readers gave, element for element.
TEST_F(LogsTest, BlockReadersMatchTheLineReadersOnOddLogs) {
  for (unsigned seed : {1u, 2u, 3u}) {
    std::string log = OddLog(seed);
    if (seed == 3) log.insert(log.size() / 2, "\x1A");  // the end of the file, as far as readers go
    WriteFile("K1XYZ.adi.txt", log);
    WriteFile("WSJT-X/WSJTX_log.adi", log);
    Calls qrzCalls, wsjtxCalls;
    ConfirmedList confirmed, unused;
    reference::Lists("K1XYZ.adi.txt", true, qrzCalls, confirmed);
    reference::Lists("WSJT-X/WSJTX_log.adi", false, wsjtxCalls, unused);
    WorkedList fromCopy, fromLog;
    LoadQrzWorked(fromCopy, error);
    EXPECT_EQ(WorkedCalls(fromCopy), qrzCalls) << "seed " << seed;
    ConfirmedList loaded;
    LoadConfirmedDX(loaded, error);
    EXPECT_EQ(loaded, confirmed) << "seed " << seed;
    WsjtxLogTrack fresh;
    MergeWsjtxWorked(fromLog, error, fresh);
    EXPECT_EQ(WorkedCalls(fromLog), wsjtxCalls) << "seed " << seed;
    EXPECT_GT(qrzCalls.size(), 100u);
  }
}

// A log that only grew is read from where the last read ended; any other is read whole.
TEST_F(LogsTest, AReloadReadsOnlyWhatWasAppended) {
  WriteWsjtxLog(Record("AA1A") + Record("BB2B"));
  MergeWsjtxWorked(worked, error, track);
  int64_t end = track.end;
  EXPECT_EQ(end, static_cast<int64_t>(ReadFileBytes("WSJT-X/WSJTX_log.adi").size()));
  AppendFile("WSJT-X/WSJTX_log.adi", Record("CC3C") + "<call:6>JA1AB");  // the last record is being written
  ReloadWsjtxWorked(worked, error, track);
  EXPECT_EQ(WorkedCalls(worked), (Calls{"AA1A", "BB2B", "CC3C"}));
  EXPECT_EQ(track.end, end + static_cast<int64_t>(Record("CC3C").size()));
  AppendFile("WSJT-X/WSJTX_log.adi", "C <mode:3>FT8 <eor>");
  worked = WorkedList{};
  ReloadWsjtxWorked(worked, error, track);  // only the unfinished record is read again, whole
  EXPECT_EQ(WorkedCalls(worked), Calls{"JA1ABC"});
  WriteWsjtxLog(Record("EE5E"));  // rewritten, shorter
  ReloadWsjtxWorked(worked, error, track);
  EXPECT_EQ(WorkedCalls(worked), (Calls{"JA1ABC", "EE5E"}));
  // A log editor inserts a contact before the old end: same file, same header, longer.
  std::string log = ReadFileBytes("WSJT-X/WSJTX_log.adi");
  WriteFile("WSJT-X/WSJTX_log.adi", "");
  AppendFile("WSJT-X/WSJTX_log.adi", log.substr(0, log.size() - Record("EE5E").size()) + "<call:4>FF6F <mode:3>FT8 <band:3>40m <eor>\n" + Record("EE5E"));
  ReloadWsjtxWorked(worked, error, track);
  EXPECT_EQ(WorkedCalls(worked), (Calls{"JA1ABC", "EE5E", "FF6F"}));
  RemoveFile("WSJT-X/WSJTX_log.adi");
  ReloadWsjtxWorked(worked, error, track);
  EXPECT_EQ(error, " 53 File not foundREADWSJT");
  EXPECT_EQ(TheConsole().keyWaits, 0);  // a reload says nothing
}

TEST_F(LogsTest, MergeAddsNewCallsOnceInOrder) {
  for (const char* end : {"\r\n", "\n"}) {
    WorkedList list;
    AddWorked(list, "AA1A");
    AddWorked(list, "BB2B");
    std::string records;
    for (int i = 0; i < 10; ++i) records += Record("K1ABC", end);
    WriteWsjtxLog(Record("BB2B", end) + Record("CC3C", end) + records);
    MergeWsjtxWorked(list, error, track);
    EXPECT_EQ(error, "");
    EXPECT_EQ(WorkedCalls(list), (Calls{"AA1A", "BB2B", "CC3C", "K1ABC"}));
    MergeWsjtxWorked(list, error, track);
    EXPECT_EQ(WorkedCount(list), 4u);
  }
}

TEST_F(LogsTest, MergeFindsTheLogWhateverTheCaseOfItsName) {
  WriteWsjtxLog(Record("K1ABC") + "<CALL:5>W1ABC <MODE:3>FT8 <EOR>\n", "wsjtx_log.adi");
  MergeWsjtxWorked(worked, error, track);
  EXPECT_EQ(error, "");
  EXPECT_EQ(WorkedCalls(worked), (Calls{"K1ABC", "W1ABC"}));
}

TEST_F(LogsTest, MergeGrowsPastFourThousandContacts) {
  std::string records;
  for (int i = 0; i < 5000; ++i) records += Record("W" + std::to_string(10000 + i));
  WriteWsjtxLog(records);
  MergeWsjtxWorked(worked, error, track);
  ASSERT_EQ(WorkedCount(worked), 5000u);
  EXPECT_EQ(WorkedCall(worked, WorkedCount(worked) - 1), "W14999");
  EXPECT_TRUE(IsWorked(worked, "W14999"));
}

// A new install has no log until the first contact is logged; a wrong folder ends the start.
TEST_F(LogsTest, AMissingWsjtxLogIsSaidAndReadWhenItAppears) {
  AddWorked(worked, "AA1A");
  MergeWsjtxWorked(worked, error, track);
  EXPECT_EQ(error, "");
  EXPECT_EQ(ScreenRowText(1).substr(0, 31), "WSJT-X has logged no contact ye");
  EXPECT_EQ(TheConsole().keyWaits, 0);
  EXPECT_EQ(WorkedCalls(worked), Calls{"AA1A"});
  WriteWsjtxLog(Record("BB2B"), "wsjtx_log.adi");
  ReloadWsjtxWorked(worked, error, track);
  EXPECT_EQ(WorkedCalls(worked), (Calls{"AA1A", "BB2B"}));
}

// No WSJT-X folder yet (never run here, or a second radio's name not given): said on a line,
// and its log is read once it appears; --rig NAME follows the folder of that radio's WSJT-X.
TEST_F(LogsTest, AMissingWsjtxFolderIsSaidAndARigNameFollowsItsOwn) {
  glb_RigName = "IC-7300";
  MergeWsjtxWorked(worked, error, track);
  EXPECT_EQ(error, "");
  std::string said = "No WSJT-X folder " + folder.File("WSJT-X - IC-7300") + " yet: start WSJT-X";
  EXPECT_EQ(ScreenRowText(1).substr(0, said.size()), said);
  EXPECT_EQ(TheConsole().keyWaits, 0);
  WriteWsjtxLog(Record("BB2B"));  // the default radio's log is not this one's
  std::filesystem::create_directory("WSJT-X - IC-7300");
  WriteFile("WSJT-X - IC-7300/wsjtx_log.adi", "ADIF Export\n<EOH>\n" + Record("CC3C"));
  ReloadWsjtxWorked(worked, error, track);
  EXPECT_EQ(WorkedCalls(worked), Calls{"CC3C"});
  glb_RigName.clear();
}

// Each contact counts on its band: the band field (any case), else its frequency's band; one
// with neither counts on every band, so that it never makes a band look new.
TEST_F(LogsTest, ContactsCarryTheirBand) {
  WriteWsjtxLog("<call:6>JA1ABC <gridsquare:4>PM95 <mode:3>FT8 <qso_date:8>20261208 <band:3>20m <freq:9>14.075476 <eor>\n"
                "<call:5>K1ABC <mode:3>FT8 <freq:8>7.075123 <eor>\n"
                "<call:5>DL1AB <mode:3>FT8 <eor>\n"
                "<call:4>VK2A <mode:3>FT8 <band:3>20M <eor>\n"
                "<call:4>W9ZZ <mode:3>FT8 <band:3>21m <eor>\n"  // a band that names none: every band
                "<call:6>JA1ABC <mode:3>FT8 <band:3>15m <freq:9>21.075000 <eor>\n");
  MergeWsjtxWorked(worked, error, track);
  struct Row {
    const char* call;
    const char* band;
    bool worked;
  };
  for (const Row& row : {Row{"JA1ABC", "20m", true}, {"JA1ABC", "15m", true}, {"JA1ABC", "40m", false},
                         {"K1ABC", "40m", true}, {"K1ABC", "20m", false}, {"DL1AB", "6m", true}, {"VK2A", "20m", true},
                         {"VK2A", "40m", false}, {"W9ZZ", "15m", true}, {"W9ZZ", "2m", true}})
    EXPECT_EQ(IsWorkedOnBand(worked, row.call, BandNamed(row.band)), row.worked) << row.call << " " << row.band;
  WriteFile("K1XYZ.adi.txt", "Download Time Stamp: 03-08-2021 12:00:00\r\n"
                             "<call:5>JA1ZZ<band:3>20m<mode:3>FT8<app_qrzlog_status:1>C<dxcc:3>339<eor>\r\n"
                             "<call:5>JA2ZZ<freq:6>7.0740<mode:3>FT8<app_qrzlog_status:1>C<dxcc:3>339<eor>\r\n"
                             "<call:5>DL2ZZ<band:3>40m<mode:3>FT8<app_qrzlog_status:1>N<dxcc:3>230<eor>\r\n"
                             "<call:5>VK2ZZ<mode:3>FT8<app_qrzlog_status:1>C<dxcc:3>150<eor>\r\n");
  ConfirmedList confirmed;
  ConfirmedBands bands;
  LoadQrzLists(worked, confirmed, error, &bands);
  EXPECT_EQ(confirmed, (ConfirmedList{339, 150}));
  EXPECT_EQ(bands, (ConfirmedBands{BandBit(BandNamed("20m")) | BandBit(BandNamed("40m")), kEveryBand}));
  EXPECT_TRUE(IsWorkedOnBand(worked, "DL2ZZ", BandNamed("40m")));
  EXPECT_FALSE(IsWorkedOnBand(worked, "DL2ZZ", BandNamed("20m")));
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
                                   "<call:4>VK2A<mode:3>SSB<APP_QRZLOG_STATUS:1>C<DXCC:2>50<eor>" + e +
                                   // QRZ's "_" for "/", type indicators, padded lengths, entity 0 (/MM)
                                   "<call:7>W7XYZ_P<mode:3>FT8<app_qrzlog_status:1>C<dxcc:3:N>291<eor>" + e +
                                   "<call:5>DL1AB<mode:3:S>FT8<app_qrzlog_status:1>C<dxcc:03>230<eor>" + e +
                                   "<call:8>K1ABC_MM<mode:3>FT8<app_qrzlog_status:1>C<dxcc:1>0<eor>" + e);
    worked = WorkedList{};
    AddWorked(worked, "OLD1");
    LoadQrzWorked(worked, error);
    EXPECT_EQ(error, "");
    EXPECT_EQ(WorkedCalls(worked), (Calls{"K1ABC", "K3ABC", "W7XYZ/P", "DL1AB", "K1ABC/MM"}));
    ConfirmedList confirmed{999};
    LoadConfirmedDX(confirmed, error);
    EXPECT_EQ(confirmed, (ConfirmedList{291, 339, 1, 50, 230}));
  }
}

// A first run has no copy: one line says how to get one, and the run goes on without a key.
// An empty copy is a fault: shown until a key, the list kept.
TEST_F(LogsTest, AMissingQrzCopyIsSaidAndAnEmptyOneShown) {
  AddWorked(worked, "AA1A");
  LoadQrzWorked(worked, error);
  EXPECT_EQ(error, "");
  EXPECT_EQ(ScreenRowText(1).substr(0, 84),
            "No QRZ logbook copy yet (K1XYZ.adi.txt): answer Y at the start to download one; WSJT");
  EXPECT_EQ(TheConsole().keyWaits, 0);
  EXPECT_EQ(WorkedCount(worked), 0u);
  AddWorked(worked, "AA1A");
  WriteFile("K1XYZ.adi.txt", "");
  LoadQrzWorked(worked, error);
  EXPECT_EQ(error, " 62 Error in ReadingADILog");
  EXPECT_EQ(WorkedCalls(worked), Calls{"AA1A"});
  ConfirmedList confirmed{1};
  LoadConfirmedDX(confirmed, error);
  EXPECT_TRUE(confirmed.empty());
  EXPECT_EQ(error, "");
}
