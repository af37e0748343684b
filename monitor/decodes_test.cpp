#include "monitor/decodes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "common/text.h"
#include "monitor/globals.h"
#include "platform/files.h"
#include "platform/virtual.h"
#include "tests/support.h"

namespace {

std::string Decode(const std::string& message, const std::string& frequency = "14.074") {
  return DecodeLine(message, frequency);
}

struct Poll {
  CallTable calls;
  std::string stamp, frequency = "14.074", error;
  int32_t total = 0, period = 0;
  int64_t position = 0;
  DecodeFileTrack track;
  void Run(const std::string& path = "ALL.TXT") {
    ReadDecodes(path, position, calls, stamp, total, period, frequency, error, track);
  }
  std::string Call(int i) const { return calls.entry[i].call; }
};

class DecodesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetVirtualConsole();
    glb_QRZAccountName = "K1XYZ";
    glb_MyGrid = "FN42";
  }
  ScratchFolder folder;
};

}  // namespace

TEST(ExtractCallsign, TakesTheFirstWordShapedLikeACall) {
  auto call = [](const std::string& message) {
    std::string callsign = "old";
    ExtractCallsign(Decode(message), callsign);
    return callsign;
  };
  for (const char* direction : {"", "DX ", "POTA ", "SOTA ", "WWFF ", "TEST ", "FD ", "NA ", "290 "})
    EXPECT_EQ(call(std::string("CQ ") + direction + "W1ABC FN42"), "W1ABC") << direction;
  for (const char* shortCall : {"K2A", "4U1UN", "3DA0ET", "9A1AA", "2E0ABC"})  // 1x1 calls, digits first
    EXPECT_EQ(call(std::string("CQ ") + shortCall + " FN20"), shortCall);
  EXPECT_EQ(call("CQ 12A W1ABC"), "W1ABC");  // a Field Day class
  EXPECT_EQ(call("CQ DX K2A FN20"), "K2A");
  EXPECT_EQ(call("CQ W1ABC"), "W1ABC");
  EXPECT_EQ(call("CQ W1ABC/P FN42"), "W1ABC/P");
  EXPECT_EQ(call("CQ VE3/K1ABC"), "VE3/K1ABC");
  EXPECT_EQ(call("CQ POTA FN42"), "");  // a grid is no call
  EXPECT_EQ(call("CQ"), "");
}

TEST_F(DecodesTest, FindsCqCallersAndCountsThem) {
  WriteFile("ALL.TXT", Decode("CQ W1ABC FN42") + "\r\n" + Decode("CQ DX JA1ABC PM95", "1.840") + "\r\n" +
                           Decode("W9AAA W1ABC -05", "7.074") + "\r\n");
  Poll poll;
  poll.Run();
  ASSERT_EQ(poll.calls.count, 2);
  EXPECT_EQ(poll.Call(1), "W1ABC");
  EXPECT_EQ(poll.calls.entry[1].kind, CallerKind::kCq);
  EXPECT_EQ(poll.calls.entry[1].grid, "FN42");
  EXPECT_EQ(poll.Call(2), "JA1ABC");
  EXPECT_EQ(poll.total, 2);
  EXPECT_EQ(poll.period, 2);
  EXPECT_EQ(poll.stamp, "210308_123045");
  EXPECT_EQ(poll.frequency, "7.074");  // from the last line only
  EXPECT_EQ(poll.position, static_cast<int64_t>(ReadFileBytes("ALL.TXT").size()));
}

TEST_F(DecodesTest, KeepsCallersOfTheOperatorAndDropsHisOwnTraffic) {
  std::string lines;
  for (const char* message : {"K1XYZ W1ABC -12", "W1ABC K1XYZ FN42", "CQ K1XYZ FN42", "W1ABC K1XYZ R-05",
                              "K1XYZ W1ABC RR73", "K1XYZ W2DEF 73", "W3GHI K1XYZ +03", "K1XYZ W4JKL FN31"})
    lines += Decode(message) + "\n";
  WriteFile("ALL.TXT", lines);
  Poll poll;
  poll.Run();
  ASSERT_EQ(poll.calls.count, 2);
  EXPECT_EQ(poll.Call(1), "W1ABC");
  EXPECT_EQ(poll.calls.entry[1].kind, CallerKind::kCallingMe);
  EXPECT_EQ(poll.Call(2), "W4JKL");
  EXPECT_EQ(poll.total, 0);  // callers are not CQs
}

TEST_F(DecodesTest, RealTrafficGivesTheRightCallers) {
  struct Row {
    const char* direction;
    const char* message;
    const char* call;  // "" for no caller
    CallerKind kind;
  };
  const Row rows[] = {
      {"Rx", "K1XYZ W2ABC RR73  a1", "", CallerKind::kNone},  // an AP decode of the end of a contact
      {"Rx", "K1XYZ W2ABC 73                      a3", "", CallerKind::kNone},
      {"Rx", "K1XYZ W2ABC -12                     a2", "W2ABC", CallerKind::kCallingMe},
      {"Rx", "K1XYZ W2ABC RR73 ?", "", CallerKind::kNone},
      {"Rx", "CQ W1ABC FN42  a1", "W1ABC", CallerKind::kCq},
      {"Rx", "CQ DX W1ABC FN42 ?", "W1ABC", CallerKind::kCq},
      {"Tx", "W1ABC K1XYZ RRR", "", CallerKind::kNone},  // the operator's own transmissions
      {"Tx", "W1ABC K1XYZ", "", CallerKind::kNone},
      {"Tx", "CQ K1XYZ FN42", "", CallerKind::kNone},
      {"Tx", "CQ W1AW FN31", "", CallerKind::kNone},  // the operator at a club station, under its call
      {"Rx", "K1XYZ <W0ABC/P> -08", "W0ABC/P", CallerKind::kCallingMe},  // hashed calls
      {"Rx", "<K1XYZ> W0ABC R+02", "W0ABC", CallerKind::kCallingMe},
      {"Rx", "K1XYZ <...> -08", "", CallerKind::kNone},
      {"Rx", "CQ <...> FN42", "", CallerKind::kNone},
      {"Rx", "W9AAA RR73; K1XYZ <W0ABC> -08", "W0ABC", CallerKind::kCallingMe},  // Fox/Hound
      {"Rx", "K1XYZ RR73; W9AAA <W0ABC> -08", "", CallerKind::kNone},
      {"Rx", "W9AAA RR73; W8BBB <W0ABC> -08", "", CallerKind::kNone},
      {"Rx", "K1XYZ/P W1ABC -10", "W1ABC", CallerKind::kCallingMe},  // the operator signing portable
      {"Rx", "<K1XYZ/P> W1ABC -10", "W1ABC", CallerKind::kCallingMe},
      {"Rx", "PJ4/K1XYZ W1ABC", "W1ABC", CallerKind::kCallingMe},
      {"Rx", "K1XYZ/P W1ABC RR73", "", CallerKind::kNone},
      {"Rx", "K1XYZ <...> 12A EMA", "", CallerKind::kNone},  // a Field Day exchange: 12A is a class
      {"Rx", "CQ FD W1ABC FN42", "W1ABC", CallerKind::kCq},
  };
  for (const Row& row : rows) {
    std::string line = Decode(row.message);
    line.replace(24, 2, row.direction);
    WriteFile("ALL.TXT", line + "\r\n");
    Poll poll;
    poll.Run();
    EXPECT_EQ(poll.calls.count, *row.call ? 1 : 0) << row.message;
    EXPECT_EQ(poll.Call(1), row.call) << row.message;
    EXPECT_EQ(poll.calls.entry[1].kind, row.kind) << row.message;
    EXPECT_EQ(poll.stamp, "210308_123045") << row.message;  // a Tx line still counts as the last seen
  }
}

// An operator with a short call: his call is a whole word, never part of another.
TEST_F(DecodesTest, TheOperatorsCallIsAWholeWord) {
  struct Row {
    const char* grid;
    const char* message;
    const char* call;  // "" for no caller
    CallerKind kind;
  };
  const Row rows[] = {
      {"FN42", "CQ K1ABC FN42", "K1ABC", CallerKind::kCq},
      {"FN42", "K2XX K1ABC -10", "", CallerKind::kNone},  // a contact between others
      {"FN42", "K2XX K1ABC R-10", "", CallerKind::kNone},
      {"FN42", "K1ABC/P W1XYZ -10", "", CallerKind::kNone},  // nor of K1ABC signing portable
      {"FN42", "K1AB K1ABC FN42", "K1ABC", CallerKind::kCallingMe},
      {"FN42", "K1AB JA1XYZ PM73", "JA1XYZ", CallerKind::kCallingMe},  // a grid ending in 73 is no sign-off
      {"FN42", "K1AB JA1XYZ RR73", "", CallerKind::kNone},
      {"FN42", "K1AB K1ABC -10", "K1ABC", CallerKind::kCallingMe},
      {"FN42", "K1ABC K1AB FN42", "", CallerKind::kNone},  // the operator's own answer
      {"", "K1ABC K1AB FN42", "", CallerKind::kNone},
      {"", "K1AB K1ABC FN31", "K1ABC", CallerKind::kCallingMe},  // no grid setting drops nothing more
      {"FN42", "K1AB TNX QSO", "", CallerKind::kNone},  // free text
      {"FN42", "TNX K1AB 73 GL", "", CallerKind::kNone},
  };
  glb_QRZAccountName = "K1AB";
  for (const Row& row : rows) {
    glb_MyGrid = row.grid;
    WriteFile("ALL.TXT", Decode(row.message) + "\n");
    Poll poll;
    poll.Run();
    EXPECT_EQ(poll.calls.count, *row.call ? 1 : 0) << row.message;
    EXPECT_EQ(poll.Call(1), row.call) << row.message;
    EXPECT_EQ(poll.calls.entry[1].kind, row.kind) << row.message;
    EXPECT_EQ(poll.total, row.kind == CallerKind::kCq ? 1 : 0) << row.message;
  }
  glb_QRZAccountName = "k1xyz";  // lower case matches nothing in decode lines
  WriteFile("ALL.TXT", Decode("K1XYZ W1ABC -12") + "\n");
  Poll poll;
  poll.Run();
  EXPECT_EQ(poll.calls.count, 0);
}

TEST_F(DecodesTest, ReadsOnlyWhatWasAppendedSinceTheLastPoll) {
  for (const char* end : {"\r\n", "\n"}) {
    WriteFile("ALL.TXT", Decode("CQ OLD1 FN42") + end);
    Poll poll;
    NoteDecodeFileEnd("ALL.TXT", poll.position, poll.track);
    poll.Run();
    EXPECT_EQ(poll.calls.count, 0);
    EXPECT_EQ(poll.stamp, "");
    EXPECT_EQ(poll.frequency, "14.074");
    AppendFile("ALL.TXT", Decode("CQ NEW1 FN42") + end + Decode("CQ NEW2 FN42") + end);
    poll.Run();
    ASSERT_EQ(poll.calls.count, 2) << "line end " << (end[0] == '\r' ? "CR LF" : "LF");
    EXPECT_EQ(poll.Call(1), "NEW1");
    EXPECT_EQ(poll.Call(2), "NEW2");
  }
}

TEST_F(DecodesTest, AnIncompleteLastLineIsReadWholeInTheNextPoll) {
  WriteFile("ALL.TXT", "");
  Poll poll;
  std::string line = Decode("CQ W1ABC FN42");
  AppendFile("ALL.TXT", Decode("CQ AA1AA FN42") + "\n" + line.substr(0, 54));
  poll.Run();
  ASSERT_EQ(poll.calls.count, 1);
  EXPECT_EQ(poll.Call(1), "AA1AA");
  AppendFile("ALL.TXT", line.substr(54) + "\n");
  poll.Run();
  ASSERT_EQ(poll.calls.count, 1);
  EXPECT_EQ(poll.Call(1), "W1ABC");
  EXPECT_EQ(poll.total, 2);
}

TEST_F(DecodesTest, AnErasedOrReplacedFileIsReadFromItsStart) {
  std::string old = Decode("CQ OLD1 FN42") + "\n" + Decode("CQ OLD2 FN42") + "\n";
  struct Case {
    const char* what;
    std::function<void()> replace;
  };
  for (const Case& c : std::initializer_list<Case>{
           {"erased, one new line", [] { WriteFile("ALL.TXT", Decode("CQ NEW1 FN42") + "\n"); }},
           {"erased and refilled past the old size",
            [] { WriteFile("ALL.TXT", Decode("CQ NEW1 FN42") + "\n" + Decode("CQ NEW2 FN42") + "\n" + Decode("CQ NEW3 FN42") + "\n"); }},
           {"a new file renamed in", [] {
              WriteFile("ALL.new", Decode("CQ NEW1 FN42") + "\n" + Decode("CQ NEW2 FN42") + "\n");
              ReplaceFile("ALL.new", "ALL.TXT");
            }}}) {
    WriteFile("ALL.TXT", old);
    Poll poll;
    poll.Run();
    c.replace();
    poll.Run();
    ASSERT_GE(poll.calls.count, 1) << c.what;
    EXPECT_EQ(poll.Call(1), "NEW1") << c.what;
    EXPECT_EQ(poll.position, static_cast<int64_t>(ReadFileBytes("ALL.TXT").size())) << c.what;
    AppendFile("ALL.TXT", Decode("CQ NEW9 FN42") + "\n");
    poll.Run();
    ASSERT_EQ(poll.calls.count, 1) << c.what;  // nothing read twice
    EXPECT_EQ(poll.Call(1), "NEW9") << c.what;
  }
}

TEST_F(DecodesTest, AFileThatIsNotThereIsWaitedForAndReadWholeWhenItIs) {
  for (bool everThere : {true, false}) {  // erased by WSJT-X, or not made yet on a new install
    if (everThere) WriteFile("ALL.TXT", Decode("CQ OLD1 FN42") + "\n");
    Poll poll;
    NoteDecodeFileEnd("ALL.TXT", poll.position, poll.track);
    RemoveFile("ALL.TXT");
    poll.Run();
    EXPECT_EQ(poll.error, "");
    EXPECT_TRUE(poll.track.waiting);
    EXPECT_EQ(poll.track.notice, "Waiting for ALL.TXT");
    EXPECT_EQ(TheConsole().keyWaits, 0);
    poll.Run();
    EXPECT_TRUE(poll.track.waiting);
    WriteFile("ALL.TXT", Decode("CQ NEW1 FN42") + "\n");
    poll.Run();
    EXPECT_FALSE(poll.track.waiting);
    ASSERT_EQ(poll.calls.count, 1);
    EXPECT_EQ(poll.Call(1), "NEW1");
  }
  // Made between the look at the folder and the open, it is in no listing: a name no listing
  // takes for a decode file stands in for that moment.
  std::filesystem::create_directory("other");
  Poll poll;
  NoteDecodeFileEnd("other/decodes.log", poll.position, poll.track);
  WriteFile("other/decodes.log", Decode("CQ NEW2 FN42") + "\n");
  poll.Run("other/decodes.log");
  ASSERT_EQ(poll.calls.count, 1);
  EXPECT_EQ(poll.Call(1), "NEW2");
}

// The decoder appends a line just before the file is renamed away and a new one started.
TEST_F(DecodesTest, ARotatedFileKeepsItsLastLines) {
  WriteFile("ALL.TXT", Decode("CQ OLD1 FN42") + "\n");
  Poll poll;
  NoteDecodeFileEnd("ALL.TXT", poll.position, poll.track);
  AppendFile("ALL.TXT", Decode("CQ LAST1 FN42") + "\n" + Decode("CQ LAST2 FN42"));
  ReplaceFile("ALL.TXT", "ALL.TXT.1");
  WriteFile("ALL.TXT", Decode("CQ NEW1 FN42") + "\n");
  poll.Run();
  if (!MayHoldFollowedFiles()) {  // Windows: the old file was let go, its last lines with it
    EXPECT_EQ(poll.Call(poll.calls.count), "NEW1");
    return;
  }
  ASSERT_EQ(poll.calls.count, 3);
  EXPECT_EQ(poll.Call(1), "LAST1");
  EXPECT_EQ(poll.Call(2), "LAST2");
  EXPECT_EQ(poll.Call(3), "NEW1");
}

// WSJT-X 2.7 and later can write 2026-ALL.TXT or 2026-12-ALL.TXT instead of ALL.TXT.
TEST_F(DecodesTest, FollowsTheNewestYearlyOrMonthlyFile) {
  auto writeAged = [](const std::string& name, const std::string& bytes, int age) {
    WriteFile(name, bytes);
    std::filesystem::last_write_time(name, std::filesystem::file_time_type::clock::now() - std::chrono::hours(age));
  };
  writeAged("ALL.TXT", Decode("CQ OLD1 FN42") + "\n", 48);
  writeAged("2026-11-ALL.TXT", Decode("CQ NOV1 FN42") + "\n", 2);
  writeAged("2026-ALL.TX", Decode("CQ NOT1 FN42") + "\n", 0);
  Poll poll;
  NoteDecodeFileEnd("ALL.TXT", poll.position, poll.track);
  AppendFile("2026-11-ALL.TXT", Decode("CQ NOV2 FN42") + "\n");
  std::filesystem::last_write_time("2026-11-ALL.TXT", std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
  poll.Run();
  ASSERT_EQ(poll.calls.count, 1);
  EXPECT_EQ(poll.Call(1), "NOV2");
  writeAged("2026-12-ALL.TXT", Decode("CQ DEC1 FN42") + "\n", 0);  // the turn of the month
  poll.Run();
  ASSERT_EQ(poll.calls.count, 1);
  EXPECT_EQ(poll.Call(1), "DEC1");
}

// Archiving ALL.TXT, copying an archive in, erasing this month's file or switching WSJT-X's
// split option off again brings no old traffic back: only what the decoder appended is read.
TEST_F(DecodesTest, ArchivedDecodeFilesBringNoOldTraffic) {
  std::string history;
  for (int i = 0; static_cast<int64_t>(history.size()) < 2 * kFreshFileBytes; ++i)
    history += Decode("CQ OLD" + std::to_string(i) + " FN42") + "\n";
  auto age = [](const std::string& name, int seconds) {
    std::filesystem::last_write_time(name, std::filesystem::file_time_type::clock::now() - std::chrono::seconds(seconds));
  };
  Poll poll;
  auto callers = [&poll] {
    poll.Run();
    std::string calls;
    for (int i = 1; i <= poll.calls.count; ++i) calls += poll.Call(i) + " ";
    return calls;
  };
  WriteFile("ALL.TXT", history);
  NoteDecodeFileEnd("ALL.TXT", poll.position, poll.track);

  std::filesystem::rename("ALL.TXT", "2025-ALL.TXT");  // archived under a new name
  EXPECT_EQ(callers(), "");
  AppendFile("2025-ALL.TXT", Decode("CQ NEW1 FN42") + "\n");  // written before the decoder let it go
  EXPECT_EQ(callers(), "NEW1 ");
  age("2025-ALL.TXT", 90);
  WriteFile("ALL.TXT", Decode("CQ NEW2 FN42") + "\n");  // the decoder begins a new one
  EXPECT_EQ(callers(), "NEW2 ");

  age("ALL.TXT", 60);
  WriteFile("2024-ALL.TXT", history);  // an archive copied in, the newest file, while the band is busy
  AppendFile("ALL.TXT", Decode("CQ NEW3 FN42") + "\n");
  age("ALL.TXT", 60);
  EXPECT_EQ(callers(), "NEW3 ");
  age("2024-ALL.TXT", 30);
  WriteFile("2023-ALL.TXT", history);  // one copied in while the band is quiet
  age("2023-ALL.TXT", 20);
  EXPECT_EQ(callers(), "");

  WriteFile("2026-12-ALL.TXT", Decode("CQ DEC1 FN42") + "\n");  // split by month: a new file
  EXPECT_EQ(callers(), "DEC1 ");
  RemoveFile("2026-12-ALL.TXT");  // erased: an older file is the newest
  EXPECT_EQ(callers(), "");
  AppendFile("ALL.TXT", Decode("CQ BACK1 FN42") + "\n");  // the split option off: ALL.TXT again
  EXPECT_EQ(callers(), "BACK1 ");
}

TEST_F(DecodesTest, APollReadsAtMostTheNewestMegabyte) {
  std::string lines;
  for (int i = 0; static_cast<int64_t>(lines.size()) < 3 * kMaxPollBytes; ++i)
    lines += Decode("W9AAA W" + std::to_string(100000 + i) + " -05") + "\n";
  WriteFile("ALL.TXT", lines + Decode("CQ LAST1 FN42") + "\n");
  Poll poll;
  poll.Run();
  ASSERT_EQ(poll.calls.count, 1);
  EXPECT_EQ(poll.Call(1), "LAST1");
  EXPECT_EQ(poll.position, static_cast<int64_t>(ReadFileBytes("ALL.TXT").size()));
}

TEST_F(DecodesTest, ABandChangeClearsTheScreen) {
  WriteFile("ALL.TXT", Decode("CQ W1ABC FN42", "7.074") + "\n");
  ConsolePrint("old screen");
  Poll poll;
  poll.Run();
  EXPECT_EQ(poll.frequency, "7.074");
  EXPECT_EQ(ScreenRowText(1).substr(0, 10), std::string(10, ' '));
  for (const char* frequency : {"144.174", "1296.174", "10368.100"}) {
    AppendFile("ALL.TXT", Decode("CQ W1ABC FN42", frequency) + "\n");
    poll.Run();
    EXPECT_EQ(poll.frequency, frequency);
  }
}

// A busy band: the stations calling the operator are never lost behind the CQs.
TEST_F(DecodesTest, ABusyPeriodKeepsItsCallersFirstAndCountsTheCqsKept) {
  std::string lines;
  for (int i = 0; i < 40; ++i) lines += Decode("CQ W" + std::to_string(1000 + i) + " FN42") + "\n";
  WriteFile("ALL.TXT", lines + Decode("K1XYZ JA1ABC -10") + "\n");
  Poll poll;
  poll.Run();
  ASSERT_EQ(poll.calls.count, 35);  // the 36 shown rows less the separator
  EXPECT_EQ(poll.Call(1), "JA1ABC");
  EXPECT_EQ(poll.calls.entry[1].kind, CallerKind::kCallingMe);
  EXPECT_EQ(poll.Call(2), "W1000");
  EXPECT_EQ(poll.Call(35), "W1033");
  EXPECT_EQ(poll.total, 34);
}

TEST_F(DecodesTest, SurvivesShortAndOddLines) {
  WriteFile("ALL.TXT", "x\n\n,,\n" + Decode("CQ") + "\n" + std::string(48, ' ') + "CQ\n" + Decode("CQ <...> FN42") + "\n" +
                           std::string(300, '\0') + Decode("CQ W1ABC FN42") + "\n");
  Poll poll;
  poll.Run();
  ASSERT_EQ(poll.calls.count, 1);
  EXPECT_EQ(poll.Call(1), "W1ABC");
}

TEST_F(DecodesTest, ACtrlZDoesNotStopTheReading) {
  WriteFile("ALL.TXT", Decode("CQ AA1AA FN42") + "\n\x1A" + Decode("CQ BB1BB FN42") + "\n");
  Poll poll;
  poll.Run();
  ASSERT_EQ(poll.calls.count, 2);
  EXPECT_EQ(poll.Call(2), "BB1BB");
  AppendFile("ALL.TXT", "\x1A" + Decode("CQ CC1CC FN42") + "\n");
  poll.Run();
  ASSERT_EQ(poll.calls.count, 1);
  EXPECT_EQ(poll.Call(1), "CC1CC");
}

// WSJT-X never run here: its folder is waited for, and what it writes there once it runs is read.
TEST_F(DecodesTest, AMissingFolderIsWaitedForAndReadWhenItAppears) {
  Poll poll;
  NoteDecodeFileEnd("WSJT-X/ALL.TXT", poll.position, poll.track);
  poll.Run("WSJT-X/ALL.TXT");
  EXPECT_EQ(poll.error, "");
  EXPECT_TRUE(poll.track.waiting);
  EXPECT_EQ(poll.track.notice, "Waiting for WSJT-X's folder WSJT-X (start WSJT-X once, or --rig NAME)");
  EXPECT_EQ(TheConsole().keyWaits, 0);
  std::filesystem::create_directory("WSJT-X");
  WriteFile("WSJT-X/ALL.TXT", Decode("CQ W1ABC FN42") + "\n");
  poll.Run("WSJT-X/ALL.TXT");
  ASSERT_EQ(poll.calls.count, 1);
  EXPECT_EQ(poll.Call(1), "W1ABC");
  EXPECT_FALSE(poll.track.waiting);
}
